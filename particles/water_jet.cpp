#include "particles/water_jet.h"

#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {

void ZT_WaterJet::Serialize(Archive& ar, int32_t) {
  SerializeBase<QVX_FontainPtclSys>(ar, *this);
}

GLIMMER_REGISTER_LAYER_KIND(ZT_WaterJet, WaterJetSystem)

}  // namespace glimmer
