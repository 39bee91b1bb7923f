#include "particles/spray.h"

#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {

void QVX_SprayPtclSys::Serialize(Archive& ar, int32_t version) {
  Field(ar, "rate", rate.rate);
  if (version >= 2) {
    SerializeBase<QVX_SplashPtclSys>(ar, *this);
    return;
  }
  Field(ar, "rectangle", rectangle.quad);
  SerializeVersion1Tail(ar);
}

bool SpraySystem::Emit(float dt, size_t) {
  const int32_t n = settings().rate.Count(Visibility() * dt);
  if (n > 0) Births(size_t(n));
  return true;
}

GLIMMER_REGISTER_LAYER_KIND(QVX_SprayPtclSys, SpraySystem)

}  // namespace glimmer
