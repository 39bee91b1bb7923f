// The sprite group's runtime: the vertex fill (corners, mirroring, sheet
// frames and flips), alpha that saturates instead of wrapping, static
// geometry, groups past 16-bit indices and the cap on the sprite count.

#include "sprites/sprite_array.h"

#include <gtest/gtest.h>

#include <cmath>

#include "sprites/sparkle.h"
#include "sprites/stat_obj.h"
#include "tests/support/sprite_kind_test.h"

namespace glimmer::testing {
namespace {

using SpriteGroupRuntime = SpriteKindTest;

// The placed picture: one sprite of 20 × 20 at (100, 100).
ZT_StatObjConstructor Placed() {
  ZT_StatObjConstructor placed;
  placed.placement.ExtraA.SetValue(100);
  placed.placement.ExtraB.SetValue(100);
  placed.size.SetValue(20);
  return placed;
}

DX_V::PCT* Vertices(ZT_SpriteArrayObj& group) {
  return const_cast<ZT_SpriteArrayT<DX_V::PCT>&>(group.Geometry()).Lock();
}

TEST_F(SpriteGroupRuntime, QuadsFollowAxesMirrorsSheetFramesAndFlips) {
  ZT_StatObjConstructor placed = Placed();
  placed.animated = true;
  placed.frameCount = 4;
  placed.frameRate = 2;
  placed.flipV.SetValue(1);
  auto group = Start(placed);
  SpriteRecord& r = group->Records()[0];
  r.halfWidth = 10;
  r.halfHeight = 5;
  group->Advance(0);
  DX_V::PCT* v = Vertices(*group);
  ASSERT_NE(v, nullptr);
  const float expected[4][4] = {
      {90, 105, 0, 0}, {90, 95, 0, 1}, {110, 105, 0.25f, 0}, {110, 95, 0.25f, 1}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(v[i].x, expected[i][0]);
    EXPECT_EQ(v[i].y, expected[i][1]);
    EXPECT_EQ(v[i].u, expected[i][2]) << "frame 0 of 4";
    EXPECT_EQ(v[i].v, expected[i][3]) << "flipped vertically";
  }
  group->Geometry().VertexBuffer->Unlock();
  // Half a second of motion time later: frame 1; a negative half-width mirrors.
  r.halfWidth = -10;
  Run(*group, 0.02f, 0.52f);
  v = Vertices(*group);
  EXPECT_EQ(v[0].x, 110.0f);
  EXPECT_EQ(v[0].u, 0.25f);
  EXPECT_EQ(v[2].u, 0.5f);
  group->Geometry().VertexBuffer->Unlock();
  // Frame count 0 counts as one frame: no division by zero.
  placed.frameCount = 0;
  auto none = Start(placed);
  Run(*none, 0, 1);
  v = Vertices(*none);
  EXPECT_EQ(v[0].u, 0.0f);
  EXPECT_EQ(v[2].u, 1.0f);
  none->Geometry().VertexBuffer->Unlock();
}

TEST_F(SpriteGroupRuntime, AlphaSaturatesAndStaticGeometryStaysPut) {
  ZT_StatObjConstructor placed = Placed();
  placed.transparency.SetValue(0);
  placed.staticGeometry.SetValue(1);
  EXPECT_EQ(placed.ColourFor(1.5f) >> 24, 255u) << "255 × 1.5 saturates, never wraps";
  EXPECT_EQ(placed.ColourFor(-0.5f) >> 24, 0u);
  EXPECT_EQ(placed.ColourFor(NAN) >> 24, 0u);
  placed.colour.SetValue(0x00336699);
  EXPECT_EQ(placed.ColourFor(0.5f), 0x7F996633u) << "COLORREF to D3DCOLOR";
  auto group = Start(placed);
  group->Advance(0);
  group->Records()[0].position = {200, 50, 0};
  group->Advance(0.02f);
  DX_V::PCT* v = Vertices(*group);
  EXPECT_EQ(v[1].x, 90.0f) << "static geometry is not rebuilt";
  group->Geometry().VertexBuffer->Unlock();
}

TEST_F(SpriteGroupRuntime, LargeGroupsTakeWideIndicesAndTheCountIsCapped) {
  ZT_SparkleConstructor sparkles;
  sparkles.size.SetValue(4);
  sparkles.count.SetValue(20000);
  auto group = Start(sparkles);
  Run(*group, 0, 0.1f);
  EXPECT_EQ(group->Records().size(), 20000u);
  EXPECT_EQ(group->Geometry().VertexCount, 80000u);
  ASSERT_TRUE(group->Geometry().IndexBuffer);
  EXPECT_EQ(group->Geometry().IndexBuffer->Format(), D3DFMT_INDEX32);
  DX_V::PCT* v = Vertices(*group);
  const SpriteRecord& last = group->Records().back();
  EXPECT_NEAR(v[4 * 19999 + 1].x, last.position.x - last.halfWidth, 1e-3)
      << "the last quad is filled";
  group->Geometry().VertexBuffer->Unlock();

  sparkles.count.SetValue(kMaxSpritesPerGroup + 5);
  sparkles.name = u"crowd";
  ::testing::internal::CaptureStderr();
  auto crowd = Start(sparkles);
  crowd->Advance(0.02f);
  crowd->Advance(0.04f);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(crowd->Records().size(), kMaxSpritesPerGroup);
  EXPECT_NE(said.find("\"crowd\""), std::string::npos) << said;
  EXPECT_EQ(said.find("crowd", said.find("crowd") + 6), std::string::npos) << "said once";
}

}  // namespace
}  // namespace glimmer::testing
