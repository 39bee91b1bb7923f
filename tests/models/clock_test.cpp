// The clock: its hands at a fixed local time, the placement following its
// centre and size, the time source's parsing and the stored form.

#include "models/clock.h"

#include <gtest/gtest.h>

#include <cmath>

#include "store/stream_writer.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/scene_test.h"

namespace glimmer::testing {
namespace {

class ClockKind : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    context_.TargetWidth = context_.PictureWidth = 320;
    context_.TargetHeight = context_.PictureHeight = 180;
  }
  void TearDown() override {
    SetFixedLocalTime(std::nullopt);
    SceneTest::TearDown();
  }
};

// Where a hand's far end points on the slide, in degrees clockwise from 12
// o'clock (y grows downwards), and its length in pixels.
std::pair<float, float> HandDirection(const ZT_Node& root, const ZT_Node& hand) {
  D3DXVECTOR3 centre, tip, far{0, 0, 50}, zero{0, 0, 0};
  D3DXVec3TransformCoord(&centre, &zero, &root.World);
  D3DXVec3TransformCoord(&tip, &far, &hand.World);
  const float dx = tip.x - centre.x, dy = tip.y - centre.y;
  float a = std::atan2(dx, -dy) * 180 / 3.14159265f;
  if (a < 0) a += 360;
  return {a, std::hypot(dx, dy)};
}

TEST_F(ClockKind, HandsShowTheFixedLocalTime) {
  EXPECT_FLOAT_EQ(AC_ClockArrow::Angle(AC_ClockArrow::kMinute, 3, 30, 0), 180);
  EXPECT_FLOAT_EQ(AC_ClockArrow::Angle(AC_ClockArrow::kHour, 3, 30, 0), 105);
  EXPECT_FLOAT_EQ(AC_ClockArrow::Angle(AC_ClockArrow::kHour, 15, 30, 0), 105) << "12-hour dial";
  EXPECT_FLOAT_EQ(AC_ClockArrow::Angle(AC_ClockArrow::kMinute, 0, 0, 30), 3);

  SetFixedLocalTime(ParseTimeOfDay("03:30:00"));
  ZT_ClockConstructor kind;
  kind.placement.ExtraA.SetValue(160);
  kind.placement.ExtraB.SetValue(90);
  kind.size.SetValue(100);
  auto clock = std::dynamic_pointer_cast<ZT_3DObjArray>(kind.CreateRuntime());
  clock->Restart();
  clock->Advance(0.5f);
  ASSERT_EQ(clock->Roots().size(), 1u);
  const ZT_Node& root = *clock->Roots()[0];
  D3DXVECTOR3 centre, zero{0, 0, 0}, rim{50, 0, 0};
  D3DXVec3TransformCoord(&centre, &zero, &root.World);
  EXPECT_NEAR(centre.x, 160, 1e-3);
  EXPECT_NEAR(centre.y, 90, 1e-3);
  D3DXVECTOR3 edge;
  D3DXVec3TransformCoord(&edge, &rim, &root.World);
  EXPECT_NEAR(edge.x - centre.x, 50, 1e-3) << "the dial's diameter is the size";
  const auto hour = HandDirection(root, static_cast<const ZT_Node&>(*root.Children[0]));
  const auto minute = HandDirection(root, static_cast<const ZT_Node&>(*root.Children[1]));
  EXPECT_NEAR(minute.first, 180, 0.01) << "half past: straight down";
  EXPECT_NEAR(hour.first, 105, 0.01);
  EXPECT_GT(minute.second, hour.second) << "the minute hand is the longer";
  EXPECT_LT(minute.second, 50) << "and stays on the dial";

  // Both instances are see-through: the hands are drawn over the dial.
  ASSERT_EQ(clock->Instances().size(), 2u);
  EXPECT_EQ(clock->Instances()[1]->FrameCount(), 2u);
  EXPECT_TRUE(clock->Instances()[0]->IsTransparent());
  EXPECT_TRUE(clock->Instances()[1]->IsTransparent());
}

TEST_F(ClockKind, PlacementFollowsCentreAndSize) {
  ZT_ClockConstructor kind;
  kind.placement.ExtraA.SetValue(100);
  kind.placement.ExtraB.SetValue(60);
  kind.size.SetValue(40);
  auto clock = std::dynamic_pointer_cast<ZT_3DObjArray>(kind.CreateRuntime());
  clock->Restart();
  clock->Advance(0.1f);
  auto& o = static_cast<ZT_ClockConstructor&>(clock->Owner());
  EXPECT_EQ(o.placement.Left.Value(), 80);
  EXPECT_EQ(o.placement.Bottom.Value(), 80);
  o.size.SetValue(60);
  o.placement.ExtraA.SetValue(10);
  clock->Advance(0.2f);
  EXPECT_EQ(o.placement.Left.Value(), -20);
  EXPECT_EQ(o.placement.Right.Value(), 40);
  EXPECT_EQ(o.placement.Top.Value(), 30);
}

TEST(ClockTime, ParsesOnlyTimesOfDay) {
  const auto t = ParseTimeOfDay("23:05:09");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->hours, 23);
  EXPECT_EQ(t->minutes, 5);
  EXPECT_EQ(t->seconds, 9);
  EXPECT_TRUE(ParseTimeOfDay("7:45"));
  for (const char* bad : {"24:00:00", "12:60:00", "12:00:61", "noon", "12", "12:00:00x", ""})
    EXPECT_FALSE(ParseTimeOfDay(bad)) << bad;
  SetFixedLocalTime(LocalTimeOfDay{1, 2, 3});
  EXPECT_EQ(ReadLocalTime()->minutes, 2);
  SetFixedLocalTime(std::nullopt);
  EXPECT_TRUE(ReadLocalTime()) << "the computer's clock";
}

TEST(ClockStoredForms, VersionOneReads) {
  ZT_IOF_W w;
  for (int32_t i : {10, 50, 20, 60, 30, 40}) w.WriteInt32(i);
  w.WriteString(u"hands.png");
  w.WriteUInt64(5);
  w.WriteHeader(u"ZT_3D_Obj_Ctrl", 1);
  w.WriteUInt32(1);
  w.WriteUInt32(120);
  w.WriteString(u"dial.png");
  w.WriteUInt64(6);
  w.WriteString(u"clock.x");
  w.WriteUInt64(7);
  w.WriteHeader(u"ZT_ViewObjCtrl", 1);
  for (int i = 0; i < 6; ++i) w.WriteInt32(0);
  for (float f : {0.0f, 1.0f, 0.0f, 1.0f}) w.WriteFloat(f);
  w.WriteBool(false);
  w.WriteHeader(u"ZT_ABObj_Constructor", 1);
  w.WriteString(u"clock");
  ZT_ClockConstructor kind;
  ReadWith(w.Take(), [&](Archive& ar) { kind.Serialize(ar, 1); });
  EXPECT_EQ(kind.placement.ExtraA.Value(), 30);
  EXPECT_EQ(kind.placement.ExtraB.Value(), 40);
  EXPECT_EQ(kind.handsImage.Path(), u"hands.png");
  EXPECT_EQ(kind.image.Path(), u"dial.png");
  EXPECT_EQ(kind.size.Value(), 120u);
  EXPECT_EQ(kind.motionSpeed.Value(), 50u) << "a version-1 view part keeps the default";
}

}  // namespace
}  // namespace glimmer::testing
