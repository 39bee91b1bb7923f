// The per-record processes: fades spread over the remaining ages, steady
// changes strictly inside their span, twinkles and Brownian starts pinned
// from state 1, the Brownian steering (aimed once on leaving, no target
// drawn while outside, finite with zero times) and the list's fixed room.

#include "generators/generator_processes.h"

#include <gtest/gtest.h>

#include <cmath>

#include "params/random_source.h"

namespace glimmer::testing {
namespace {

TEST(GeneratorProcesses, FadeSpreadsItsAmountOverTheRemainingAges) {
  GeneratorParticle p;
  p.processes.Add(PAgeConst(4));
  p.processes.Add(PFade(kOpacityFactor, 1, 3, -1));
  float opacity[8];
  for (int k = 0; k < 8; ++k) {
    p.Step(0.5f);
    opacity[k] = p.params[kOpacityFactor];
  }
  EXPECT_FLOAT_EQ(opacity[0], 1.0f) << "nothing before the start age";
  EXPECT_FLOAT_EQ(opacity[1], 1.0f);
  EXPECT_NEAR(opacity[2], 0.75f, 1e-5);  // age 1.5
  EXPECT_NEAR(opacity[3], 0.5f, 1e-5);
  EXPECT_NEAR(opacity[4], 0.25f, 1e-5);
  EXPECT_NEAR(opacity[5], 0.0f, 1e-6) << "the whole amount at the end age";
  EXPECT_NEAR(opacity[7], 0.0f, 1e-6);
  // The age ends the record at 4 s, and every process ran on that step.
  EXPECT_FALSE(p.Step(0.5f));
  EXPECT_FLOAT_EQ(p.params[kAge], 4.5f);
}

TEST(GeneratorProcesses, SteadyChangesOnlyStrictlyInsideItsLifeSpan) {
  GeneratorParticle p;
  p.params[kSizeFactor] = 0;
  p.processes.Add(PLifeConst(0.25f));
  p.processes.Add(PSteady(kSizeFactor, 0.25f, 0.5f, 2));
  for (int k = 0; k < 3; ++k) EXPECT_TRUE(p.Step(0.5f));
  // Life 0.125 (no change), 0.25 (the bound itself: none), 0.375 (+1).
  EXPECT_FLOAT_EQ(p.params[kSizeFactor], 1.0f);
  EXPECT_TRUE(p.Step(0.5f));
  EXPECT_FALSE(p.Step(2)) << "life reached 1";
}

TEST(GeneratorProcesses, TwinkleDrawsInOrderFromStateOne) {
  SeedRandom(1);
  GeneratorParticle p;
  p.processes.Add(PTwinkle(kSizeFactor, 0, 0.8f, 0));
  auto& twinkle = static_cast<PTwinkle&>(p.processes[0]);
  const auto unit = [](int r) { return float(r) / 32767; };
  // 41 mod 3 ≠ 0: rest at the base for 18467's period.
  p.Step(0.01f);
  EXPECT_FLOAT_EQ(p.params[kSizeFactor], 0.8f);
  EXPECT_FLOAT_EQ(twinkle.period, unit(18467) * 2.3f + 0.2f);
  // Nothing changes until the period is over.
  const uint32_t state = RandomState();
  p.Step(twinkle.period - 0.02f);
  EXPECT_EQ(RandomState(), state) << "no draw within the period";
  // 6334 and 19169 rest (periods from 26500 and 15724) ...
  p.Step(0.05f);
  EXPECT_FLOAT_EQ(twinkle.period, unit(26500) * 2.3f + 0.2f);
  p.Step(twinkle.period + 0.01f);
  EXPECT_FLOAT_EQ(twinkle.period, unit(15724) * 2.3f + 0.2f);
  // ... and 11478 mod 3 = 0 flares by 29358 for 0.2 s.
  p.Step(twinkle.period + 0.01f);
  EXPECT_FLOAT_EQ(twinkle.period, 0.2f);
  EXPECT_FLOAT_EQ(p.params[kSizeFactor], 0.8f * (1 + 0.5f * unit(29358)));
  EXPECT_EQ(twinkle.timer, 0.0f);
}

TEST(GeneratorProcesses, BrownianDrawsYFirstAndSteersBackInside) {
  BrownianRegion region{0, 0, 100, 100, 0.5f, 2, 1};
  SeedRandom(1);
  PBrownian b(region);
  EXPECT_NEAR(b.velocity.y, 41.0 / 32767 * 200 - 100, 1e-3);
  EXPECT_NEAR(b.velocity.x, 18467.0 / 32767 * 200 - 100, 1e-3);
  EXPECT_NEAR(b.changeTimer, 6334.0 / 32767 * 4 + 1, 1e-5);
  GeneratorParticle p({300, 50, 0});
  p.processes.Add(b);
  p.Step(0.01f);
  const auto& moved = static_cast<PBrownian&>(p.processes[0]);
  EXPECT_FALSE(moved.inside);
  EXPECT_LT(moved.acceleration.x, 0) << "aimed back at the centre";
  for (int k = 0; k < 400; ++k) p.Step(0.02f);
  EXPECT_LT(p.position.x, 300);
  EXPECT_TRUE(std::isfinite(p.position.x) && std::isfinite(p.position.y));
}

TEST(GeneratorProcesses, BrownianWithZeroTimesStaysFinite) {
  BrownianRegion region{0, 0, 10, 10, 0, 0, 1};
  GeneratorParticle p({50, 50, 0});
  p.processes.Add(PBrownian(region));
  for (int k = 0; k < 50; ++k) p.Step(0.02f);
  EXPECT_TRUE(std::isfinite(p.position.x) && std::isfinite(p.position.y));
}

TEST(GeneratorProcesses, BrownianAimsOnceOnLeavingAndDrawsNoTargetOutside) {
  BrownianRegion region{0, 0, 100, 100, 10, 1, 1};
  SeedRandom(1);
  GeneratorParticle p({300, 50, 0});
  p.processes.Add(PBrownian(region));
  auto& b = static_cast<PBrownian&>(p.processes[0]);
  p.Step(0.01f);
  const D3DXVECTOR3 aimed = b.acceleration;
  ASSERT_LT(aimed.x, 0);
  // Still outside: the steering is kept, not aimed again from the new velocity.
  p.Step(0.01f);
  EXPECT_EQ(b.acceleration.x, aimed.x);
  EXPECT_EQ(b.acceleration.y, aimed.y);
  // The change timer runs out outside: one draw for the next interval only.
  b.changeTimer = 0.005f;
  SeedRandom(1);
  p.Step(0.01f);
  EXPECT_NEAR(b.changeTimer, 0.5f + 41.0f / 32767, 1e-5);
  EXPECT_EQ(RandomState(), 1u * 214013u + 2531011u) << "no target drawn while outside";
  EXPECT_EQ(b.acceleration.x, aimed.x);
}

TEST(GeneratorProcesses, AFullListRefusesMoreAndStepsEveryProcess) {
  GeneratorParticle p;
  for (size_t i = 0; i < kMaxProcesses; ++i) EXPECT_TRUE(p.processes.Add(PSpin(1)));
  EXPECT_FALSE(p.processes.Add(PSpin(1)));
  EXPECT_EQ(p.processes.size(), kMaxProcesses);
  EXPECT_TRUE(p.Step(0.5f));
  EXPECT_FLOAT_EQ(p.params[kRotation], 0.5f * float(kMaxProcesses));
  p.processes.Clear();
  p.processes.Add(PKinetic({10, 0, 0}, {0, 4, 0}));
  p.Step(0.5f);
  p.Step(0.5f);
  EXPECT_FLOAT_EQ(p.position.x, 10);
  EXPECT_FLOAT_EQ(p.position.y, 0.5f * 4 * 1 * 1) << "exact at the half-steps";
}

}  // namespace
}  // namespace glimmer::testing
