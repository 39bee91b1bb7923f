#pragma once
// ZT_Bling: every dab grows from nothing, spins and shrinks away again, over
// and over, out of step with the others; drawn twice, in colour 2 with the
// first picture and in colour 1 with the second, joined into one layer.

#include "generators/air_brush.h"

namespace glimmer {

class ZT_Bling : public ZT_AirBrush {
  GLIMMER_LAYER_KIND(ZT_Bling)

 public:
  ZT_Bling();
  ZT_Bling(const ZT_Bling&) = default;

  // Speed 1, shrink and grow times, from version 2 speed 2 and the minimum
  // size; then the air-brush part.
  void Serialize(Archive& ar, int32_t version) override;
  // Two buffers; every dab's cycle started and run on by a random part of it.
  void InitRuntime(ZT_ParticlesObj& runtime) override;
  // Clock 1 drives the cycles, clock 2 the spin.
  void AdvanceParticles(float t, ZT_ParticlesObj& runtime) override;
  void DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) override;
  void Restart() override;

  // Size 0 rising to 1 over the grow time, then back to 0 over the shrink
  // time (each at least 0.01 s).
  void StartCycle(GeneratorParticle& dab) const;
  float GrowSeconds() const;
  float ShrinkSeconds() const;

  MediaSpeedParam speed1{50, 0.02f, 0.0f};
  TimeParam shrinkTime{150}, growTime{50};
  MediaSpeedParam speed2{50, 0.02f, 0.0f};
  UINTSclaleTo<float> minimumSize{0, 0.01f, 0.0f};
};

}  // namespace glimmer
