#include "particles/light_beams.h"

#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {

void ZT_LightBeams::Serialize(Archive& ar, int32_t) {
  SerializeBase<QVX_FontainPtclSys>(ar, *this);
}

GLIMMER_REGISTER_LAYER_KIND(ZT_LightBeams, LightBeamsSystem)

}  // namespace glimmer
