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
  // Version 1 (documents only): the burst's fields of its first version in
  // place, without a total.
  SerializeThrow(ar, 1, false);
}

bool FountainSystem::Emit(float dt, size_t) {
  const int32_t n = settings().rate.Count(Visibility() * dt);
  if (n > 0) Births(size_t(n));
  return true;
}

GLIMMER_REGISTER_LAYER_KIND(QVX_FontainPtclSys, FountainSystem)

}  // namespace glimmer
