#include "particles/smoke3.h"

#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {

void ZT_PtclSmoke3::Serialize(Archive& ar, int32_t) {
  Field(ar, "reserved", reserved);
  SerializeBase<QVX_SprayPtclSys>(ar, *this);
}

GLIMMER_REGISTER_LAYER_KIND(ZT_PtclSmoke3, SmokeSpraySystem)

}  // namespace glimmer
