#include "particles/fountain.h"

#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {

void QVX_FontainPtclSys::Serialize(Archive& ar, int32_t version) {
  Field(ar, "rate", rate.rate);
  if (version >= 2) {
    SerializeBase<QVX_BurstPtclSys>(ar, *this);
    return;
  }
  // Version 1 (documents only): the burst's fields of that time in place.
  Field(ar, "point", point.position);
  Field(ar, "speed", speed);
  Field(ar, "range", range);
  Field(ar, "threeD", threeD);
  Field(ar, "direction", direction);
  Field(ar, "spread", spread);
  uint32_t gravity = 0;
  int32_t gravityFlag = 0;
  Field(ar, "gravity", gravity);
  Field(ar, "gravityFlag", gravityFlag);
  SerializeBase<QVX_ParticleSystemCtrl>(ar, *this);
  if (!ar.IsReading()) return;
  ApplyLegacyGravity(gravity, gravityFlag);
  ApplyLegacyEnvelopes();
}

bool FountainSystem::Emit(float dt, size_t) {
  const int32_t n = settings().rate.Count(Visibility() * dt);
  if (n > 0) Births(size_t(n));
  return true;
}

GLIMMER_REGISTER_LAYER_KIND(QVX_FontainPtclSys, FountainSystem)

}  // namespace glimmer
