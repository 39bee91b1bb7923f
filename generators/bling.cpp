#include "generators/bling.h"

#include <algorithm>
#include <cmath>

#include "params/param_serialization.h"
#include "params/random_source.h"
#include "store/archive.h"

namespace glimmer {

namespace {
// A cycle phase of no length would grow or shrink at an infinite rate.
constexpr float kShortestPhase = 0.01f;
constexpr uint32_t kTransparentWhite = 0x00FFFFFF;
}  // namespace

ZT_Bling::ZT_Bling() {
  brushSize.StoreValue(40);
}

void ZT_Bling::Serialize(Archive& ar, int32_t version) {
  Field(ar, "speed1", speed1);
  Field(ar, "shrinkTime", shrinkTime);
  Field(ar, "growTime", growTime);
  if (version >= 2) {
    Field(ar, "speed2", speed2);
    Field(ar, "minimumSize", minimumSize);
  }
  SerializeBase<ZT_AirBrush>(ar, *this);
}

float ZT_Bling::GrowSeconds() const {
  return std::max(growTime.Seconds(), kShortestPhase);
}

float ZT_Bling::ShrinkSeconds() const {
  return std::max(shrinkTime.Seconds(), kShortestPhase);
}

void ZT_Bling::StartCycle(GeneratorParticle& dab) const {
  const float g = GrowSeconds(), s = ShrinkSeconds(), cycle = g + s;
  dab.params[kLifeFraction] = 0;
  dab.params[kSizeFactor] = 0;
  dab.processes.Clear();
  dab.processes.Add(PLifeConst(1 / cycle));
  dab.processes.Add(PSteady(kSizeFactor, 0, g / cycle, 1 / g));
  dab.processes.Add(PSteady(kSizeFactor, g / cycle, 1, -1 / s));
}

void ZT_Bling::InitRuntime(ZT_ParticlesObj& runtime) {
  ZT_TexParticleGenerator::InitRuntime(runtime);
  runtime.ReserveQuads(0, uint32_t(dabs.size()));
  runtime.ReserveQuads(1, uint32_t(dabs.size()));
  const float cycle = GrowSeconds() + ShrinkSeconds();
  for (GeneratorParticle& d : dabs) {
    StartCycle(d);
    // Run on by a random part of the cycle in ten steps, out of step with the rest.
    const float c = RandomUnit() * cycle;
    for (int k = 0; k < 10; ++k) d.Step(c / 10);
  }
}

void ZT_Bling::AdvanceParticles(float t, ZT_ParticlesObj& runtime) {
  speed1.Advance(t);
  speed2.Advance(t);
  for (GeneratorParticle& d : dabs) {
    if (!d.Step(speed1.StepTime)) StartCycle(d);
  }
  const uint32_t n = uint32_t(dabs.size());
  runtime.ReserveQuads(0, n);
  runtime.ReserveQuads(1, n);
  const bool first = runtime.LockBuffer(0), second = runtime.LockBuffer(1);
  const float m = minimumSize.Scaled(), brush = float(brushSize.Value()), v = Visibility();
  for (uint32_t i = 0; i < n; ++i) {
    const GeneratorParticle& d = dabs[i];
    const float angle = d.params[kRotation] + speed2.LocalTime;
    const float size = ((1 - m) * d.params[kSizeFactor] + m) * d.params[6];
    const float opacity = v * d.params[kOpacityFactor];
    if (first) WriteDabQuad(runtime, 0, i, d.position, brush, brush, size, angle, colour2, opacity);
    if (second)
      WriteDabQuad(runtime, 1, i, d.position, brush, brush, size, angle, colour1, opacity);
  }
  runtime.UnlockBuffer(0);
  runtime.UnlockBuffer(1);
}

void ZT_Bling::DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) {
  DrawLayer(renderer, runtime, "JoinMask", kTransparentWhite, textures, 2);
}

void ZT_Bling::Restart() {
  ZT_AirBrush::Restart();
  speed1.Restart();
  speed2.Restart();
}

GLIMMER_REGISTER_GENERATOR_KIND(ZT_Bling)

}  // namespace glimmer
