// The flame slide: its version-1 layout, the fire's band, a missing haze
// effect, and the fire and haze drawn over the picture.

#include "scene/slides/flame.h"

#include <gtest/gtest.h>

#include "document/resource_manager.h"
#include "platform/gpu/effect.h"
#include "scene/embedded_effects.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/slide_kind_test.h"

namespace glimmer::testing {
namespace {

TEST(FlameStoredForm, VersionOneKeepsTheFireSpeedApartAndDropsTwoLinks) {
  ZT_IOF_W w;
  w.WriteLong(0);
  w.WriteLong(1);
  w.WriteUInt32(40);
  w.WriteUInt32(77);  // the fire's speed
  w.WriteString(u"bump.png");
  w.WriteUInt64(1);
  w.WriteString(u"haze.fx");
  w.WriteUInt64(2);
  for (uint32_t v : {60u, 30u, 20u}) w.WriteUInt32(v);
  for (int k = 0; k < 2; ++k) {
    w.WriteString(u"old.png");
    w.WriteUInt64(uint64_t(k));
  }
  w.WriteHeader(u"ZT_2D_Light", 1);
  ZT_FlameLight flame;
  ReadWith(w.Take(), [&](Archive& ar) { flame.Serialize(ar, 1); });
  EXPECT_EQ(flame.FireOn.Value(), 0);
  EXPECT_EQ(flame.FireDrop.Value(), 40u);
  EXPECT_EQ(flame.HazeEffect.Path(), u"haze.fx");
  EXPECT_EQ(flame.HazeSpeed.Value(), 60u);
  EXPECT_EQ(flame.HazeBumpScale.Value(), 20u);
  auto* fire = dynamic_cast<EmbeddedFx*>(flame.Fire());
  ASSERT_NE(fire, nullptr);
  EXPECT_EQ(fire->SpeedValue(), 77u);
}

TEST(FlameStoredForm, VersionTwoCarriesTheWholeFire) {
  ZT_FlameLight flame;
  dynamic_cast<EmbeddedFx*>(flame.Fire())->SetSpeedValue(91);
  flame.FireDrop.SetValue(12);
  const auto bytes = WriteWith([&](Archive& ar) { Field(ar, "slide", flame); });
  ZT_FlameLight back;
  ReadWith(bytes, [&](Archive& ar) { Field(ar, "slide", back); });
  EXPECT_EQ(back.FireDrop.Value(), 12u);
  EXPECT_EQ(dynamic_cast<EmbeddedFx*>(back.Fire())->SpeedValue(), 91u);
}

TEST(FlameBand, AFireDropOfOneHundredPutsTheFireBelowThePicture) {
  ZT_FlameLight flame;
  flame.FireDrop.SetValue(100);
  const auto [top, bottom] = flame.FireBand(600);
  EXPECT_FLOAT_EQ(top, 0.85f * 600);
  EXPECT_FLOAT_EQ(bottom, 1.5f * 600);
  flame.FireDrop.SetValue(0);
  EXPECT_FLOAT_EQ(flame.FireBand(600).first, 0.35f * 600);
}

class Flame : public SlideKindTest {};

TEST_F(Flame, WithoutAHazeEffectTheSlideTakesNoCapture) {
  auto* flame = Start<ZT_FlameLight>(
      R"("class": "ZT_FlameLight", "HazeEffect": {"Path": "nowhere.fx", "Stamp": 3})");
  ASSERT_NE(flame, nullptr);
  Frame(0.2f);
  EXPECT_FALSE(flame->HasHaze());
  EXPECT_EQ(flame->HeatHaze.Value(), 0);
  EXPECT_FALSE(flame->NeedsCapture());
}

TEST_F(Flame, TheHazeSetsItsOwnParametersOverAHeatLayerSharingItsEffect) {
  layers_ = R"({"class": "ZT_HeatDistortion", "strength": 500})";
  auto* flame = Start<ZT_FlameLight>(R"("class": "ZT_FlameLight", "HazeStrength": 25)");
  ASSERT_NE(flame, nullptr);
  Frame(0.1f);
  Frame(0.2f);
  const std::shared_ptr<Effect> shared =
      QVX_DocResManager::Current()->GetEffect(ZT_HLSLEffectFile(u"common_res.dll", 63));
  ASSERT_NE(shared, nullptr);
  // The layer drew with 500 × 0.002 × 0.05; the slide's haze draws last with its own.
  EXPECT_NEAR(shared->GetFloat("stenght"), 25 * 0.002f * 0.05f, 1e-6f);
  EXPECT_EQ(shared->Technique(), "BumpmapDistortLow2");
}

TEST_F(Flame, FlamesBurnOverTheLowerPartThroughTheHaze) {
  auto* flame = Start<ZT_FlameLight>(R"("class": "ZT_FlameLight")", 64, 48, 0x101010, 0x101010);
  ASSERT_NE(flame, nullptr);
  for (int f = 0; f < 10; ++f) Frame(0.2f * float(f));
  EXPECT_TRUE(flame->HasHaze());
  EXPECT_TRUE(flame->NeedsCapture());
  const auto brightness = [&](uint32_t y0, uint32_t y1) {
    const Image back = Back();
    uint64_t sum = 0;
    for (uint32_t y = y0; y < y1; ++y)
      for (uint32_t x = 0; x < back.width; ++x) sum += back.Pixel(x, y)[0];
    return sum;
  };
  EXPECT_GT(brightness(36, 48), brightness(0, 12) + 64 * 12 * 10) << "red flames at the bottom";
  // The fire drew through its effect's own technique, its three layers
  // scrolled by the fire's clock at their rates, with the noise and flame
  // pictures.
  const std::shared_ptr<Effect> fire =
      QVX_DocResManager::Current()->GetEffect(ZT_HLSLEffectFile(u"common_res.dll", 1015));
  ASSERT_NE(fire, nullptr);
  EXPECT_EQ(fire->Technique(), "AsEffect");
  const float c11 = fire->GetVector("c11").y;
  EXPECT_GT(c11, 0.0f);
  EXPECT_NEAR(fire->GetVector("c12").y, c11 * 2.1f / 1.3f, 1e-4f);
  EXPECT_NEAR(fire->GetVector("c13").y, c11 * 2.3f / 1.3f, 1e-4f);
  EXPECT_NE(fire->GetTexture("Noise"), nullptr);
  EXPECT_NE(fire->GetTexture("Pattern"), nullptr);
  // The fire quad: 65 % of the picture's height above its lower edge.
  const auto& quad = flame->FireQuad();
  ASSERT_NE(quad.VertexBuffer, nullptr);
  const auto* v = reinterpret_cast<const DX_V::PCT*>(quad.VertexBuffer->Data());
  EXPECT_FLOAT_EQ(v[0].y, 48 - 0.65f * 48);
  EXPECT_FLOAT_EQ(v[3].y, 48.0f);
  EXPECT_FLOAT_EQ(v[3].v, 0.95f);
}

TEST_F(Flame, TheFiresViewProjectionIsThePlacedViewWithoutTheScreenOffset) {
  // A wide picture fitted into the screen (no haze, so no capture): placed
  // 12 pixels down. "ViewProj"
  // is the view without the screen rectangle's offset, times the projection.
  auto* flame = Start<ZT_FlameLight>(R"("class": "ZT_FlameLight", "HeatHaze": 0)", 64, 24);
  ASSERT_NE(flame, nullptr);
  Frame(0.1f);
  Frame(0.2f);
  const std::shared_ptr<Effect> fire =
      QVX_DocResManager::Current()->GetEffect(ZT_HLSLEffectFile(u"common_res.dll", 1015));
  ASSERT_NE(fire, nullptr);
  D3DXMATRIX viewProj;
  fire->GetFloatArray("ViewProj", &viewProj.m[0][0], 16);
  const D3DXMATRIX expected = context_.PlacedView * context_.Projection;
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(viewProj.m[r][c], expected.m[r][c], 1e-5) << r << c;
  }
  EXPECT_NE(context_.PlacedView.m[3][1], 0.0f) << "the placement's own offset is in it";
}

}  // namespace
}  // namespace glimmer::testing
