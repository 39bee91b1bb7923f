// The waving line: the end at A never moves, the far end swings with the
// simulated time, the ribbon follows the nodes, and the head stays at the
// tip plus its offset frame after frame (it does not drift away).

#include "particles/waving_line.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/particle_kind_test.h"

namespace glimmer::testing {
namespace {

using WavingLineKind = ParticleKindTest;

QVX_WavingLine Rope() {
  QVX_WavingLine s;
  s.pointA.SetValue({60, 90, 0});
  s.pointB.SetValue({260, 90, 0});
  s.amplitude.SetValue(30);
  s.secondWave.SetValue(50);
  s.headAlong.SetValue(4);
  s.headAcross.SetValue(2);
  return s;
}

TEST_F(WavingLineKind, HeldAtASwingingAtBWithTheHeadAtTheTip) {
  auto rt = Start(Rope());
  auto& line = static_cast<WavingLineSystem&>(*rt);
  float lowest = 1e9f, highest = -1e9f;
  for (int k = 1; k <= 200; ++k) {
    rt->Advance(k * 0.02f);
    const D3DXVECTOR3 a = line.Node(0), b = line.Node(WavingLineSystem::kNodes);
    EXPECT_NEAR(a.x, 60.0f, 1e-3f);
    EXPECT_NEAR(a.y, 90.0f, 1e-3f);
    EXPECT_NEAR(b.x, 260.0f, 1e-3f);
    const float T = line.SimulatedTime();
    EXPECT_NEAR(b.y - 90, line.Displacement(1, T), 1e-3f);
    lowest = std::min(lowest, b.y);
    highest = std::max(highest, b.y);
    // The head: the tip moved along the tangent and across it.
    const D3DXVECTOR3 t{200, line.Slope(1, T), 0};
    const D3DXVECTOR3 d = t * (1.0f / Length(t));
    const D3DXVECTOR3 expected = b + d * 4.0f + D3DXVECTOR3{-d.y, d.x, 0} * 2.0f;
    const D3DXVECTOR3 head = rt->Engine().At(0).position;
    ASSERT_NEAR(head.x, expected.x, 1e-2f) << "frame " << k;
    ASSERT_NEAR(head.y, expected.y, 1e-2f) << "frame " << k;
  }
  EXPECT_NEAR(line.SimulatedTime(), 4.0f, 1e-3f);
  EXPECT_GT(highest - lowest, 40.0f) << "the far end swings";
  EXPECT_EQ(line.Ribbon().count, uint32_t(WavingLineSystem::kNodes));
  EXPECT_FLOAT_EQ(line.Displacement(0, 1.3f), 0.0f);
}

TEST_F(WavingLineKind, APointLineDrawsNoRibbon) {
  QVX_WavingLine s = Rope();
  s.pointB.SetValue(s.pointA.Value());
  auto rt = Start(s);
  rt->Advance(0.02f);
  EXPECT_EQ(static_cast<WavingLineSystem&>(*rt).Ribbon().count, 0u);
  EXPECT_TRUE(Finite(rt->Engine().At(0).position));
}

}  // namespace
}  // namespace glimmer::testing
