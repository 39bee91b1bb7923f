#include "particles/field.h"

#include <cmath>

#include "params/param_serialization.h"
#include "params/random_source.h"
#include "store/archive.h"

namespace glimmer {

void QVX_FieldPtclSys::Serialize(Archive& ar, int32_t) {
  Field(ar, "life", life);
  Field(ar, "fill", fill);
  Field(ar, "positions", positions, 12);
  Field(ar, "direction", direction);
  Field(ar, "speed", speed);
  SerializeBase<QVX_ParticleSystemCtrl>(ar, *this);
}

void FieldSystem::BuildRoutines() {
  ParticleKindRuntime::BuildRoutines();
  table_.SetTable(settings().positions);
  // A particle gives its position back when it dies or is cleared away.
  engine_.SetDeathHook(
      [](void* table, const Particle& p) {
        static_cast<QVX_PosArrImitter*>(table)->Release(p.tag);
      },
      &table_);
}

size_t FieldSystem::Wanted() const {
  // int(P × fill) in single precision: 10 positions at fill 70 keep 7.
  const float wanted = std::floor(float(table_.Size()) * settings().fill.Scaled());
  return wanted > 0 ? size_t(std::min(wanted, float(table_.Size()))) : 0;
}

template <class AgeOf>
void FieldSystem::Births(size_t n, AgeOf ageOf) {
  taken_.clear();
  D3DXVECTOR3 unused;
  for (size_t k = 0; k < n; ++k) {
    uint32_t index = 0;
    if (!table_.Take(index, unused)) break;
    taken_.push_back(index);
  }
  const QVX_FieldPtclSys& s = settings();
  const float life = s.life.Seconds(), speed = s.speed.Scaled();
  for (size_t k = 0; k < taken_.size(); ++k) {
    if (!engine_.Spawn(table_.Table()[taken_[k]])) {
      for (size_t rest = k; rest < taken_.size(); ++rest) table_.Release(taken_[rest]);
      break;
    }
    const size_t i = engine_.Count() - 1;
    Particle& p = engine_.At(i);
    p.tag = taken_[k];
    const float age = ageOf();
    engine_.InitFromAppearance(i, life);
    p.age = age;
    p.velocity = s.direction.RandomDirection() * speed;
  }
}

void FieldSystem::Restart() {
  RestartEmpty();
  if (settings().timing.Value() != 0) return;
  const float life = settings().life.Seconds();
  Births(Wanted(), [life] { return RandomUniform(0, life); });
}

bool FieldSystem::Emit(float, size_t) {
  const size_t wanted = Wanted(), live = engine_.Count();
  if (wanted > live) Births(wanted - live, [] { return 0.0f; });
  return true;
}

GLIMMER_REGISTER_LAYER_KIND(QVX_FieldPtclSys, FieldSystem)

}  // namespace glimmer
