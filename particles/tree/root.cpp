#include "particles/tree/root.h"

#include "document/resource_manager.h"
#include "params/param_serialization.h"
#include "platform/gpu/effect.h"
#include "scene/render_context.h"
#include "scene/renderer_interface.h"
#include "store/archive.h"

namespace glimmer {

QVX_PSTree_Root::QVX_PSTree_Root() {
  rootParticle.Initialise({});
  rootList_.push_back(&rootParticle);
}

QVX_PSTree_Root::QVX_PSTree_Root(const QVX_PSTree_Root& o)
    : ZT_ABObj_Constructor(o),
      QVX_PSTree_Node_Parent(o),
      effect(o.effect),
      position(o.position),
      reservedLong(o.reservedLong),
      restartFlag(o.restartFlag),
      children(CloneNodes(o.children)),
      speed(o.speed) {
  rootParticle.Initialise({});
  rootList_.push_back(&rootParticle);
  for (auto& child : children) {
    if (child) child->parentLink = this;
  }
}

std::unique_ptr<QVX_PSTree_Root> QVX_PSTree_Root::Clone() const {
  return std::make_unique<QVX_PSTree_Root>(*this);
}

void QVX_PSTree_Root::Serialize(Archive& ar, int32_t version) {
  Field(ar, "effect", effect);
  Field(ar, "position", position);
  Field(ar, "reserved", reservedLong);
  if (version > 1) Field(ar, "restart", restartFlag);
  FieldNodes(ar, "children", children);
  for (auto& child : children) {
    if (child) child->parentLink = this;
  }
  SerializeBase<ZT_ABObj_Constructor>(ar, *this);
}

void QVX_PSTree_Root::SpawnChild(QVX_PSTree_Node& child) {
  child.Spawn(rootParticle.Handle());
}

void QVX_PSTree_Root::SpawnAll() {
  for (auto& child : children) {
    if (child) SpawnChild(*child);
  }
}

int QVX_PSTree_Root::CountBackgroundUsers() const {
  int n = 0;
  for (const auto& child : children) {
    if (child) n += child->CountBackgroundUsers();
  }
  return n;
}

void QVX_PSTree_Root::AttachRuntime(QVX_DocResManager* resources, GpuDevice* device,
                                    float targetWidth, float targetHeight) {
  if (resources) loadedEffect_.value = resources->GetEffect(effect);
  if (keepIdentity == 0 && targetWidth > 0 && targetHeight > 0) {
    position.StoreValue({targetWidth / 2, targetHeight / 2, 0});
  }
  Prepare();
  rootParticle.position = position.Value();
  for (auto& child : children) {
    if (!child) continue;
    child->parentLink = this;
    child->AttachNode(resources, device);
    SpawnChild(*child);
  }
}

void QVX_PSTree_Root::Restart() {
  if (restartFlag.Value() == 0) return;
  for (auto& child : children) {
    if (child) child->ResetNode();
  }
  rootParticle.age = 0;
  accumulated_ = 0;
  SpawnAll();
}

void QVX_PSTree_Root::DrawTree(ZT_ABRender& renderer, std::vector<TreeBatch>& batches, int pass) {
  TreeDrawing d{.renderer = &renderer,
                .batches = &batches,
                .index = 0,
                .rootEffect = loadedEffect_.value.get(),
                .pass = pass};
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (*it) (*it)->DrawNode(d);
  }
}

// ---- runtime

QVX_PtclSys_Mesh::QVX_PtclSys_Mesh(const QVX_PSTree_Root& root) : ZT_ABObj(root.Clone()) {}

void QVX_PtclSys_Mesh::Attach() {
  if (attached_) return;
  attached_ = true;
  device_ = CurrentDevice();
  float w = 0, h = 0;
  if (RenderContext* c = CurrentRenderContext()) {
    w = c->TargetWidth;
    h = c->TargetHeight;
  }
  Root().AttachRuntime(QVX_DocResManager::Current(), device_, w, h);
}

void QVX_PtclSys_Mesh::Advance(float t) {
  Attach();
  Root().AdvanceTree(t, batches_, [this](size_t n) {
    // Grow-only: a batch keeps its buffers when fewer leaves draw.
    while (batches_.size() < n) batches_.push_back({ZT_IndexedMesh<DX_V::PCT>(device_), 0});
    inUse_ = n;
  });
}

void QVX_PtclSys_Mesh::Render(ZT_ABRender& renderer, int pass) {
  if (!attached_) return;
  Root().DrawTree(renderer, batches_, pass);
}

bool QVX_PtclSys_Mesh::NeedsSceneCopy() const {
  return IsActive() && Root().CountBackgroundUsers() != 0;
}

int QVX_PtclSys_Mesh::SceneCopyCount() const {
  return IsActive() ? Root().CountBackgroundUsers() : 0;
}

void QVX_PtclSys_Mesh::Restart() {
  // Attached first, so the restart (through the constructor's Restart)
  // finds the tree spawned.
  Attach();
  ZT_ABObj::Restart();
}

GLIMMER_REGISTER_LAYER_KIND(QVX_PSTree_Root, QVX_PtclSys_Mesh)

}  // namespace glimmer
