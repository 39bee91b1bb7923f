#pragma once
// Text pictures: the one place that turns strings into glyph pixels. A font
// is asked for by face name, height, weight and style and matched to an
// installed font through fontconfig (any face that covers the text, then
// "DejaVu Sans", then "sans-serif"); each line is shaped with HarfBuzz
// (scripts, right-to-left runs, combining marks) and drawn with FreeType.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/image/image_codec.h"

namespace glimmer {

struct TextFont {
  std::u16string face;  // empty: the fallback face
  // As a Windows font height: below 0 the em height in pixels, above 0 the
  // cell height (ascent + descent), 0 the default of 32 pixels.
  int32_t height = 0;
  uint32_t weight = 400;  // 100 (thin) to 900 (black)
  int32_t style = 0;      // bit 0: italic
};

// The limits on what one picture may take.
inline constexpr size_t kMaxTextChars = 4096;
inline constexpr int32_t kMaxTextPixelHeight = 512;
inline constexpr uint32_t kMaxTextPictureSide = 4096;

struct TextPicture {
  // White, the alpha channel the glyphs' coverage; a transparent margin of
  // kTextMargin pixels around the text box.
  Image image;
  // Where pixels have ink (right and bottom exclusive); all 0 when none.
  uint32_t inkLeft = 0, inkTop = 0, inkRight = 0, inkBottom = 0;
  // The text box: the lines' advances by their line heights, in pixels.
  uint32_t boxWidth = 0, boxHeight = 0;
  std::string fontFile;  // the font drawn with; empty when none was found
};

inline constexpr uint32_t kTextMargin = 2;

// The picture of `text` (lines split at '\n') in `font`. Text beyond
// kMaxTextChars is cut and a height beyond kMaxTextPixelHeight clamped,
// each said once on standard error; a picture is never wider or taller than
// kMaxTextPictureSide (the text is cut at its edge). Empty text, or no font
// at all, gives an empty picture.
TextPicture RasteriseText(std::u16string_view text, const TextFont& font);

// The font file fontconfig picks for `font` and `text`; empty when none.
std::string MatchFontFile(const TextFont& font, std::u16string_view text, int* faceIndex);

}  // namespace glimmer
