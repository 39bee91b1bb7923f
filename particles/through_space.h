#pragma once
// QVX_ThroughSpaceCtrl: particles flying through space towards the viewer
// (or away), drawn in perspective about a vanishing point, the whole layer
// turning about it.

#include <cstdint>
#include <vector>

#include "params/animated_params.h"
#include "particles/emitters.h"
#include "particles/particle_runtime.h"
#include "scene/layer_kind.h"

namespace glimmer {

class QVX_ThroughSpaceCtrl : public QVX_ParticleSystemCtrl {
  GLIMMER_LAYER_KIND(QVX_ThroughSpaceCtrl)

 public:
  // Rate, birth rectangle, spin speed and reverse, focus, outward; from
  // version 2 the flight speed (version 1 flies at its texture speed);
  // before version 3 the envelopes of the older particles.
  void Serialize(Archive& ar, int32_t version) override;

  QVX_RectImitter rectangle;
  QVX_EvenImitter rate;
  MediaSpeedParam spinSpeed{0, 0.4f, 0.0f};  // degrees per second
  MediaParamT<int32_t> spinReverse;
  MediaParamT<D3DXVECTOR3> focus;
  bool outward = false;
  MediaSpeedParam flightSpeed{100, 0.01f, 0.0f};
};

class ThroughSpaceSystem : public ParticleKindRuntime<QVX_ThroughSpaceCtrl> {
 public:
  using ParticleKindRuntime::ParticleKindRuntime;
  // The flight clock drives the particles: each is stepped twice a frame
  // by its step, births follow it once; then the layer turns and the quads
  // are projected.
  void Advance(float t) override;
  void Restart() override;
  // The quads in perspective about the focus.
  void BuildQuads() override;

  float SpinAngle() const { return spinAngle_; }

 protected:
  void BuildRoutines() override;
  bool Emit(float dt, size_t first) override;
  void PlaceDefault(float width, float height) override;

 private:
  float spinAngle_ = 0;  // degrees
  std::vector<D3DXVECTOR3> positions_;
};

}  // namespace glimmer
