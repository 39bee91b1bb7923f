#pragma once
// A text shaped in its matched font, shared by the text pictures and the
// text meshes: the FreeType face sized for the font's height (slanted for an
// italic the face lacks) and every glyph placed by HarfBuzz, lines split at
// '\n', y down from the top of the first line.

#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text/text_raster.h"

namespace glimmer {

struct ShapedGlyph {
  uint32_t glyph;
  float x, y;  // pen position of the glyph's origin, pixels, y down
};

class ShapedText {
 public:
  // `text` should already be cut to kMaxTextChars (CutText). Without a font
  // `face` stays null and nothing is placed.
  ShapedText(std::u16string_view text, const TextFont& font);
  ~ShapedText();
  ShapedText(const ShapedText&) = delete;
  ShapedText& operator=(const ShapedText&) = delete;

  std::string fontFile;
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  hb_font_t* hbFont = nullptr;
  float em = 0, ascent = 0;           // pixels
  float boxWidth = 0, boxHeight = 0;  // the lines' advances by their heights
  std::vector<ShapedGlyph> glyphs;
};

// Says `message` on standard error the first time only.
void SayOnce(std::atomic<bool>& said, const char* message);
// `text` cut to kMaxTextChars, said once when it is.
std::u16string_view CutText(std::u16string_view text);

}  // namespace glimmer
