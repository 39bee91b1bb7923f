// The underwater slide: a version-1 speed halved, the embedded effect read by
// fixed class, and the slide swaying through it.

#include "scene/slides/fake_underwater.h"

#include <gtest/gtest.h>

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
      R"("class": "FakeUndervater", "water": {"Amplitude": 400, "ZT_FX_Constructor": {"speed": 100}})");
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
         "speed": 100, "effect": {"Path": "nowhere.fx", "Stamp": 3}}})");
  ASSERT_NE(slide, nullptr);
  Frame(0.0f);
  const Image first = Back();
  Frame(1.0f);
  EXPECT_GT(CountDifferingPixels(first, Back(), 8), 0u) << "the built-in water sways";
}

TEST_F(Underwater, TheSlideShowsWhereTheWaterQuadDoesNotReach) {
  // The water's quad covers the lower half only: the upper half is the
  // slide as it is (never the capture's clear colour), the lower half sways.
  auto* slide = Start<FakeUndervater>(
      R"("class": "FakeUndervater", "water": {"Amplitude": 400, "ZT_FX_Constructor": {
         "speed": 100, "techniqueMode": 0, "effectQuad": {
           "corner0": {"x": 0, "y": 24, "z": 0}, "corner1": {"x": 0, "y": 48, "z": 0},
           "corner2": {"x": 64, "y": 24, "z": 0}, "corner3": {"x": 64, "y": 48, "z": 0}}}})");
  ASSERT_NE(slide, nullptr);
  for (int f = 0; f < 5; ++f) {
    Frame(0.2f * float(f));
    SCOPED_TRACE(f);
    EXPECT_TRUE(NearColor(Pixel(4, 4), 0x3060C0FF, 3)) << std::hex << Pixel(4, 4);
    EXPECT_TRUE(NearColor(Pixel(60, 4), 0xE0C040FF, 3)) << std::hex << Pixel(60, 4);
    EXPECT_TRUE(NearColor(Pixel(4, 20), 0x3060C0FF, 3)) << std::hex << Pixel(4, 20);
  }
}

}  // namespace
}  // namespace glimmer::testing
