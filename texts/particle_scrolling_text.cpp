#include "texts/particle_scrolling_text.h"

#include <cmath>

#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {

void ZT_ScrollingTex::Serialize(Archive& ar, int32_t) {
  Field(ar, "scrollSpeed", scrollSpeed, ReadMode::Direct);
  Field(ar, "scrollDirection", scrollDirection);
  SerializeBase<ZT_StaticText>(ar, *this);
}

void ZT_ScrollingTex::StepText(float step, bool hidden) {
  if (hidden) {
    offsetU = offsetV = 0;
    return;
  }
  if (scrollSpeed.Value() == 0) return;
  const int32_t d = scrollDirection.Value();
  const float s = (d == 1 || d == 3 ? -step : step) / float(scrollSpeed.Value());
  float& offset = (d == 2 || d == 3) ? offsetV : offsetU;
  offset += s;
  offset -= std::floor(offset);
  if (offset >= 1.0f) offset = 0;
}

GLIMMER_REGISTER_PARTICLE_TEXT(ZT_ScrollingTex)

}  // namespace glimmer
