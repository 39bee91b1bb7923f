#include "generators/static_generators.h"

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

void ZT_ParticleOriginGenerator::Serialize(Archive& ar, int32_t version) {
  Field(ar, "lifetime", particleLifetime);
  Field(ar, "rate", rate);
  Field(ar, "size", size);
  Field(ar, "direction", static_cast<MediaDirection&>(sector));
  if (version >= 2) Field(ar, "spread", sector.Spread);
  Field(ar, "speed", speed);
  SerializeBase<ZT_StaticGenerator>(ar, *this);
}

void ZT_ParticleOriginGenerator::Restart() {
  ZT_StaticGenerator::Restart();
  speed.Restart();
  accumulator = 0;
  emitted.clear();
}

void ZT_ParticleOriginGenerator::NewParticle(OriginParticle& p) {
  p.life = particleLifetime.Scaled();
  p.position = origin.Value();
  p.velocity = sector.RandomDirection() * 100.0f;
}

void ZT_ParticleOriginGenerator::EmitStep(float step) {
  size_t kept = 0;
  for (size_t i = 0; i < emitted.size(); ++i) {
    OriginParticle& p = emitted[i];
    p.life -= step;
    p.position = p.position + p.velocity * step + p.acceleration * (0.5f * step * step);
    p.velocity = p.velocity + p.acceleration * step;
    StepParticle(p, step);
    if (p.life < 0) continue;
    if (kept != i) emitted[kept] = p;
    ++kept;
  }
  emitted.resize(kept);
  accumulator += step;
  for (;;) {
    const float perSecond = Visibility() * float(rate.Value());
    // Hidden or silent: nothing is due, and nothing builds up for later.
    if (!(perSecond > 0)) {
      accumulator = 0;
      return;
    }
    const float interval = 1 / perSecond;
    if (!(accumulator > interval)) return;
    if (emitted.size() >= kMaxGeneratorRecords) {
      ReportOnce("more than " + std::to_string(kMaxGeneratorRecords) +
                 " particles; new ones wait for room");
      accumulator = 0;
      return;
    }
    accumulator -= interval;
    NewParticle(emitted.emplace_back());
  }
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
