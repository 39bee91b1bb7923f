#include "particles/fire_stream.h"

#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {

void ZT_PtclFireStream::Serialize(Archive& ar, int32_t) {
  Field(ar, "reserved", reserved);
  SerializeBase<QVX_FontainPtclSys>(ar, *this);
}

GLIMMER_REGISTER_LAYER_KIND(ZT_PtclFireStream, FireStreamSystem)

}  // namespace glimmer
