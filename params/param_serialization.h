#pragma once
// Stored forms of parameters, for the Serialize functions of their owners.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/d3dx_vector.h"
#include "common/guid.h"
#include "params/animated_params.h"
#include "params/font_param.h"
#include "params/geometry_params.h"
#include "params/media_param.h"
#include "store/archive.h"

namespace glimmer {

// How a value read from a document reaches its parameter: through SetValue
// (observers hear of a change) or stored directly (they do not).
enum class ReadMode { Notify, Direct };

// Values of parameters beyond the primitives of store/archive.h.
// Three floats x, y, z.
void Field(Archive& ar, std::string_view n, D3DXVECTOR3& v);
// Height, weight, style, face name.
void Field(Archive& ar, std::string_view n, FontData& v);
// A count, then that many 32-bit values (a list of colours).
void Field(Archive& ar, std::string_view n, std::vector<uint32_t>& v);

// A parameter: its value's stored form.
template <class T>
void Field(Archive& ar, std::string_view name, MediaParamTB<T>& param,
           ReadMode mode = ReadMode::Notify) {
  T v = param.Value();
  Field(ar, name, v);
  if (!ar.IsReading()) return;
  if (mode == ReadMode::Notify) {
    param.SetValue(v);
  } else {
    param.StoreValue(v);
  }
}

// Min then Max, stored directly.
void Field(Archive& ar, std::string_view name, RandomRange& range);
// Twelve floats: corners 0..3, x y z each, stored directly.
void Field(Archive& ar, std::string_view name, MediaQuad& quad);
// Left, right, top, bottom, ExtraA, ExtraB, stored directly.
void Field(Archive& ar, std::string_view name, MediaRectangle& rect);
// The angle, stored directly, then recomputed.
void Field(Archive& ar, std::string_view name, MediaDirection& direction);
// The angle (recomputed after it), then the spread.
void Field(Archive& ar, std::string_view name, MediaSector& sector);

}  // namespace glimmer
