#include "objects/generators/static_generators.h"

#include <algorithm>
#include <utility>

#include "params/param_serialization.h"
#include "scene/render_context.h"
#include "store/archive.h"

namespace glimmer {

ZT_StaticGenerator::ZT_StaticGenerator() {
  D3DXVECTOR3 centre{160, 90, 0};
  if (const RenderContext* c = CurrentRenderContext(); c && c->TargetWidth > 0)
    centre = {float(c->TargetWidth) / 2, float(c->TargetHeight) / 2, 0};
  origin.StoreValue(centre);
}

void ZT_StaticGenerator::Serialize(Archive& ar, int32_t) {
  Field(ar, "origin", origin, ReadMode::Direct);
  SerializeBase<ZT_TexParticleGenerator>(ar, *this);
}

ZT_SingleRectGN::ZT_SingleRectGN() {
  placement.SetCentered(160, 120, origin.Value());
}

void ZT_SingleRectGN::Serialize(Archive& ar, int32_t version) {
  Field(ar, "placement", placement);
  if (version == 1) {
    Field(ar, "legacy1", legacy[0]);
    Field(ar, "legacy2", legacy[1]);
  }
  SerializeBase<ZT_StaticGenerator>(ar, *this);
}

void ZT_SingleRectGN::InitRuntime(ZT_ParticlesObj& runtime) {
  ZT_TexParticleGenerator::InitRuntime(runtime);
  BuildRectangle(runtime);
}

float ZT_SingleRectGN::ClockOpacity() const {
  return timing.ClockMode.Value() == 1 ? Visibility() : 1.0f;
}

void ZT_SingleRectGN::BuildRectangle(ZT_ParticlesObj& runtime) {
  runtime.ReserveQuads(0, 1);
  if (!runtime.LockBuffer(0)) return;
  // Vertex order: bottom left, top left, bottom right, top right.
  D3DXVECTOR3 v[4] = {placement.Corners[1].Value(), placement.Corners[0].Value(),
                      placement.Corners[3].Value(), placement.Corners[2].Value()};
  if (flipVertical.Value() != 0) {
    std::swap(v[0].y, v[1].y);
    std::swap(v[2].y, v[3].y);
  }
  if (flipHorizontal.Value() != 0) {
    std::swap(v[0].x, v[2].x);
    std::swap(v[1].x, v[3].x);
  }
  runtime.SetQuad(0, 0, v, QuadColour(colour1, 1));
  runtime.UnlockBuffer(0);
}

ZT_ParticleRctRgnGenerator::ZT_ParticleRctRgnGenerator() {
  float w = 320, h = 180;
  if (const RenderContext* c = CurrentRenderContext(); c && c->TargetWidth > 0) {
    w = float(c->TargetWidth);
    h = float(c->TargetHeight);
  }
  region.SetCentered(w, h, {w / 2, h / 2, 0});
}

void ZT_ParticleRctRgnGenerator::Serialize(Archive& ar, int32_t) {
  Field(ar, "region", region);
  SerializeBase<ZT_TexParticleGenerator>(ar, *this);
}

void ZT_ParticleRctRgnGenerator::Extent(float& left, float& top, float& right,
                                        float& bottom) const {
  const D3DXVECTOR3 first = region.Corners[0].Value();
  left = right = first.x;
  top = bottom = first.y;
  for (const auto& corner : region.Corners) {
    const D3DXVECTOR3 c = corner.Value();
    left = std::min(left, c.x);
    right = std::max(right, c.x);
    top = std::min(top, c.y);
    bottom = std::max(bottom, c.y);
  }
}

}  // namespace glimmer
