// The path animation: both stored versions of this player's layout with the
// path's part, points along the path by distance (wrapping), and particles
// spaced evenly along it travelling at their speed.

#include "generators/path_animation.h"

#include <gtest/gtest.h>

#include "tests/support/archive_helpers.h"
#include "tests/support/generator_kind_test.h"

namespace glimmer::testing {
namespace {

ZT_PathAnimtion Line() {
  ZT_PathAnimtion kind;
  kind.path.AddPoint({0, 50, 0}, nullptr);
  kind.path.AddPoint({200, 50, 0}, nullptr);
  kind.path.Rebuild();
  return kind;
}

TEST(PathAnimationStored, ReadsBothVersionsWithThePath) {
  ZT_PathAnimtion source = Line();
  const std::vector<uint8_t> pathPart =
      WriteWith([&](Archive& ar) { source.ZT_PathGenerator::Serialize(ar, 1); });
  for (int32_t version = 1; version <= 2; ++version) {
    SCOPED_TRACE(version);
    ZT_IOF_W w;
    for (uint32_t v : {5u, 14u, 60u, 200u}) w.WriteUInt32(v);
    if (version >= 2) w.WriteUInt32(100);
    w.WriteHeader(u"ZT_PathGenerator", 1);
    w.WriteBytes(pathPart);
    ZT_PathAnimtion read;
    ReadWith(w.Take(), [&](Archive& ar) { read.Serialize(ar, version); });
    EXPECT_EQ(read.count.Value(), 5u);
    EXPECT_EQ(read.particleSize.Value(), 14u);
    EXPECT_FLOAT_EQ(read.travelSpeed.Scaled(), 60.0f);
    EXPECT_FLOAT_EQ(read.animationSpeed.Scaled(), 2.0f);
    EXPECT_FLOAT_EQ(read.motionSpeed.Scaled(), version >= 2 ? 2.0f : 1.0f);
    ASSERT_EQ(read.path.Points.size(), 2u);
    EXPECT_NEAR(read.path.TotalLength, 200, 0.5) << "sampled on reading";
  }
}

TEST(PathAnimationPath, PointsByDistanceWrapPastTheEnd) {
  const ZT_PathAnimtion kind = Line();
  EXPECT_NEAR(kind.PointAt(0).x, 0, 1e-3);
  EXPECT_NEAR(kind.PointAt(50).x, 50, 0.5);
  EXPECT_NEAR(kind.PointAt(250).x, 50, 0.5);
  EXPECT_NEAR(kind.PointAt(-50).x, 150, 0.5);
  EXPECT_NEAR(kind.PointAt(120).y, 50, 1e-3);
  const ZT_PathAnimtion empty;
  EXPECT_EQ(empty.PointAt(30).x, 0.0f);
}

using PathAnimationRuntime = GeneratorKindTest;

TEST_F(PathAnimationRuntime, ParticlesSpreadEvenlyAndTravel) {
  ZT_PathAnimtion kind = Line();
  kind.count.SetValue(4);
  kind.particleSize.SetValue(10);
  kind.travelSpeed.SetValue(20);
  auto runtime = Start(kind);
  runtime->Advance(0);
  for (uint32_t i = 0; i < 4; ++i) EXPECT_NEAR(Shape(*runtime, 0, i).cx, 50.0f * float(i), 0.5);
  Run(*runtime, 0.02f, 1, [](float) {});
  for (uint32_t i = 0; i < 4; ++i)
    EXPECT_NEAR(Shape(*runtime, 0, i).cx, 50.0f * float(i) + 20, 0.6);
  EXPECT_NEAR(Shape(*runtime, 0, 0).width, 10, 1e-3);
}

}  // namespace
}  // namespace glimmer::testing
