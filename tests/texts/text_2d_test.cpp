// Styled 2D text: the fade types 1 to 8 (any other is no fade) and their
// interpolation by visibility, and the stored form with its own time line
// becoming the layer's.

#include "texts/text_2d.h"

#include <gtest/gtest.h>

#include "params/smart_timing.h"
#include "tests/support/archive_helpers.h"

namespace glimmer::testing {
namespace {

TEST(StyledText, FadeTypesAndTheirEnds) {
  // Placement 100..300 × 50..90 on an 800 × 600 target.
  const auto end = [](int32_t type) { return FadeEnd(type, 100, 50, 200, 40, 800, 600); };
  EXPECT_EQ(end(1).alpha, 0.0f);
  EXPECT_EQ(end(2).dx, -300.0f) << "beyond the left edge";
  EXPECT_EQ(end(3).dx, 700.0f) << "beyond the right edge";
  EXPECT_EQ(end(4).dy, 550.0f) << "below";
  EXPECT_EQ(end(5).dy, -90.0f) << "above";
  EXPECT_EQ(end(6).wipeY, 1.0f);
  EXPECT_EQ(end(6).wipeX, 0.0f);
  EXPECT_EQ(end(7).wipeX, 1.0f);
  EXPECT_EQ(end(8).wipeX + end(8).wipeY, 2.0f);
  for (int32_t none : {0, 9, -1, 1000}) {
    const TextTransition t = end(none);
    EXPECT_EQ(t.alpha, 1.0f) << none;
    EXPECT_EQ(t.dx + t.dy + t.wipeX + t.wipeY, 0.0f) << none;
  }
}

TEST(StyledText, TransitionsFollowVisibility) {
  const auto at = [](TimeLineState s, float v) {
    return TransitionFor(s, v, 2, 1, 100, 50, 200, 40, 800, 600);
  };
  EXPECT_EQ(at(TimeLineState::FadingIn, 0.5f).dx, -150.0f);
  EXPECT_EQ(at(TimeLineState::FadingIn, 1).dx, 0.0f);
  EXPECT_EQ(at(TimeLineState::FadingOut, 0.25f).alpha, 0.25f);
  EXPECT_EQ(at(TimeLineState::FadingOut, 0.25f).dx, 0.0f) << "fade-out type 1 only fades";
  EXPECT_EQ(at(TimeLineState::Shown, 0).alpha, 1.0f);
  EXPECT_EQ(at(TimeLineState::FadingIn, std::nanf("")).alpha, 1.0f);
}

TEST(StyledText, StoredFormKeepsStylingAndItsTimeLine) {
  QVX_2DTex text;
  text.text.SetValue(u"Styled");
  text.style.faceName.SetValue(u"DejaVu Serif");
  text.style.colour.SetValue(0x123456);
  text.styling.groups[2].enabled.SetValue(1);
  text.styling.groups[2].size.SetValue(7);
  text.styling.shadowDirection.SetValue(90);
  text.styling.fadeInType.SetValue(6);
  text.styling.fadeOutType.SetValue(3);
  text.styling.fillScale.SetValue(250);
  auto line = std::make_shared<QVX_RandomTimeLine>();
  line->VisibleRange.Min.SetValue(42);
  text.styling.timeLine = line;
  text.placement.SetCentered(200, 40, {200, 70, 0});
  const auto bytes = WriteWith([&](Archive& ar) { text.Serialize(ar, 1); });
  QVX_2DTex back;
  ReadWith(bytes, [&](Archive& ar) { back.Serialize(ar, 1); });
  EXPECT_EQ(back.text.Value(), u"Styled");
  EXPECT_EQ(back.style.faceName.Value(), u"DejaVu Serif");
  EXPECT_EQ(back.style.colour.Value(), 0x123456u);
  EXPECT_EQ(back.styling.groups[2].size.Value(), 7u);
  EXPECT_NEAR(back.styling.shadowDirection.Direction().y, 1, 1e-5) << "recomputed";
  EXPECT_EQ(back.styling.fadeInType.Value(), 6);
  EXPECT_EQ(back.styling.fadeOutType.Value(), 3);
  EXPECT_FLOAT_EQ(back.styling.fillScale.Scaled(), 2.5f);
  EXPECT_EQ(back.placement.Corners[3].Value().x, 300.0f);
  auto* read = dynamic_cast<QVX_RandomTimeLine*>(back.timing.Line());
  ASSERT_NE(read, nullptr) << "the styling's line switches the text";
  EXPECT_EQ(read, back.styling.timeLine.get());
  EXPECT_EQ(read->VisibleRange.Min.Value(), 42u);
}

}  // namespace
}  // namespace glimmer::testing
