#pragma once
// QVX_ParticlePath: particles running along a spline path, wandering
// sideways within a width that can open at the start and close at the end.

#include <cstdint>

#include "params/animated_params.h"
#include "params/paths.h"
#include "particles/emitters.h"
#include "particles/particle_runtime.h"
#include "scene/layer_kind.h"

namespace glimmer {

class QVX_ParticlePath : public QVX_ParticleSystemCtrl {
  GLIMMER_LAYER_KIND(QVX_ParticlePath)

 public:
  // The path's points, rate, speed, jitter, width, wander kind and
  // frequency, and the spread's levels and fractions; the path is sampled
  // again after reading.
  void Serialize(Archive& ar, int32_t version) override;

  SplinePath path;
  QVX_EvenImitter rate;
  UINTSclaleTo<float> speed{100, 1.0f, 0.0f};        // pixels per second
  UINTSclaleTo<float> speedJitter{0, -0.01f, 1.0f};  // a particle's lowest speed factor
  MediaParamT<uint32_t> width{20};                   // pixels
  MediaParamT<int32_t> noise;                        // 0: sine wander, else noise
  UINTSclaleTo<float> frequency{50, 0.0004f, 0.0f};  // per pixel travelled
  UINTSclaleTo<float> startLevel{0, 0.01f, 0.0f};
  UINTSclaleTo<float> endLevel{0, 0.01f, 0.0f};
  UINTSclaleTo<float> startFraction{0, 0.01f, 0.0f};
  UINTSclaleTo<float> endFraction{100, 0.01f, 0.0f};
};

class ParticlePathSystem : public ParticleKindRuntime<QVX_ParticlePath> {
 public:
  using ParticleKindRuntime::ParticleKindRuntime;

 protected:
  void BuildRoutines() override;
  bool Emit(float dt, size_t first) override;
  // One traversal of the path.
  float WarmUpTime() const override;

 private:
  size_t wander_ = 0;  // the slot of the sideways wander
};

}  // namespace glimmer
