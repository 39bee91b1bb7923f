// Rain drops: two drops merge into one of the cube root of their cubes (at
// most 1.3), also when a step takes no time; a merge finds its target
// across a compacting pool and id renumbering, and leaves a dead one alone;
// drops fall in onto their target and slide or stick without dividing by
// nothing; a quad's edge is inside; the sweep's order and stops.

#include "particles/rain_routines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "tests/support/particle_kind_test.h"

namespace glimmer::testing {
namespace {

// An engine whose drops age without dying, move, die left of x = 0, and
// can merge.
struct Pool {
  Pool() {
    engine.SetAgeRule(AgeRule::Head);
    engine.AddRoutine({.kind = RoutineKind::Kinematic});
    engine.AddRoutine(
        {.kind = RoutineKind::Custom, .apply = &RainInteractionStep, .context = &leftDies});
    drops.AddMergeRoutine();
  }
  Particle& Drop(const D3DXVECTOR3& at, float size) {
    EXPECT_TRUE(engine.Spawn(at));
    const size_t i = engine.Count() - 1;
    drops.Identify(i);
    engine.At(i).rnd1 = size;
    return engine.At(i);
  }
  Particle* Find(uint32_t id) { return engine.FindByTag(id); }

  ParticleAppearance appearance;
  ParticleEngine engine{appearance, u"rain"};
  RainDrops drops{engine};
  PRA_RainMerge merge{drops};
  PRC_CrossLine left{1, 0, 0};
  PRA_Die die;
  InteractionContext leftDies{.condition = &left, .action = &die};
  OverlapScratch scratch;
};

TEST(RainMerge, TwoTouchingDropsBecomeOneOfTheCubeRootOfTheirCubesAtMost1_3) {
  struct Case {
    float a, b, merged;
  };
  for (const Case k : {Case{0.6f, 0.8f, std::cbrt(0.728f)}, Case{1.2f, 1.2f, 1.3f}}) {
    SCOPED_TRACE(k.merged);
    Pool pool;
    const uint32_t a = pool.Drop({100, 90, 0}, k.a).tag;  // the higher top
    pool.Drop({104, 96, 0}, k.b);
    SweepOverlaps(pool.engine, 20, pool.merge, pool.scratch);
    ASSERT_TRUE(RainFlags(*pool.Find(a)) & kRainMerging) << "the drop with the higher top";
    pool.engine.StepAll(0.05f);
    EXPECT_NEAR(pool.Find(a)->position.x, 102, 1e-4) << "half way in half the time";
    pool.engine.StepAll(0.05f);  // exactly the time that was left: none left
    pool.engine.StepAll(0.0f);   // a step of no time with none left
    ASSERT_EQ(pool.engine.Count(), 2u);
    EXPECT_TRUE(Finite(pool.Find(a)->position));
    pool.engine.StepAll(0.01f);
    ASSERT_EQ(pool.engine.Count(), 1u);
    const Particle& survivor = pool.engine.At(0);
    EXPECT_FLOAT_EQ(survivor.rnd1, k.merged);
    EXPECT_TRUE(RainFlags(survivor) & kRainSliding);
    EXPECT_EQ(survivor.frame[0], 0.5f);
    EXPECT_EQ(survivor.frame[2], 0.0f);
  }
}

TEST(RainMerge, FindsItsTargetAsThePoolCompactsAndLeavesADeadOneAlone) {
  Pool same;
  for (float x : {1.0f, 1.5f, 1.5f, 1.5f, 2.0f}) same.Drop({x, 0, 0}, 0.5f);
  same.drops.SetNextId(50);
  same.Drop({3, 0, 0}, 0.5f);
  same.Drop({4, 0, 0}, 0.5f);
  ASSERT_FALSE(same.merge.Act(same.engine.At(6), same.engine.StateRow(6), &same.engine.At(5)));
  // Ids about to run out: the drops are renumbered and the merge follows.
  same.drops.SetNextId(UINT32_MAX);
  same.Drop({5, 0, 0}, 0.5f);
  EXPECT_EQ(same.drops.NextId(), 9u);
  same.engine.At(5).position = {3, 8, 0};  // the target moved on
  same.engine.StepAll(0.05f);
  EXPECT_NEAR(same.engine.At(6).position.y, 4, 1e-4) << "half way to where the target is";
  // Drops dying in the step that ends the merge, before the merging one,
  // leave stale places behind which the search must not take for the target.
  for (size_t k : {1, 2, 3}) same.engine.At(k).position.x = -1;
  same.engine.StepAll(0.06f);
  ASSERT_EQ(same.engine.Count(), 4u);
  EXPECT_FLOAT_EQ(same.engine.At(2).rnd1, std::cbrt(0.25f)) << "the target took it in";

  // A target that dies before the merge ends takes nothing; nobody else does.
  Pool other;
  other.Drop({1, 0, 0}, 0.5f);
  other.Drop({10, 0, 0}, 0.5f);
  ASSERT_FALSE(other.merge.Act(other.engine.At(0), other.engine.StateRow(0), &other.engine.At(1)));
  other.engine.StepAll(0.05f);
  other.engine.Kill(1);
  other.Drop({5, 0, 0}, 0.6f);
  other.engine.StepAll(0.04f);
  EXPECT_NEAR(other.engine.At(0).position.x, 9.1f, 1e-4) << "on to the last known position";
  other.engine.StepAll(0.02f);
  ASSERT_EQ(other.engine.Count(), 1u);
  EXPECT_EQ(other.engine.At(0).rnd1, 0.6f);
  EXPECT_EQ(RainFlags(other.engine.At(0)), 0u);
}

TEST(RainDrops, FallOntoTheirTargetAndSlideOrStickWithoutDividingByNothing) {
  const RoutineSlot slot;
  float fall[kRainFallStateFloats], slide[kRainDynamicStateFloats];
  StartRainFall(fall, {0, 0, 0}, 0.25f);
  StartRainDynamic(slide, {0, 100, 0});
  Particle p;
  p.position = {0, -150, 0};
  p.rnd2 = 0;
  SetRainFlags(p, kRainFallingIn);
  RainFallStep(slot, p, fall, 0.125f);
  EXPECT_FLOAT_EQ(p.position.y, -75);
  EXPECT_FLOAT_EQ(p.rnd2, 0.5f);
  RainFallStep(slot, p, fall, 0.2f);  // longer than what is left
  EXPECT_EQ(p.position, (D3DXVECTOR3{})) << "on its target";
  EXPECT_EQ(p.rnd2, 1.0f);
  EXPECT_EQ(RainFlags(p), 0u);

  // Only sliding drops slide: big ones fall freely and shrink; drops with
  // no size, or moving uphill, stick.
  p.velocity = {0, 50, 0};
  RainDynamicStep(slot, p, slide, 0.1f);
  EXPECT_EQ(p.acceleration, (D3DXVECTOR3{})) << "not sliding";
  SetRainFlags(p, kRainSliding);
  p.rnd1 = 1.2f;
  RainDynamicStep(slot, p, slide, 0.1f);
  EXPECT_EQ(p.acceleration, (D3DXVECTOR3{0, 100, 0}));
  EXPECT_FLOAT_EQ(p.rnd1, 1.2f - 50 * 0.1f * 0.001f);
  for (float size : {0.0f, 0.5f}) {
    p.rnd1 = size;
    p.velocity = {0, size == 0 ? 10.0f : -10.0f, 0};
    RainDynamicStep(slot, p, slide, 0.1f);
    EXPECT_EQ(p.velocity, (D3DXVECTOR3{})) << "size " << size;
    EXPECT_EQ(p.acceleration, (D3DXVECTOR3{}));
  }
}

TEST(RainConditions, AQuadsEdgeIsInsideAndFallingDropsAreLeftAlone) {
  MediaQuad glass;
  glass.SetCentered(100, 50, {0, 0, 0});
  const PRC_CrossQuad outside(glass);
  Particle p;
  for (const auto& [at, crosses] : {std::pair{D3DXVECTOR3{0, 0, 0}, false},
                                    {{50, 0, 0}, false},
                                    {{0, -25, 0}, false},
                                    {{-50, 25, 0}, false},
                                    {{50.01f, 0, 0}, true},
                                    {{0, 25.01f, 0}, true}}) {
    p.position = at;
    EXPECT_EQ(outside.Test(0, p), crosses) << at.x << ", " << at.y;
  }
  EXPECT_FALSE(PRC_OR().Test(0, p)) << "no conditions";
  const PRA_Die die;
  const InteractionContext c{.condition = &outside, .action = &die};
  SetRainFlags(p, kRainFallingIn);
  EXPECT_TRUE(RainInteractionStep({.context = &c}, p, nullptr, 0)) << "still falling in";
  SetRainFlags(p, 0);
  EXPECT_FALSE(RainInteractionStep({.context = &c}, p, nullptr, 0));
}

// Records the pairs the sweep finds, by id; `stop` ends each scan at its
// first pair.
struct Recorder : RoutineAction {
  bool Act(Particle& p, float*, Particle* other) const override {
    pairs.emplace_back(p.tag, other->tag);
    return !stop;
  }
  mutable std::vector<std::pair<uint32_t, uint32_t>> pairs;
  bool stop = false;
};

TEST(OverlapSweep, PairsByTopThenBirthSkipsTheApartAndStopsWhenTold) {
  Pool pool;
  pool.Drop({50, 0, 0}, 1);   // 1: apart in x
  pool.Drop({0, 0, 0}, 1);    // 2
  pool.Drop({0, 0, 0}, 1);    // 3: same top as 2, born later
  pool.Drop({0, 30, 0}, 1);   // 4: below them all
  pool.Drop({4, 4, 0}, 1);    // 5: touches 2 and 3, lower top
  pool.Drop({NAN, 0, 0}, 1);  // 6: touches nothing
  // Drop 5 is born after drop 4 but its top is higher: the sort decides.
  for (bool stop : {false, true}) {
    Recorder r;
    r.stop = stop;
    SweepOverlaps(pool.engine, 10, r, pool.scratch);
    using Pairs = std::vector<std::pair<uint32_t, uint32_t>>;
    EXPECT_EQ(r.pairs, (stop ? Pairs{{2, 3}, {3, 5}} : Pairs{{2, 3}, {2, 5}, {3, 5}}));
    // The pool itself is in the sweep's order now, so the drops draw in it.
    std::vector<uint32_t> tags;
    for (size_t i = 0; i < pool.engine.Count(); ++i) tags.push_back(pool.engine.At(i).tag);
    EXPECT_EQ(tags, (std::vector<uint32_t>{1, 2, 3, 5, 4, 6}));
  }
}

TEST(OverlapSweep, AMergeFindsItsTargetInTheReorderedPool) {
  // The drop born second has the higher top: the sweep puts it first and it
  // flies into the older one, which it still finds by its id.
  Pool pool;
  const uint32_t lower = pool.Drop({104, 96, 0}, 0.8f).tag;
  const uint32_t higher = pool.Drop({100, 90, 0}, 0.6f).tag;
  SweepOverlaps(pool.engine, 20, pool.merge, pool.scratch);
  ASSERT_EQ(pool.engine.At(0).tag, higher);
  ASSERT_TRUE(RainFlags(pool.engine.At(0)) & kRainMerging);
  pool.engine.StepAll(0.05f);
  EXPECT_NEAR(pool.Find(higher)->position.x, 102, 1e-4) << "half way in half the time";
  pool.engine.StepAll(0.06f);
  ASSERT_EQ(pool.engine.Count(), 1u);
  EXPECT_EQ(pool.engine.At(0).tag, lower);
  EXPECT_FLOAT_EQ(pool.engine.At(0).rnd1, std::cbrt(0.6f * 0.6f * 0.6f + 0.8f * 0.8f * 0.8f));
  // Ids about to run out: renumbered by place, the survivor keeps its drop.
  pool.drops.SetNextId(UINT32_MAX);
  pool.Drop({10, 10, 0}, 0.5f);
  EXPECT_EQ(pool.engine.At(0).tag, 1u);
  EXPECT_EQ(pool.drops.NextId(), 3u);
}

}  // namespace
}  // namespace glimmer::testing
