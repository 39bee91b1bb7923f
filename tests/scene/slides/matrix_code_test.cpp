// The code rain: its stored versions, the grid's size and caps, the start
// chances, the pinned order of random draws, clean tails, mutations that
// never empty a cell, and the drawn glyphs.

#include "scene/slides/matrix_code.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "params/random_source.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/slide_kind_test.h"

namespace glimmer::testing {
namespace {

TEST(MatrixCodeStoredForm, ReadsBothVersionsInOrder) {
  for (int32_t version : {1, 2}) {
    SCOPED_TRACE("version " + std::to_string(version));
    ZT_IOF_W w;
    for (uint32_t v : {12u, 30u, 7u}) w.WriteUInt32(v);
    for (int32_t v : {1, 2, 0}) w.WriteLong(v);
    w.WriteInt32(0x00FF00);
    w.WriteInt32(0xFFFFFF);
    w.WriteUInt32(40);
    if (version == 2) {
      w.WriteString(u"glyphs.png");
      w.WriteUInt64(9);
    }
    w.WriteHeader(u"ZT_2D_Light", 1);
    ZT_MatrixCodeLight rain;
    ReadWith(w.Take(), [&](Archive& ar) { rain.Serialize(ar, version); });
    EXPECT_EQ(rain.GlyphSize.Value(), 12u);
    EXPECT_EQ(rain.Mutations.Value(), 7u);
    EXPECT_EQ(rain.Background.Value(), 2);
    EXPECT_EQ(rain.StartMode.Value(), 0);
    EXPECT_EQ(rain.Colour1.Value(), 0x00FF00u);
    EXPECT_NEAR(rain.Fade.Scaled(), 0.6f, 1e-6f);
    EXPECT_EQ(rain.GlyphImage.Path(), version == 2 ? u"glyphs.png" : u"common_res.dll");
  }
}

RainGrid::Config Config(uint32_t size, uint32_t speed = 20, int32_t startMode = 2) {
  RainGrid::Config c;
  c.size = size;
  c.speed = speed;
  c.startMode = startMode;
  c.glyphCount = 12;
  return c;
}

TEST(RainGrid, CoversTheScreenWithinItsCellLimit) {
  const RainGrid grid(Config(16), 800, 600);
  EXPECT_EQ(grid.Columns(), 51u);
  EXPECT_EQ(grid.Rows(), 38u);
  const RainGrid fine(Config(1), 1920, 1080);
  EXPECT_LE(uint64_t(fine.Columns()) * fine.Rows(), RainGrid::kMaxCells)
      << "glyphs of one pixel would make two million quads";
  RainGrid huge(Config(4000, 100, 1), 800, 600);
  EXPECT_EQ(huge.Columns() * huge.Rows(), 1u) << "a glyph larger than the screen";
  huge.Spawn();
  huge.ColumnStep(false);
}

TEST(RainGrid, StartChancesFollowTheSpeedTable) {
  ZT_MatrixCodeLight rain;
  rain.Speed.SetValue(0);
  EXPECT_EQ(RainGrid::StartChance(rain.MakeConfig(12).speed), 85u) << "0 counts as 1";
  rain.Speed.SetValue(200);
  EXPECT_EQ(RainGrid::StartChance(rain.MakeConfig(12).speed), 1u) << "200 counts as 100";
  EXPECT_EQ(RainGrid::StartChance(20), 25u);
  EXPECT_EQ(RainGrid::StartChance(49), 8u);
  EXPECT_EQ(RainGrid::StartChance(89), 2u);
  rain.StartMode.SetValue(7);
  EXPECT_EQ(rain.MakeConfig(12).startMode, 2);
}

TEST(RainGrid, MutationsOfZeroOrOneDrawNothingAndMutateNothing) {
  for (uint32_t m : {0u, 1u}) {
    RainGrid::Config c = Config(16);
    c.mutations = m;
    RainGrid grid(c, 160, 120);
    SeedRandom(1);
    grid.ScatterMutations();
    EXPECT_EQ(RandomState(), 1u) << m;
  }
}

TEST(RainGrid, ASpawnDrawsInTheStatedOrderFromStateOne) {
  // 3 columns, 10 rows; every idle column starts (speed 100, N = 1).
  RainGrid grid(Config(10, 100, 1), 20, 90);
  SeedRandom(1);
  grid.Spawn();
  // Draws 41 (chance), 18467 (length), 6334 and 26500 (delay), 19169 (blank
  // unless divisible by 4), 15724 (head).
  const RainGrid::Stream& s = grid.StreamOf(0);
  EXPECT_EQ(s.delay, 6334 % 5 + 26500 % 5);
  EXPECT_EQ(s.remaining, 0) << "19169 mod 4 ≠ 0: a blank stream";
  EXPECT_EQ(s.head, 15724 % 5);
}

TEST(RainGrid, ScrollingColumnsEndTheirTailsCleanly) {
  RainGrid grid(Config(10, 1, 0), 10, 40);  // 2 columns × 5 rows
  grid.Cell(0, 1) = 5;                      // a resting glyph under an empty cell
  grid.StreamOf(0) = {0, 0, -1};
  grid.StreamOf(1) = {0, 100, -1};
  grid.ColumnStep(false);
  EXPECT_EQ(RainGrid::Glyph(grid.Cell(0, 2)), 5u) << "moved down";
  EXPECT_EQ(RainGrid::Flag(grid.Cell(0, 2)), 0);
  EXPECT_EQ(RainGrid::Flag(grid.Cell(0, 1)), -1) << "under the blank: ending";
  int kinds[3] = {};
  grid.Visit([&](const RainGrid::Emitted& e) { ++kinds[e.kind]; });
  EXPECT_EQ(kinds[0], 1);
  EXPECT_EQ(kinds[1], 1);
  EXPECT_EQ(RainGrid::Glyph(grid.Cell(0, 1)), 0u) << "erased at its visit";
}

TEST(RainGrid, AMutatingCellNeverEmpties) {
  RainGrid grid(Config(10), 10, 10);
  grid.Cell(0, 0) = 3 | (1u << 16) | (1u << 17);
  for (int i = 0; i < 500; ++i) {
    grid.Visit([](const RainGrid::Emitted&) {});
    ASSERT_NE(RainGrid::Glyph(grid.Cell(0, 0)), 0u);
    ASSERT_LE(RainGrid::Glyph(grid.Cell(0, 0)), 12u);
  }
}

class MatrixCode : public SlideKindTest {};

TEST_F(MatrixCode, GreenGlyphsFallOverTheBlackenedPicture) {
  auto* rain = Start<ZT_MatrixCodeLight>(
      R"("class": "ZT_MatrixCodeLight", "GlyphSize": 8, "Speed": 100, "Background": 2,
         "Colour1": 65280, "Colour2": 16777215)");
  ASSERT_NE(rain, nullptr);
  uint32_t most = 0;
  for (int f = 0; f < 40; ++f) {
    Frame(0.05f * float(f));
    most = std::max(most, rain->Visited());
  }
  ASSERT_NE(rain->Grid(), nullptr);
  EXPECT_EQ(rain->Grid()->Columns(), 9u) << "64 × 48 in cells of 8";
  EXPECT_EQ(rain->Grid()->Rows(), 7u);
  EXPECT_GT(most, 0u);
  const Image back = Back();
  size_t green = 0;
  for (size_t i = 0; i < back.rgba.size(); i += 4) {
    if (back.rgba[i + 1] > 60 && back.rgba[i + 1] > back.rgba[i + 2]) ++green;
  }
  EXPECT_GT(green, 10u) << "glyphs were drawn";
}

TEST_F(MatrixCode, TheRainGoesOnWhereItStoppedWhenTheSlideComesBack) {
  // A show of three or more slides lets the rain slide's picture go while the
  // others play and makes it again when the slide comes back.
  auto* rain = Start<ZT_MatrixCodeLight>(
      R"("class": "ZT_MatrixCodeLight", "GlyphSize": 8, "Speed": 100, "Background": 2)");
  ASSERT_NE(rain, nullptr);
  for (int f = 0; f < 40; ++f) Frame(0.05f * float(f));
  ASSERT_NE(rain->Grid(), nullptr);
  const auto cells = [&] {
    std::vector<uint32_t> all;
    RainGrid& g = const_cast<RainGrid&>(*rain->Grid());
    for (uint32_t r = 0; r < g.Rows(); ++r) {
      for (uint32_t c = 0; c < g.Columns(); ++c) all.push_back(g.Cell(c, r));
    }
    return all;
  };
  const std::vector<uint32_t> before = cells();
  ASSERT_NE(std::count(before.begin(), before.end(), 0u), std::ptrdiff_t(before.size()))
      << "the rain has fallen";
  rain->ReleasePicture();
  rain->EnsurePicture();
  ASSERT_TRUE(rain->PictureReady());
  EXPECT_EQ(cells(), before) << "the grid is kept, not made empty again";
  Frame(2.05f);
  EXPECT_GT(rain->Visited(), 0u) << "and goes on falling";
}

TEST_F(MatrixCode, BrightnessFollowsThePictureOnBlack) {
  // The left half black, the right half white: resting glyphs show only right.
  auto* rain = Start<ZT_MatrixCodeLight>(
      R"("class": "ZT_MatrixCodeLight", "GlyphSize": 8, "Speed": 100, "Background": 1,
         "Colour1": 65280, "Colour2": 65280, "Mutations": 0)",
      64, 48, 0x000000, 0xFFFFFF);
  ASSERT_NE(rain, nullptr);
  Frame(0.1f);
  ASSERT_EQ(rain->Luminance().size(), 256u * 256u);
  EXPECT_NEAR(rain->Luminance()[10], 0.0f, 1e-3f);
  EXPECT_NEAR(rain->Luminance()[250], 1.0f, 1e-3f);
}

}  // namespace
}  // namespace glimmer::testing
