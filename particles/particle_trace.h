#pragma once
// QVX_ParticleTrace: a tracer runs along a spline path once per cycle of
// the layer's time line and drops particles behind it, which drift off
// sideways.

#include <cstdint>

#include "params/animated_params.h"
#include "params/path_cursor.h"
#include "params/paths.h"
#include "particles/particle_runtime.h"
#include "scene/layer_kind.h"

namespace glimmer {

class QVX_ParticleTrace : public QVX_ParticleSystemCtrl {
  GLIMMER_LAYER_KIND(QVX_ParticleTrace)

 public:
  // The path's points, count, life, scatter and speed; the path is sampled
  // again after reading.
  void Serialize(Archive& ar, int32_t version) override;

  SplinePath path;
  MediaParamT<uint32_t> count{20};  // particles dropped per traversal
  TimeParam life{200};
  MediaParamT<uint32_t> scatter{5};           // pixels
  UINTSclaleTo<float> speed{20, 1.0f, 0.0f};  // pixels per second
};

class ParticleTraceSystem : public ParticleKindRuntime<QVX_ParticleTrace> {
 public:
  using ParticleKindRuntime::ParticleKindRuntime;
  void Restart() override;

 protected:
  void BuildRoutines() override;
  bool Emit(float dt, size_t first) override;
  float WarmUpTime() const override { return 0; }

 private:
  // A particle at `point` scattered, flying off around the path direction.
  void Drop(const D3DXVECTOR3& point, const D3DXVECTOR3& direction);

  PathCursor cursor_;
  float travelled_ = 0;  // since the last drop
  bool atStart_ = true;  // the tracer has not set out yet
};

}  // namespace glimmer
