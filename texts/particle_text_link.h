#pragma once
// ZT_TextLink: a particle text that a click on its quad opens; the text is
// the address, read as ZT_TextLinkConstructor reads its own.

#include "texts/particle_text.h"

namespace glimmer {

class ZT_TextLink : public ZT_StaticText {
  GLIMMER_LAYER_KIND(ZT_TextLink)

 public:
  // The link target, then the particle-text part.
  void Serialize(Archive& ar, int32_t version) override;
  // Within the quad's bounds, edges included, while not hidden.
  bool PointerHit(float x, float y) override;
  std::string LinkAddress() const override;

  MediaParamT<uint32_t> linkTarget{0};  // 0 web address, 1 mail address
};

// How a link's text reads as an address: trimmed; kept when it names a
// scheme; else mailto: for target 1 or a text with an '@'; else https://.
std::string LinkAddressOf(const std::u16string& text, uint32_t target);

}  // namespace glimmer
