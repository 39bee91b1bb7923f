#include "models/obj3d_ctrl.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "common/wide_string.h"
#include "document/resource_manager.h"
#include "params/param_serialization.h"
#include "params/random_source.h"
#include "scene/render_context.h"
#include "scene/renderer_interface.h"

namespace glimmer {

ZT_3D_Obj_Ctrl::ZT_3D_Obj_Ctrl() {
  motionSpeed.StoreValue(50);
}

void ZT_3D_Obj_Ctrl::Serialize(Archive& ar, int32_t) {
  Field(ar, "count", count);
  Field(ar, "size", size);
  Field(ar, "image", image);
  Field(ar, "mesh", mesh);
  SerializeBase<ZT_ViewObjCtrl>(ar, *this);
}

D3DXVECTOR3 ZT_3D_Obj_Ctrl::RandomPointInBounds() const {
  const float x = RandomUniform(width * boundsLeft, width * boundsRight);
  const float y = RandomUniform(height * boundsTop, height * boundsBottom);
  return {x, y, 0};
}

MeshBuffers ZT_3D_Obj_Ctrl::LoadMesh(const ZT_MeshFile& link) {
  QVX_DocResManager* resources = QVX_DocResManager::Current();
  return resources ? resources->GetMesh(link) : MeshBuffers{};
}

TexturePtr ZT_3D_Obj_Ctrl::LoadTexture(const ZT_ImageFileLink& link) {
  QVX_DocResManager* resources = QVX_DocResManager::Current();
  if (!resources) return nullptr;
  const TextureSet set = resources->FindTextures(link, -1);
  return set.empty() ? nullptr : set.Textures.front();
}

ZT_3DObjArray::ZT_3DObjArray(std::unique_ptr<ZT_3D_Obj_Ctrl> constructor)
    : ZT_ABObj(std::move(constructor)) {}

void ZT_3DObjArray::Prepare() {
  ZT_3D_Obj_Ctrl& o = Owner();
  if (const RenderContext* c = CurrentRenderContext()) {
    o.SetTargetSize(c->PictureWidth > 0 ? c->PictureWidth : c->TargetWidth,
                    c->PictureHeight > 0 ? c->PictureHeight : c->TargetHeight);
  }
  if (prepared_) return;
  prepared_ = true;
  o.PrepareMeshes(instances_);
  MatchCount();
}

void ZT_3DObjArray::MatchCount() {
  ZT_3D_Obj_Ctrl& o = Owner();
  uint32_t n = o.count.Value();
  if (n > kMax3DObjects) {
    if (!capReported_) {
      std::cerr << "glimmer: the 3D layer \"" << ToUtf8(o.name) << "\" asks for " << n
                << " objects; it shows " << kMax3DObjects << "\n";
      capReported_ = true;
    }
    n = kMax3DObjects;
  }
  if (n == roots_.size()) return;
  roots_.reserve(n);
  while (roots_.size() > n) roots_.pop_back();
  while (roots_.size() < n) roots_.push_back(o.BuildNodeTree());
  for (auto& instance : instances_) instance->ClearNodes();
  o.AttachNodes(roots_, instances_);
}

void ZT_3DObjArray::Advance(float t) {
  Prepare();
  MatchCount();
  ZT_3D_Obj_Ctrl& o = Owner();
  if (std::isfinite(t)) {
    o.frameStep =
        std::min(std::fabs(t - o.lastTime), kMaxClockStep) * float(o.motionSpeed.Value()) * 0.02f;
    o.lastTime = t;
    o.motionTime += o.frameStep;
  }
  for (auto& root : roots_) UpdateNode(*root, nullptr);
}

void ZT_3DObjArray::Draw(ZT_ABRender& renderer) {
  for (auto& instance : instances_) {
    if (instance->Drawable()) renderer.DrawFrames(*instance);
  }
}

void ZT_3DObjArray::Restart() {
  ZT_ABObj::Restart();  // the time line and the motion clock
  Prepare();
}

}  // namespace glimmer
