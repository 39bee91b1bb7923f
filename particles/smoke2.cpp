#include "particles/smoke2.h"

#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {

void ZT_PtclSmoke2::Serialize(Archive& ar, int32_t) {
  Field(ar, "reserved1", reserved1);
  Field(ar, "reserved2", reserved2);
  Field(ar, "reserved3", reserved3);
  SerializeBase<ZT_StreamPtclSys>(ar, *this);
}

void Smoke2System::PlaceDefault(float width, float height) {
  StreamSystem::PlaceDefault(width, height);
  MediaQuad& frame = settings().frame;
  frame.Corners[0].SetValue(frame.Corners[1].Value());
  frame.Corners[2].SetValue(frame.Corners[3].Value());
}

GLIMMER_REGISTER_LAYER_KIND(ZT_PtclSmoke2, Smoke2System)

}  // namespace glimmer
