// Leaf streams: a leaf's draws from state 1, leaving through the bottom and
// coming back above the top, drift changes (never at change rate 0), the
// restart of the clocks, a mesh without extent, the count cap and the
// stored form.

#include "models/leaf_stream.h"

#include <gtest/gtest.h>

#include <cmath>

#include "params/random_source.h"
#include "store/stream_writer.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/scene_test.h"

namespace glimmer::testing {
namespace {

float Uniform(float a, float b) {
  return a + (b - a) * float(NextRandom()) / 32767.0f;
}

class LeafStream : public ::testing::Test {
 protected:
  void SetUp() override {
    settings.leafSize = 20;
    settings.direction.SetValue(90);  // down the slide
    stream.settings = &settings;
    stream.width = 320;
    stream.height = 180;
    stream.meshRadius = 10;
  }
  ZT_3D_in_2D_array_Constructor settings;
  LeafStreamState stream;
  ZT_Node node;
};

TEST_F(LeafStream, ALeafDrawsInItsOrder) {
  SeedRandom(1);
  ZT_LeafFallAnim leaf(stream);
  const uint32_t after = RandomState();
  SeedRandom(1);
  EXPECT_NEAR(leaf.x, Uniform(0, 320), 1e-3);
  EXPECT_NEAR(leaf.y, Uniform(0, 180), 1e-3);
  EXPECT_NEAR(leaf.driftFactor, Uniform(-1, 1), 1e-5);
  EXPECT_NEAR(leaf.pace, Uniform(0.07f, 0.13f), 1e-6);
  for (int i = 0; i < 3; ++i) {
    const float magnitude = Uniform(7, 10);
    const bool negative = NextRandom() & 1;
    EXPECT_NEAR(leaf.rate[i], negative ? -magnitude : magnitude, 1e-5);
    EXPECT_EQ(leaf.angle[i], leaf.rate[i]) << "the angles start at their rates";
  }
  for (int i = 3; i < 5; ++i) {
    const float magnitude = Uniform(3, 7);
    const bool spins = NextRandom() & 1;
    const bool negative = NextRandom() & 1;
    EXPECT_NEAR(leaf.rate[i], spins ? (negative ? -magnitude : magnitude) : 0.0f, 1e-5);
  }
  EXPECT_EQ(RandomState(), after) << "fourteen draws a leaf";
}

TEST_F(LeafStream, LeavingThroughTheBottomComesBackAboveTheTop) {
  ZT_LeafFallAnim leaf(stream);
  leaf.y = 180 + 10.5f;  // below the bottom by more than the half size
  leaf.x = 100;
  stream.time = 0.02f;
  SeedRandom(5);
  leaf.Animate(node);
  SeedRandom(5);
  EXPECT_EQ(leaf.y, -10.0f);
  EXPECT_NEAR(leaf.x, Uniform(0, 320), 1e-3);
  // Inside, it moves down by speed × pace × dt × 50.
  const float y = leaf.y, pace = leaf.pace;
  stream.time = 0.04f;
  leaf.Animate(node);
  EXPECT_NEAR(leaf.y - y, 50 * pace * 0.02f * 50, 1e-3);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_TRUE(std::isfinite(node.World(r, c)));
}

TEST_F(LeafStream, DriftChangesOnlyWithAChangeRate) {
  settings.drift = 50;
  ZT_LeafFallAnim leaf(stream);
  const uint32_t state = RandomState();
  for (int k = 1; k <= 500; ++k) {
    leaf.x = 160;  // kept inside: no re-entry draws
    leaf.y = 90;
    stream.time = k * 0.1f;
    leaf.Animate(node);
  }
  EXPECT_EQ(RandomState(), state) << "change rate 0: the threshold is never reached";
  EXPECT_EQ(leaf.lastChange, 0.0f);

  settings.changeRate = 50;  // threshold 2: (T − last) × 50 × 0.1 > 2 after 0.4 s
  stream.time += 0.5f;
  leaf.Animate(node);
  EXPECT_EQ(leaf.lastChange, stream.time);
  leaf.Restart();
  EXPECT_EQ(leaf.lastChange, 0.0f) << "restart clears the mark";
  EXPECT_EQ(leaf.previous, 0.0f);
}

TEST_F(LeafStream, AMeshWithoutExtentDrawsAtNoSize) {
  stream.meshRadius = 0;
  ZT_LeafFallAnim leaf(stream);
  stream.time = 0.02f;
  leaf.Animate(node);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_TRUE(std::isfinite(node.World(r, c)));
  EXPECT_EQ(node.World(0, 0), 0.0f);
}

class LeafStreamKind : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    context_.TargetWidth = context_.PictureWidth = 320;
    context_.TargetHeight = context_.PictureHeight = 180;
  }
};

TEST_F(LeafStreamKind, CountChangesAddAndRemoveAtTheEndWithinTheCap) {
  ZT_3D_in_2D_array_Constructor kind;
  kind.count = 3;
  auto runtime = std::dynamic_pointer_cast<ZT_3D_in_2D_array>(kind.CreateRuntime());
  runtime->Restart();
  runtime->Advance(0.02f);
  ASSERT_EQ(runtime->Leaves().size(), 3u);
  const ZT_Node* first = runtime->Leaves()[0].get();
  runtime->settings().count = kMaxLeaves + 1;
  ::testing::internal::CaptureStderr();
  runtime->Advance(0.04f);
  runtime->Advance(0.06f);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(runtime->Leaves().size(), kMaxLeaves);
  EXPECT_EQ(runtime->Leaves()[0].get(), first);
  EXPECT_NE(said.find("asks for"), std::string::npos);
  EXPECT_EQ(said.find("asks for"), said.rfind("asks for")) << "said once";
  runtime->settings().count = 2;
  runtime->Advance(0.08f);
  EXPECT_EQ(runtime->Leaves().size(), 2u);
  EXPECT_EQ(runtime->Stream().time, 0.08f);
}

TEST(LeafStreamStoredForm, ReadsItsFieldsThenTheLayerPart) {
  ZT_IOF_W w;
  w.WriteString(u"leaves");
  w.WriteUInt32(12);
  ResourceBlob mesh;
  mesh.Data = {1, 2, 3};
  mesh.Name = u"leaf.x";
  w.WriteResourceBlob(mesh);
  ResourceBlob picture;
  picture.ResourceId = 62;
  picture.Module = u"common_res.dll";
  w.WriteResourceBlob(picture);
  for (uint32_t v : {30u, 60u, 40u, 10u, 120u}) w.WriteUInt32(v);
  w.WriteUInt32(45);
  w.WriteHeader(u"ZT_ABObj_Constructor", 1);
  w.WriteString(u"stream");
  ZT_3D_in_2D_array_Constructor kind;
  ReadWith(w.Take(), [&](Archive& ar) { kind.Serialize(ar, 1); });
  EXPECT_EQ(kind.streamName, u"leaves");
  EXPECT_EQ(kind.count, 12u);
  EXPECT_EQ(kind.meshBlob.Data, mesh.Data);
  EXPECT_EQ(kind.textureBlob.ResourceId, 62);
  EXPECT_EQ(kind.leafSize, 30u);
  EXPECT_EQ(kind.spinSpeed, 120u);
  EXPECT_EQ(kind.direction.Value(), 45u);
  EXPECT_NEAR(kind.direction.Direction().x, std::sqrt(0.5f), 1e-5) << "recomputed";
  EXPECT_EQ(kind.name, u"stream");
}

}  // namespace
}  // namespace glimmer::testing
