#pragma once
// ZT_RadialRays: a fan of rays from the origin that turns, turns back or
// swings; with random set, the rays' lengths and spacing come from the
// kind's own seed, so the fan keeps its shape from frame to frame.

#include "generators/static_generators.h"

namespace glimmer {

// The most rays one fan draws.
inline constexpr uint32_t kMaxRays = 10'000;

class ZT_RadialRays : public ZT_StaticGenerator {
  GLIMMER_LAYER_KIND(ZT_RadialRays)

 public:
  ZT_RadialRays();
  ZT_RadialRays(const ZT_RadialRays&) = default;

  // Length, width, count, image index, random, seed, random minimum,
  // rotation speed and mode, minimum visibility, swing amplitude; then the
  // origin's part.
  void Serialize(Archive& ar, int32_t version) override;
  void InitRuntime(ZT_ParticlesObj& runtime) override;
  // The rotation clock and the fan's angle.
  void AdvanceParticles(float t, ZT_ParticlesObj& runtime) override;
  // The fan rebuilt, then drawn with the picture of the image index.
  void DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) override;
  void Restart() override;

  // Writes the rays into buffer 0: one draw before anything else, the
  // kind's seed for the random fan, and the sequence carried on from that
  // first draw afterwards.
  void BuildRays(ZT_ParticlesObj& runtime);

  MediaParamT<uint32_t> rayLength{120};  // pixels
  MediaParamT<uint32_t> rayWidth{24};    // pixels
  MediaParamT<uint32_t> rayCount{12};
  int32_t imageIndex = 0;
  int32_t random = 0;
  MediaParamT<uint32_t> seed{1};
  UINTSclaleTo<float> randomMinimum{50, -0.01f, 1.0f};
  MediaSpeedParam rotationSpeed{10, 0.02f, 0.0f};
  int32_t rotationMode = 0;  // 0 turn, 1 turn back, 2 swing
  UINTSclaleTo<float> minimumVisibility{100, -0.01f, 1.0f};
  UINTSclaleTo<float> swingAmplitude{25, 0.02f, 0.0f};

  // Not stored: the fan's angle, radians.
  float angle = 0;

 private:
  std::vector<TexturePtr> drawn_{nullptr};
};

}  // namespace glimmer
