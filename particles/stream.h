#pragma once
// ZT_StreamPtclSys: particles streaming across a quadrilateral, each from a
// random point of its start edge (corners 0 and 2) to the point at about
// the same fraction of its end edge (corners 1 and 3), scattered sideways.

#include <cstdint>

#include "params/animated_params.h"
#include "params/geometry_params.h"
#include "particles/emitters.h"
#include "particles/particle_runtime.h"
#include "scene/layer_kind.h"

namespace glimmer {

class ZT_StreamPtclSys : public QVX_ParticleSystemCtrl {
  GLIMMER_LAYER_KIND(ZT_StreamPtclSys)

 public:
  // Rate, frame, life, the speed twice (the first pair is kept as it came,
  // the second is the one used), scatter, then the particle base.
  void Serialize(Archive& ar, int32_t version) override;

  QVX_EvenImitter rate;
  MediaQuad frame;
  TimeParam life{300};
  QVX_JitterParam speed{50, 2.0f, 0.0f};               // pixels per second
  MediaParamT<uint32_t> firstSpeed, firstSpeedSpread;  // stored, no behaviour
  UINTSclaleTo<float> scatter{50, 0.002f, 0.0f};       // fraction of the end edge
};

// The stream's runtime; kinds over the stream pass their own copy.
class StreamSystem : public ParticleKindRuntime<ZT_StreamPtclSys> {
 public:
  using ParticleKindRuntime::ParticleKindRuntime;

 protected:
  bool Emit(float dt, size_t first) override;
  void PlaceDefault(float width, float height) override;
};

}  // namespace glimmer
