// The screen-effect core and the kinds it draws: the integer and octave
// noise and the wave shapes; the heat haze's ripple clock and bump scale,
// the linear ripples' direction and shift, the waves' vectors and the
// light's blinking; a mode outside 0 to 2; the fire's older stored forms;
// and a masked haze that changes the picture inside its mask only.

#include "effects/screen_effect.h"

#include <gtest/gtest.h>

#include <cmath>

#include "effects/expand_fx.h"
#include "effects/fire_fx.h"
#include "effects/heat_distortion.h"
#include "effects/light_fx.h"
#include "effects/ombrel_linear.h"
#include "effects/waves_fx.h"
#include "platform/image/image_codec.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/scene_test.h"

namespace glimmer::testing {
namespace {

constexpr float kTwoPi = 6.28318530717958647692f;

TEST(ScreenEffectWaves, NoiseValuesAndWaveShapes) {
  EXPECT_NEAR(IntegerNoise(0), -0.281791f, 1e-6);
  EXPECT_NEAR(IntegerNoise(1), -0.226373f, 1e-6);
  EXPECT_NEAR(IntegerNoise(2), 0.293633f, 1e-6);
  EXPECT_TRUE(std::isfinite(IntegerNoise(INT32_MIN)));
  // One octave at a whole point is the integer noise there.
  EXPECT_NEAR(OctaveNoise(150, 1, 75, 0.5f), IntegerNoise(2), 1e-6);
  EXPECT_EQ(OctaveNoise(NAN, 3, 75, 0.5f), 0.0f);
  // The triangle: −1 at a = 0, 0 at a = 0.25, 1 at a = 0.5.
  EXPECT_NEAR(WaveShape(2, 0, 0), -1, 1e-6);
  EXPECT_NEAR(WaveShape(2, 0.25f * kTwoPi, 0), 0, 1e-5);
  EXPECT_NEAR(WaveShape(2, 0.5f * kTwoPi, 0), 1, 1e-5);
  EXPECT_NEAR(WaveShape(3, 1.0f, 0.5f), std::sin(1.5f), 1e-6);
  EXPECT_EQ(WaveShape(7, 1.0f, 0.5f), 0.0f);
}

TEST(ScreenEffectKinds, DirectionsAndClocksFollowTheirSliders) {
  ZT_OmbrelLinear linear;
  linear.direction.SetValue(90);
  linear.strength.SetValue(500);
  const D3DXVECTOR3 d = linear.DirectionVector() * linear.strength.Scaled();
  EXPECT_NEAR(d.x, 0, 1e-6);
  EXPECT_NEAR(d.y, -1, 1e-6);

  ZT_WavesFX waves;
  waves.direction.SetValue(90);
  D3DXVECTOR3 dir, across;
  waves.Vectors(dir, across);
  EXPECT_NEAR(dir.y, -1, 1e-6) << "90° runs up the screen";
  EXPECT_NEAR(across.x, 1, 1e-6);
  waves.side.SetValue(1);
  waves.Vectors(dir, across);
  EXPECT_NEAR(across.y, 1, 1e-6) << "the side flips the displacement onto the crest line";
  EXPECT_NEAR(1 / waves.wavelength.Scaled(), 1 / 0.026f, 1e-3);

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

TEST(ScreenEffectStoredForms, ACentreADocumentGivesIsKept) {
  ZT_ExpandFX fresh;
  EXPECT_FALSE(fresh.placed) << "a new effect is centred on the slide when first drawn";
  fresh.centre.SetValue({12, 34, 0});
  const std::vector<uint8_t> bytes =
      WriteWith([&](Archive& ar) { fresh.Serialize(ar, fresh.StoredVersion()); });
  ZT_ExpandFX read;
  ReadWith(bytes, [&](Archive& ar) { read.Serialize(ar, read.StoredVersion()); });
  EXPECT_TRUE(read.placed);
  EXPECT_EQ(read.centre.Value(), (D3DXVECTOR3{12, 34, 0}));
}

TEST(ScreenEffectStoredForms, TheFireReadsItsThreeVersions) {
  for (int32_t v = 1; v <= 3; ++v) {
    ZT_IOF_W w;
    if (v >= 2) {
      if (v == 2) w.WriteInt32(77);  // the legacy record
      w.WriteInt32(0x0000FF);
      w.WriteInt32(0x00FFFF);
      w.WriteLong(0);
      for (int k = 0; k < 2; ++k) {
        w.WriteString(u"flame.png");
        w.WriteUInt64(uint64_t(k));
      }
      if (v == 2) w.WriteInt32(5);
      for (uint32_t u : {20u, 30u, 40u}) w.WriteUInt32(u);
    }
    w.WriteHeader(u"ZT_FX_Constructor", 4);
    w.WriteUInt32(60);
    w.WriteInt32(2);
    w.WriteString(u"{00000000-0000-0000-0000-000000000000}");
    w.WriteString(u"");
    w.WriteBool(true);
    w.WriteString(u"common_res.dll");
    w.WriteUInt64(1015);
    w.WriteUInt32(50);
    for (int k = 0; k < 12; ++k) w.WriteFloat(float(k));
    w.WriteInt32(0);
    w.WriteUInt32(25);
    w.WriteHeader(u"ZT_ABObj_Constructor", 1);
    w.WriteString(u"fire");
    ZT_FireFX fire;
    ReadWith(w.Take(), [&](Archive& ar) { fire.Serialize(ar, v); });
    SCOPED_TRACE("version " + std::to_string(v));
    EXPECT_EQ(fire.density.Value(), v >= 2 ? 20u : 50u);
    EXPECT_EQ(fire.firstColour.Value(), v >= 2 ? 0x00FFFFu : 0x40E0FFu);
    EXPECT_EQ(fire.techniqueMode.Value(), 2);
    EXPECT_NEAR(fire.phase.Scaled(), kTwoPi / 4, 1e-5) << "25 of 100 is a quarter turn";
  }
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
