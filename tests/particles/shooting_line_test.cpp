// The shooting line: streaks travel the path at its speed, their trails
// narrow and fade towards their ends and leave with them; without a speed
// or a path nothing is shot and the warm-up ends; a restart with another
// timing selector starts empty and shoots again; the tears are the same kind.

#include "particles/shooting_line.h"

#include <gtest/gtest.h>

#include <cmath>

#include "params/path_cursor.h"
#include "particles/tears.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/particle_kind_test.h"

namespace glimmer::testing {
namespace {

using ShootingLineKind = ParticleKindTest;

template <class Kind = QVX_ShootingLine>
Kind Shooter() {
  Kind s;
  s.path.AddPoint({0, 90, 0}, nullptr);
  s.path.AddPoint({300, 90, 0}, nullptr);
  s.path.Rebuild();
  s.interval.minimum.SetValue(0.5f);
  s.interval.maximum.SetValue(0.5f);
  s.speed.SetValue(100);
  s.trailLength.SetValue(80);
  s.trailWidth.SetValue(10);
  s.trailEnvelope.riseEnd.SetValue(100);  // from 0 at the trail's end to 1 at its head
  s.timing.SetValue(1);
  return s;
}

ShootingLineSystem& Of(ParticleSystemRuntime& rt) {
  return static_cast<ShootingLineSystem&>(rt);
}

TEST_F(ShootingLineKind, StreaksTravelWithTrailsThatNarrowBehindThem) {
  auto rt = Start(Shooter());
  auto& line = Of(*rt);
  Run(*rt, 0, 1.2f);
  ASSERT_GE(line.Streaks().size(), 2u);
  const auto& first = line.Streaks().front();
  EXPECT_NEAR(first.lead, 100.0f * 1.18f, 2.5f) << "100 pixels a second since its first step";
  ASSERT_GT(line.Ribbon().count, 0u);
  // Every trail section: its width follows its place, narrowing to nothing
  // at the end; all of it finite.
  const RibbonLook& ribbon = line.Ribbon();
  const DX_V::PCT* v = static_cast<const DX_V::PCT*>(ribbon.quads.VertexBuffer->Lock(0, 0));
  // The first streak's trail (the first quads) is 80 pixels long: each
  // section as wide as 10 × its place from the end (0) to the head (1).
  const float end = first.lead - 80;
  for (uint32_t q = 0; q < ribbon.count; ++q) {
    const float w = std::hypot(v[4 * q].x - v[4 * q + 1].x, v[4 * q].y - v[4 * q + 1].y);
    ASSERT_TRUE(std::isfinite(w));
    if (q == 0) {
      EXPECT_NEAR(w, 0.0f, 0.01f) << "nothing at the trail's end";
    }
    if ((v[4 * q + 2].x + v[4 * q + 3].x) / 2 > first.lead - 0.05f) {
      EXPECT_NEAR(std::hypot(v[4 * q + 2].x - v[4 * q + 3].x, v[4 * q + 2].y - v[4 * q + 3].y),
                  10.0f, 0.2f)
          << "the full width at the head";
      break;
    }
    EXPECT_NEAR(w, 10.0f * (v[4 * q].x - end) / 80.0f, 0.6f);
  }
  ribbon.quads.VertexBuffer->Unlock();
  // Each trail ends at its head, swayed as the head is.
  for (size_t i = 0; i < rt->Engine().Count(); ++i) {
    const Particle& head = rt->Engine().At(i);
    const auto& streak = line.Streaks()[i];
    ASSERT_EQ(streak.tag, head.tag);
    PathCursor cursor(&line.settings().path.Samples);
    D3DXVECTOR3 tip, direction;
    cursor.SeekOffset(streak.lead, line.SwayAt(streak, streak.lead), tip, direction);
    EXPECT_NEAR(head.position.x, tip.x, 0.01f);
    EXPECT_NEAR(head.position.y, tip.y, 0.01f);
  }
  // The streaks leave once their trails are off the path.
  Run(*rt, 1.2f, 10);
  for (const auto& streak : line.Streaks()) EXPECT_LE(streak.lead - 80.0f, 300.0f + 1e-3f);
  EXPECT_LE(line.Streaks().size(), 10u);
}

TEST_F(ShootingLineKind, NoSpeedOrNoPathShootsNothingAndWarmsUpAtOnce) {
  QVX_ShootingLine still = Shooter();
  still.speed.SetValue(0);
  still.timing.SetValue(0);
  auto rt = Start(still);  // warm-up L / 0 would never end
  Run(*rt, 0, 2);
  EXPECT_EQ(Of(*rt).Streaks().size(), 0u);
  EXPECT_EQ(rt->Engine().Count(), 0u);

  QVX_ShootingLine onePoint = Shooter();
  onePoint.path.Points.resize(1);
  onePoint.path.Rebuild();
  auto single = Start(onePoint);
  Run(*single, 0, 2);
  EXPECT_EQ(single->Engine().Count(), 0u);
  EXPECT_EQ(Of(*single).Ribbon().count, 0u);
}

TEST_F(ShootingLineKind, ARestartWarmsUpOrStartsEmptyAndShootsAgain) {
  QVX_ShootingLine warm = Shooter();
  warm.timing.SetValue(0);
  auto rt = Start(warm);
  EXPECT_GE(Of(*rt).Streaks().size(), 5u) << "three seconds of streaks at the start";
  QVX_Tears tears = Shooter<QVX_Tears>();
  auto t = Start(tears);
  ASSERT_NE(dynamic_cast<ShootingLineSystem*>(t.get()), nullptr);
  EXPECT_EQ(Of(*t).Streaks().size(), 0u);
  Run(*t, 0, 2);
  t->Restart();
  EXPECT_EQ(Of(*t).Streaks().size(), 0u);
  Run(*t, 0, 2);
  EXPECT_GE(Of(*t).Streaks().size(), 3u) << "shooting again after the restart";
}

TEST_F(ShootingLineKind, ANewHeadStepsTheWholeStepAndOnlyTheHeadsLookAnimates) {
  auto rt = Start(Shooter());
  rt->Advance(0);
  size_t born = 0;
  for (int k = 1; k <= 20 && born == 0; ++k) {
    rt->Advance(0.1f * float(k));
    born = rt->Engine().Count();
  }
  ASSERT_EQ(born, 1u);
  EXPECT_GT(rt->Engine().At(0).age, 0.0f) << "stepped by its frame's step at birth";
  Run(*rt, 2.0f, 3.0f);
  const QVX_ShootingLine& s = Of(*rt).settings();
  EXPECT_GT(s.appearance.textureSpeed.LocalTime, 0.0f);
  EXPECT_EQ(s.lineLook.textureSpeed.LocalTime, 0.0f) << "the trail's look does not animate";
}

TEST(ShootingLineStoredForms, VersionOneHasItsLooksTheOtherWayRound) {
  QVX_ShootingLine in = Shooter();
  in.appearance.name.SetValue(u"trail");
  in.lineLook.name.SetValue(u"head");
  in.headAlong.SetValue(3);
  const std::vector<uint8_t> bytes = WriteWith([&](Archive& ar) { in.Serialize(ar, 2); });
  for (int32_t v = 1; v <= 2; ++v) {
    QVX_ShootingLine out;
    ReadWith(bytes, [&](Archive& ar) { out.Serialize(ar, v); });
    EXPECT_EQ(out.lineLook.name.Value(), v < 2 ? u"trail" : u"head");
    EXPECT_EQ(out.appearance.name.Value(), v < 2 ? u"head" : u"trail");
    EXPECT_FLOAT_EQ(out.headAlong.Value(), 3.0f);
    EXPECT_NEAR(out.path.TotalLength, 300.0f, 0.5f);
  }
}

}  // namespace
}  // namespace glimmer::testing
