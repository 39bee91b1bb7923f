#pragma once
// ZT_TextLinkConstructor: a sprite text that a click opens: its text is the
// address. The link target says how it is read: 0 as a web address
// (https:// is added when it names no scheme; one with an '@' and no scheme
// is a mail address), 1 as a mail address (mailto:).

#include "texts/static_text.h"

namespace glimmer {

class ZT_TextLinkConstructor : public ZT_StaticTextConstructor {
  GLIMMER_LAYER_KIND(ZT_TextLinkConstructor)

 public:
  // The link target, then the sprite-text part.
  void Serialize(Archive& ar, int32_t version) override;
  // Within the quad, edges included: |x − x0| ≤ width div 2 and
  // |y − y0| ≤ height div 2 (slide pixels).
  bool HitTest(float x, float y) const override;
  // The hit test while the time line is not hidden.
  bool PointerHit(float x, float y) override;
  std::string LinkAddress() const override;

  MediaParamT<uint32_t> linkTarget{0};
};

}  // namespace glimmer
