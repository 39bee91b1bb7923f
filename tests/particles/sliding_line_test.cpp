// The sliding line: the piece's tip runs from the path's start to ℓ past
// its end over a cycle, the head is hidden past the end and whenever the
// line is hidden, and direction mode 1 turns the direction every pass.

#include "particles/sliding_line.h"

#include <gtest/gtest.h>

#include "tests/support/particle_kind_test.h"

namespace glimmer::testing {
namespace {

// A line whose phase and cycle the test sets.
class FixedLine : public QVX_Timing {
 public:
  float PhaseProgress() const override { return progress; }
  float CycleLength() const override { return 4.0f; }
  float progress = 0;
};

class SlidingLineKind : public ParticleKindTest {
 protected:
  std::shared_ptr<ParticleSystemRuntime> Sliding(int32_t directionMode) {
    QVX_SlidingLine s;
    s.path.AddPoint({0, 90, 0}, nullptr);
    s.path.AddPoint({400, 90, 0}, nullptr);
    s.path.Rebuild();
    s.length.SetValue(100);
    s.directionMode.SetValue(directionMode);
    auto rt = Start(s);
    line_ = std::make_shared<FixedLine>();
    rt->GetTiming().SetCurrent(line_);
    return rt;
  }
  void At(ParticleSystemRuntime& rt, TimeLineState state, float progress) {
    line_->CurrentState = state;
    line_->progress = progress;
    rt.Advance(time_ += 0.02f);
  }
  static SlidingLineSystem& Of(ParticleSystemRuntime& rt) {
    return static_cast<SlidingLineSystem&>(rt);
  }

  std::shared_ptr<FixedLine> line_;
  float time_ = 0;
};

TEST_F(SlidingLineKind, ThePieceSlidesOverTheCycleAndTheHeadGoesWithItsTip) {
  auto rt = Sliding(0);
  auto& line = Of(*rt);
  At(*rt, TimeLineState::Shown, 0);
  EXPECT_EQ(line.Ribbon().count, 0u) << "the tip at the start";
  EXPECT_FALSE(line.HeadHidden());
  At(*rt, TimeLineState::Shown, 0.5f);
  EXPECT_NEAR(line.RibbonStart(), 150.0f, 0.5f);
  EXPECT_NEAR(line.RibbonEnd(), 250.0f, 0.5f);
  EXPECT_GT(line.Ribbon().count, 0u);
  EXPECT_EQ(line.HeadQuads(), 1u);
  At(*rt, TimeLineState::Shown, 1.0f);
  EXPECT_TRUE(line.HeadHidden()) << "the tip is past the path's end";
  EXPECT_EQ(line.HeadQuads(), 0u);
  EXPECT_NEAR(line.RibbonStart(), 400.0f, 0.5f);
  At(*rt, TimeLineState::Hidden, 0.2f);
  EXPECT_TRUE(line.HeadHidden()) << "hidden with the line";
}

TEST_F(SlidingLineKind, DirectionModeOneAlternatesThePasses) {
  for (int32_t mode : {1, 0}) {
    auto rt = Sliding(mode);
    auto& line = Of(*rt);
    std::vector<bool> passes;
    for (int pass = 0; pass < 4; ++pass) {
      At(*rt, TimeLineState::Hidden, 0);
      At(*rt, TimeLineState::Shown, 0.2f);
      passes.push_back(line.Reversed());
      // The tip's point: from the path's start forwards, from its end backwards.
      const D3DXVECTOR3 tip = line.Head().At(0).position;
      EXPECT_NEAR(tip.x, line.Reversed() ? 300.0f : 100.0f, 0.5f) << "mode " << mode;
    }
    if (mode == 1) {
      EXPECT_EQ(passes, (std::vector<bool>{true, false, true, false}));
    } else {
      EXPECT_EQ(passes, (std::vector<bool>{false, false, false, false}));
    }
  }
}

}  // namespace
}  // namespace glimmer::testing
