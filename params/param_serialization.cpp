#include "params/param_serialization.h"

namespace glimmer {

void Field(Archive& ar, std::string_view n, D3DXVECTOR3& v) {
  ar.BeginStruct(n);
  Field(ar, "x", v.x);
  Field(ar, "y", v.y);
  Field(ar, "z", v.z);
  ar.EndStruct();
}

void Field(Archive& ar, std::string_view n, FontData& f) {
  ar.BeginStruct(n);
  Field(ar, "height", f.height);
  Field(ar, "weight", f.weight);
  Field(ar, "style", f.style);
  Field(ar, "faceName", f.faceName);
  ar.EndStruct();
}

void Field(Archive& ar, std::string_view n, std::vector<uint32_t>& v) {
  Field(ar, n, v, 4);
}

void Field(Archive& ar, std::string_view name, RandomRange& range) {
  ar.BeginStruct(name);
  Field(ar, "Min", range.Min, ReadMode::Direct);
  Field(ar, "Max", range.Max, ReadMode::Direct);
  ar.EndStruct();
}

void Field(Archive& ar, std::string_view name, MediaQuad& quad) {
  ar.BeginStruct(name);
  static constexpr std::string_view kNames[4] = {"corner0", "corner1", "corner2", "corner3"};
  for (int i = 0; i < 4; ++i) Field(ar, kNames[i], quad.Corners[i], ReadMode::Direct);
  ar.EndStruct();
}

void Field(Archive& ar, std::string_view name, MediaRectangle& r) {
  ar.BeginStruct(name);
  Field(ar, "left", r.Left, ReadMode::Direct);
  Field(ar, "right", r.Right, ReadMode::Direct);
  Field(ar, "top", r.Top, ReadMode::Direct);
  Field(ar, "bottom", r.Bottom, ReadMode::Direct);
  Field(ar, "ExtraA", r.ExtraA, ReadMode::Direct);
  Field(ar, "ExtraB", r.ExtraB, ReadMode::Direct);
  ar.EndStruct();
}

void Field(Archive& ar, std::string_view name, MediaDirection& direction) {
  Field(ar, name, direction, ReadMode::Direct);
  if (ar.IsReading()) direction.Recompute();
}

void Field(Archive& ar, std::string_view name, MediaSector& sector) {
  ar.BeginStruct(name);
  Field(ar, "angle", static_cast<MediaDirection&>(sector));
  Field(ar, "spread", sector.Spread, ReadMode::Direct);
  ar.EndStruct();
}

}  // namespace glimmer
