// Scrolling text: the window at the picture's scale, the offset moving by
// the frame step over the speed and wrapping, a hidden text starting again
// from the beginning, and the faults of a zero speed or a version-1 text
// without a picture size.

#include "texts/scrolling_text.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/sprite_kind_test.h"

namespace glimmer::testing {
namespace {

using ScrollingText = SpriteKindTest;

ZT_ScrollingTextConstructor Ticker(int32_t direction, uint32_t speed) {
  ZT_ScrollingTextConstructor text;
  text.text.SetValue(u"News");
  text.position.SetValue({160, 90, 0});
  text.quadWidth.SetValue(100);
  text.quadHeight.SetValue(20);
  text.textureWidth = 400;
  text.textureHeight = 40;
  text.scrollDirection.SetValue(direction);
  text.scrollSpeed.SetValue(speed);
  return text;
}

TEST_F(ScrollingText, MovesItsWindowAndWrapsRound) {
  auto group = Start(Ticker(0, 2));
  auto& text = static_cast<FxGroup<ZT_ScrollingTextConstructor>&>(*group).settings();
  float moved = 0;
  Run(*group, 0, 1, [&](float) { moved += text.frameStep; });
  EXPECT_GT(moved, 0);
  EXPECT_NEAR(text.offsetU, std::fmod(moved / 2, 1.0f), 1e-4);
  EXPECT_EQ(text.offsetV, 0.0f);
  const SpriteRecord& r = group->Records()[0];
  EXPECT_FLOAT_EQ(r.uB, 0.25f) << "100 of 400 pixels";
  EXPECT_FLOAT_EQ(r.vB, 0.5f);
  // Backwards along v stays within [0, 1).
  auto down = Start(Ticker(3, 1));
  auto& d = static_cast<FxGroup<ZT_ScrollingTextConstructor>&>(*down).settings();
  Run(*down, 0, 3);
  EXPECT_GE(d.offsetV, 0.0f);
  EXPECT_LT(d.offsetV, 1.0f);
  EXPECT_EQ(d.offsetU, 0.0f);
}

TEST_F(ScrollingText, HiddenStartsAgainFromTheBeginning) {
  auto group = Start(Ticker(1, 3));
  auto& text = static_cast<FxGroup<ZT_ScrollingTextConstructor>&>(*group).settings();
  Run(*group, 0, 1);
  EXPECT_NE(text.offsetU, 0.0f);
  SetVisibility(*group, TimeLineState::Hidden, 0);
  group->Advance(1.02f);
  EXPECT_EQ(text.offsetU, 0.0f);
  EXPECT_EQ(text.offsetV, 0.0f);
}

TEST_F(ScrollingText, ZeroSpeedAndNoPictureSizeStayFinite) {
  auto still = Start(Ticker(0, 0));
  auto& s = static_cast<FxGroup<ZT_ScrollingTextConstructor>&>(*still).settings();
  Run(*still, 0, 1);
  EXPECT_EQ(s.offsetU, 0.0f) << "speed 0 stands still";
  ZT_ScrollingTextConstructor old = Ticker(0, 2);
  old.text.SetValue(u"");  // no picture to take a size from
  old.textureWidth = old.textureHeight = 0;
  auto group = Start(old);
  Run(*group, 0, 0.5f);
  const SpriteRecord& r = group->Records()[0];
  EXPECT_TRUE(std::isfinite(r.uB) && std::isfinite(r.vB));
  EXPECT_EQ(r.uB, 1.0f);
}

}  // namespace
}  // namespace glimmer::testing
