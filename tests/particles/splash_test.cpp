// The splash and the spray: version 1's phase durations become the life and
// an envelope (and phases of no length leave it flat); a splash is born
// whole over its sector, a spray not at all while its layer is invisible.

#include "particles/splash.h"

#include <gtest/gtest.h>

#include "particles/spray.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/particle_kind_test.h"

namespace glimmer::testing {
namespace {

void WriteRectangle(ZT_IOF_W& w) {
  for (float c : {0.f, 0.f, 0.f, 0.f, 50.f, 0.f, 80.f, 0.f, 0.f, 80.f, 50.f, 0.f}) w.WriteFloat(c);
}

// Version 1's fields from the size variation on.
void WriteVersion1Tail(ZT_IOF_W& w, uint32_t d1, uint32_t d2, uint32_t d3, int32_t mode) {
  w.WriteUInt32(40);  // size variation u
  w.WriteLong(0);
  for (uint32_t d : {d1, d2, d3}) w.WriteUInt32(d);
  w.WriteLong(mode);
  WriteOldParticleBase(w);
}

TEST(SplashStoredForms, Version1PhasesBecomeTheLifeAndAnEnvelope) {
  ZT_IOF_W w;
  WriteRectangle(w);
  for (float c : {5.f, 6.f, 0.f}) w.WriteFloat(c);
  for (uint32_t u : {30u, 90u, 45u}) w.WriteUInt32(u);  // sector radius, angle, width
  w.WriteLong(1);
  w.WriteUInt32(70);
  WriteVersion1Tail(w, 50, 100, 50, 1);
  QVX_SplashPtclSys s;
  ReadWith(w.Take(), [&](Archive& ar) { s.Serialize(ar, 1); });
  EXPECT_EQ(s.sector.radius.Value(), 30u);
  EXPECT_EQ(s.total.Value(), 70u);
  EXPECT_FLOAT_EQ(s.life.Seconds(), 2.0f);
  EXPECT_EQ(s.appearance.sizeEnvelope.riseEnd.Value(), 25u);
  EXPECT_EQ(s.appearance.sizeEnvelope.fallStart.Value(), 75u);
  EXPECT_EQ(s.appearance.opacityEnvelope.riseEnd.Value(), 0u);
  EXPECT_EQ(s.appearance.opacityEnvelope.fallStart.Value(), 100u);
  EXPECT_EQ(s.direction.Spread.Value(), 360u);
  EXPECT_EQ(s.speed.Value(), 0u);
  EXPECT_FLOAT_EQ(s.appearance.sizeVariation.Scaled(), 0.4f);

  // The spray's first version: rate, rectangle, then the same tail; phases
  // of no length shape nothing.
  ZT_IOF_W spray;
  spray.WriteUInt32(25);
  WriteRectangle(spray);
  WriteVersion1Tail(spray, 0, 0, 0, 0);
  QVX_SprayPtclSys p;
  ReadWith(spray.Take(), [&](Archive& ar) { p.Serialize(ar, 1); });
  EXPECT_FLOAT_EQ(p.rate.rate.Scaled(), 5.0f);
  EXPECT_EQ(p.rectangle.quad.Corners[3].Value(), (D3DXVECTOR3{80, 50, 0}));
  EXPECT_EQ(p.life.Value(), 0u);
  EXPECT_EQ(p.appearance.opacityEnvelope.riseEnd.Value(), 0u);
  EXPECT_EQ(p.appearance.opacityEnvelope.fallStart.Value(), 100u);
}

using SplashKind = ParticleKindTest;

TEST_F(SplashKind, ASplashIsBornWholeInItsSectorAndASprayWaitsForVisibility) {
  QVX_SplashPtclSys splash;
  splash.geometry.SetValue(1);
  splash.sector.position = {100, 100, 0};
  splash.sector.radius.SetValue(20);
  splash.sector.angle.SetValue(90);  // upwards, ±45°
  splash.sector.width.SetValue(90);
  splash.speed.SetValue(0);  // where they were born
  auto rt = Start(splash);
  rt->Advance(0.02f);
  ASSERT_EQ(rt->Engine().Count(), 100u);
  for (size_t i = 0; i < rt->Engine().Count(); ++i) {
    const D3DXVECTOR3 d = rt->Engine().At(i).position - splash.sector.position;
    EXPECT_LE(Length(d), 20.01f);
    EXPECT_LE(d.y, 0.01f) << "above the point";
    EXPECT_LE(std::fabs(d.x), -d.y + 0.01f) << "within 45° of straight up";
  }
  rt->Advance(1.0f);
  EXPECT_EQ(rt->Engine().Count(), 100u) << "nothing more until hidden";

  QVX_SprayPtclSys spray;
  spray.timing.SetValue(1);  // no warm-up
  auto sp = Start(spray);
  SetVisibility(*sp, TimeLineState::Hidden, 0);
  Run(*sp, 0, 2);
  EXPECT_EQ(sp->Engine().Count(), 0u);
  SetVisibility(*sp, TimeLineState::Shown, 1);
  Run(*sp, 2, 3);
  EXPECT_NEAR(double(sp->Engine().Count()), 20.0, 1.0) << "20 a second";
}

}  // namespace
}  // namespace glimmer::testing
