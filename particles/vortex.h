#pragma once
// QVX_VortexPtclSys: particles swirling out of a point in arms that may
// turn over time.

#include <cstdint>

#include "params/animated_params.h"
#include "params/geometry_params.h"
#include "particles/emitters.h"
#include "particles/particle_runtime.h"
#include "scene/layer_kind.h"

namespace glimmer {

class QVX_VortexPtclSys : public QVX_ParticleSystemCtrl {
  GLIMMER_LAYER_KIND(QVX_VortexPtclSys)

 public:
  // Rate, centre, radial and tangential speed, reverse, the arms' start
  // angle and width, their number, the twist speed and reverse, the reach.
  void Serialize(Archive& ar, int32_t version) override;

  QVX_PointImitter centre;
  QVX_EvenImitter rate;
  UINTSclaleTo<float> radialSpeed{25, 2.0f, 0.0f};        // pixels per second
  UINTSclaleTo<float> tangentialSpeed{100, 0.01f, 0.0f};  // per second, × the distance
  MediaParamT<int32_t> reverse;                           // the swirl turns the other way
  MediaSector arms{0};                                    // start angle; Spread = arm width
  MediaParamT<uint32_t> armCount{3};
  MediaSpeedParam twistSpeed{0, 2.0f, 0.0f};  // degrees per second
  MediaParamT<int32_t> twistReverse;
  MediaParamT<uint32_t> reach{300};  // pixels
};

class VortexSystem : public ParticleKindRuntime<QVX_VortexPtclSys> {
 public:
  using ParticleKindRuntime::ParticleKindRuntime;
  void Restart() override;

  float TwistAngle() const { return twist_; }

 protected:
  void BuildRoutines() override;
  bool Emit(float dt, size_t first) override;
  void PlaceDefault(float width, float height) override {
    settings().centre.position = {width / 2, height / 2, 0};
  }

 private:
  float twist_ = 0;  // degrees the arms have turned
};

}  // namespace glimmer
