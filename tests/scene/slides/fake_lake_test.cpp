// The lake slide: its two stored versions, the lake geometry at the
// waterline's extremes, the reflection size, the turning ripples and the
// drawn mirror image.

#include "scene/slides/fake_lake.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/archive_helpers.h"
#include "tests/support/slide_kind_test.h"

namespace glimmer::testing {
namespace {

TEST(FakeLakeStoredForm, VersionTwoReadsTilingBeforeSpeedAndVersionOneOnlyTheBumpMap) {
  const Guid id = *Guid::Parse("{01234567-89AB-CDEF-0123-456789ABCDEF}");
  for (int32_t version : {1, 2}) {
    SCOPED_TRACE("version " + std::to_string(version));
    ZT_IOF_W w;
    if (version == 2) {
      for (uint32_t v : {11u, 22u, 33u, 44u, 55u, 66u, 77u, 88u}) w.WriteUInt32(v);
      w.WriteLong(3);
      w.WriteInt32(0x123456);
    }
    w.WriteGuid(id);
    w.WriteString(u"ripples");
    w.WriteBool(false);
    w.WriteHeader(u"ZT_2D_Light", 1);
    FakeLake2D lake;
    ReadWith(w.Take(), [&](Archive& ar) { lake.Serialize(ar, version); });
    EXPECT_EQ(lake.BumpId, id);
    EXPECT_EQ(lake.BumpName, u"ripples");
    EXPECT_FALSE(lake.BumpFlag);
    if (version == 2) {
      EXPECT_EQ(lake.Tiling.Value(), 11u) << "Tiling comes first";
      EXPECT_EQ(lake.Speed.Value(), 22u);
      EXPECT_EQ(lake.Waterline.Value(), 33u);
      EXPECT_EQ(lake.HazeHeight.Value(), 88u);
      EXPECT_EQ(lake.ReflectionQuality.Value(), 3);
      EXPECT_EQ(lake.TintColour.Value(), 0x123456u);
    } else {
      EXPECT_EQ(lake.Speed.Value(), 50u);
      EXPECT_NEAR(lake.Waterline.Scaled(), 0.375f, 1e-6f);
    }
  }
}

TEST(FakeLakeStoredForm, TheReflectionSideStaysWithinTheDevice) {
  EXPECT_EQ(FakeLake2D::ReflectionSide(1, 8192), 256u);
  EXPECT_EQ(FakeLake2D::ReflectionSide(-5, 8192), 128u) << "no negative shift";
  EXPECT_EQ(FakeLake2D::ReflectionSide(7, 16384), 8192u) << "at most 128 × 2^6";
  EXPECT_EQ(FakeLake2D::ReflectionSide(6, 2048), 2048u) << "the device's limit";
}

class FakeLake : public SlideKindTest {};

bool Finite(const FakeLake2D& lake) {
  for (const auto& v : lake.LakeMesh()) {
    if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.rv)) return false;
  }
  for (const auto* quad : {&lake.TintQuad(), &lake.HazeQuad()}) {
    for (const auto& v : *quad) {
      if (!std::isfinite(v.x) || !std::isfinite(v.y)) return false;
    }
  }
  return true;
}

TEST_F(FakeLake, AWaterlineOfOneHundredHasNoLakeAndNoHaze) {
  FakeLake2D* lake = Start<FakeLake2D>(R"("class": "FakeLake2D", "Waterline": 100)");
  ASSERT_NE(lake, nullptr);
  Frame(0.5f);
  EXPECT_EQ(lake->WaterlineFraction(), 0.0f);
  EXPECT_TRUE(Finite(*lake));
  EXPECT_EQ(lake->HazeQuad()[0].y, lake->HazeQuad()[1].y) << "a haze band of no height";
  EXPECT_EQ(lake->HazeQuad()[1].y, 48.0f) << "at the picture's lower edge";
}

TEST_F(FakeLake, AWaterlineOfZeroMirrorsTheUpperHalf) {
  FakeLake2D* lake = Start<FakeLake2D>(R"("class": "FakeLake2D", "Waterline": 0)");
  ASSERT_NE(lake, nullptr);
  Frame(0.5f);
  ASSERT_TRUE(Finite(*lake));
  const auto& mesh = lake->LakeMesh();
  EXPECT_EQ(mesh[0].y, 24.0f) << "the shore at half height";
  EXPECT_FLOAT_EQ(mesh[0].rv, 0.5f);
  EXPECT_FLOAT_EQ(mesh[1].rv, 0.0f) << "the picture's top at the lake's bottom";
  EXPECT_EQ(lake->HazeQuad()[1].y - lake->HazeQuad()[0].y, 7.0f) << "HazeHeight pixels up";
}

TEST_F(FakeLake, AHitchTurnsTheRipplesByOneClampedStepOnly) {
  FakeLake2D* lake = Start<FakeLake2D>(R"("class": "FakeLake2D")");
  ASSERT_NE(lake, nullptr);
  Frame(0.0f);
  Frame(1.0f);
  // 0.2 s × 4.5 rad/s × factor 1.
  const auto& m = lake->BumpMatrix();
  EXPECT_NEAR(std::atan2(m[2], m[0]), 0.9f, 1e-4f);
  EXPECT_NEAR(std::hypot(m[0], m[2]), 0.04f, 1e-6f);
}

TEST_F(FakeLake, TheHazeIsStrongestAtTheShoreLineAndClearAtItsTop) {
  // A white tint, opaque at the shore line (no fade), and a haze band of 16
  // pixels above the shore line at half height, over the blue left half.
  FakeLake2D* lake = Start<FakeLake2D>(
      R"("class": "FakeLake2D", "Waterline": 0, "TintAlpha": 125, "TintFade": 0, )"
      R"("TintColour": 16777215, "HazeHeight": 16)");
  ASSERT_NE(lake, nullptr);
  Frame(0.3f);
  const auto whiteness = [&](uint32_t y) { return int(Pixel(10, y) >> 24) - 0x30; };
  EXPECT_TRUE(NearColor(Pixel(10, 6), 0x3060C0FF, 3)) << "the picture above the band";
  EXPECT_LT(whiteness(9), 0x30) << "nearly clear at the band's top";
  EXPECT_GT(whiteness(23), 0xB0) << "nearly the tint at the shore line";
  EXPECT_GT(whiteness(23), whiteness(16));
  EXPECT_GT(whiteness(16), whiteness(9));
}

// Without a bump map the reflection is drawn unperturbed: the lake's pixels
// stay still, the mirrored edge between the halves where it is. The
// document's bump map ripples it, turning with the clock.
TEST_F(FakeLake, OnlyACarriedBumpMapRipplesTheReflection) {
  for (const bool carried : {false, true}) {
    if (carried) {
      Image ripples{32, 32, std::vector<uint8_t>(32 * 32 * 4, 255)};
      for (uint32_t y = 0; y < 32; ++y) {
        for (uint32_t x = 0; x < 32; ++x) {
          uint8_t* p = ripples.Pixel(x, y);
          p[0] = uint8_t(128 + 120 * std::sin(x * 0.785));
          p[1] = uint8_t(128 + 120 * std::cos(y * 0.785));
        }
      }
      WritePng((dir_ / "ripples.png").string(), ripples);
      resources_ = R"({"GuidBlobs": [{"Id": "{6C616B65-0000-4000-8000-000000000001}",
        "Name": "ripples", "Flag": true, "Blob": {"Name": "ripples.png",
        "Data": {"file": "ripples.png"}}}]})";
    }
    FakeLake2D* lake = Start<FakeLake2D>(
        std::string(R"("class": "FakeLake2D", "Waterline": 0, "TintAlpha": 0, "HazeHeight": 0)") +
        (carried ? R"(, "BumpId": "{6C616B65-0000-4000-8000-000000000001}")" : ""));
    ASSERT_NE(lake, nullptr);
    Frame(0.3f);
    const Image first = Back();
    Frame(0.45f);
    const Image later = Back();
    size_t moved = 0;
    for (uint32_t y = 26; y < 48; ++y) {
      for (uint32_t x = 0; x < 64; ++x) {
        const uint8_t *a = first.Pixel(x, y), *b = later.Pixel(x, y);
        for (int k = 0; k < 3; ++k) moved += std::abs(int(a[k]) - int(b[k])) > 8;
      }
    }
    if (carried) {
      EXPECT_GT(moved, 0u) << "the ripples turn";
    } else {
      EXPECT_EQ(moved, 0u) << "a still reflection";
      EXPECT_TRUE(NearColor(Pixel(30, 40), 0x3060C0FF, 3)) << "blue left of the mirrored edge";
      EXPECT_TRUE(NearColor(Pixel(33, 40), 0xE0C040FF, 3)) << "yellow right of it";
    }
  }
}

TEST_F(FakeLake, TheLakeMirrorsThePicture) {
  // The picture: blue left half, yellow right half; the lake is its lower 37.5 %.
  FakeLake2D* lake = Start<FakeLake2D>(R"("class": "FakeLake2D", "TintAlpha": 0)");
  ASSERT_NE(lake, nullptr);
  Frame(0.3f);
  const uint32_t above = Pixel(10, 10), below = Pixel(10, 44), right = Pixel(54, 44);
  EXPECT_TRUE(NearColor(above, 0x3060C0FF, 3));
  EXPECT_TRUE(NearColor(below, 0x3060C0FF, 24)) << "the blue half mirrored";
  EXPECT_TRUE(NearColor(right, 0xE0C040FF, 24)) << "the yellow half mirrored";
}

}  // namespace
}  // namespace glimmer::testing
