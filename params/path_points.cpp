#include "params/path_points.h"

#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {

void DX_SmartPnt::Serialize(Archive& ar, std::string_view name) {
  Field(ar, name, static_cast<MediaParamTB<D3DXVECTOR3>&>(*this));  // the value x, y, z
}

void DX_BSplinePnt::Serialize(Archive& ar, std::string_view name) {
  ar.BeginStruct(name);
  ar.Version("version", 1);
  DX_SmartPnt::Serialize(ar, "position");
  Field(ar, "OutHandle", OutHandle);
  Field(ar, "InHandle", InHandle);
  ar.EndStruct();
}

void DX_CamPathPnt::Serialize(Archive& ar, std::string_view name) {
  ar.BeginStruct(name);
  const int32_t version = ar.Version("version", 1);
  DX_SmartPnt::Serialize(ar, "position");
  Field(ar, "TravelTime", TravelTime);
  if (version > 0) Field(ar, "ZoomPercent", ZoomPercent);
  ar.EndStruct();
}

}  // namespace glimmer
