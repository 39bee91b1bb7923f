#pragma once
// ZT_StaticAnimation: an animated picture on one rectangle, its frames
// stepped forwards or backwards by their delays on the kind's clock, drawn
// with effect 116's "Blend_Normal".

#include <vector>

#include "generators/generator_frames.h"
#include "generators/static_generators.h"

namespace glimmer {

// The shared module's effect of the animated picture.
inline constexpr uint16_t kAnimationEffectId = 116;

class ZT_StaticAnimation : public ZT_SingleRectGN, public GeneratorFrames {
  GLIMMER_LAYER_KIND(ZT_StaticAnimation)

 public:
  // Effect 116 of the shared module.
  ZT_StaticAnimation();
  ZT_StaticAnimation(const ZT_StaticAnimation&) = default;

  // Speed and reverse, then the rectangle's part.
  void Serialize(Archive& ar, int32_t version) override;
  // The rectangle and every frame of the first picture.
  void InitRuntime(ZT_ParticlesObj& runtime) override;
  void AdvanceParticles(float t, ZT_ParticlesObj& runtime) override;
  // The current frame through "Blend_Normal", tinted by colour 1.
  void DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) override;
  void Restart() override;

  // Once the current frame's delay has passed on the clock: the next frame,
  // or with reverse set the previous one, wrapping both ways.
  void StepFrames();

  MediaSpeedParam speed{100, 0.01f, 0.0f};
  int32_t reverse = 0;

 private:
  std::vector<TexturePtr> drawn_{nullptr};
};

}  // namespace glimmer
