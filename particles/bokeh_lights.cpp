#include "particles/bokeh_lights.h"

#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {

void ZT_BokehLights::Serialize(Archive& ar, int32_t) {
  Field(ar, "reserved", reserved);
  SerializeBase<QVX_SprayPtclSys>(ar, *this);
}

GLIMMER_REGISTER_LAYER_KIND(ZT_BokehLights, BokehLightsSystem)

}  // namespace glimmer
