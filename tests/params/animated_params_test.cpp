// Clocks, durations, random ranges, counts per second and spreads.

#include "params/animated_params.h"

#include <gtest/gtest.h>

#include "params/random_source.h"

namespace glimmer {
namespace {

TEST(MediaSpeedParam, LongFramesAdvanceAtMostAFifthOfASecond) {
  MediaSpeedParam clock;
  clock.Advance(5.0f);
  EXPECT_EQ(clock.StepTime, 0.2f);
  EXPECT_EQ(clock.LocalTime, 0.2f);
  clock.Advance(5.1f);
  EXPECT_FLOAT_EQ(clock.LocalTime, 0.3f);
  // Time going back restarts the step from there: a zero step.
  clock.Advance(1.0f);
  EXPECT_EQ(clock.StepTime, 0.0f);
  EXPECT_FLOAT_EQ(clock.LocalTime, 0.3f);
  clock.Advance(1.05f);
  EXPECT_NEAR(clock.LocalTime, 0.35f, 1e-6);
  clock.Restart();
  EXPECT_EQ(clock.LocalTime, 0.0f);
  EXPECT_EQ(clock.LastTime, 0.0f);
}

TEST(MediaSpeedParam, FactorScalesTheStep) {
  MediaSpeedParam stopped(0, 0.01f, 0.0f);
  MediaSpeedParam half(50, 0.01f, 0.0f);
  for (int k = 1; k <= 24; ++k) {
    stopped.Advance(static_cast<float>(k) * 0.125f);
    half.Advance(static_cast<float>(k) * 0.125f);
  }
  EXPECT_EQ(stopped.LocalTime, 0.0f);
  EXPECT_EQ(half.LocalTime, 1.5f);
  MediaSpeedParam copy(half);
  EXPECT_EQ(copy.LocalTime, half.LocalTime);
  EXPECT_EQ(copy.Scaled(), 0.5f);
}

TEST(TimeParam, HundredthsToSeconds) {
  EXPECT_FLOAT_EQ(TimeParam(1000).Seconds(), 10.0f);
  EXPECT_FLOAT_EQ(TimeParam(50).Seconds(), 0.5f);
  EXPECT_EQ(TimeParam().Seconds(), 0.0f);
}

TEST(PerSecondCounter, RateTenEveryThirtyMilliseconds) {
  PerSecondCounter c(10, 1.0f, 0.0f);
  std::vector<int32_t> counts;
  for (int k = 1; k <= 12; ++k) counts.push_back(c.Count(static_cast<float>(k * 0.03)));
  EXPECT_EQ(counts, (std::vector<int32_t>{0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1}));
  PerSecondCounter zero(0, 1.0f, 0.0f);
  for (int k = 1; k <= 10; ++k) EXPECT_EQ(zero.Count(static_cast<float>(k)), 0);
  EXPECT_EQ(zero.LastCount, 0.0f);
}

TEST(PerSecondCounter, RandomCountDrawsOnceEvenWhenEmpty) {
  PerSecondCounterRnd c(10, 1.0f, 0.0f);
  SeedRandom(1);
  EXPECT_EQ(c.Count(0.05f), 0);
  EXPECT_EQ(RandomState(), 1u * 214013u + 2531011u) << "one draw for an empty count";
  // Frames of 0.25 s at rate 10 make 2 events each on average (0..4).
  int64_t total = 0;
  for (int k = 1; k <= 10000; ++k) {
    const int32_t n = c.Count(static_cast<float>(k) * 0.25f);
    ASSERT_GE(n, 0);
    ASSERT_LE(n, 4);
    total += n;
  }
  EXPECT_NEAR(static_cast<double>(total) / 10000.0, 2.0, 0.05);
}

TEST(RandomRange, OrderedAndDegenerateRanges) {
  SeedRandom(1);
  EXPECT_EQ(RandomRange(300, 100).RandomValue(), 3.0f);
  EXPECT_EQ(RandomRange(0, 0).RandomValue(), 0.0f);
  EXPECT_EQ(RandomState(), 1u) << "a range without width draws nothing";
  const float v = RandomRange(100, 200).RandomValue();
  EXPECT_FLOAT_EQ(v, static_cast<float>(41 % 101 + 100) * 0.01f);
}

TEST(JitterParam, SpreadKeepsAFractionOfTheBase) {
  QVX_JitterParam full(200, 0.01f, 0.0f, 100);
  EXPECT_EQ(full.Sample(0.0f), 0.0f);
  EXPECT_FLOAT_EQ(full.Sample(1.0f), 2.0f);
  QVX_JitterParam none(200, 0.01f, 0.0f, 0);
  for (float r : {0.0f, 0.3f, 1.0f}) EXPECT_FLOAT_EQ(none.Sample(r), 2.0f);
  QVX_JitterParam half(200, 0.01f, 0.0f, 50);
  EXPECT_FLOAT_EQ(half.Sample(0.0f), 1.0f);
  EXPECT_FLOAT_EQ(QVX_JitterMediaPrm(25).Scaled(), 0.75f);
}

}  // namespace
}  // namespace glimmer
