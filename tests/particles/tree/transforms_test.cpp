// Tree particles and their transforms: life envelopes, the emitter's even
// bursts (and the counts and durations that must not divide by zero), the
// colour pick at the end of life, waves that modulate without doubling,
// the chain of parents and the order of a newborn's draws.

#include "particles/tree/transforms.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "params/random_source.h"
#include "particles/tree/followers.h"
#include "particles/tree/geometries.h"

namespace glimmer::testing {
namespace {

TEST(LifeEnvelope7, RisesHoldsAndFallsTimesItsMultiplier) {
  LifeEnvelope7 e;
  EXPECT_EQ(e.Level(0.5f), 1.0f);
  e.s[1].SetValue(20);  // rise until 0.2 from 0.5
  e.s[4].SetValue(50);
  e.s[2].SetValue(60);  // fall after 0.6 to 0
  e.s[6].SetValue(2);
  EXPECT_FLOAT_EQ(e.Level(0.1f), 1.5f);
  EXPECT_FLOAT_EQ(e.Level(0.4f), 2.0f);
  EXPECT_FLOAT_EQ(e.Level(0.8f), 1.0f);
  e.s[0].SetValue(99);  // stored, no effect
  e.s[3].SetValue(99);
  EXPECT_FLOAT_EQ(e.Level(0.8f), 1.0f);
  // A fall from 1 or later has no slope: finite at and past the end.
  e.s[2].SetValue(100);
  EXPECT_TRUE(std::isfinite(e.Level(1.5f)));
}

// Particles emitted over `seconds` at 50 steps a second for a parent whose
// age starts at 0 and accumulates as a tree's does, and the most in one step.
std::pair<uint32_t, uint32_t> Emitted(const QVX_PSGeometry_Emitter& e, float seconds) {
  uint32_t total = 0, most = 0;
  const int steps = int(std::lround(seconds * 50));
  float age = 0;
  for (int k = 0; k < steps; ++k, age += 0.02f) {
    const uint32_t n = e.EmissionCount(age, 0.02f);
    total += n;
    most = std::max(most, n);
  }
  return {total, most};
}

TEST(TreeEmitter, EmitsItsCountEvenlyOverEveryBurst) {
  QVX_PSGeomEmit_Point e;
  e.count = 20;
  e.duration = 1.0f;
  auto [total, most] = Emitted(e, 3.0f);
  EXPECT_NEAR(double(total), 60.0, 1.0);
  EXPECT_EQ(most, 1u) << "one every 0.05 s, never two in a 0.02 s step";
  // Bursts of 0.5 s and pauses of 0.5 s: half as many, none in the pauses.
  e.duration = 0.5f;
  e.count = 10;
  e.pause = 0.5f;
  EXPECT_NEAR(double(Emitted(e, 3.0f).first), 30.0, 1.0);
  for (float t : {0.6f, 0.8f, 1.7f}) EXPECT_EQ(e.EmissionCount(t, 0.02f), 0u) << t;
  // Nothing before the delay.
  e.delay = 2.0f;
  EXPECT_EQ(Emitted(e, 2.0f).first, 0u);
}

TEST(TreeEmitter, NoCountOrDurationEmitsNothingAndAHugeCountIsCapped) {
  QVX_PSGeomEmit_Point e;
  e.count = 0;
  EXPECT_EQ(Emitted(e, 2.0f).first, 0u);
  e.count = 20;
  for (float d : {0.0f, -1.0f, std::nanf("")}) {
    e.duration = d;
    EXPECT_EQ(Emitted(e, 2.0f).first, 0u) << d;
  }
  e.duration = 1.0f;
  e.count = 4'000'000'000u;
  EXPECT_LE(e.EmissionCount(0.5f, 0.2f), kMaxTreeBurstCount);
  EXPECT_GT(e.EmissionCount(0.5f, 0.2f), 0u);
}

TEST(TreeTransforms, ColourPickEndsOnTheLastEntryAndGradientsInterpolate) {
  ColourTable table;
  table.colours.SetValue({0x0000FF, 0x00FF00, 0xFF0000});
  table.mode.SetValue(2);
  PtclTr_Color colour(table);
  TreeParticle p;
  p.Initialise({});
  p.life = 1.0f;
  colour.Apply(0, p);
  EXPECT_EQ(p.colour, (D3DXVECTOR3{0, 0, 255})) << "the last colour, not one past the table";
  p.life = 0.0f;
  colour.Apply(0, p);
  EXPECT_EQ(p.colour, (D3DXVECTOR3{255, 0, 0}));
  // Entry int(3 × x), truncated: the middle entry from a third of the life
  // on (the nearest of two steps would take the first until a quarter and
  // the middle only from there to three quarters).
  for (const auto& [life, expected] : {std::pair{0.3f, D3DXVECTOR3{255, 0, 0}},
                                       {0.34f, D3DXVECTOR3{0, 255, 0}},
                                       {0.66f, D3DXVECTOR3{0, 255, 0}},
                                       {0.7f, D3DXVECTOR3{0, 0, 255}}}) {
    p.life = life;
    colour.Apply(0, p);
    EXPECT_EQ(p.colour, expected) << life;
  }
  table.mode.SetValue(1);
  p.life = 0.5f;
  colour.Apply(0, p);
  EXPECT_FLOAT_EQ(p.colour.x, 127.5f);
  EXPECT_FLOAT_EQ(p.colour.y, 127.5f);
}

TEST(TreeTransforms, LevelWavesModulateWithoutDoublingAndOffsetWavesAdd) {
  OscillationParam size;  // amplitude 0.5
  size.mode.SetValue(1);
  OscillationParam along(1.0f, 50);  // 50 pixels
  along.mode.SetValue(1);
  PtclTr_Oscilator sizeWave(1, size, 1.0f), alongWave(3, along, 0.0f);
  sizeWave.stateOffset = 0;
  sizeWave.Placed();
  alongWave.stateOffset = 3;
  alongWave.Placed();
  TreeParticle p;
  p.Initialise({});
  SeedRandom(1);
  sizeWave.Init(p);
  alongWave.Init(p);
  float low = 2, high = -2, minAlong = 100, maxAlong = -100;
  for (int k = 0; k < 200; ++k) {
    p.ResetStep();
    sizeWave.Apply(0.05f, p);
    alongWave.Apply(0.05f, p);
    low = std::min(low, p.prm[1]);
    high = std::max(high, p.prm[1]);
    minAlong = std::min(minAlong, p.prm[3]);
    maxAlong = std::max(maxAlong, p.prm[3]);
  }
  // The wave's level (cos φ − 1) × 0.5 + 1 runs over [0, 1]: the size is
  // scaled by it, not raised to 1 + level.
  EXPECT_LE(high, 1.0f + 1e-5f);
  EXPECT_LT(low, 0.1f);
  EXPECT_GT(maxAlong, 45.0f);
  EXPECT_LT(minAlong, -45.0f);
}

TEST(TreeTransforms, ALifeOfNoLengthEndsAtTheFirstStepThatTakesTime) {
  TreeParticle p;
  p.Initialise({});
  PtclTr_MaxAge none(0.0f);
  EXPECT_TRUE(none.Apply(0, p));
  EXPECT_FALSE(none.Apply(0.02f, p));
  PtclTr_MaxAge two(2.0f);
  p.life = 0;
  EXPECT_TRUE(two.Apply(1.0f, p));
  EXPECT_FLOAT_EQ(p.life, 0.5f);
  EXPECT_FALSE(two.Apply(1.1f, p));
}

TEST(TreeParticle, WorldPositionAndFactorsRunUpTheChain) {
  TreeParticle root, spark, sprite;
  root.Initialise({});
  root.position = {100, 50, 0};
  root.base[1] = 2;
  spark.Initialise(root.Handle());
  spark.position = {10, 0, 0};
  spark.direction = {0, 1, 0};
  spark.prm[3] = 5;  // 5 along (0, 1), 2 across
  spark.prm[4] = 2;
  spark.prm[1] = 0.5f;
  sprite.Initialise(spark.Handle());
  sprite.base[1] = 3;
  const D3DXVECTOR3 w = sprite.World();
  EXPECT_FLOAT_EQ(w.x, 108);                     // 100 + 10 − 2 × 1
  EXPECT_FLOAT_EQ(w.y, 55);                      // 50 + 5 × 1
  EXPECT_FLOAT_EQ(sprite.ChainFactor(1), 3.0f);  // 3 × 0.5 × 2
  // A recycled parent slot ends the chain there.
  ++spark.generation;
  EXPECT_EQ(sprite.parent.Get(), nullptr);
  EXPECT_EQ(sprite.World(), (D3DXVECTOR3{}));
}

TEST(TreeParticle, ANewbornDrawsItsCellSizesWavesAndSpinInOrder) {
  QVX_PSGeometry_Point g;
  g.SetGrid(4, 2);
  // The shared source's sequence from state 1.
  SeedRandom(1);
  std::vector<int32_t> r;
  for (int k = 0; k < 16; ++k) r.push_back(NextRandom());
  ASSERT_EQ((std::vector<int32_t>{r[0], r[1], r[2], r[3]}),
            (std::vector<int32_t>{41, 18467, 6334, 26500}));
  SeedRandom(1);
  TreeParticle* p = g.CreateParticle({});
  ASSERT_TRUE(p);
  // Cell: column r0 mod 4, row r1 mod 2.
  EXPECT_FLOAT_EQ(p->frame[2], float(r[0] % 4) * 0.25f);
  EXPECT_FLOAT_EQ(p->frame[3], float(r[1] % 2) * 0.5f);
  // Size and opacity draws, then phase and seed of each of the four waves,
  // then the spin's s, j and sign: 15 draws.
  EXPECT_FLOAT_EQ(p->state[0], float(r[2]) / 32767.0f);
  EXPECT_FLOAT_EQ(p->state[1], float(r[3]) / 32767.0f);
  EXPECT_FLOAT_EQ(p->state[14], float(r[12]) / 32767.0f * 2.0f - 1.0f);
  EXPECT_EQ(p->state[17], r[14] % 2 == 0 ? 1.0f : -1.0f);
  EXPECT_EQ(NextRandom(), r[15]);
}

TEST(TreeParticle, AGridWithoutRowsOrColumnsIsOneCell) {
  QVX_PSGeometry_Point g;
  g.SetGrid(0, -3);
  TreeParticle* p = g.CreateParticle({});
  ASSERT_TRUE(p);
  EXPECT_EQ(p->frame[0], 1.0f);
  EXPECT_EQ(p->frame[1], 1.0f);
  EXPECT_EQ(p->frame[2], 0.0f);
  EXPECT_EQ(p->frame[3], 0.0f);
}

}  // namespace
}  // namespace glimmer::testing
