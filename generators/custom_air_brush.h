#pragma once
// ZT_CustomAirBrush: every dab shows the same animated picture, its frames
// stepped by their own delays on the kind's clock.

#include <vector>

#include "generators/air_brush.h"
#include "generators/generator_frames.h"

namespace glimmer {

class ZT_CustomAirBrush : public ZT_AirBrush, public GeneratorFrames {
  GLIMMER_LAYER_KIND(ZT_CustomAirBrush)

 public:
  ZT_CustomAirBrush() = default;
  ZT_CustomAirBrush(const ZT_CustomAirBrush&) = default;

  // The animated picture and the speed, then the air-brush part.
  void Serialize(Archive& ar, int32_t version) override;
  // The pictures, the animated picture's frames and the dab quads.
  void InitRuntime(ZT_ParticlesObj& runtime) override;
  // The clock and the frame; the quads follow the time line's fades.
  void AdvanceParticles(float t, ZT_ParticlesObj& runtime) override;
  // Buffer 0 with the current frame.
  void DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) override;
  void Restart() override;

  // Moves to the next frame (wrapping) once the current one's delay has
  // passed on the clock.
  void StepFrames();

  ZT_ImageFileLink animatedImage;
  MediaSpeedParam speed{100, 0.01f, 0.0f};

 private:
  std::vector<TexturePtr> drawn_{nullptr};
};

}  // namespace glimmer
