// The animated picture a generator shows: frames loaded from an empty link
// or without a resource manager leave no delay unmatched, an empty frame
// list never steps, a frame's delay is waited out before the next, and the
// two image paths pick what the document carries for a link.

#include "generators/generator_frames.h"

#include <gtest/gtest.h>

#include "document/doc_res_manager.h"
#include "platform/image/image_codec.h"
#include "platform/screen_context.h"
#include "tests/platform/gpu/gpu_test_support.h"
#include "tests/support/test_documents.h"

namespace glimmer::testing {
namespace {

TEST(GeneratorFrames, LoadingWithoutPicturesKeepsOneDelayAFrame) {
  GeneratorFrames f;
  f.frames.resize(2);
  f.frameDelays = {0.5f};
  float aspect = 7;
  f.LoadFrames(ZT_ImageFileLink(), false, &aspect);  // no resource manager here
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

std::vector<uint8_t> RedPng(uint8_t red) {
  Image img{4, 4, std::vector<uint8_t>(64, 255)};
  for (size_t i = 0; i < img.rgba.size(); i += 4) img.rgba[i] = red;
  return EncodePng(img);
}

class GeneratorPicture : public GpuTest {};

// A link the document carries both as a picture file (red 200) and as a
// frame list (red 50): the ordinary path shows the file, the alternative one
// the frames; a link carried only as a file is found by both.
TEST_F(GeneratorPicture, TheImagePathPicksTheFileOrTheFrameList) {
  ZT_DocResManager stored;
  stored.PictureBlobs.push_back({{u"both.png", 1}, {{0, u"", RedPng(200), u""}}});
  stored.FrameEntries.push_back({{u"both.png", 1}, {{RedPng(50), 0.0f}}});
  stored.PictureBlobs.push_back({{u"file.png", 1}, {{0, u"", RedPng(120), u""}}});
  const auto m = ReadBackManager(stored, *device_);
  ScreenScope scope(m->ScreenFor(device_, nullptr));
  const auto red = [](const TextureSet& set) {
    return set.empty() ? -1 : int(set.Textures[0]->ReadLevel(0).Pixel(0, 0)[0]);
  };
  const ZT_ImageFileLink both(LinkKey{u"both.png", 1}), file(LinkKey{u"file.png", 1});
  EXPECT_EQ(red(LoadGeneratorPicture(both, false)), 200);
  EXPECT_EQ(red(LoadGeneratorPicture(both, true)), 50);
  EXPECT_EQ(red(LoadGeneratorPicture(file, true)), 120) << "nothing lost on the alternative path";
  EXPECT_EQ(red(LoadGeneratorPicture(ZT_ImageFileLink(LinkKey{u"", 62}), true)), -1)
      << "an empty link shows nothing";
  GeneratorFrames frames;
  frames.LoadFrames(both, true);
  ASSERT_EQ(frames.frames.size(), 1u);
  EXPECT_EQ(frames.frames[0]->ReadLevel(0).Pixel(0, 0)[0], 50);
}

}  // namespace
}  // namespace glimmer::testing
