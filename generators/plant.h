#pragma once
// ZT_Plant: a picture of a plant on one rectangle that sways in the wind:
// the effect's "Main" bends the picture more the higher up it is, by a
// steady lean and a wind that comes and goes.

#include "generators/static_generators.h"

namespace glimmer {

// The player's built-in plant effect in the shared module.
inline constexpr uint16_t kPlantEffectId = 1040;

class ZT_Plant : public ZT_SingleRectGN {
  GLIMMER_LAYER_KIND(ZT_Plant)

 public:
  // The built-in plant effect.
  ZT_Plant();
  ZT_Plant(const ZT_Plant&) = default;

  // Speed, frequency, wind and bend magnitudes, then the rectangle's part.
  void Serialize(Archive& ar, int32_t version) override;
  void AdvanceParticles(float t, ZT_ParticlesObj& runtime) override;
  // The first picture through "Main" with the clock and the sliders.
  void DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) override;
  void Restart() override;

  MediaSpeedParam speed{50, 0.02f, 0.0f};
  UINTSclaleTo<float> frequency{20, 0.1f, 0.0f};
  UINTSclaleTo<float> windMagnitude{20, 0.002f, 0.0f};
  UINTSclaleTo<float> bendMagnitude{10, 0.002f, 0.0f};
};

}  // namespace glimmer
