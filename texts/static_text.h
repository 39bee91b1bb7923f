#pragma once
// ZT_StaticTextConstructor: one quad showing a text picture the document
// carries under the layer's texture key; the string and font are kept as
// data. Without a carried picture the string is drawn at load. The base of
// the scrolling text and the text link.

#include <array>
#include <cstdint>
#include <string>

#include "common/guid.h"
#include "params/font_param.h"
#include "scene/layer_kind.h"
#include "sprites/fx_sprites.h"
#include "texts/text_picture.h"

namespace glimmer {

// The player's built-in sprite-text effect: "CommonVretexColor" and
// "ScrollText" over "Texture1".
inline constexpr uint16_t kSpriteTextEffectId = 1021;

class ZT_StaticTextConstructor : public ZT_StatBaseFXCtrl, public TextPictureSource {
  GLIMMER_LAYER_KIND(ZT_StaticTextConstructor)

 public:
  // Red text, the built-in effect, a fresh texture key.
  ZT_StaticTextConstructor();
  // Two settings, text, font, in version 1 the legacy timing, from version
  // 3 the texture key, name and flag; then the placed part. A version-1
  // text with a visible time (L3) becomes a random time line.
  void Serialize(Archive& ar, int32_t version) override;
  void MoveSprite(SpriteRecord& r) override;
  // The effect, then the text picture under the texture key (drawn from the
  // string when the document carries none); a quad without a size takes
  // the picture's.
  void LoadEffectResources() override;
  uint16_t FallbackEffect() const override { return kSpriteTextEffectId; }
  bool SetEffectParameters(ZT_ABRender& renderer,
                           const ZT_SpriteArrayT<DX_V::PCT>& geometry) override;
  bool ComposeTextPicture(ZT_DocResManager& resources) override;

  MediaParamT<int32_t> setting1{0}, setting2{0};  // kept, not used in play
  MediaParamT<std::u16string> text;
  FontMediaParam font;
  std::array<uint32_t, 4> legacyTiming{};  // version 1 only
  Guid textureKey = Guid::Fresh();
  std::u16string textureName;
  bool textureFlag = true;
  // Not stored: the authoring tool's own, and the loaded picture.
  SmartCOLORREF authorColour{0};
  MediaParamT<uint32_t> authorValue{0};
  TexturePtr textTexture;
  uint32_t textWidth = 0, textHeight = 0;

 protected:
  // The picture's size, once it is known, for a quad stored without one.
  virtual void TakePictureSize(uint32_t width, uint32_t height);
};

}  // namespace glimmer
