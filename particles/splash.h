#pragma once
// QVX_SplashPtclSys: a fixed number of particles born over an area (a
// rectangle or a sector), once per appearance of the layer; the base of the
// spray.

#include <cstdint>
#include <vector>

#include "params/animated_params.h"
#include "params/geometry_params.h"
#include "particles/emitters.h"
#include "particles/particle_runtime.h"
#include "scene/layer_kind.h"

namespace glimmer {

class QVX_SplashPtclSys : public QVX_ParticleSystemCtrl {
  GLIMMER_LAYER_KIND(QVX_SplashPtclSys)

 public:
  // The rectangle, the sector, the geometry and the total; from version 2
  // the life, direction and speed; version 1 stores three phase durations
  // that become the life and the envelopes.
  void Serialize(Archive& ar, int32_t version) override;

  QVX_RectImitter rectangle;
  QVX_SectorImitter sector;
  MediaParamT<int32_t> geometry;  // 0: in the rectangle, otherwise in the sector
  MediaParamT<uint32_t> total{100};
  TimeParam life{300};
  MediaSector direction{90};
  UINTSclaleTo<float> speed{50, 1.0f, 0.0f};  // pixels per second

 protected:
  // The version-1 fields from the size variation on, converted.
  void SerializeVersion1Tail(Archive& ar);
};

// The splash family's runtime: births over the rectangle or the sector,
// flying off in the direction.
template <class Ctor>
class SplashFamilyRuntime : public ParticleKindRuntime<Ctor> {
 public:
  using ParticleKindRuntime<Ctor>::ParticleKindRuntime;

 protected:
  void BuildRoutines() override;
  void PlaceDefault(float width, float height) override;
  // Births of `n` particles: every position first, then each newborn.
  void Births(size_t n);

 private:
  std::vector<D3DXVECTOR3> positions_;
};

class SplashSystem : public SplashFamilyRuntime<QVX_SplashPtclSys> {
 public:
  using SplashFamilyRuntime::SplashFamilyRuntime;
  void Restart() override;

 protected:
  bool Emit(float dt, size_t first) override;

 private:
  uint32_t emitted_ = 0;
};

}  // namespace glimmer
