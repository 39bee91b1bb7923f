#pragma once
// ZT_TwinklingStars: dabs that rest at their size for a random while and now
// and then flare up for a fifth of a second.

#include "generators/air_brush.h"

namespace glimmer {

class ZT_TwinklingStars : public ZT_AirBrush {
  GLIMMER_LAYER_KIND(ZT_TwinklingStars)

 public:
  ZT_TwinklingStars();
  ZT_TwinklingStars(const ZT_TwinklingStars&) = default;

  // The speed, then the air-brush part.
  void Serialize(Archive& ar, int32_t version) override;
  // The dab quads, and every dab twinkling about its own size.
  void InitRuntime(ZT_ParticlesObj& runtime) override;
  // The clock, the twinkles, the quads.
  void AdvanceParticles(float t, ZT_ParticlesObj& runtime) override;
  void Restart() override;

  MediaSpeedParam speed{0, 0.01f, 1.0f};
};

}  // namespace glimmer
