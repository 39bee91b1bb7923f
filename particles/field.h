#pragma once
// QVX_FieldPtclSys: particles that hold positions of a fixed table, a
// fraction of them occupied at any time; a dying particle frees its place.

#include <cstdint>
#include <vector>

#include "params/animated_params.h"
#include "params/geometry_params.h"
#include "particles/emitters.h"
#include "particles/particle_runtime.h"
#include "scene/layer_kind.h"

namespace glimmer {

class QVX_FieldPtclSys : public QVX_ParticleSystemCtrl {
  GLIMMER_LAYER_KIND(QVX_FieldPtclSys)

 public:
  // Life, fill, the position table, direction and speed.
  void Serialize(Archive& ar, int32_t version) override;

  TimeParam life{200};
  UINTSclaleTo<float> fill{50, 0.01f, 0.0f};  // the occupied fraction
  std::vector<D3DXVECTOR3> positions;
  MediaSector direction{90};
  UINTSclaleTo<float> speed{0, 1.0f, 0.0f};  // pixels per second
};

class FieldSystem : public ParticleKindRuntime<QVX_FieldPtclSys> {
 public:
  using ParticleKindRuntime::ParticleKindRuntime;
  // Starts full: the occupied share at once, their ages spread over the life.
  void Restart() override;

 protected:
  void BuildRoutines() override;
  bool Emit(float dt, size_t first) override;

 private:
  // The number of positions kept occupied.
  size_t Wanted() const;
  // Up to n newborns at free positions (all positions drawn first), each
  // aged by `ageOf()`.
  template <class AgeOf>
  void Births(size_t n, AgeOf ageOf);

  QVX_PosArrImitter table_;
  std::vector<uint32_t> taken_;
};

}  // namespace glimmer
