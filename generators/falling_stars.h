#pragma once
// ZT_FallingStars: shooting stars that appear at random in a rectangle, fade
// in, streak along one direction while they spin, and fade out, each with a
// trail behind it. Heads and trails are drawn apart into the two textures
// of a target set with "BlendMask_Max" and added to the scene by "Main".

#include <vector>

#include "generators/static_generators.h"

namespace glimmer {

// The player's built-in falling-stars effect in the shared module.
inline constexpr uint16_t kFallingStarsEffectId = 1041;

class ZT_FallingStars : public ZT_ParticleRctRgnGenerator {
  GLIMMER_LAYER_KIND(ZT_FallingStars)

 public:
  // The built-in effect; the inherited lifetime, third and speed sliders
  // take the scales 0.01, 0.01 and 2.0.
  ZT_FallingStars();
  ZT_FallingStars(const ZT_FallingStars&) = default;

  // Speed, rate, direction, star size, trail length, visible, fade-in and
  // fade-out times; then the rectangle's part.
  void Serialize(Archive& ar, int32_t version) override;
  void InitRuntime(ZT_ParticlesObj& runtime) override;
  // The clock, the stars and trails moved, new stars, the four buffers.
  void AdvanceParticles(float t, ZT_ParticlesObj& runtime) override;
  void DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) override;
  bool NeedsSceneCopy() const override { return true; }
  void Restart() override;

  // Spawns this frame's stars: one draw for their number (even when none
  // are due), then per star y, x, the rotation and the spin's sign.
  void Spawn();
  // The life of a star: fade-in + visible + fade-out seconds.
  float StarLife() const;

  UINTSclaleTo<float> starSpeed{20, 8.0f, 0.0f};  // pixels per second
  PerSecondCounterRnd starRate{50, 0.02f, 0.0f};  // stars per second
  MediaDirection direction{300};
  MediaParamT<uint32_t> starSize{12};                 // pixels
  UINTSclaleTo<float> trailLength{100, 0.04f, 1.0f};  // in star sizes
  TimeParam visibleTime{100}, fadeInTime{30}, fadeOutTime{60};

  // Not stored: the stars and their trails (a trail moves with its star).
  std::vector<GeneratorParticle> stars, trails;

 private:
  std::vector<TexturePtr> pictures_;
};

}  // namespace glimmer
