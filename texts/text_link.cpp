#include "texts/text_link.h"

#include <cmath>

#include "params/param_serialization.h"
#include "store/archive.h"
#include "texts/particle_text_link.h"

namespace glimmer {

void ZT_TextLinkConstructor::Serialize(Archive& ar, int32_t) {
  Field(ar, "linkTarget", linkTarget, ReadMode::Direct);
  SerializeBase<ZT_StaticTextConstructor>(ar, *this);
}

bool ZT_TextLinkConstructor::HitTest(float x, float y) const {
  const D3DXVECTOR3 p = position.Value();
  return std::fabs(x - p.x) <= float(quadWidth.Value() / 2) &&
         std::fabs(y - p.y) <= float(quadHeight.Value() / 2);
}

bool ZT_TextLinkConstructor::PointerHit(float x, float y) {
  return LineState(*this) != TimeLineState::Hidden && HitTest(x, y);
}

std::string ZT_TextLinkConstructor::LinkAddress() const {
  return LinkAddressOf(text.Value(), linkTarget.Value());
}

GLIMMER_REGISTER_FX_KIND(ZT_TextLinkConstructor)

}  // namespace glimmer
