#pragma once
// ZT_RayOfLight: soft rays of light hanging between the top and the bottom
// edge of a quadrilateral (corners 0 and 2 the top, 1 and 3 the bottom),
// each drifting sideways while it fades in over the first half of its life
// and out over the second, faded at the frame's ends. A ray is three quads:
// its body and its faded top and bottom ends.

#include <cstdint>

#include "params/animated_params.h"
#include "params/geometry_params.h"
#include "particles/particle_runtime.h"
#include "scene/layer_kind.h"

namespace glimmer {

// At most this many rays in one layer, whatever a document asks.
inline constexpr uint32_t kMaxRays = 5'000;

class ZT_RayOfLight : public QVX_ParticleSystemCtrl {
  GLIMMER_LAYER_KIND(ZT_RayOfLight)

 public:
  // Frame, count, life, width and drift (base and spread each), spread-out,
  // start and end cuts, edge fade, a reserved value; then the particle base.
  void Serialize(Archive& ar, int32_t version) override;

  MediaQuad frame;
  MediaParamT<uint32_t> count{12};                // rays kept alive
  QVX_JitterParam life{100, 0.1f, 0.0f, 50};      // seconds
  QVX_JitterParam width{40, 1.0f, 0.0f, 50};      // pixels at the top
  QVX_JitterParam drift{100, 0.0002f, 0.0f, 50};  // frame widths per second
  UINTSclaleTo<float> spreadOut{20, 0.05f, 1.0f};
  UINTSclaleTo<float> startCut{20, 0.01f, 0.0f};
  UINTSclaleTo<float> endCut{30, 0.01f, 0.0f};
  UINTSclaleTo<float> edgeFade{30, 0.005f, 0.0f};
  MediaParamT<int32_t> reserved;  // stored, no behaviour
};

class RayOfLightSystem : public ParticleKindRuntime<ZT_RayOfLight> {
 public:
  using ParticleKindRuntime::ParticleKindRuntime;
  // Rays are stepped twice a frame; the appearance's clocks stand still.
  void Advance(float t) override;
  void BuildQuads() override;

  // How much of its opacity a ray at g across the frame keeps near the
  // frame's ends (zones `fade` wide); no zones without a width.
  static float EdgeFactor(float g, float fade);

 protected:
  void BuildRoutines() override;
  bool Emit(float dt, size_t first) override;
  void PlaceDefault(float width, float height) override;

 private:
  size_t fadeIn_ = 0, fadeOut_ = 0;
  bool capReported_ = false;
};

}  // namespace glimmer
