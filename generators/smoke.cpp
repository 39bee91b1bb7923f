#include "generators/smoke.h"

#include <algorithm>

#include "generators/generator_frames.h"
#include "params/param_serialization.h"
#include "params/random_source.h"
#include "platform/gpu/gpu_device.h"
#include "scene/renderer_interface.h"
#include "store/archive.h"

namespace glimmer {

namespace {
constexpr float kDegree = 3.14159265358979f / 180;
}  // namespace

ZT_Smoke::ZT_Smoke() {
  effect = ZT_HLSLEffectFile();
  images = {ZT_ImageFileLink(u"common_res.dll", 62)};
  colour1.Color.StoreValue(0xC8C8C8);
  colour1.Transparency.StoreValue(40);
}

void ZT_Smoke::Serialize(Archive& ar, int32_t) {
  Field(ar, "wind", wind);
  SerializeBase<ZT_ParticleOriginGenerator>(ar, *this);
}

void ZT_Smoke::NewParticle(OriginParticle& p) {
  ZT_ParticleOriginGenerator::NewParticle(p);
  p.acceleration = {wind.Scaled(), 0, 0};
  p.scale = 0.5f;
  p.opacity = 0;
  p.birthVisibility = Visibility();
  p.spin = RandomUniform(-50, 50) * kDegree;
  p.angle = RandomUniform(0, 360) * kDegree;
}

void ZT_Smoke::StepParticle(OriginParticle& p, float dt) {
  const float life = particleLifetime.Scaled();
  if (life > 0) p.scale += dt / life;
  // Opacity rises past 1 while the puff is young and falls throughout; it is
  // clamped where it is drawn, so a puff stays fully visible until its
  // opacity has fallen back to 1.
  if (p.life > 0.8f * life) p.opacity += 5 * p.birthVisibility * dt;
  p.opacity -= dt;
  p.angle += p.spin * dt;
}

void ZT_Smoke::InitRuntime(ZT_ParticlesObj& runtime) {
  ZT_TexParticleGenerator::InitRuntime(runtime);
  runtime.ReserveQuads(0, 0);
  for (int k = 0; k < 100; ++k) EmitStep(0.05f);
  BuildPuffs(runtime);
}

void ZT_Smoke::AdvanceParticles(float t, ZT_ParticlesObj& runtime) {
  speed.Advance(t);
  EmitStep(speed.StepTime);
  BuildPuffs(runtime);
}

void ZT_Smoke::BuildPuffs(ZT_ParticlesObj& runtime) {
  const uint32_t n = uint32_t(emitted.size());
  runtime.ReserveQuads(0, n);
  if (n == 0 || !runtime.LockBuffer(0)) return;
  const float s = float(size.Value());
  for (uint32_t i = 0; i < n; ++i) {
    const OriginParticle& p = emitted[i];
    WriteDabQuad(runtime, 0, i, p.position, s, s, p.scale, p.angle, colour1,
                 std::clamp(p.opacity, 0.0f, 1.0f));
  }
  runtime.UnlockBuffer(0);
}

void ZT_Smoke::DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) {
  DrawOnStage0(renderer, runtime, Picture(0), loadedEffect.get());
}

GLIMMER_REGISTER_GENERATOR_KIND(ZT_Smoke)

}  // namespace glimmer
