// Shared routines: the brownian's birth draws from state 1, its wandering
// staying finite and coming back to its bounds with no changes or no turn
// time; ages counted in distance; points on a path and their index.

#include "particles/routines.h"

#include <gtest/gtest.h>

#include <cmath>

#include "params/random_source.h"
#include "tests/support/particle_kind_test.h"

namespace glimmer::testing {
namespace {

constexpr int32_t kFromOne[] = {41, 18467, 6334, 26500};
float Unit(int k) {
  return float(kFromOne[k]) / 32767.0f;
}

TEST(Brownian, ANewbornDrawsItsSpeedAngleAndFirstChangeFromStateOne) {
  const BrownianContext c{.frequency = 2};  // changes every 0.25 to 0.75 s
  float s[kBrownianStateFloats];
  SeedRandom(1);
  StartBrownian(c, s);
  const float r = Unit(0) * 25 + 75, angle = Unit(1) * 360 * 3.14159265f / 180;
  EXPECT_NEAR(s[0], r * std::cos(angle), 1e-3);
  EXPECT_NEAR(s[1], -r * std::sin(angle), 1e-3);
  EXPECT_FLOAT_EQ(s[7], Unit(2) * 0.5f + 0.25f) << "the first change";
  EXPECT_EQ(NextRandom(), kFromOne[3]) << "nothing else was drawn";
}

TEST(Brownian, StaysFiniteAndComesBackWithoutChangesOrTurnTime) {
  for (const auto& [frequency, duration] : {std::pair{0.0f, 0.0f}, {0.0f, 0.5f}, {3.0f, 0.0f}}) {
    SCOPED_TRACE(std::to_string(frequency) + ", " + std::to_string(duration));
    const BrownianContext c{.minimum = {0, 0, 0},
                            .maximum = {100, 100, 0},
                            .frequency = frequency,
                            .duration = duration};
    const RoutineSlot slot = BrownianRoutine(c);
    float s[kBrownianStateFloats];
    StartBrownian(c, s);
    Particle p;
    p.position = {400, -300, 0};  // far outside
    float worst = 0;              // the farthest outside over the second half
    for (int step = 0; step < 1200; ++step) {
      BrownianStep(slot, p, s, 0.05f);
      ASSERT_TRUE(Finite(p.position)) << "step " << step;
      for (float f : s) ASSERT_TRUE(std::isfinite(f));
      const D3DXVECTOR3 x = p.position;
      if (step >= 600) worst = std::max({worst, -x.x, x.x - 100, -x.y, x.y - 100});
    }
    EXPECT_LT(worst, 60.0f) << "it turns back within about half a second's travel";
  }
}

TEST(DistanceAges, GrowBySpeedAndLiveToTheLimitOrThePathsLength) {
  const ConstDistanceContext distance{.limit = 10, .speed = 4};
  const RoutineSlot slot{.context = &distance};
  Particle p;
  EXPECT_TRUE(ConstDistanceAge(slot, p, nullptr, 2.5f)) << "alive at exactly the limit";
  EXPECT_FLOAT_EQ(p.life, 10.0f);
  EXPECT_FALSE(ConstDistanceAge(slot, p, nullptr, 0.01f));

  SplinePath path;
  path.AddPoint({0, 0, 0}, nullptr);
  path.AddPoint({30, 40, 0}, nullptr);
  path.Rebuild();
  const ConstPathContext along{.path = &path, .speed = 10};
  Particle q;
  EXPECT_TRUE(ConstPathAge({.context = &along}, q, nullptr, path.TotalLength / 10));
  EXPECT_NEAR(q.life, 50.0f, 0.5f);
  EXPECT_FALSE(ConstPathAge({.context = &along}, q, nullptr, 0.01f));
}

TEST(PathPoints, SeekTheAgeSidewaysAndKeepTheSegmentIndexAsAnInteger) {
  std::vector<PathSample> samples;  // 10 pixels apart along x
  for (float k : {0.0f, 1.0f, 2.0f})
    samples.push_back({{10 * k, 0, 0}, {1, 0, 0}, 10, 10 * k + 10});
  samples.push_back({{30, 0, 0}, {1, 0, 0}, 0, 0});
  const PathPointContext c{.samples = &samples, .width = 4};
  const RoutineSlot slot{.context = &c};
  Particle p;
  p.aux[2] = 0.5f;  // with prm[6] = 1: 2 pixels to the side
  p.age = 15;
  EXPECT_TRUE(PathPoint(slot, p, nullptr, 0));
  EXPECT_EQ(p.position, (D3DXVECTOR3{15, -2, 0}));
  EXPECT_EQ(p.velocity, (D3DXVECTOR3{10, 0, 0})) << "the offset chord";
  EXPECT_EQ(PathIndex(p), 1);
  p.age = 31;
  EXPECT_FALSE(PathPoint(slot, p, nullptr, 0)) << "beyond the end";
  p.position = {};
  p.age = NAN;
  EXPECT_FALSE(PathPoint(slot, p, nullptr, 0));
  EXPECT_EQ(p.position, (D3DXVECTOR3{})) << "a distance that is no number moves nothing";

  for (const auto& [index, x] : {std::pair{2, 20.0f}, {7, 30.0f}, {-5, 0.0f}}) {
    SetPathIndex(p, index);
    EXPECT_TRUE(IndexedPathPoint(slot, p, nullptr, 0));
    EXPECT_EQ(p.position, (D3DXVECTOR3{x, -2, 0})) << "index " << index << ", clamped";
    EXPECT_EQ(p.velocity, (D3DXVECTOR3{1, 0, 0})) << "the sample's tangent";
  }
}

}  // namespace
}  // namespace glimmer::testing
