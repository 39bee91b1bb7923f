#include "particles/fire.h"

#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {

void ZT_PtclFire::Serialize(Archive& ar, int32_t) {
  Field(ar, "reservedFlag", reservedFlag);
  Field(ar, "reserved1", reserved1);
  Field(ar, "reserved2", reserved2);
  Field(ar, "reserved3", reserved3);
  SerializeBase<QVX_FontainPtclSys>(ar, *this);
}

void FireFountainSystem::InitNewborn(size_t i) {
  FountainSystem::InitNewborn(i);
  const QVX_FontainPtclSys& s = settings();
  const D3DXVECTOR4& d = s.direction.Direction();
  const float g = s.appearance.gravity.Scaled();
  engine_.At(i).acceleration = {d.x * g, -d.y * g, d.z * g};
}

GLIMMER_REGISTER_LAYER_KIND(ZT_PtclFire, FireFountainSystem)

}  // namespace glimmer
