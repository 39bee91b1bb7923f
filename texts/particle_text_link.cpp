#include "texts/particle_text_link.h"

#include <algorithm>

#include "common/wide_string.h"
#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {

std::string LinkAddressOf(const std::u16string& text, uint32_t target) {
  std::string address = ToUtf8(text);
  const auto blank = [](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; };
  while (!address.empty() && blank(address.back())) address.pop_back();
  size_t first = 0;
  while (first < address.size() && blank(address[first])) ++first;
  address.erase(0, first);
  if (address.empty()) return {};
  if (address.find("://") != std::string::npos || address.rfind("mailto:", 0) == 0) return address;
  if (target == 1 || address.find('@') != std::string::npos) return "mailto:" + address;
  return "https://" + address;
}

void ZT_TextLink::Serialize(Archive& ar, int32_t) {
  Field(ar, "linkTarget", linkTarget, ReadMode::Direct);
  SerializeBase<ZT_StaticText>(ar, *this);
}

bool ZT_TextLink::PointerHit(float x, float y) {
  const QVX_Timing* line = timing.Line();
  if (line && line->State() == TimeLineState::Hidden) return false;
  float l = quad.Corners[0].Value().x, r = l, t = quad.Corners[0].Value().y, b = t;
  for (const auto& c : quad.Corners) {
    l = std::min(l, c.Value().x);
    r = std::max(r, c.Value().x);
    t = std::min(t, c.Value().y);
    b = std::max(b, c.Value().y);
  }
  return x >= l && x <= r && y >= t && y <= b;
}

std::string ZT_TextLink::LinkAddress() const {
  return LinkAddressOf(text.Value(), linkTarget.Value());
}

GLIMMER_REGISTER_PARTICLE_TEXT(ZT_TextLink)

}  // namespace glimmer
