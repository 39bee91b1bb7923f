#include "platform/text/text_raster.h"

#include <fontconfig/fontconfig.h>
#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <vector>

#include "common/wide_string.h"
#include "platform/text/shaped_text.h"

namespace glimmer {
namespace {

std::atomic<bool> saidHeight{false}, saidSide{false}, saidNoFont{false};

std::mutex& FontconfigMutex() {
  static std::mutex m;
  return m;
}

// One match: the family asked for (when any) and the characters of the
// text, with weight and slant.
std::string MatchOne(const char* family, const TextFont& font, std::u16string_view text,
                     bool needCoverage, int* faceIndex) {
  FcPattern* p = FcPatternCreate();
  if (family) FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  const uint32_t weight = std::clamp<uint32_t>(font.weight == 0 ? 400 : font.weight, 100, 900);
  FcPatternAddInteger(p, FC_WEIGHT, FcWeightFromOpenType(int(weight)));
  FcPatternAddInteger(p, FC_SLANT, (font.style & 1) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcCharSet* chars = FcCharSetCreate();
  for (char16_t c : text) {
    if (c >= 0x20 && (c < 0xD800 || c > 0xDFFF)) FcCharSetAddChar(chars, c);
  }
  if (needCoverage) FcPatternAddCharSet(p, FC_CHARSET, chars);
  FcConfigSubstitute(nullptr, p, FcMatchPattern);
  FcDefaultSubstitute(p);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, p, &result);
  std::string file;
  if (match) {
    FcChar8* path = nullptr;
    FcCharSet* has = nullptr;
    int index = 0;
    const bool covers =
        !needCoverage || (FcPatternGetCharSet(match, FC_CHARSET, 0, &has) == FcResultMatch &&
                          FcCharSetIsSubset(chars, has));
    if (covers && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
      file = reinterpret_cast<const char*>(path);
      FcPatternGetInteger(match, FC_INDEX, 0, &index);
      if (faceIndex) *faceIndex = index;
    }
    FcPatternDestroy(match);
  }
  FcCharSetDestroy(chars);
  FcPatternDestroy(p);
  return file;
}

}  // namespace

void SayOnce(std::atomic<bool>& said, const char* message) {
  if (!said.exchange(true)) std::fprintf(stderr, "glimmer: %s\n", message);
}

std::u16string_view CutText(std::u16string_view text) {
  static std::atomic<bool> said{false};
  if (text.size() <= kMaxTextChars) return text;
  SayOnce(said, "a text longer than 4096 characters is cut there");
  return text.substr(0, kMaxTextChars);
}

std::string MatchFontFile(const TextFont& font, std::u16string_view text, int* faceIndex) {
  std::lock_guard lock(FontconfigMutex());
  if (!FcInit()) return {};
  const std::string face = ToUtf8(font.face);
  // The face asked for when it covers the text, then any face that does,
  // then the fallbacks whatever they cover.
  std::string file;
  if (!face.empty()) file = MatchOne(face.c_str(), font, text, true, faceIndex);
  if (file.empty()) file = MatchOne(nullptr, font, text, true, faceIndex);
  if (file.empty()) file = MatchOne("DejaVu Sans", font, text, false, faceIndex);
  if (file.empty()) file = MatchOne("sans-serif", font, text, false, faceIndex);
  return file;
}

ShapedText::ShapedText(std::u16string_view text, const TextFont& font) {
  int faceIndex = 0;
  fontFile = MatchFontFile(font, text, &faceIndex);
  if (fontFile.empty()) {
    SayOnce(saidNoFont, "no installed font: texts stay empty");
    return;
  }
  if (FT_Init_FreeType(&library) != 0) {
    library = nullptr;
    return;
  }
  if (FT_New_Face(library, fontFile.c_str(), faceIndex, &face) != 0) {
    face = nullptr;
    fontFile.clear();
    return;
  }
  int32_t h = font.height == 0 ? -32 : font.height;
  if (std::abs(h) > kMaxTextPixelHeight) {
    SayOnce(saidHeight, "a font taller than 512 pixels is drawn 512 pixels tall");
    h = h < 0 ? -kMaxTextPixelHeight : kMaxTextPixelHeight;
  }
  // A cell height gives the em its share of ascent + descent.
  em = float(std::abs(h));
  if (h > 0 && FT_IS_SCALABLE(face) && face->ascender - face->descender > 0)
    em = em * float(face->units_per_EM) / float(face->ascender - face->descender);
  FT_Set_Pixel_Sizes(face, 0, FT_UInt(std::max(1.0f, std::round(em))));
  if (font.style & 1) {
    // A slant for faces without an italic of their own.
    if (!(face->style_flags & FT_STYLE_FLAG_ITALIC)) {
      FT_Matrix shear{0x10000, 0x0366A, 0, 0x10000};
      FT_Set_Transform(face, &shear, nullptr);
    }
  }
  ascent = float(face->size->metrics.ascender) / 64.0f;
  const float lineHeight = float(face->size->metrics.height) / 64.0f;
  const float descent = -float(face->size->metrics.descender) / 64.0f;

  hbFont = hb_ft_font_create_referenced(face);
  hb_buffer_t* buffer = hb_buffer_create();
  size_t lines = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(u'\n', start);
    if (end == std::u16string_view::npos) end = text.size();
    std::u16string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
    hb_buffer_clear_contents(buffer);
    hb_buffer_add_utf16(buffer, reinterpret_cast<const uint16_t*>(line.data()), int(line.size()), 0,
                        int(line.size()));
    // Script and direction from the text: Arabic runs right to left.
    hb_buffer_guess_segment_properties(buffer);
    hb_shape(hbFont, buffer, nullptr, 0);
    unsigned count = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
    const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer, &count);
    const float baseline = float(lines) * lineHeight + ascent;
    float pen = 0;
    for (unsigned i = 0; i < count; ++i) {
      glyphs.push_back({info[i].codepoint, pen + float(pos[i].x_offset) / 64.0f,
                        baseline - float(pos[i].y_offset) / 64.0f});
      pen += float(pos[i].x_advance) / 64.0f;
    }
    boxWidth = std::max(boxWidth, pen);
    ++lines;
    start = end + 1;
  }
  hb_buffer_destroy(buffer);
  boxHeight = float(lines - 1) * lineHeight + ascent + descent;
}

ShapedText::~ShapedText() {
  if (hbFont) hb_font_destroy(hbFont);
  if (face) FT_Done_Face(face);
  if (library) FT_Done_FreeType(library);
}

TextPicture RasteriseText(std::u16string_view text, const TextFont& font) {
  TextPicture out;
  text = CutText(text);
  if (text.empty()) return out;
  ShapedText shaped(text, font);
  out.fontFile = shaped.fontFile;
  if (!shaped.face) return out;
  FT_Face face = shaped.face;
  const float em = shaped.em;
  const float boxWidth = shaped.boxWidth, boxHeight = shaped.boxHeight;
  const std::vector<ShapedGlyph>& placed = shaped.glyphs;

  // The picture: the text box, widened to every glyph's ink (slants and
  // marks reach past it), with a margin.
  float left = 0, top = 0, right = boxWidth, bottom = boxHeight;
  for (const ShapedGlyph& g : placed) {
    if (FT_Load_Glyph(face, g.glyph, FT_LOAD_DEFAULT) != 0) continue;
    const FT_Glyph_Metrics& m = face->glyph->metrics;
    if (m.width == 0 || m.height == 0) continue;
    const float x0 = g.x + float(m.horiBearingX) / 64.0f, y0 = g.y - float(m.horiBearingY) / 64.0f;
    left = std::min(left, x0);
    top = std::min(top, y0);
    right = std::max(right, x0 + float(m.width) / 64.0f + (font.style & 1 ? em * 0.22f : 0));
    bottom = std::max(bottom, y0 + float(m.height) / 64.0f);
  }
  const float originX = std::ceil(-left) + float(kTextMargin);
  const float originY = std::ceil(-top) + float(kTextMargin);
  uint64_t width = uint64_t(std::ceil(right - left)) + 2 * kTextMargin + 1;
  uint64_t height = uint64_t(std::ceil(bottom - top)) + 2 * kTextMargin + 1;
  if (width > kMaxTextPictureSide || height > kMaxTextPictureSide) {
    SayOnce(saidSide, "a text picture beyond 4096 pixels is cut at that size");
    width = std::min<uint64_t>(width, kMaxTextPictureSide);
    height = std::min<uint64_t>(height, kMaxTextPictureSide);
  }
  out.boxWidth = uint32_t(std::ceil(boxWidth));
  out.boxHeight = uint32_t(std::ceil(boxHeight));
  out.image.width = uint32_t(width);
  out.image.height = uint32_t(height);
  out.image.rgba.assign(size_t(width) * size_t(height) * 4, 0);
  for (size_t i = 0; i < out.image.rgba.size(); i += 4) {
    out.image.rgba[i] = out.image.rgba[i + 1] = out.image.rgba[i + 2] = 255;
  }
  uint32_t inkL = uint32_t(width), inkT = uint32_t(height), inkR = 0, inkB = 0;
  for (const ShapedGlyph& g : placed) {
    if (FT_Load_Glyph(face, g.glyph, FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY) continue;
    const int x0 = int(std::lround(originX + g.x)) + slot->bitmap_left;
    const int y0 = int(std::lround(originY + g.y)) - slot->bitmap_top;
    for (unsigned r = 0; r < bm.rows; ++r) {
      const int y = y0 + int(r);
      if (y < 0 || y >= int(height)) continue;
      for (unsigned c = 0; c < bm.width; ++c) {
        const int x = x0 + int(c);
        if (x < 0 || x >= int(width)) continue;
        const uint8_t cover = bm.buffer[r * size_t(std::abs(bm.pitch)) + c];
        if (cover == 0) continue;
        uint8_t& a = out.image.Pixel(uint32_t(x), uint32_t(y))[3];
        // Overlapping glyphs (marks on letters) add up their coverage.
        a = uint8_t(std::min(255, a + cover));
        inkL = std::min(inkL, uint32_t(x));
        inkT = std::min(inkT, uint32_t(y));
        inkR = std::max(inkR, uint32_t(x) + 1);
        inkB = std::max(inkB, uint32_t(y) + 1);
      }
    }
  }
  if (inkR > 0) {
    out.inkLeft = inkL;
    out.inkTop = inkT;
    out.inkRight = inkR;
    out.inkBottom = inkB;
  }
  return out;
}

}  // namespace glimmer
