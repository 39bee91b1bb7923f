// Emission counters and geometries: the long-run rates, the bounded random
// counter, and the random draws of the geometries pinned from state 1.

#include "particles/emitters.h"

#include <gtest/gtest.h>

#include <cmath>

#include "params/random_source.h"

namespace glimmer::testing {
namespace {

TEST(EmissionCounters, EvenRateOf20PerSecondIsExactInTheLongRun) {
  QVX_EvenImitter even;  // u 100: 20 per second
  int total = 0;
  for (int step = 0; step < 625; ++step) {  // 10 s of 16 ms steps
    const int n = even.Count(0.016f);
    EXPECT_TRUE(n == 0 || n == 1) << step;
    total += n;
  }
  EXPECT_NEAR(total, 200, 1);
  even.rate.SetValue(0);
  EXPECT_EQ(even.Count(1.0f), 0);
  QVX_EvenImitter flood;
  flood.rate.SetValue(0xFFFFFFFFu);
  EXPECT_EQ(flood.Count(0.2f), kMaxBirthsPerStep) << "a hostile rate is capped";
  EXPECT_EQ(flood.Count(NAN), 0);
}

TEST(EmissionCounters, RandomIntervalsAreBoundedWhateverTheirValues) {
  SeedRandom(1);
  QVX_RndImitter zero;
  zero.minimum.SetValue(0);
  zero.maximum.SetValue(0);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(zero.Count(0.016f), 1) << "one a step";
  QVX_RndImitter negative;
  negative.minimum.SetValue(-5);
  negative.maximum.SetValue(-1);
  EXPECT_EQ(negative.Count(0.016f), 1) << "negative intervals count as 0";
  QVX_RndImitter tiny;
  tiny.minimum.SetValue(1e-9f);
  tiny.maximum.SetValue(1e-9f);
  EXPECT_EQ(tiny.Count(10.0f), kMaxBirthsPerStep);
  EXPECT_EQ(tiny.Count(0.0f), 0) << "the dropped rest is not owed later";
  QVX_RndImitter normal;  // 0.5 .. 1.5 s
  int total = 0;
  for (int i = 0; i < 1000; ++i) total += normal.Count(0.01f);
  EXPECT_GE(total, 7);
  EXPECT_LE(total, 20);
}

TEST(EmissionGeometries, DrawsFromStateOneInTheirOrder) {
  SeedRandom(1);
  QVX_RectImitter rect;
  rect.quad.SetCentered(100, 50, {50, 25, 0});  // corners (0, 0) .. (100, 50)
  D3DXVECTOR3 p[2];
  rect.Positions(p);
  // y first (41 → 0.0626 × 50), then x (18467 → 56.36 of 100).
  EXPECT_NEAR(p[0].y, 41.0f / 32767 * 50, 1e-4);
  EXPECT_NEAR(p[0].x, 18467.0f / 32767 * 100, 1e-4);
  EXPECT_NEAR(p[1].y, 6334.0f / 32767 * 50, 1e-4);
  EXPECT_EQ(p[1].z, 0.0f);
  QVX_CircleImitter circle;
  circle.position = {10, 10, 0};
  circle.diameter = 0;
  circle.Positions(p);
  EXPECT_EQ(p[0], (D3DXVECTOR3{10, 10, 0})) << "a circle of diameter 0 is its centre";
  const D3DXVECTOR3 arc = RandomArcPoint(10, 90, 90);
  EXPECT_NEAR(arc.x, 0, 1e-5);
  EXPECT_NEAR(arc.y, -10, 1e-5) << "90 degrees points up the screen";
}

TEST(EmissionGeometries, PositionTableHandsOutEachEntryOnce) {
  SeedRandom(1);
  QVX_PosArrImitter table;
  table.SetTable({{1, 0, 0}, {2, 0, 0}, {3, 0, 0}});
  uint32_t index[3];
  D3DXVECTOR3 at;
  for (uint32_t& i : index) ASSERT_TRUE(table.Take(i, at));
  EXPECT_FALSE(table.Take(index[0], at)) << "every entry held";
  EXPECT_NE(index[0], index[1]);
  EXPECT_NE(index[1], index[2]);
  EXPECT_NE(index[0], index[2]);
  table.Release(index[1]);
  table.Release(index[1]);  // twice: once free
  EXPECT_EQ(table.FreeCount(), 1u);
  uint32_t again = 99;
  ASSERT_TRUE(table.Take(again, at));
  EXPECT_EQ(again, index[1]);
  EXPECT_EQ(at, table.Table()[index[1]]);
}

}  // namespace
}  // namespace glimmer::testing
