#include "particles/tree/nodes.h"

#include <algorithm>
#include <cmath>

#include "document/resource_manager.h"
#include "params/param_serialization.h"
#include "particles/particle_runtime.h"
#include "platform/gpu/effect.h"
#include "scene/renderer_interface.h"
#include "store/archive.h"
#include "store/class_registry.h"

namespace glimmer {
namespace {
// The smallest stored node: a class header, an empty name, a geometry
// header and a child count.
constexpr size_t kMinNodeBytes = 16;
constexpr float kTwoPi = 6.28318530717958f;
}  // namespace

void FieldNodes(Archive& ar, std::string_view name, TreeNodeList& children) {
  Field(ar, name, children, kMinNodeBytes,
        [&](ZT_SafePtr<QVX_PSTree_Node>& child) { Field(ar, "", child, ItemRegistry()); });
}

TreeNodeList CloneNodes(const TreeNodeList& children) {
  TreeNodeList copy;
  copy.reserve(children.size());
  for (const auto& child : children) copy.push_back(CloneItem(child));
  return copy;
}

// ---- node

QVX_PSTree_Node::QVX_PSTree_Node() = default;

QVX_PSTree_Node::QVX_PSTree_Node(const QVX_PSTree_Node& o)
    : QVX_IOF_Item(o),
      QVX_PSTree_Node_Parent(o),
      name(o.name),
      geometry(CloneItem(o.geometry)),
      children(CloneNodes(o.children)) {
  for (auto& child : children) {
    if (child) child->parentLink = this;
  }
}

void QVX_PSTree_Node::Serialize(Archive& ar, int32_t) {
  Field(ar, "name", name);
  Field(ar, "geometry", geometry, ItemRegistry());
  FieldNodes(ar, "children", children);
  for (auto& child : children) {
    if (child) child->parentLink = this;
  }
}

int QVX_PSTree_Node::CountBackgroundUsers() const {
  int n = 0;
  for (const auto& child : children) {
    if (child) n += child->CountBackgroundUsers();
  }
  return n;
}

void QVX_PSTree_Node::Spawn(const ParticleHandle& parent) {
  if (!geometry) return;
  std::vector<TreeParticle*>& spawned = spawned_.value;
  spawned.clear();
  geometry->Spawn(parent, spawned);
  // The children's spawns may reuse this node's list: walk a stable copy of
  // the count, reading the entries before they change.
  const size_t n = spawned.size();
  for (size_t k = 0; k < n; ++k) {
    const ParticleHandle q = spawned[k]->Handle();
    for (auto& child : children) {
      if (child) child->Spawn(q);
    }
  }
}

void QVX_PSTree_Node::SpawnChild(QVX_PSTree_Node& child) {
  if (!geometry) return;
  for (TreeParticle* p : geometry->pool.Live()) child.Spawn(p->Handle());
}

void QVX_PSTree_Node::AttachNode(QVX_DocResManager* resources, GpuDevice* device) {
  for (auto& child : children) {
    if (!child) continue;
    child->parentLink = this;
    child->AttachNode(resources, device);
  }
}

void QVX_PSTree_Node::ResetNode() {
  if (geometry) geometry->Reset();
  for (auto& child : children) {
    if (child) child->ResetNode();
  }
}

// ---- stem

QVX_PSTree_Stem::QVX_PSTree_Stem() {
  geometry = std::make_shared<QVX_PSGeomEmit_Point>();
}

void QVX_PSTree_Stem::Serialize(Archive& ar, int32_t) {
  SerializeBase<QVX_PSTree_Node>(ar, *this);
}

int QVX_PSTree_Stem::AdvanceNode(float dt, const std::vector<TreeParticle*>& parents) {
  int batches = 0;
  if (geometry) {
    std::vector<TreeParticle*>& newborn = newborn_.value;
    newborn.clear();
    for (TreeParticle* parent : parents) geometry->Emit(dt, *parent, newborn);
    for (TreeParticle* q : newborn) {
      const ParticleHandle h = q->Handle();
      for (auto& child : children) {
        if (child) child->Spawn(h);
      }
    }
    geometry->Step(dt);
  }
  static const std::vector<TreeParticle*> kNone;
  const std::vector<TreeParticle*>& mine = geometry ? geometry->pool.Live() : kNone;
  for (auto& child : children) {
    if (child) batches += child->AdvanceNode(dt, mine);
  }
  return batches;
}

void QVX_PSTree_Stem::BuildNode(std::vector<TreeBatch>& batches, size_t& index) {
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (*it) (*it)->BuildNode(batches, index);
  }
}

void QVX_PSTree_Stem::DrawNode(TreeDrawing& drawing) {
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (*it) (*it)->DrawNode(drawing);
  }
}

// ---- leaf

QVX_PSTree_Leaf::QVX_PSTree_Leaf() {
  geometry = std::make_shared<QVX_PSGeometry_Point>();
  ZT_NamedFileLinkData texture;
  texture.Name = u"Particle shape 1";
  texture.Primary = {u"common_res.dll", 62};  // the built-in soft spot
  look.texture.StoreValue(texture);
  look.baseSize.StoreValue(16);
}

void QVX_PSTree_Leaf::SerializeLeaf(Archive& ar) {
  ParticleAppearance& a = look;
  Field(ar, "effect", a.effect);
  Field(ar, "texture", a.texture);
  Field(ar, "textureSpeed", a.textureSpeed);
  Field(ar, "textureReverse", a.textureReverse);
  Field(ar, "flipV", a.flipV);
  Field(ar, "flipU", a.flipU);
  Field(ar, "baseSize", a.baseSize);
  // The colour table as the particle look's version 11 stores it.
  uint32_t tableVersion = 1;
  if (ar.StoresVersions()) Field(ar, "colourTableVersion", tableVersion);
  Field(ar, "colours", a.colours.colours);
  uint32_t mode = uint32_t(a.colours.mode.Value()), phase = uint32_t(a.colours.randomPhase.Value());
  Field(ar, "colourMode", mode);
  Field(ar, "colourRandomPhase", phase);
  if (ar.IsReading()) {
    a.colours.mode.SetValue(int32_t(mode));
    a.colours.randomPhase.SetValue(int32_t(phase));
  }
  Field(ar, "transparency", a.colours.transparency);
  Field(ar, "blend", a.blend);
  Field(ar, "glowMode", a.glowMode);
  Field(ar, "blurStrength", a.blurStrength);
  Field(ar, "glowColour", a.glowColour);
  Field(ar, "glowBrightness", a.glowBrightness);
  Field(ar, "glowBlur", a.glowBlur);
}

void QVX_PSTree_Leaf::Serialize(Archive& ar, int32_t) {
  SerializeLeaf(ar);
  SerializeBase<QVX_PSTree_Node>(ar, *this);
}

int QVX_PSTree_Leaf::CountBackgroundUsers() const {
  return look.glowMode.Value() == 2 ? 1 : 0;
}

LeafLink QVX_PSTree_Leaf::MakeLink() const {
  return {.colours = &look.colours};
}

void QVX_PSTree_Leaf::EnsureLinked() {
  if (loaded_.value.linked || !geometry) return;
  geometry->Link(MakeLink());
  loaded_.value.linked = true;
}

void QVX_PSTree_Leaf::Spawn(const ParticleHandle& parent) {
  EnsureLinked();
  if (!geometry) return;
  // The colour transform is in the geometry's table, so every particle the
  // geometry makes for the leaf gets it with its phase. A leaf's children
  // stay with the document but are never played: they are not spawned.
  std::vector<TreeParticle*>& spawned = spawned_.value;
  spawned.clear();
  geometry->Spawn(parent, spawned);
}

int QVX_PSTree_Leaf::AdvanceNode(float dt, const std::vector<TreeParticle*>& parents) {
  EnsureLinked();
  Loaded& l = loaded_.value;
  l.clock += std::min(dt, kMaxClockStep) * look.textureSpeed.Scaled();
  l.frames.Advance(l.clock, look.textureReverse.Value() != 0);
  if (!geometry) return 1;
  // A leaf whose geometry emits (a trace, or an emitter drawn directly)
  // makes its particles here; followers make none.
  std::vector<TreeParticle*>& born = spawned_.value;
  born.clear();
  for (TreeParticle* parent : parents) geometry->Emit(dt, *parent, born);
  geometry->Step(dt);
  return 1;
}

void QVX_PSTree_Leaf::BuildNode(std::vector<TreeBatch>& batches, size_t& index) {
  if (index >= batches.size()) return;
  TreeBatch& batch = batches[index++];
  batch.count = 0;
  if (!geometry) return;
  const std::vector<TreeParticle*>& live = geometry->pool.Live();
  const uint32_t n = uint32_t(live.size());
  if (n == 0) return;
  DX_V::PCT* v = LockQuads(batch.quads, n);
  if (!v) return;
  const TextureFrames& frames = loaded_.value.frames;
  const QuadCorners uv = CornerCoordinates(look, frames);
  const float base = float(look.baseSize.Value());
  const float cellAspect =
      frames.aspect * float(std::max(1, geometry->columns)) / float(std::max(1, geometry->rows));
  const float alphaByte = float(look.colours.transparency.Scaled());
  for (uint32_t k = 0; k < n; ++k) {
    const TreeParticle& p = *live[k];
    const float size = base * p.ChainFactor(1);
    const float width = size, height = size * cellAspect;
    D3DXMATRIX m = p.orientation;
    if (const float turn = ExtraTurn(p); turn != 0) {
      D3DXMATRIX r;
      D3DXMatrixRotationZ(&r, turn);
      D3DXMatrixMultiply(&m, &r, &p.orientation);
    }
    const D3DXVECTOR3 w0{width, 0, 0}, h0{0, height, 0};
    D3DXVECTOR3 w, h;
    D3DXVec3TransformNormal(&w, &w0, &m);
    D3DXVec3TransformNormal(&h, &h0, &m);
    w = w * 0.5f;
    h = h * 0.5f;
    const D3DXVECTOR3 c = p.World();
    const D3DXVECTOR3 corners[4] = {c - w + h, c - w - h, c + w + h, c + w - h};
    WriteQuad(v + 4 * k, corners, QuadColour(p, alphaByte), uv, p.frame);
  }
  batch.quads.VertexBuffer->Unlock();
  batch.count = n;
}

uint32_t QVX_PSTree_Leaf::QuadColour(const TreeParticle& p, float alphaByte) {
  const float alpha = alphaByte / 255.0f * p.ChainFactor(2);
  return (ChannelByte(alpha) << 24) | (ChannelByte(p.colour.x / 255.0f) << 16) |
         (ChannelByte(p.colour.y / 255.0f) << 8) | ChannelByte(p.colour.z / 255.0f);
}

const char* QVX_PSTree_Leaf::Technique(int32_t blend, bool premultiplied) {
  static const char* const kTechniques[4] = {"BlendNormal", "BlendNormal_AlphaPM", "BlendSum",
                                             "BlendSum"};
  const int32_t b = std::clamp(blend, 0, 1);
  return kTechniques[b * 2 + (premultiplied ? 1 : 0)];
}

void QVX_PSTree_Leaf::DrawNode(TreeDrawing& d) {
  if (look.glowMode.Value() == 2) d.renderer->CopyScene(d.pass, false);
  if (d.index >= d.batches->size()) return;
  const TreeBatch& batch = (*d.batches)[d.index++];
  Loaded& l = loaded_.value;
  Effect* effect = l.effect ? l.effect.get() : d.rootEffect;
  if (batch.count == 0 || !effect) return;
  ParticleSystemRuntime::DrawGlow(*d.renderer, batch.quads, batch.count, look, l.frames, *effect,
                                  l.glow.get());
  effect->SetTexture("Texture0", l.frames.Current());
  d.renderer->DrawIndexedFxTechnique(
      batch.quads, *effect, Technique(look.blend.Value(), look.texture.Value().PremultipliedAlpha),
      2 * batch.count);
}

void QVX_PSTree_Leaf::AttachNode(QVX_DocResManager* resources, GpuDevice* device) {
  Loaded& l = loaded_.value;
  if (resources && device) {
    ParticleSystemRuntime::LoadAppearance(look, *resources, *device, l.frames, l.effect, l.glow);
  }
  EnsureLinked();
  if (geometry) {
    const ZT_NamedFileLinkData& t = look.texture.Value();
    geometry->SetGrid(int32_t(std::min<uint32_t>(t.Columns, 1024)),
                      int32_t(std::min<uint32_t>(t.Rows, 1024)));
  }
  QVX_PSTree_Node::AttachNode(resources, device);
}

// ---- trace leaf

QVX_PSTree_Trace::QVX_PSTree_Trace() {
  geometry = std::make_shared<QVX_PSGeometry_Trace>();
  trailSize.s[5].SetValue(0);
  trailSize.s[2].SetValue(0);
  trailOpacity.s[2].SetValue(0);
}

void QVX_PSTree_Trace::Serialize(Archive& ar, int32_t) {
  Field(ar, "trailLife", trailLife);
  Field(ar, "trailSize", trailSize);
  Field(ar, "trailOpacity", trailOpacity);
  SerializeBase<QVX_PSTree_Leaf>(ar, *this);
}

LeafLink QVX_PSTree_Trace::MakeLink() const {
  LeafLink link = QVX_PSTree_Leaf::MakeLink();
  link.traceLife = std::isfinite(trailLife) ? std::clamp(trailLife, 0.0f, 60.0f) : 0.0f;
  link.traceSize = &trailSize;
  link.traceOpacity = &trailOpacity;
  return link;
}

// ---- party balloon

void QVX_PartyBalloon::Serialize(Archive& ar, int32_t) {
  Field(ar, "swayAngle", swayAngle);
  Field(ar, "swayFrequency", swayFrequency);
  SerializeBase<QVX_PSTree_Leaf>(ar, *this);
}

float QVX_PartyBalloon::ExtraTurn(const TreeParticle& p) const {
  // Each balloon swings at its own phase: its first drawn number (the size
  // draw every geometry makes) turned into an angle.
  const float phase = p.state[0] * kTwoPi;
  const float a = std::sin(p.age * swayFrequency.Scaled() * kTwoPi + phase) * swayAngle.Scaled();
  return std::isfinite(a) ? a * (kTwoPi / 360.0f) : 0.0f;
}

void QVX_PartyBalloon::AttachNode(QVX_DocResManager* resources, GpuDevice* device) {
  QVX_PSTree_Leaf::AttachNode(resources, device);
  Strings& st = strings_.value;
  if (device && !st.quads) st.quads = std::make_unique<ZT_IndexedMesh<DX_V::PCT>>(device);
  if (resources) {
    const TextureSet white = resources->GetLinkTextures(ZT_FileLink3(u"common_res.dll", 78));
    st.white = white.empty() ? nullptr : white.Textures.front();
  }
}

void QVX_PartyBalloon::BuildNode(std::vector<TreeBatch>& batches, size_t& index) {
  QVX_PSTree_Leaf::BuildNode(batches, index);
  Strings& st = strings_.value;
  st.count = 0;
  if (!geometry || !st.quads) return;
  const std::vector<TreeParticle*>& live = geometry->pool.Live();
  const uint32_t n = uint32_t(live.size());
  if (n == 0) return;
  DX_V::PCT* v = LockQuads(*st.quads, n);
  if (!v) return;
  const TextureFrames& frames = Frames();
  const float base = float(look.baseSize.Value());
  const float cellAspect =
      frames.aspect * float(std::max(1, geometry->columns)) / float(std::max(1, geometry->rows));
  const float alphaByte = float(look.colours.transparency.Scaled());
  const QuadCorners whole{{0, 0, 1, 1}, {1, 0, 1, 0}};
  const float cell[4] = {1, 1, 0, 0};
  for (uint32_t k = 0; k < n; ++k) {
    const TreeParticle& p = *live[k];
    const float size = base * p.ChainFactor(1);
    const float height = size * cellAspect;
    // The middle of the balloon's lower edge, as its quad is turned.
    D3DXMATRIX m = p.orientation;
    if (const float turn = ExtraTurn(p); turn != 0) {
      D3DXMATRIX r;
      D3DXMatrixRotationZ(&r, turn);
      D3DXMatrixMultiply(&m, &r, &p.orientation);
    }
    const D3DXVECTOR3 down0{0, height / 2, 0};
    D3DXVECTOR3 down;
    D3DXVec3TransformNormal(&down, &down0, &m);
    const D3DXVECTOR3 top = p.World() + down;
    const float half = std::max(size / 80, 0.5f), length = 1.5f * height;
    const D3DXVECTOR3 corners[4] = {
        top + D3DXVECTOR3{-half, length, 0}, top + D3DXVECTOR3{-half, 0, 0},
        top + D3DXVECTOR3{half, length, 0}, top + D3DXVECTOR3{half, 0, 0}};
    const uint32_t alpha = QuadColour(p, alphaByte) & 0xFF000000u;
    WriteQuad(v + 4 * k, corners, alpha | 0x00C8C8C8u, whole, cell);
  }
  st.quads->VertexBuffer->Unlock();
  st.count = n;
}

void QVX_PartyBalloon::DrawNode(TreeDrawing& d) {
  const Strings& st = strings_.value;
  Effect* effect = LoadedEffect() ? LoadedEffect() : d.rootEffect;
  if (st.count > 0 && st.quads && st.white && effect) {
    effect->SetTexture("Texture0", st.white);
    d.renderer->DrawIndexedFxTechnique(*st.quads, *effect, "BlendNormal", 2 * st.count);
  }
  QVX_PSTree_Leaf::DrawNode(d);
}

GLIMMER_REGISTER_CLASS(ItemRegistry, QVX_PSTree_Stem)
GLIMMER_REGISTER_CLASS(ItemRegistry, QVX_PSTree_Leaf)
GLIMMER_REGISTER_CLASS(ItemRegistry, QVX_PSTree_Trace)
GLIMMER_REGISTER_CLASS(ItemRegistry, QVX_PartyBalloon)

}  // namespace glimmer
