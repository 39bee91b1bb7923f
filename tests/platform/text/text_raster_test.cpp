// Text pictures: Latin, Arabic (shaped right to left) and combining marks
// drawn at the measured size with ink where the glyphs are; a face that is
// not installed falls back; the limits hold.

#include "platform/text/text_raster.h"

#include <gtest/gtest.h>

namespace glimmer {
namespace {

// The picture holds the text box plus its margins, and the ink lies inside
// the picture with some coverage.
void ExpectWellFormed(const TextPicture& p) {
  ASSERT_FALSE(p.image.empty());
  EXPECT_FALSE(p.fontFile.empty());
  EXPECT_GE(p.image.width, p.boxWidth + 2 * kTextMargin);
  EXPECT_GE(p.image.height, p.boxHeight + 2 * kTextMargin);
  ASSERT_LT(p.inkLeft, p.inkRight) << "no ink";
  ASSERT_LT(p.inkTop, p.inkBottom);
  EXPECT_LE(p.inkRight, p.image.width);
  EXPECT_LE(p.inkBottom, p.image.height);
  // The margin stays clear: glyphs are never cut at the picture's edge.
  EXPECT_GE(p.inkLeft, 1u);
  EXPECT_GE(p.inkTop, 1u);
  EXPECT_LE(p.inkRight, p.image.width - 1);
  EXPECT_LE(p.inkBottom, p.image.height - 1);
  uint32_t inked = 0;
  for (size_t i = 3; i < p.image.rgba.size(); i += 4) inked += p.image.rgba[i] > 128;
  EXPECT_GT(inked, 20u);
}

TEST(TextRaster, LatinTextFillsItsMeasuredBox) {
  TextFont f;
  f.face = u"DejaVu Sans";
  f.height = -32;
  const TextPicture p = RasteriseText(u"Glimmer", f);
  ExpectWellFormed(p);
  // Seven letters of a 32-pixel em: wider than tall, about 20 px a letter.
  EXPECT_GT(p.boxWidth, 7u * 12u);
  EXPECT_LT(p.boxWidth, 7u * 32u);
  EXPECT_NEAR(double(p.boxHeight), 32 * 1.16, 8);
  // The ink spans nearly the whole advance.
  EXPECT_GT(p.inkRight - p.inkLeft, p.boxWidth * 8 / 10);
  // Two lines: twice as tall, as wide as the longer one.
  const TextPicture two = RasteriseText(u"Glimmer\nGl", f);
  EXPECT_EQ(two.boxWidth, p.boxWidth);
  EXPECT_GT(two.boxHeight, p.boxHeight * 18 / 10);
}

TEST(TextRaster, ArabicIsShapedRightToLeft) {
  TextFont f;
  f.face = u"DejaVu Sans";
  f.height = -32;
  // Joined letters are narrower than the same letters apart.
  const TextPicture joined = RasteriseText(u"\u0633\u0644\u0627\u0645", f);
  ExpectWellFormed(joined);
  const TextPicture apart = RasteriseText(u"\u0633 \u0644 \u0627 \u0645", f);
  EXPECT_LT(joined.boxWidth + 3 * 8, apart.boxWidth);
  // The first letter, a tall alef, stands at the right end of low behs.
  const TextPicture p = RasteriseText(u"\u0627\u0628\u0628\u0628\u0628", f);
  ExpectWellFormed(p);
  const auto topInk = [&](uint32_t x0, uint32_t x1) {
    for (uint32_t y = 0; y < p.image.height; ++y) {
      for (uint32_t x = x0; x < x1; ++x) {
        if (p.image.Pixel(x, y)[3] > 128) return y;
      }
    }
    return p.image.height;
  };
  const uint32_t fifth = (p.inkRight - p.inkLeft) / 5;
  EXPECT_LT(topInk(p.inkRight - fifth, p.inkRight) + 8, topInk(p.inkLeft, p.inkLeft + fifth));
}

TEST(TextRaster, CombiningMarksSitOnTheirLetters) {
  TextFont f;
  f.face = u"DejaVu Sans";
  f.height = -40;
  const TextPicture plain = RasteriseText(u"e", f);
  const TextPicture marked = RasteriseText(u"e\u0301", f);
  ExpectWellFormed(marked);
  // The acute takes no advance and inks above the letter.
  EXPECT_EQ(marked.boxWidth, plain.boxWidth);
  EXPECT_LT(marked.inkTop + 4, plain.inkTop);
  EXPECT_LT(marked.inkLeft + 2, plain.inkRight);
}

TEST(TextRaster, FallsBackAndKeepsToItsLimits) {
  TextFont missing;
  missing.face = u"No Such Face At All";
  ExpectWellFormed(RasteriseText(u"Fallback", missing));
  TextFont huge;
  huge.height = -100000;
  const TextPicture big = RasteriseText(u"W", huge);
  ASSERT_FALSE(big.image.empty());
  EXPECT_LE(big.image.height, uint32_t(kMaxTextPixelHeight) * 2);
  const std::u16string longText(kMaxTextChars + 500, u'x');
  const TextPicture wide = RasteriseText(longText, TextFont{});
  EXPECT_LE(wide.image.width, kMaxTextPictureSide);
  EXPECT_TRUE(RasteriseText(u"", TextFont{}).image.empty());
}

}  // namespace
}  // namespace glimmer
