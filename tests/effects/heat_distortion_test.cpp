// The heat haze: a technique mode it does not know draws on its quad (said
// once), and a masked haze changes the picture inside its mask only, in
// the quad mode and the full-screen mode.

#include "effects/heat_distortion.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/image/image_codec.h"
#include "tests/support/scene_test.h"

namespace glimmer::testing {
namespace {

TEST(HeatDistortion, AnUnknownModeDrawsOnTheQuadSaidOnce) {
  // A mode the core does not know draws on its quad, said once.
  ::testing::internal::CaptureStderr();
  ZT_HeatDistortion heat;
  heat.techniqueMode.SetValue(7);
  EXPECT_EQ(heat.Mode(), FxMode::Quad);
  EXPECT_EQ(heat.Mode(), FxMode::Quad);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("technique mode 7"), std::string::npos);
  EXPECT_EQ(said.find("technique mode 7", said.find("technique mode 7") + 1), std::string::npos);
}

class ScreenEffectScene : public SceneTest {
 protected:
  // A 64 × 32 slide of vertical stripes with `layer`, and an effect mask
  // (GUID 1) covering its left half.
  ShowDocument Show(std::shared_ptr<ZT_ABObj_Constructor> layer) {
    ShowDocument doc;
    auto c = std::make_shared<ZT_SlideContainer>();
    c->duration.SetValue(10);
    c->slide = std::make_shared<ZT_2D_Light>();
    c->slide->picture.SetValue({u"stripes.png", 1});
    Image stripes{64, 32, std::vector<uint8_t>(64 * 32 * 4, 255)};
    for (uint32_t y = 0; y < 32; ++y) {
      for (uint32_t x = 0; x < 64; ++x) stripes.Pixel(x, y)[0] = (x / 2) % 2 ? 255 : 0;
    }
    doc.resources->PictureBlobs.push_back(
        {c->slide->picture.Value(), {{0, u"", EncodePng(stripes), u""}}});
    Image mask{64, 32, std::vector<uint8_t>(64 * 32 * 4, 255)};
    for (uint32_t y = 0; y < 32; ++y) {
      for (uint32_t x = 32; x < 64; ++x) mask.Pixel(x, y)[3] = 0;
    }
    doc.resources->GuidEntries.push_back(
        {MaskId(), u"mask", false, {u"mask.png", EncodePng(mask)}});
    if (layer) c->visualLayers.push_back(layer);
    doc.show->slides.push_back(c);
    return doc;
  }
  static Guid MaskId() {
    return *Guid::Parse(std::string("{00000000-0000-0000-0000-000000000001}"));
  }
  Image Frame(ShowDocument& doc) {
    ShowDocument shown = Start(doc, 0);
    shown.show->AdvanceShow(0);
    shown.show->AdvanceShow(3);
    shown.show->RenderShow();
    return Back();
  }
};

TEST_F(ScreenEffectScene, AMaskedHazeChangesThePictureInsideItsMaskOnly) {
  for (int mode : {0, 1}) {
    // The same layer without strength draws the picture the same way (a
    // full-screen mode redraws it from the scene copy).
    const auto frame = [&](uint32_t strength) {
      auto heat = std::make_shared<ZT_HeatDistortion>();
      heat->strength.SetValue(strength);
      heat->rippleSpeed.SetValue(300);
      heat->maskId = MaskId();
      heat->techniqueMode.SetValue(mode);
      ShowDocument doc = Show(heat);
      return Frame(doc);
    };
    const Image before = frame(0), after = frame(500);
    ASSERT_EQ(after.width, before.width);
    size_t left = 0, right = 0;
    for (uint32_t y = 0; y < after.height; ++y) {
      for (uint32_t x = 0; x < after.width; ++x) {
        const size_t i = (size_t(y) * after.width + x) * 4;
        const bool differs = std::abs(int(after.rgba[i]) - int(before.rgba[i])) > 8;
        // The picture fills the target: its left half is the mask's.
        if (differs && x < after.width / 2 - 2) ++left;
        if (differs && x > after.width / 2 + 2) ++right;
      }
    }
    SCOPED_TRACE("mode " + std::to_string(mode));
    EXPECT_GT(left, after.width * after.height / 20) << "hazed inside the mask";
    EXPECT_EQ(right, 0u) << "untouched outside";
  }
}

}  // namespace
}  // namespace glimmer::testing
