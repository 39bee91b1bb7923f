#pragma once
// The font of a text object.

#include <cstdint>
#include <string>

#include "params/media_param.h"

namespace glimmer {

struct FontData {
  int32_t height = 32;
  uint32_t weight = 700;
  int32_t style = 0;  // flags
  std::u16string faceName = u"Arial";
  bool operator==(const FontData&) const = default;
};

class FontMediaParam : public MediaParamT<FontData> {
 public:
  using MediaParamT<FontData>::MediaParamT;
};

}  // namespace glimmer
