#pragma once
// ZT_Smoke: puffs rising from the origin that grow, turn, drift with the
// wind and fade; already established when the layer is first shown.

#include "generators/static_generators.h"

namespace glimmer {

class ZT_Smoke : public ZT_ParticleOriginGenerator {
  GLIMMER_LAYER_KIND(ZT_Smoke)

 public:
  ZT_Smoke();
  ZT_Smoke(const ZT_Smoke&) = default;

  // The wind, then the emitter's part.
  void Serialize(Archive& ar, int32_t version) override;
  // One buffer and five seconds of smoke made in advance.
  void InitRuntime(ZT_ParticlesObj& runtime) override;
  // The emission on the kind's clock, then one quad per puff.
  void AdvanceParticles(float t, ZT_ParticlesObj& runtime) override;
  // The first picture on stage 0, the puffs through the effect (or the
  // renderer's sprite states without one).
  void DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) override;

  // A puff: the wind's pull, half size, clear, a random spin (drawn first)
  // and a random starting turn.
  void NewParticle(OriginParticle& p) override;
  // Grows by dt ÷ lifetime, fades in while young and out throughout (kept
  // in [0, 1]), turns by its spin.
  void StepParticle(OriginParticle& p, float dt) override;
  void BuildPuffs(ZT_ParticlesObj& runtime);

  UINTSclaleTo<float> wind{55, 2.0f, -100.0f};  // px/s², 50 = none
};

}  // namespace glimmer
