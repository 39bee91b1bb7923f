#include "particles/shimmer.h"

#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {

void ZT_Shimmer::Serialize(Archive& ar, int32_t) {
  SerializeBase<QVX_SprayPtclSys>(ar, *this);
}

GLIMMER_REGISTER_LAYER_KIND(ZT_Shimmer, ShimmerSystem)

}  // namespace glimmer
