// The water-ring slide: its stored versions, the grid sizes and caps, the
// first drop from state 1, the sliders' derived values, a stable surface at
// the fastest speed, finite vertices on a panorama, the refracted picture
// and the surface's device buffers after a reset or a new grid.

#include "scene/slides/water_rings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <string>
#include <tuple>

#include "params/random_source.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/slide_kind_test.h"

namespace glimmer::testing {
namespace {

TEST(WaterRingStoredForm, VersionTwoReadsSixRawSlidersThenThreeThenTheMode) {
  for (int32_t version : {1, 2}) {
    SCOPED_TRACE("version " + std::to_string(version));
    ZT_IOF_W w;
    if (version == 2) {
      for (uint32_t v : {1u, 2u, 3u, 4u, 5u, 6u, 60u, 70u, 80u}) w.WriteUInt32(v);
    }
    w.WriteLong(1);
    w.WriteHeader(u"ZT_2D_Light", 1);
    ZT_WaterRingLight water;
    ReadWith(w.Take(), [&](Archive& ar) { water.Serialize(ar, version); });
    EXPECT_EQ(water.Mode.Value(), 1);
    EXPECT_EQ(water.SimSpeed.Value(), version == 2 ? 1u : 0u);
    EXPECT_EQ(water.Refraction.Value(), version == 2 ? 6u : 20u);
    EXPECT_EQ(water.DropRate.Value(), version == 2 ? 60u : 30u);
    EXPECT_EQ(water.SpecularPower.Value(), version == 2 ? 80u : 50u);
  }
}

TEST(WaterSurface, GridsAreEvenAndCappedAtTheCellLimit) {
  WaterSurface w;
  w.Resize(40, 30, 2, 1);
  EXPECT_EQ(w.Columns(), 256u);
  EXPECT_EQ(w.Rows(), 192u);
  w.Resize(40, 30, 2, 2);
  EXPECT_EQ(w.Columns(), 170u);
  EXPECT_EQ(w.Rows(), 384u);
  EXPECT_EQ(w.Cells(), 65280u);
  w.Resize(1200, 30, 1, 1);  // a 40 : 1 panorama
  EXPECT_GE(w.Rows(), WaterSurface::kMinLines) << "drops need rows inside the border";
}

TEST(WaterSurface, TheFirstDropOfADefaultLakeFromStateOne) {
  WaterSurface w;
  w.Resize(40, 30, 1, 1);
  ASSERT_EQ(w.Columns(), 128u);
  ASSERT_EQ(w.Rows(), 96u);
  SeedRandom(1);
  w.AddDrop();
  EXPECT_FLOAT_EQ(w.Velocity(44, 42), -0.125f) << "column 42, row 44";
  EXPECT_FLOAT_EQ(w.Velocity(44, 43), -0.0625f);
  EXPECT_FLOAT_EQ(w.Velocity(45, 43), -0.03125f);
}

TEST(WaterSurface, StaysFiniteOnAPanoramaAndAtTheFastestSpeed) {
  ZT_WaterRingLight slide;
  slide.SimSpeed.SetValue(600);
  WaterSurface w;
  w.speed = slide.SimulationSpeed();
  w.Resize(1200, 30, 1, 1);
  SeedRandom(1);
  for (int i = 0; i < 300; ++i) {
    if (i % 10 == 0) w.AddDrop();
    w.Update({0, 120, 0});
  }
  float peak = 0;
  for (const WaterSurface::Vertex& v : w.Vertices()) {
    ASSERT_TRUE(std::isfinite(v.u) && std::isfinite(v.v) && std::isfinite(v.x)) << "finite";
  }
  for (uint32_t r = 0; r < w.Rows(); ++r)
    for (uint32_t c = 0; c < w.Columns(); ++c) peak = std::max(peak, std::fabs(w.Height(r, c)));
  EXPECT_LT(peak, 10.0f) << "the simulation did not diverge";
}

TEST(WaterSurface, OneStripCoversEveryCellOnceFromTheOutsideIn) {
  // Square, wide and tall grids, and the smallest one.
  for (auto [w, fc, fr] : {std::tuple{40.0f, 0.125f, 1.0f},
                           {120.0f, 0.25f, 1.0f},
                           {10.0f, 0.25f, 1.0f},
                           {30.0f, 0.03f, 1.0f}}) {
    WaterSurface s;
    s.Resize(w, 30, fc, fr);
    const uint32_t C = s.Columns(), R = s.Rows();
    const std::vector<uint16_t>& strip = s.Indices();
    SCOPED_TRACE(std::to_string(C) + " x " + std::to_string(R));
    ASSERT_GE(strip.size(), 3u);
    // Each cell's two triangles, by the cell's top-left corner.
    std::vector<int> perCell(size_t(C) * R, 0);
    std::set<std::array<uint16_t, 3>> seen;
    for (size_t i = 0; i + 2 < strip.size(); ++i) {
      std::array<uint16_t, 3> t{strip[i], strip[i + 1], strip[i + 2]};
      for (uint16_t v : t) ASSERT_LT(v, C * R);
      if (t[0] == t[1] || t[1] == t[2] || t[0] == t[2]) continue;
      std::sort(t.begin(), t.end());
      EXPECT_TRUE(seen.insert(t).second) << "a triangle drawn twice";
      uint32_t r0 = R, r1 = 0, c0 = C, c1 = 0;
      for (uint16_t v : t) {
        r0 = std::min(r0, v / C), r1 = std::max(r1, v / C);
        c0 = std::min(c0, v % C), c1 = std::max(c1, v % C);
      }
      ASSERT_EQ(r1 - r0, 1u) << "a triangle inside one cell";
      ASSERT_EQ(c1 - c0, 1u);
      ++perCell[size_t(r0) * C + c0];
    }
    for (uint32_t r = 0; r + 1 < R; ++r)
      for (uint32_t c = 0; c + 1 < C; ++c)
        ASSERT_EQ(perCell[size_t(r) * C + c], 2) << r << ", " << c;
    // The outermost ring comes first.
    EXPECT_EQ(strip[0], 0u);
    EXPECT_EQ(strip[1], C + 1);
  }
}

TEST(WaterRingSliders, DampingDropRateAndRefractionTable) {
  ZT_WaterRingLight s;
  s.DampingValue.SetValue(100);
  EXPECT_NEAR(s.Damping(), 0.999f, 1e-6f);
  s.DampingValue.SetValue(0);
  EXPECT_NEAR(s.Damping(), 0.9f, 1e-6f);
  EXPECT_NEAR(s.DropInterval(), 2.0f, 1e-5f);
  s.DropRate.SetValue(0);
  EXPECT_TRUE(std::isinf(s.DropInterval()));
  const auto& t = WaterSurface::RefractionTable();
  EXPECT_EQ(t[255].colour, 0u);
  EXPECT_EQ(t[0].colour, (uint32_t(255 * 255 * 255) & 0xFFFF0000u) << 8);
  for (const auto& e : t) ASSERT_TRUE(std::isfinite(e.k) && std::isfinite(e.m));
}

class WaterRings : public SlideKindTest {};

TEST_F(WaterRings, ThePictureIsSeenThroughTheWater) {
  auto* slide = Start<ZT_WaterRingLight>(R"("class": "ZT_WaterRingLight", "DropRate": 600)");
  ASSERT_NE(slide, nullptr);
  for (int f = 0; f < 10; ++f) Frame(0.1f * float(f));
  EXPECT_TRUE(NearColor(Pixel(8, 24), 0x3060C0FF, 40)) << "the blue half";
  EXPECT_TRUE(NearColor(Pixel(56, 24), 0xE0C040FF, 40)) << "the yellow half";
  EXPECT_EQ(device_->GetRenderState(D3DRS_LIGHTING), 0u) << "lighting is left off";
}

TEST_F(WaterRings, ModeOneRefractsTheCapturedSlide) {
  auto* slide = Start<ZT_WaterRingLight>(R"("class": "ZT_WaterRingLight", "Mode": 1)");
  ASSERT_NE(slide, nullptr);
  EXPECT_TRUE(slide->NeedsCapture());
  Frame(0.1f);
  Frame(0.2f);
  EXPECT_TRUE(NearColor(Pixel(8, 24), 0x3060C0FF, 40));
  EXPECT_TRUE(NearColor(Pixel(56, 24), 0xE0C040FF, 40));
}

TEST_F(WaterRings, TheWaterComesBackAfterADeviceResetAndAFinerGrid) {
  auto* slide = Start<ZT_WaterRingLight>(R"("class": "ZT_WaterRingLight")");
  ASSERT_NE(slide, nullptr);
  Frame(0.1f);
  Frame(0.15f);
  // The slide's own buffers are lost with the device, without being told.
  device_->SimulateLoss();
  ASSERT_TRUE(device_->Reset(device_->GetPresentParameters()));
  Frame(0.2f);
  Frame(0.25f);
  EXPECT_TRUE(NearColor(Pixel(8, 24), 0x3060C0FF, 40)) << "after the reset";
  // A finer grid takes a new strip; the old one would leave cells undrawn.
  slide->Density.SetValue(100);
  slide->ResizeGrid();
  Frame(0.3f);
  EXPECT_TRUE(NearColor(Pixel(8, 24), 0x3060C0FF, 40)) << "after the resize";
  EXPECT_TRUE(NearColor(Pixel(56, 24), 0xE0C040FF, 40)) << "after the resize";
}

}  // namespace
}  // namespace glimmer::testing

namespace glimmer::testing {
namespace {

// Calm water over a black picture shows only the light's highlight. With the
// picture placed at half scale it is lit in the space of the world transform
// T1 × eye⁻¹ × S × T2: a water point (x, 0, z) lies at
// (½(x + w/2) − w/2, −½(z + h/2) + h/2, −120) there, its normal along +z, and
// the light (0.5, 1, −1) gives it Specular × (n·h)^power. In the eye's own
// space (x, −z, −120) the highlight would be brighter and placed otherwise.
TEST_F(WaterRings, TheHighlightIsLitInTheSpaceOfThePlacedWater) {
  auto* slide = Start<ZT_WaterRingLight>(R"("class": "ZT_WaterRingLight", "DropStrength": 0,
      "DropRate": 0, "Specular": 100, "SpecularPower": 10)",
                                         128, 96, 0x000000, 0x000000);
  ASSERT_NE(slide, nullptr);
  Frame(0.5f);
  const float ww = slide->Water().WorldWidth(), wh = slide->Water().WorldHeight();
  const D3DXVECTOR3 towardsLight = Normalize(D3DXVECTOR3{-0.5f, -1, 1});
  const auto highlight = [&](const D3DXVECTOR3& at) {
    const D3DXVECTOR3 h = Normalize(towardsLight - Normalize(at));
    return 255 * std::pow(std::max(h.z, 0.0f), 8.0f);
  };
  float modelsApart = 0;
  for (const auto& [X, Y] :
       std::vector<std::pair<uint32_t, uint32_t>>{{2, 2}, {60, 2}, {2, 45}, {60, 45}, {32, 24}}) {
    // The device pixel's centre on the 128 × 96 picture, then on the water.
    const float x = (2 * float(X) + 1) * ww / 128 - ww / 2;
    const float z = (2 * float(Y) + 1) * wh / 96 - wh / 2;
    const float placed =
        highlight({0.5f * (x + ww / 2) - ww / 2, -0.5f * (z + wh / 2) + wh / 2, -120});
    const float eye = highlight({x, -z, -120});
    modelsApart = std::max(modelsApart, std::fabs(placed - eye));
    EXPECT_NEAR(float(Pixel(X, Y) >> 24), placed, 10) << "at (" << X << ", " << Y << ")";
  }
  EXPECT_GT(modelsApart, 20) << "the two spaces light the samples differently";
}

}  // namespace
}  // namespace glimmer::testing
