#pragma once
// QVX_BurstPtclSys: a fixed number of particles thrown out from a point,
// once per appearance of the layer; the base of the fountain.

#include <cstdint>

#include "params/geometry_params.h"
#include "particles/emitters.h"
#include "particles/particle_runtime.h"
#include "scene/layer_kind.h"

namespace glimmer {

class QVX_BurstPtclSys : public QVX_ParticleSystemCtrl {
  GLIMMER_LAYER_KIND(QVX_BurstPtclSys)

 public:
  // The burst point, total, speed, range, 3D flag, direction and spread;
  // before version 4 a gravity; from version 2 the offset flag and radius;
  // before version 3 the envelopes of the older particles.
  void Serialize(Archive& ar, int32_t version) override;

  QVX_PointImitter point;
  MediaParamT<uint32_t> total{100};
  UINTSclaleTo<float> speed{25, 4.0f, 0.0f};  // pixels per second
  MediaParamT<uint32_t> range{200};           // pixels a particle travels
  MediaParamT<int32_t> threeD;
  MediaDirection direction{90};
  MediaParamT<uint32_t> spread{360};  // degrees
  MediaParamT<int32_t> offset;
  MediaParamT<uint32_t> offsetRadius;

 protected:
  // The burst's fields as stored at `version`, without the total where the
  // layout has none (the fountain's first version), then the particle base.
  void SerializeThrow(Archive& ar, int32_t version, bool hasTotal);
  // The gravity of versions before 4, set on the appearance after it is read.
  void ApplyLegacyGravity(uint32_t gravity, int32_t flag);
  // The envelopes of versions before 3.
  void ApplyLegacyEnvelopes();
};

// The burst family's runtime: newborns fly out of the point (or aim at a
// focal point from around it).
template <class Ctor>
class BurstFamilyRuntime : public ParticleKindRuntime<Ctor> {
 public:
  using ParticleKindRuntime<Ctor>::ParticleKindRuntime;

 protected:
  void BuildRoutines() override;
  void PlaceDefault(float width, float height) override {
    this->settings().point.position = {width / 2, height / 2, 0};
  }
  // An age of range ÷ speed, the appearance, kinematics; then the direction.
  // Kinds over the fountain add to it.
  virtual void InitNewborn(size_t i);
  // Births of `n` particles at the point.
  void Births(size_t n);
};

class BurstSystem : public BurstFamilyRuntime<QVX_BurstPtclSys> {
 public:
  using BurstFamilyRuntime::BurstFamilyRuntime;
  void Restart() override;

 protected:
  bool Emit(float dt, size_t first) override;

 private:
  uint32_t emitted_ = 0;
};

}  // namespace glimmer
