// The trace: with count 5 on a 400-pixel path it drops a particle at the
// start and then one every 100 pixels of its travel, and while its time
// line is not shown it drops nothing and starts again from the start.

#include "particles/particle_trace.h"

#include <gtest/gtest.h>

#include "tests/support/particle_kind_test.h"

namespace glimmer::testing {
namespace {

using TraceKind = ParticleKindTest;

TEST_F(TraceKind, DropsAtTheStartThenEveryStretchOfItsTravel) {
  QVX_ParticleTrace kind;
  kind.path.AddPoint({0, 30, 0}, nullptr);
  kind.path.AddPoint({400, 30, 0}, nullptr);
  kind.count.SetValue(5);
  kind.scatter.SetValue(0);
  kind.speed.SetValue(0);
  kind.life.SetValue(10000);
  auto rt = Start(kind);
  auto line = std::make_shared<QVX_ManualTimeLine>();
  line->WindowLength = 4;  // the path once in 4 s: 100 pixels a second
  line->CurrentState = TimeLineState::Shown;
  rt->GetTiming().Current = line;
  Run(*rt, 0, 3.5f);
  const ParticleEngine& e = rt->Engine();
  ASSERT_EQ(e.Count(), 4u);
  for (size_t i = 0; i < 4; ++i) EXPECT_NEAR(e.At(i).position.x, 100.0f * float(i), 0.5f);

  line->CurrentState = TimeLineState::Hidden;
  Run(*rt, 3.5f, 6);
  EXPECT_EQ(e.Count(), 4u) << "nothing while hidden";
  line->CurrentState = TimeLineState::Shown;
  Run(*rt, 6, 7.5f);
  ASSERT_EQ(e.Count(), 6u);
  EXPECT_NEAR(e.At(4).position.x, 0.0f, 0.5f) << "from the start again";
  EXPECT_NEAR(e.At(5).position.x, 100.0f, 0.5f);
}

}  // namespace
}  // namespace glimmer::testing
