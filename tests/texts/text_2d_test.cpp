// Styled 2D text: the fade types 1 to 8 (any other is no fade) and their
// interpolation by visibility, and the stored form with its own time line
// becoming the layer's.

#include "texts/text_2d.h"

#include <gtest/gtest.h>

#include "params/smart_timing.h"
#include "platform/image/image_codec.h"
#include "scene/slide_container.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/scene_test.h"

namespace glimmer::testing {
namespace {

TEST(StyledText, FadeTypesAndTheirEnds) {
  // Placement 100..300 × 50..90 on an 800 × 600 target: the offsets are the
  // placement's x less the picture's width, x plus the target's width, y
  // plus the target's height and y less the picture's height.
  const auto end = [](int32_t type) { return FadeEnd(type, 100, 50, 200, 40, 800, 600); };
  EXPECT_EQ(end(1).alpha, 0.0f);
  EXPECT_EQ(end(2).dx, -100.0f) << "from the left";
  EXPECT_EQ(end(3).dx, 900.0f) << "from the right";
  EXPECT_EQ(end(4).dy, 650.0f) << "from below";
  EXPECT_EQ(end(5).dy, 10.0f) << "from above";
  // A 240 × 64 picture at (80, 118) on a 400 × 300 target.
  const auto small = [](int32_t type) { return FadeEnd(type, 80, 118, 240, 64, 400, 300); };
  EXPECT_EQ(small(2).dx, -160.0f);
  EXPECT_EQ(small(3).dx, 480.0f);
  EXPECT_EQ(small(4).dy, 418.0f);
  EXPECT_EQ(small(5).dy, 54.0f);
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
  EXPECT_EQ(at(TimeLineState::FadingIn, 0.5f).dx, -50.0f);
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
  auto* own = dynamic_cast<QVX_RandomTimeLine*>(back.styling.timeLine.get());
  ASSERT_NE(own, nullptr) << "the styling's line is kept";
  EXPECT_EQ(own->VisibleRange.Min.Value(), 42u);
}

TEST(StyledText, TheSmartTimingsLineSwitchesTheTextAndBothLinesAreKept) {
  // A manual line in the layer's smart timing, a continuous one in the
  // text's styling: the text reads the smart timing's, and writing it back
  // keeps each line where it was.
  QVX_2DTex text;
  text.timing.SetValue(2);
  auto* manual = dynamic_cast<QVX_ManualTimeLine*>(text.timing.Line());
  ASSERT_NE(manual, nullptr);
  manual->Duration.SetValue(1234);
  text.styling.timeLine = std::make_shared<QVX_ContinuesTimeLine>();
  const auto bytes = WriteWith([&](Archive& ar) { text.Serialize(ar, 1); });
  QVX_2DTex back;
  ReadWith(bytes, [&](Archive& ar) { back.Serialize(ar, 1); });
  auto* read = dynamic_cast<QVX_ManualTimeLine*>(back.timing.Line());
  ASSERT_NE(read, nullptr) << "the smart timing keeps its manual line";
  EXPECT_EQ(read->Duration.Value(), 1234u);
  EXPECT_NE(dynamic_cast<QVX_ContinuesTimeLine*>(back.styling.timeLine.get()), nullptr)
      << "the text keeps its continuous line";
  EXPECT_EQ(WriteWith([&](Archive& ar) { back.Serialize(ar, 1); }), bytes);
}

class StyledTextScene : public SceneTest {};

TEST_F(StyledTextScene, TheCarriedTextPictureIsDrawnRatherThanTheString) {
  // The document carries the text pre-rendered (a 200 × 4 strip, nothing a
  // string of seven letters rasterises to) under the text's own link.
  for (const bool carried : {true, false}) {
    SCOPED_TRACE(carried ? "carried" : "drawn from the string");
    ShowDocument doc;
    auto c = std::make_shared<ZT_SlideContainer>();
    c->slide = std::make_shared<ZT_2D_Light>();
    auto text = std::make_shared<QVX_2DTex>();
    text->text.SetValue(u"Evening");
    if (carried) {
      ZT_NamedFileLinkData own = text->styling.link1.Value();
      own.Images = {LinkKey{u"evening.png", 1}};
      text->styling.link1.SetValue(own);
      Image strip{200, 4, std::vector<uint8_t>(200 * 4 * 4, 255)};
      doc.resources->PictureBlobs.push_back(
          {LinkKey{u"evening.png", 1}, {{0, u"", EncodePng(strip), u""}}});
    }
    c->visualLayers.push_back(text);
    doc.show->slides.push_back(c);
    ShowDocument loaded = Start(doc, 0);
    auto* runtime = dynamic_cast<QVX_TextObj*>(loaded.show->slides[0]->visualObjects[0].get());
    ASSERT_NE(runtime, nullptr);
    runtime->Restart();
    ASSERT_NE(runtime->Pictures()[0], nullptr);
    // The margins round the picture are the same both ways.
    const int wider = int(runtime->PictureWidth()) - int(runtime->PictureHeight());
    if (carried) {
      EXPECT_EQ(wider, 196);
    } else {
      EXPECT_NE(wider, 196);
    }
  }
}

}  // namespace
}  // namespace glimmer::testing
