#include "particles/fog.h"

#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {

ZT_PtclFog::ZT_PtclFog() {
  rate.rate.SetScale(0.01f, 0.0f);
  speed.SetScale(0.01f, 0.0f);
  appearance.spinSpeed.SetScale(0.0005f, 0.0f);
}

void ZT_PtclFog::Serialize(Archive& ar, int32_t) {
  Field(ar, "reserved", reserved);
  SerializeBase<QVX_SprayPtclSys>(ar, *this);
}

GLIMMER_REGISTER_LAYER_KIND(ZT_PtclFog, FogSystem)

}  // namespace glimmer
