#include "params/param_serialization.h"

namespace glimmer {

void SerializeValue(Archive& ar, std::string_view n, D3DXVECTOR3& v) {
  ar.BeginStruct(n);
  ar.Float("x", v.x);
  ar.Float("y", v.y);
  ar.Float("z", v.z);
  ar.EndStruct();
}

void SerializeValue(Archive& ar, std::string_view n, FontData& f) {
  ar.BeginStruct(n);
  ar.Int32("height", f.height);
  ar.UInt32("weight", f.weight);
  ar.Int32("style", f.style);
  ar.String("faceName", f.faceName);
  ar.EndStruct();
}

void SerializeValue(Archive& ar, std::string_view n, std::vector<uint32_t>& v) {
  SerializeList(ar, n, v, 4, [&](uint32_t& c) { ar.UInt32("", c); });
}

void Serialize(Archive& ar, std::string_view name, RandomRange& range) {
  ar.BeginStruct(name);
  SerializeParam(ar, "Min", range.Min, ReadMode::Direct);
  SerializeParam(ar, "Max", range.Max, ReadMode::Direct);
  ar.EndStruct();
}

void Serialize(Archive& ar, std::string_view name, MediaQuad& quad) {
  ar.BeginStruct(name);
  static constexpr std::string_view kNames[4] = {"corner0", "corner1", "corner2", "corner3"};
  for (int i = 0; i < 4; ++i) SerializeParam(ar, kNames[i], quad.Corners[i], ReadMode::Direct);
  ar.EndStruct();
}

void Serialize(Archive& ar, std::string_view name, MediaRectangle& r) {
  ar.BeginStruct(name);
  SerializeParam(ar, "left", r.Left, ReadMode::Direct);
  SerializeParam(ar, "right", r.Right, ReadMode::Direct);
  SerializeParam(ar, "top", r.Top, ReadMode::Direct);
  SerializeParam(ar, "bottom", r.Bottom, ReadMode::Direct);
  SerializeParam(ar, "ExtraA", r.ExtraA, ReadMode::Direct);
  SerializeParam(ar, "ExtraB", r.ExtraB, ReadMode::Direct);
  ar.EndStruct();
}

void Serialize(Archive& ar, std::string_view name, MediaDirection& direction) {
  SerializeParam(ar, name, direction, ReadMode::Direct);
  if (ar.IsReading()) direction.Recompute();
}

void Serialize(Archive& ar, std::string_view name, MediaSector& sector) {
  ar.BeginStruct(name);
  Serialize(ar, "angle", static_cast<MediaDirection&>(sector));
  SerializeParam(ar, "spread", sector.Spread, ReadMode::Direct);
  ar.EndStruct();
}

}  // namespace glimmer
