#include "params/path_points.h"

#include "store/archive.h"
#include "params/param_serialization.h"

namespace glimmer {

void DX_SmartPnt::Serialize(Archive& ar, std::string_view name) {
  SerializeParam(ar, name, *this);
}

void DX_BSplinePnt::Serialize(Archive& ar, std::string_view name) {
  ar.BeginStruct(name);
  ar.Version("version", 1);
  DX_SmartPnt::Serialize(ar, "position");
  SerializeParam(ar, "OutHandle", OutHandle);
  SerializeParam(ar, "InHandle", InHandle);
  ar.EndStruct();
}

void DX_CamPathPnt::Serialize(Archive& ar, std::string_view name) {
  ar.BeginStruct(name);
  const int32_t version = ar.Version("version", 1);
  DX_SmartPnt::Serialize(ar, "position");
  SerializeParam(ar, "TravelTime", TravelTime);
  if (version > 0) SerializeParam(ar, "ZoomPercent", ZoomPercent);
  ar.EndStruct();
}

}  // namespace glimmer
