#pragma once
// ZT_BrownAnimation: particles that wander at random inside a rectangle,
// steering back when they stray out, each showing the frames of the first
// picture on a clock of their own.

#include <vector>

#include "generators/generator_frames.h"
#include "generators/static_generators.h"

namespace glimmer {

class ZT_BrownAnimation : public ZT_ParticleRctRgnGenerator, public GeneratorFrames {
  GLIMMER_LAYER_KIND(ZT_BrownAnimation)

 public:
  ZT_BrownAnimation();
  ZT_BrownAnimation(const ZT_BrownAnimation&) = default;

  // Count, size, acceleration time, change interval, drift speed, animation
  // speed, from version 2 the motion speed; then the rectangle's part.
  void Serialize(Archive& ar, int32_t version) override;
  // The pictures, the frames of the first, and the particles placed at
  // random in the rectangle (y drawn before x, then each one's wander).
  void InitRuntime(ZT_ParticlesObj& runtime) override;
  // The animation clock steps the frames, the motion clock the particles.
  void AdvanceParticles(float t, ZT_ParticlesObj& runtime) override;
  // The current frame on stage 0, the particles through the effect.
  void DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) override;
  void Restart() override;

  // The region, times and speed the wander reads, from the settings.
  void UpdateRegion();

  MediaParamT<uint32_t> count{24};
  MediaParamT<uint32_t> particleSize{24};  // pixels
  TimeParam accelerationTime{100}, changeInterval{200};
  UINTSclaleTo<float> driftSpeed{50, 0.02f, 0.0f};
  MediaSpeedParam animationSpeed{100, 0.01f, 0.0f};
  MediaSpeedParam motionSpeed{50, 0.02f, 0.0f};

  // Not stored.
  BrownianRegion wanderRegion;
  std::vector<GeneratorParticle> wanderers;
};

}  // namespace glimmer
