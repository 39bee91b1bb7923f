// The underwater slide: a version-1 speed halved, the embedded effect read by
// fixed class, and the slide swaying through it.

#include "scene/slides/fake_underwater.h"

#include <gtest/gtest.h>

#include <string>

#include "effects/underwater_fx.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/slide_kind_test.h"

namespace glimmer::testing {
namespace {

TEST(UnderwaterStoredForm, AVersionOneSpeedIsHalved) {
  ZT_IOF_W w;
  w.WriteUInt32(51);
  w.WriteHeader(u"ZT_2D_Light", 1);
  FakeUndervater slide;
  ReadWith(w.Take(), [&](Archive& ar) { slide.Serialize(ar, 1); });
  auto* water = dynamic_cast<ZT_UnderwaterFX*>(slide.Water());
  ASSERT_NE(water, nullptr);
  EXPECT_EQ(water->speed.Value(), 25u);
}

TEST(UnderwaterStoredForm, VersionTwoReadsTheEffectByFixedClass) {
  FakeUndervater slide;
  auto* water = dynamic_cast<ZT_UnderwaterFX*>(slide.Water());
  ASSERT_NE(water, nullptr);
  EXPECT_EQ(water->speed.Value(), 25u) << "the embedded effect's own default";
  EXPECT_EQ(water->effect.ResourceId(), 88);
  water->amplitude.SetValue(80);
  water->frequency.SetValue(10);
  const auto bytes = WriteWith([&](Archive& ar) { slide.Serialize(ar, 2); });
  FakeUndervater back;
  ReadWith(bytes, [&](Archive& ar) { back.Serialize(ar, 2); });
  auto* read = dynamic_cast<ZT_UnderwaterFX*>(back.Water());
  EXPECT_EQ(read->amplitude.Value(), 80u);
  EXPECT_NEAR(read->frequency.Scaled(), 0.021f, 1e-6f);
}

class Underwater : public SlideKindTest {};

TEST_F(Underwater, TheSlideSwaysThroughTheWater) {
  auto* slide = Start<FakeUndervater>(
      R"("class": "FakeUndervater", "water": {"Amplitude": 400, "ZT_FX_Constructor": {"speed": 100,
         "techniqueMode": 1}})");
  ASSERT_NE(slide, nullptr);
  EXPECT_TRUE(slide->NeedsCapture());
  Image first;
  size_t changed = 0;
  for (int f = 0; f < 8; ++f) {
    Frame(0.2f * float(f));
    if (f == 0)
      first = Back();
    else
      changed = std::max(changed, CountDifferingPixels(first, Back(), 8));
  }
  EXPECT_GT(changed, 0u) << "the edge between the halves moves";
  EXPECT_TRUE(NearColor(Pixel(4, 24), 0x3060C0FF, 60)) << "still the picture, tinted";
}

TEST_F(Underwater, ALinkThePlayerCannotRunDrawsWithItsOwnWater) {
  auto* slide = Start<FakeUndervater>(
      R"("class": "FakeUndervater", "water": {"Amplitude": 400, "ZT_FX_Constructor": {
         "speed": 100, "techniqueMode": 1, "effect": {"Path": "nowhere.fx", "Stamp": 3}}})");
  ASSERT_NE(slide, nullptr);
  Frame(0.0f);
  const Image first = Back();
  Frame(1.0f);
  EXPECT_GT(CountDifferingPixels(first, Back(), 8), 0u) << "the built-in water sways";
}

TEST_F(Underwater, ModeZeroDrawsNoWaterAndModeOneCoversTheSlideWhateverTheQuad) {
  // The water's quad covers the lower half only. The water makes no grid, so
  // in technique mode 0 the slide shows as it is (never the capture's clear
  // colour); in mode 1 the whole slide sways, the upper half too.
  for (const int mode : {0, 1}) {
    SCOPED_TRACE(mode);
    auto* slide = Start<FakeUndervater>(
        R"("class": "FakeUndervater", "water": {"Amplitude": 400, "ZT_FX_Constructor": {
           "speed": 100, "techniqueMode": )" +
        std::to_string(mode) + R"(, "effectQuad": {
             "corner0": {"x": 0, "y": 24, "z": 0}, "corner1": {"x": 0, "y": 48, "z": 0},
             "corner2": {"x": 64, "y": 24, "z": 0}, "corner3": {"x": 64, "y": 48, "z": 0}}}})");
    ASSERT_NE(slide, nullptr);
    Image first;
    size_t upperChanged = 0;
    for (int f = 0; f < 6; ++f) {
      Frame(0.2f * float(f));
      const Image now = Back();
      if (f == 0) first = now;
      for (uint32_t y = 0; y < 20; ++y) {
        for (uint32_t x = 0; x < 64; ++x) {
          const uint8_t *a = first.Pixel(x, y), *b = now.Pixel(x, y);
          upperChanged += std::abs(int(a[0]) - int(b[0])) > 8;
        }
      }
      if (mode == 0) {
        EXPECT_TRUE(NearColor(Pixel(4, 4), 0x3060C0FF, 3)) << std::hex << Pixel(4, 4);
        EXPECT_TRUE(NearColor(Pixel(60, 40), 0xE0C040FF, 3)) << std::hex << Pixel(60, 40);
      }
    }
    if (mode == 1) {
      EXPECT_GT(upperChanged, 0u) << "the upper half sways too";
    } else {
      EXPECT_EQ(upperChanged, 0u);
    }
    scope_.reset();
    doc_.reset();
  }
}

}  // namespace
}  // namespace glimmer::testing
