#pragma once
// What the text layers share: the text-style record of the styled and
// particle texts, the font a stored style asks for, and the pictures made
// from a layer's string when a document carries none (by `glimmer compose`
// for authors, or at load).

#include <cstdint>
#include <string>
#include <vector>

#include "params/colour_params.h"
#include "params/font_param.h"
#include "params/media_param.h"
#include "platform/gpu/gpu_resources.h"
#include "platform/text/text_raster.h"

namespace glimmer {

class Archive;
class QVX_DocResManager;
class ZT_DocResManager;

// A text's style: height, face name, weight, style flags, line spacing in
// pixels, the text colour and its transparency.
struct TextStyleRecord {
  MediaParamT<int32_t> height{-32};
  MediaParamT<std::u16string> faceName{u"DejaVu Sans"};
  MediaParamT<uint32_t> weight{700};
  MediaParamT<int32_t> style{0};
  MediaParamT<int32_t> lineSpacing{0};
  SmartCOLORREF colour{0xFFFFFF};
  UINTSclaleTo<uint8_t> transparency{0, kTransparencyScale, 255.0f};

  TextFont Font() const;
};

void Field(Archive& ar, std::string_view name, TextStyleRecord& style);

// The font a stored FontData asks for.
TextFont FontOf(const FontData& font);

// A layer whose text picture can be made from its stored string.
class TextPictureSource {
 public:
  virtual ~TextPictureSource() = default;
  // Adds the layer's text picture to the document's resources when they
  // carry none for it; true when it added one.
  virtual bool ComposeTextPicture(ZT_DocResManager& resources) = 0;
};

// The PNG bytes of `text` in `font`, the glyphs in `colour` (COLORREF);
// empty for an empty picture.
std::vector<uint8_t> TextPng(std::u16string_view text, const TextFont& font,
                             uint32_t* width = nullptr, uint32_t* height = nullptr,
                             uint32_t colour = 0xFFFFFF);

// A texture of `text` in `font` made on the current device; null without
// one or for an empty picture.
TexturePtr TextTexture(std::u16string_view text, const TextFont& font, uint32_t* width = nullptr,
                       uint32_t* height = nullptr, uint32_t colour = 0xFFFFFF);

}  // namespace glimmer
