// The animated picture a generator shows: frames loaded from an empty link
// or without a resource manager leave no delay unmatched, an empty frame
// list never steps, and a frame's delay is waited out before the next.

#include "generators/generator_frames.h"

#include <gtest/gtest.h>

namespace glimmer::testing {
namespace {

TEST(GeneratorFrames, LoadingWithoutPicturesKeepsOneDelayAFrame) {
  GeneratorFrames f;
  f.frames.resize(2);
  f.frameDelays = {0.5f};
  float aspect = 7;
  f.LoadFrames(ZT_ImageFileLink(), &aspect);  // no resource manager here
  EXPECT_EQ(f.frameDelays.size(), f.frames.size()) << "a delay for every frame";
  EXPECT_EQ(f.frameDelays[1], 0.0f);
  EXPECT_EQ(aspect, 7.0f) << "no picture, no aspect";
}

TEST(GeneratorFrames, NoFramesNeverStepAndADelayIsWaitedOut) {
  GeneratorFrames none;
  none.NextFrameAfterDelay(10);
  EXPECT_EQ(none.frameIndex, 0u);
  GeneratorFrames f;
  f.frames.resize(2);
  f.frameDelays = {0.25f, 0.25f};
  f.NextFrameAfterDelay(0.2f);
  EXPECT_EQ(f.frameIndex, 0u) << "still within the first frame's delay";
  f.NextFrameAfterDelay(0.3f);
  EXPECT_EQ(f.frameIndex, 1u);
  EXPECT_EQ(f.lastSwitch, 0.3f);
  f.NextFrameAfterDelay(0.6f);
  EXPECT_EQ(f.frameIndex, 0u) << "wrapping";
  f.frameIndex = 5;  // beyond the list: taken modulo its length
  f.NextFrameAfterDelay(0.6f);
  EXPECT_EQ(f.frameIndex, 1u);
}

}  // namespace
}  // namespace glimmer::testing
