#include "generators/firework_simple.h"

#include <algorithm>
#include <cmath>

#include "generators/falling_stars.h"
#include "params/param_serialization.h"
#include "params/random_source.h"
#include "store/archive.h"

namespace glimmer {

namespace {
constexpr float kTwoPi = 6.28318530717959f;
}  // namespace

ZT_Firework::ZT_Firework() {
  effect = ZT_HLSLEffectFile(u"common_res.dll", kFallingStarsEffectId);
  images = {ZT_ImageFileLink(u"common_res.dll", 70), ZT_ImageFileLink(u"common_res.dll", 62)};
  colour1.Color.StoreValue(0x80E0FF);
  colour2.Color.StoreValue(0x2060FF);
  particleLifetime.SetValue(30);  // 1.2 s
  rate.SetValue(2);
  sector.Spread.SetValue(30);
}

void ZT_Firework::Serialize(Archive& ar, int32_t) {
  Field(ar, "sparkCount", sparkCount);
  Field(ar, "burstSpeed", burstSpeed);
  Field(ar, "gravity", gravity);
  Field(ar, "sparkLife", sparkLife);
  SerializeBase<ZT_ParticleOriginGenerator>(ar, *this);
}

void ZT_Firework::InitRuntime(ZT_ParticlesObj& runtime) {
  ZT_TexParticleGenerator::InitRuntime(runtime);
  // Cores with the first picture, glows with the second (or the first).
  const TexturePtr core = Picture(0), glow = Picture(1) ? Picture(1) : Picture(0);
  pictures_ = {core, glow, core, glow};
  for (size_t b = 0; b < 4; ++b) runtime.ReserveQuads(b, 0);
}

void ZT_Firework::Launch() {
  if (rockets.size() >= kMaxGeneratorRecords) return;
  // A flight of no length would give an infinite life rate.
  const float flight = std::max(particleLifetime.Scaled(), 0.05f);
  GeneratorParticle& r = rockets.emplace_back(origin.Value());
  r.params[kLifeFraction] = 0;
  r.processes.Add(PLifeConst(1 / flight));
  r.processes.Add(PKinetic(sector.RandomDirection() * 100.0f, {0, float(gravity.Value()), 0}));
}

void ZT_Firework::Burst(const D3DXVECTOR3& at) {
  uint32_t n = sparkCount.Value();
  if (n > kMaxSparksPerBurst) {
    ReportOnce(std::to_string(n) + " sparks a burst; it makes " +
               std::to_string(kMaxSparksPerBurst));
    n = kMaxSparksPerBurst;
  }
  const float life = std::max(sparkLife.Seconds(), 0.05f);
  const float fall = float(gravity.Value()), speed = float(burstSpeed.Value());
  for (uint32_t i = 0; i < n && sparks.size() < kMaxGeneratorRecords; ++i) {
    const float direction = RandomUniform(0, kTwoPi);
    const float v = speed * (0.6f + 0.4f * RandomUnit());
    GeneratorParticle& s = sparks.emplace_back(at);
    s.params[kLifeFraction] = 0;
    s.processes.Add(PLifeConst(1 / life));
    // Full brightness, fading over the last 40 % of the life.
    s.processes.Add(PSteady(kOpacityFactor, 0.6f, 1, -1 / (0.4f * life)));
    s.processes.Add(
        PKinetic({v * std::cos(direction), v * std::sin(direction), 0}, {0, fall * 0.5f, 0}));
  }
}

void ZT_Firework::AdvanceParticles(float t, ZT_ParticlesObj& runtime) {
  speed.Advance(t);
  const float step = speed.StepTime;
  // Rockets at the end of their flight burst where they are.
  bursting_.clear();
  size_t kept = 0;
  for (size_t i = 0; i < rockets.size(); ++i) {
    if (!rockets[i].Step(step)) {
      bursting_.push_back(rockets[i]);
      continue;
    }
    if (kept != i) rockets[kept] = rockets[i];
    ++kept;
  }
  rockets.resize(kept);
  StepRecords(sparks, step);
  for (const GeneratorParticle& r : bursting_) Burst(r.position);
  // New rockets; nothing builds up while the layer is hidden.
  accumulator += step;
  for (;;) {
    const float perSecond = Visibility() * float(rate.Value());
    if (!(perSecond > 0)) {
      accumulator = 0;
      break;
    }
    if (!(accumulator > 1 / perSecond)) break;
    accumulator -= 1 / perSecond;
    Launch();
  }
  const float v = Visibility();
  const auto fill = [&](size_t buffer, const std::vector<GeneratorParticle>& list, float size,
                        const ColorAlphaPair& colour) {
    const uint32_t n = uint32_t(list.size());
    runtime.ReserveQuads(buffer, n);
    if (n == 0 || !runtime.LockBuffer(buffer)) return;
    for (uint32_t i = 0; i < n; ++i)
      WriteDabQuad(runtime, buffer, i, list[i].position, size, size, 1, 0, colour,
                   v * list[i].params[kOpacityFactor]);
    runtime.UnlockBuffer(buffer);
  };
  fill(0, rockets, RocketSize(), colour1);
  fill(1, rockets, RocketSize() * 3, colour2);
  fill(2, sparks, SparkSize(), colour1);
  fill(3, sparks, SparkSize() * 3, colour2);
}

void ZT_Firework::DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) {
  if (!loadedEffect) {
    DrawLayer(renderer, runtime, "BlendMask", 0x00000000, pictures_, 1);
    return;
  }
  DrawTwoTargets(renderer, runtime, pictures_);
}

void ZT_Firework::Restart() {
  ZT_ParticleOriginGenerator::Restart();
  rockets.clear();
  sparks.clear();
}

void ZT_FireworkSimple::Serialize(Archive& ar, int32_t) {
  Field(ar, "sparkSize", sparkSize);
  Field(ar, "rocketSize", rocketSize);
  SerializeBase<ZT_Firework>(ar, *this);
}

GLIMMER_REGISTER_GENERATOR_KIND(ZT_FireworkSimple)

}  // namespace glimmer
