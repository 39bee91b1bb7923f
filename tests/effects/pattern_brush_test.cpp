// The pattern brush: its tiles repeat on the slide by the pattern's size
// times the zoom, flip, and stay within the mask; the transform stays
// finite at zoom 0 and turns by whole turns; a missing pattern draws
// nothing.

#include "effects/pattern_brush.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/effect_kind_test.h"

namespace glimmer::testing {
namespace {

class PatternBrushScene : public EffectKindScene {
 protected:
  // An 8 × 8 pattern of distinct texels.
  static Image Pattern() {
    Image p{8, 8, std::vector<uint8_t>(8 * 8 * 4, 255)};
    for (uint32_t y = 0; y < 8; ++y) {
      for (uint32_t x = 0; x < 8; ++x) {
        p.Pixel(x, y)[0] = uint8_t(x * 30);
        p.Pixel(x, y)[1] = uint8_t(y * 30);
        p.Pixel(x, y)[2] = 0;
      }
    }
    return p;
  }
  Image Brush(std::shared_ptr<ZT_PatternBrush> brush, bool withPattern) {
    if (withPattern) brush->pattern.SetValue({u"pattern.png", 7});
    ShowDocument doc = Start(brush, [&](ShowDocument& d) {
      if (withPattern)
        d.resources->PictureBlobs.push_back(
            {brush->pattern.Value(), {{0, u"", EncodePng(Pattern()), u""}}});
    });
    return Frame(doc, 1);
  }
  // The slide's own frame: a brush without a pattern draws nothing.
  Image Plain() { return Brush(std::make_shared<ZT_PatternBrush>(), false); }
};

TEST_F(PatternBrushScene, TilesRepeatByThePatternSizeAndFlip) {
  auto plain = std::make_shared<ZT_PatternBrush>();
  auto zoomed = std::make_shared<ZT_PatternBrush>();
  zoomed->zoom.SetValue(200);
  auto flipped = std::make_shared<ZT_PatternBrush>();
  flipped->flipH.SetValue(1);
  const Image a = Brush(plain, true), z = Brush(zoomed, true), b = Brush(flipped, true);
  const auto near = [](const Image& i, uint32_t x, uint32_t y, const Image& j, uint32_t u,
                       uint32_t v) {
    for (int k = 0; k < 3; ++k)
      if (std::abs(i.Pixel(x, y)[k] - j.Pixel(u, v)[k]) > 3) return false;
    return true;
  };
  // A 64 × 48 slide and an 8 × 8 pattern at zoom 1: a tile every 8 pixels
  // both ways; at zoom 2 every 16, and not every 8.
  size_t off = 0, zoomOff = 0, zoomEight = 0;
  for (uint32_t y = 0; y < 30; ++y) {
    for (uint32_t x = 0; x < 14; ++x) {
      off += !near(a, x, y, a, x + 8, y) + !near(a, x, y, a, x, y + 8);
      zoomOff += !near(z, x, y, z, x + 16, y) + !near(z, x, y, z, x, y + 16);
      zoomEight += !near(z, x, y, z, x + 8, y);
    }
  }
  EXPECT_EQ(off, 0u);
  EXPECT_EQ(zoomOff, 0u);
  EXPECT_GT(zoomEight, 100u);
  // Flipped: the plain tiles read right to left, about some column c.
  size_t bestMatches = 0;
  for (uint32_t c = 14; c <= 17; ++c) {
    size_t matches = 0;
    for (uint32_t y = 0; y < 30; y += 3)
      for (uint32_t x = 1; x < 14; ++x) matches += near(b, x, y, a, c - x, y);
    bestMatches = std::max(bestMatches, matches);
  }
  EXPECT_EQ(bestMatches, 10u * 13) << "flipped horizontally";
  EXPECT_FALSE(near(a, 1, 1, b, 1, 1) && near(a, 2, 1, b, 2, 1) && near(a, 3, 1, b, 3, 1));
  // The tiles show the pattern's texels: its red climbs across a tile.
  int lo = 255, hi = 0;
  for (uint32_t x = 0; x < 8; ++x) {
    lo = std::min<int>(lo, a.Pixel(x, 4)[0]);
    hi = std::max<int>(hi, a.Pixel(x, 4)[0]);
  }
  EXPECT_GT(hi - lo, 150);
  // Outside the mask: the slide as it is.
  const Image slide = Plain();
  EXPECT_EQ(a.Pixel(50, 10)[0], slide.Pixel(50, 10)[0]);
  EXPECT_EQ(b.Pixel(60, 40)[1], slide.Pixel(60, 40)[1]);
}

TEST_F(PatternBrushScene, AMissingPatternDrawsNothing) {
  auto off = std::make_shared<ZT_PatternBrush>();
  off->pattern.SetValue({u"missing.png", 9});
  const Image missing = Brush(off, false);
  EXPECT_EQ(Plain().rgba, missing.rgba);
  // Not cleared either: the masked half still shows the stripes.
  int lo = 255, hi = 0;
  for (uint32_t x = 0; x < 30; ++x) {
    lo = std::min<int>(lo, missing.Pixel(x, 20)[0]);
    hi = std::max<int>(hi, missing.Pixel(x, 20)[0]);
  }
  EXPECT_GT(hi - lo, 100);
}

TEST(PatternBrush, TransformAtAnyZoomTurnAndFlip) {
  ZT_PatternBrush brush;
  PatternBrushRuntime<ZT_PatternBrush> runtime(brush);
  auto& s = const_cast<ZT_PatternBrush&>(runtime.settings());
  // Without a loaded pattern the transform is the unit one, whatever else.
  s.zoom.SetValue(0);
  const D3DXVECTOR4 unit = runtime.CoordTransform(640, 480);
  for (float v : {unit.x, unit.y, unit.z, unit.w}) EXPECT_TRUE(std::isfinite(v));
  EXPECT_NEAR(unit.x, 1, 1e-6);
  EXPECT_NEAR(unit.w, 1, 1e-6);
  // Turned a quarter and flipped vertically: rows (sx·c, sx·s), (−sy·s, sy·c).
  s.zoom.SetValue(100);
  s.rotation.SetValue(450);
  s.flipV.SetValue(1);
  const D3DXVECTOR4 t = runtime.CoordTransform(640, 480);
  EXPECT_NEAR(t.x, 0, 1e-6);
  EXPECT_NEAR(t.y, 1, 1e-6) << "450° is a quarter turn";
  EXPECT_NEAR(t.z, 1, 1e-6) << "−(−1)·sin";
  EXPECT_NEAR(t.w, 0, 1e-6);
}

}  // namespace
}  // namespace glimmer::testing
