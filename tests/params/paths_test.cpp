// Paths, their samplings, and moving along them.

#include "params/paths.h"

#include <gtest/gtest.h>

#include <cmath>

#include "params/path_cursor.h"

namespace glimmer {
namespace {

SplinePath Spline(std::initializer_list<D3DXVECTOR3> points) {
  SplinePath path;
  for (const auto& p : points) path.Points.push_back(std::make_shared<DX_BSplinePnt>(p));
  path.Rebuild();
  return path;
}

// A straight path whose handles lie at the thirds, so samples are evenly
// spaced along it.
SplinePath Straight(D3DXVECTOR3 a, D3DXVECTOR3 b) {
  SplinePath path;
  path.Points.push_back(std::make_shared<DX_BSplinePnt>(a));
  path.Points.push_back(std::make_shared<DX_BSplinePnt>(b));
  path.Points[0]->OutHandle.SetValue((b - a) * (1.0f / 3.0f));
  path.Points[1]->InHandle.SetValue((a - b) * (1.0f / 3.0f));
  path.Rebuild();
  return path;
}

bool Finite(const D3DXVECTOR3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

TEST(GenericPath, SmoothWithTwoPointsKeepsThem) {
  SmartPath<DX_SmartPnt> path;
  path.Smooth.SetValue(1);
  path.AddPoint({1, 2, 3}, nullptr);
  path.AddPoint({4, 5, 6}, nullptr);
  path.Rebuild();
  EXPECT_EQ(path.Polyline, (std::vector<D3DXVECTOR3>{{1, 2, 3}, {4, 5, 6}}));
}

TEST(GenericPath, SmoothThroughCollinearPointsStaysOnTheLine) {
  SmartPath<DX_SmartPnt> path;
  path.Smooth.SetValue(1);
  for (float x : {0.0f, 10.0f, 20.0f}) path.AddPoint({x, 2 * x, 7}, nullptr);
  path.Rebuild();
  EXPECT_GE(path.Polyline.size(), 100u);
  EXPECT_LE(path.Polyline.size(), 101u);
  for (const auto& p : path.Polyline) {
    EXPECT_EQ(p.z, 0.0f);
    EXPECT_NEAR(p.y, 2 * p.x, 1e-3);
    EXPECT_GE(p.x, -1e-3f);
    EXPECT_LE(p.x, 20.0f + 1e-3f);
  }
  EXPECT_EQ(path.Polyline.front(), (D3DXVECTOR3{0, 0, 0}));
}

TEST(GenericPath, SmoothCurvePassesThroughItsPoints) {
  SmartPath<DX_SmartPnt> path;
  path.Smooth.SetValue(1);
  const float ys[] = {0, 10, -5, 3, 8};
  for (int i = 0; i < 5; ++i) path.AddPoint({float(i) * 10, ys[i], 0}, nullptr);
  path.Rebuild();
  // Samples land on the knots every 25 steps (Δ = 4 / 100).
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(path.Polyline[size_t(i) * 25].y, ys[i], 1e-3) << i;
  int segments = 0;
  path.ForEachSegment([&](const D3DXVECTOR3&, const D3DXVECTOR3&) { ++segments; });
  EXPECT_EQ(size_t(segments), path.Polyline.size() - 1);
}

TEST(SplinePathSampling, StepsPerSegmentWithoutDuplicates) {
  SplinePath two = Spline({{0, 0, 0}, {30, 40, 0}});
  EXPECT_EQ(two.Samples.size(), 21u);
  EXPECT_FLOAT_EQ(two.TotalLength, 50.0f);
  for (size_t i = 0; i < two.Samples.size(); ++i) {
    const auto& s = two.Samples[i];
    EXPECT_NEAR(s.Position.y, s.Position.x * 4 / 3, 1e-4) << "zero handles: a straight line";
    EXPECT_NEAR(s.Tangent.x, 0.6f, 1e-5) << "ends without handles still have a direction";
  }
  EXPECT_EQ(two.Samples.back().SegmentLength, 0.0f);
  EXPECT_EQ(two.Samples.back().CumulativeLength, 0.0f);
  EXPECT_FLOAT_EQ(two.Samples[19].CumulativeLength, 50.0f);
  SplinePath three = Spline({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}});
  EXPECT_EQ(three.Samples.size(), 41u) << "the shared point is not duplicated";
  EXPECT_FLOAT_EQ(three.TotalLength, 20.0f);
}

TEST(SplinePathSampling, ReverseWalksBack) {
  SplinePath path = Spline({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}});
  path.Points[1]->InHandle.SetValue({-3, 0, 0});
  path.Points[1]->OutHandle.SetValue({0, 3, 0});
  path.Rebuild();
  std::vector<PathSample> back;
  const float length = path.SampleInto(back, 20, true);
  ASSERT_EQ(back.size(), path.Samples.size());
  EXPECT_NEAR(length, path.TotalLength, 1e-3);
  for (size_t i = 0; i < back.size(); ++i) {
    const auto& a = back[i].Position;
    const auto& b = path.Samples[back.size() - 1 - i].Position;
    EXPECT_NEAR(a.x, b.x, 1e-4);
    EXPECT_NEAR(a.y, b.y, 1e-4);
  }
}

TEST(SplinePathSampling, AddPointSetsHandles) {
  SplinePath path;
  path.AddPoint({0, 0, 0}, nullptr);
  path.AddPoint({100, 0, 0}, nullptr);
  EXPECT_FLOAT_EQ(path.Points[1]->InHandle.Value().x, -33.0f);
  EXPECT_FLOAT_EQ(path.Points[0]->OutHandle.Value().x, 33.0f)
      << "a first point mirrors the new in-handle";
  path.AddPoint({100, 100, 0}, nullptr);
  EXPECT_FLOAT_EQ(path.Points[2]->InHandle.Value().y, -33.0f);
  EXPECT_FLOAT_EQ(path.Points[1]->OutHandle.Value().x, 33.0f) << "negated in-handle of the joint";
}

TEST(PathCursor, MovesByDistanceAndStopsAtTheEnd) {
  SplinePath path = Straight({0, 0, 0}, {100, 0, 0});
  PathCursor c(&path.Samples);
  D3DXVECTOR3 pos, dir;
  EXPECT_TRUE(c.MoveBy(12.5f, pos, dir));
  EXPECT_NEAR(pos.x, 12.5f, 1e-4);
  EXPECT_NEAR(dir.x, 1.0f, 1e-5);
  EXPECT_TRUE(c.MoveBy(80.0f, pos, dir));
  EXPECT_NEAR(pos.x, 92.5f, 1e-3);
  EXPECT_FALSE(c.MoveBy(50.0f, pos, dir));
  EXPECT_EQ(pos, (D3DXVECTOR3{100, 0, 0}));
  EXPECT_EQ(c.Index, 19);
  EXPECT_FALSE(c.MoveBy(1.0f, pos, dir)) << "stays clamped";

  std::vector<PathSample> one(1);
  PathCursor single(&one);
  pos = {7, 7, 7};
  EXPECT_FALSE(single.MoveBy(1.0f, pos, dir));
  EXPECT_EQ(pos, (D3DXVECTOR3{7, 7, 7})) << "nothing output";
}

TEST(PathCursor, SeekWithSidewaysOffset) {
  SplinePath path = Straight({0, 0, 0}, {100, 0, 0});
  PathCursor c(&path.Samples);
  D3DXVECTOR3 pos, dir;
  EXPECT_TRUE(c.SeekOffset(0.0f, 5.0f, pos, dir));
  EXPECT_NEAR(pos.x, 0.0f, 1e-5);
  EXPECT_NEAR(pos.y, -5.0f, 1e-5) << "the first position offset sideways";
  EXPECT_TRUE(c.SeekOffset(37.0f, 0.0f, pos, dir));
  EXPECT_NEAR(pos.x, 37.0f, 1e-3);
  EXPECT_EQ(c.Index, 7);
  EXPECT_FALSE(c.SeekOffset(-1.0f, 0.0f, pos, dir));
  EXPECT_FALSE(c.SeekOffset(500.0f, 2.0f, pos, dir));
  EXPECT_NEAR(pos.x, 100.0f, 1e-4);
  EXPECT_NEAR(pos.y, -2.0f, 1e-4);
}

TEST(PathCursor, StepChordCrossesSamples) {
  SplinePath path = Straight({0, 0, 0}, {100, 0, 0});  // samples every 5
  PathCursor c(&path.Samples);
  D3DXVECTOR3 pos, dir;
  c.MoveBy(3.0f, pos, dir);
  float remaining = 9.0f;
  std::vector<float> xs;
  while (remaining > 0) {
    c.StepChord(remaining, pos, dir);
    xs.push_back(pos.x);
  }
  ASSERT_EQ(xs.size(), 3u);
  EXPECT_NEAR(xs[0], 5.0f, 1e-4);
  EXPECT_NEAR(xs[1], 10.0f, 1e-4);
  EXPECT_NEAR(xs[2], 12.0f, 1e-4);
  PathCursor fresh(&path.Samples);
  EXPECT_EQ(fresh.CountAhead(0.0f), 0);
  EXPECT_EQ(fresh.CountAhead(4.0f), 1);
  EXPECT_EQ(fresh.CountAhead(12.0f), 3);
  EXPECT_EQ(fresh.CountAhead(1000.0f), 21);
  fresh.SampleIndex(99, 1.0f, pos, dir);
  EXPECT_NEAR(pos.x, 100.0f, 1e-4);
  EXPECT_NEAR(pos.y, -1.0f, 1e-4);
}

TEST(PathCursor, RepeatedPointsNeverDivideByZeroOrLoop) {
  SplinePath path = Spline({{0, 0, 0}, {0, 0, 0}, {50, 0, 0}, {50, 0, 0}, {50, 0, 0}, {60, 0, 0}});
  ASSERT_GE(path.Samples.size(), 2u);
  for (const auto& s : path.Samples) ASSERT_TRUE(Finite(s.Tangent));
  PathCursor c(&path.Samples);
  D3DXVECTOR3 pos, dir;
  for (float step : {0.0f, 0.0f, 1.0f, 7.5f, 0.0f, 30.0f, 40.0f}) {
    c.MoveBy(step, pos, dir);
    EXPECT_TRUE(Finite(pos) && Finite(dir)) << step;
    c.MoveByOffset(0.0f, 2.0f, pos, dir);
    EXPECT_TRUE(Finite(pos) && Finite(dir)) << step;
  }
  for (float d : {0.0f, 25.0f, 50.0f, 60.0f}) {
    c.SeekOffset(d, 1.0f, pos, dir);
    EXPECT_TRUE(Finite(pos) && Finite(dir)) << d;
    EXPECT_GE(c.CountAhead(5.0f), 0);
  }
  PathCursor chord(&path.Samples);
  float remaining = 100.0f;
  int steps = 0;
  while (remaining > 0 && steps < 1000) {
    chord.StepChord(remaining, pos, dir);
    EXPECT_TRUE(Finite(pos) && Finite(dir));
    ++steps;
  }
  EXPECT_LT(steps, 1000);

  // A path of one repeated point: every sample coincides.
  SplinePath still = Spline({{5, 5, 0}, {5, 5, 0}});
  PathCursor s(&still.Samples);
  if (still.Samples.size() >= 2) {
    s.MoveBy(1.0f, pos, dir);
    EXPECT_TRUE(Finite(pos) && Finite(dir));
  }
  EXPECT_NEAR(still.TotalLength, 0.0f, 1e-4);
}

}  // namespace
}  // namespace glimmer
