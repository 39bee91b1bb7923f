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

TEST_F(Underwater, WithoutItsEffectTheSlideIsShownAsItIs) {
  auto* slide = Start<FakeUndervater>(
      R"("class": "FakeUndervater",
         "water": {"ZT_FX_Constructor": {"effect": {"Path": "nowhere.fx", "Stamp": 3}}})");
  ASSERT_NE(slide, nullptr);
  Frame(0.1f);
  Frame(0.2f);
  EXPECT_TRUE(NearColor(Pixel(4, 24), 0x3060C0FF, 3));
  EXPECT_TRUE(NearColor(Pixel(60, 24), 0xE0C040FF, 3));
}

}  // namespace
}  // namespace glimmer::testing
