// Butterflies: the start draws from state 1, a count raised from 3 to 5,
// turning back at the left bound, gliding above the top bound, the wings'
// cull modes, the built-in meshes and the stored versions.

#include "models/butterfly.h"

#include <gtest/gtest.h>

#include <cmath>

#include "document/resource_manager.h"
#include "params/random_source.h"
#include "store/stream_writer.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/scene_test.h"

namespace glimmer::testing {
namespace {

class ButterflyKind : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    context_.TargetWidth = context_.PictureWidth = 320;
    context_.TargetHeight = context_.PictureHeight = 180;
  }
  static std::shared_ptr<ObjectGroup<ZT_ButterflyConstructor>> Start(uint32_t count) {
    ZT_ButterflyConstructor kind;
    kind.count.SetValue(count);
    auto group =
        std::dynamic_pointer_cast<ObjectGroup<ZT_ButterflyConstructor>>(kind.CreateRuntime());
    group->Restart();
    return group;
  }
  static AC_Butterfly& Flight(const ZT_Node& root) {
    return static_cast<AC_Butterfly&>(*root.animation);
  }
};

float Uniform(float a, float b) {
  return a + (b - a) * float(NextRandom()) / 32767.0f;
}

TEST_F(ButterflyKind, StartDrawsAndARaisedCountAddsTwo) {
  SeedRandom(1);
  auto group = Start(3);
  ASSERT_EQ(group->Roots().size(), 3u);
  SeedRandom(1);
  for (const auto& root : group->Roots()) {
    const float x = Uniform(0, 320), y = Uniform(0, 180), h = Uniform(0, 360);
    EXPECT_NEAR(Flight(*root).x, x, 1e-3);
    EXPECT_NEAR(Flight(*root).y, y, 1e-3);
    EXPECT_NEAR(Flight(*root).heading.value, h, 1e-3);
    EXPECT_EQ(root->Children.size(), 2u) << "two wings";
  }
  for (int k = 0; k < 20; ++k) group->Advance(k * 0.02f);
  std::vector<const ZT_Node*> first;
  std::vector<float> xs;
  for (const auto& root : group->Roots()) {
    first.push_back(root.get());
    xs.push_back(Flight(*root).x);
  }
  group->settings().count.SetValue(5);
  SeedRandom(77);
  group->Advance(20 * 0.02f);
  ASSERT_EQ(group->Roots().size(), 5u);
  SeedRandom(77);
  for (size_t i = 3; i < 5; ++i) {
    const float x = Uniform(0, 320), y = Uniform(0, 180), h = Uniform(0, 360);
    const AC_Butterfly& b = Flight(*group->Roots()[i]);
    // The new ones have flown one frame from their start.
    EXPECT_NEAR(b.y, y + 50 * group->settings().frameStep, 1e-2);
    EXPECT_NEAR(b.x, x + 50 * std::cos(h * 3.14159265f / 180) * group->settings().frameStep, 1e-2);
  }
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(group->Roots()[i].get(), first[i]) << "the first three stay";
    EXPECT_NEAR(Flight(*group->Roots()[i]).x, xs[i], 20) << "and fly on from where they were";
  }
  EXPECT_EQ(group->Instances()[0]->FrameCount(), 5u) << "bodies";
  EXPECT_EQ(group->Instances()[1]->FrameCount(), 10u) << "wings";
}

TEST_F(ButterflyKind, PastTheLeftBoundTurnsBackAndSpeedsUp) {
  auto group = Start(1);
  group->settings().boundsLeft = 0.25f;
  group->Advance(0);
  AC_Butterfly& b = Flight(*group->Roots()[0]);
  b.x = 10;  // left of 0.25 × 320
  b.y = 90;
  b.heading = {170, 170, 80};
  group->Advance(0.02f);
  EXPECT_EQ(b.heading.target, 0.0f);
  EXPECT_EQ(b.heading.rate, -350.0f) << "magnitude 350, towards the lower target";
  EXPECT_EQ(b.speed.target, 300.0f);
  EXPECT_GT(b.speed.rate, 0);
  const float heading = b.heading.value;
  group->Advance(0.04f);
  EXPECT_LT(b.heading.value, heading);
  EXPECT_EQ(b.bank.target, -25.0f) << "banking into the turn";
}

TEST_F(ButterflyKind, AboveTheTopBoundGlidesWithItsWingsLow) {
  auto group = Start(1);
  group->settings().boundsTop = 0.3f;
  group->Advance(0);
  AC_Butterfly& b = Flight(*group->Roots()[0]);
  for (int k = 1; k < 200 && b.mode == 0; ++k) {
    b.y = 10;  // held above 0.3 × 180
    group->Advance(k * 0.02f);
  }
  ASSERT_EQ(b.mode, 1);
  EXPECT_EQ(b.climb.target, 100.0f);
  EXPECT_EQ(b.upperFlap, 0.0f);
  EXPECT_LT(b.flap, -27.5f) << "below half the lower limit";
  EXPECT_LE(b.flapRate, 0) << "held down slowly";
  EXPECT_GT(b.flapRate, -2);
}

TEST_F(ButterflyKind, MirroredWingCullsByItsOwnWinding) {
  auto group = Start(1);
  group->Advance(0);
  AC_Butterfly& b = Flight(*group->Roots()[0]);
  const ZT_Node& root = *group->Roots()[0];
  for (float flap : {30.0f, -30.0f}) {
    SCOPED_TRACE(flap);
    b.flap = flap;
    b.flapRate = 0;
    group->Advance(0.02f);
    const auto& wing1 = static_cast<const ZT_Node&>(*root.Children[0]);
    const auto& wing2 = static_cast<const ZT_Node&>(*root.Children[1]);
    EXPECT_EQ(wing1.flag, flap > 0 ? 1 : 0);
    EXPECT_EQ(wing2.flag, flap < 0 ? 1 : 0);
    // The mirror flips the second wing's winding as its flag flips: both
    // show the same side first.
    EXPECT_EQ(CullModeFor(wing1.flag, wing1.World), CullModeFor(wing2.flag, wing2.World));
    EXPECT_EQ(wing1.CullMode, int32_t(CullModeFor(wing1.flag, wing1.World)));
    EXPECT_EQ(wing2.CullMode, int32_t(CullModeFor(wing2.flag, wing2.World)));
    // The tips mirror each other about the body.
    D3DXVECTOR3 tip{100, 0, 0}, t1, t2;
    D3DXVec3TransformCoord(&t1, &tip, &wing1.World);
    D3DXVec3TransformCoord(&t2, &tip, &wing2.World);
    EXPECT_NEAR(t1.y, t2.y, 1e-3);
  }
  EXPECT_TRUE(group->Instances()[1]->IsTransparent()) << "both passes: every face is drawn";
  EXPECT_FALSE(group->Instances()[0]->IsTransparent());
}

TEST_F(ButterflyKind, BuiltInMeshesAndPicturesLoad) {
  QVX_DocResManager resources;
  resources.Attach(*device_);
  Install(resources.ScreenFor(device_, &context_));
  auto group = Start(1);
  for (const auto& instance : group->Instances()) {
    EXPECT_TRUE(instance->Drawable());
    EXPECT_GT(instance->Mesh().FaceCount, 0u);
  }
  const MeshData wing = LoadXMesh(BuiltinMesh(1111));
  EXPECT_NEAR(wing.Center.x, 50, 1e-3) << "the wing reaches out along +x";
  EXPECT_NEAR(wing.Radius, std::sqrt(2.0f) * 50, 1e-2);
  const MeshData body = LoadXMesh(BuiltinMesh(1110));
  float head = -1e9f;
  for (const MeshVertex& v : body.Vertices) head = std::max(head, v.z);
  EXPECT_NEAR(head, 60, 1e-3) << "the head at +z";
  // A missing mesh leaves its instance without geometry; nothing is drawn.
  ZT_ButterflyConstructor kind;
  kind.bodyMesh = ZT_MeshFile(u"missing.x", 1);
  auto bare = std::dynamic_pointer_cast<ZT_3DObjArray>(kind.CreateRuntime());
  bare->Restart();
  bare->Advance(0.1f);
  EXPECT_FALSE(bare->Instances()[0]->Drawable());
  EXPECT_TRUE(bare->Instances()[1]->Drawable());
}

void WriteObjectPart(ZT_IOF_W& w) {
  w.WriteHeader(u"ZT_3D_Obj_Ctrl", 1);
  w.WriteUInt32(4);   // count
  w.WriteUInt32(80);  // size
  w.WriteString(u"wing.png");
  w.WriteUInt64(11);
  w.WriteString(u"wing.x");
  w.WriteUInt64(12);
  w.WriteHeader(u"ZT_ViewObjCtrl", 2);
  for (int i = 0; i < 6; ++i) w.WriteInt32(0);
  for (float f : {0.1f, 0.9f, 0.2f, 0.8f}) w.WriteFloat(f);
  w.WriteBool(false);
  w.WriteUInt32(70);  // motion speed
  w.WriteHeader(u"ZT_ABObj_Constructor", 1);
  w.WriteString(u"flock");
}

TEST(ButterflyStoredForms, BothVersionsRead) {
  for (int32_t v = 1; v <= 2; ++v) {
    SCOPED_TRACE(v);
    ZT_IOF_W w;
    w.WriteString(u"body.png");
    w.WriteUInt64(21);
    w.WriteString(u"body.x");
    w.WriteUInt64(22);
    w.WriteUInt32(40);
    w.WriteUInt32(60);
    if (v >= 2) w.WriteFloat(1.5f);
    WriteObjectPart(w);
    ZT_ButterflyConstructor kind;
    ReadWith(w.Take(), [&](Archive& ar) { kind.Serialize(ar, v); });
    EXPECT_EQ(kind.bodyMesh.Path(), u"body.x");
    EXPECT_EQ(kind.unusedB.Value(), 60u);
    EXPECT_EQ(kind.wingScale, v >= 2 ? 1.5f : 1.0f) << "version 1 keeps the default";
    EXPECT_EQ(kind.count.Value(), 4u);
    EXPECT_EQ(kind.size.Value(), 80u);
    EXPECT_EQ(kind.mesh.Stamp(), 12u);
    EXPECT_EQ(kind.motionSpeed.Value(), 70u);
    EXPECT_EQ(kind.name, u"flock");
  }
  ZT_ButterflyConstructor fresh;
  EXPECT_EQ(fresh.motionSpeed.Value(), 50u);
  EXPECT_EQ(fresh.image.Path(), u"common_res.dll");
}

}  // namespace
}  // namespace glimmer::testing
