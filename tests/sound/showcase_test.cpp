// The sound showcase (shows/sound, composed at build time) played through the
// show root on the "dummy" sound output: the WAVE layer's bell rings on the
// left in the first slide, the slide switch stops it, and the MPEG layer's
// organ tune sounds on the right in the second; the music plays under both.

#include <gtest/gtest.h>

#include <filesystem>

#include "document/document_source.h"
#include "document/resource_manager.h"
#include "scene/slide_show.h"
#include "show/show_document.h"
#include "sound/music_player.h"
#include "sound/sound_layer.h"
#include "tests/platform/gpu/gpu_test_support.h"
#include "tests/support/sound_samples.h"

namespace glimmer::testing {
namespace {

class SoundShowcase : public GpuTest {
 protected:
  void SetUp() override {
    GpuTest::SetUp();
    ASSERT_TRUE(AudioOutput::Open("dummy"));
    AudioOutput::SetMasterVolume(0);
  }
  void TearDown() override { AudioOutput::Close(); }
};

TEST_F(SoundShowcase, EachSlidesLayerSoundsOnItsSideAndTheMusicUnderThem) {
  const auto file = std::filesystem::path(GLIMMER_BINARY).parent_path() / "shows/sound.dds";
  ShowDocument doc = LoadShow(ReadWholeFile(file, 64u << 20));
  RenderContext context;
  doc.resources->Attach(*device_);
  ScreenScope scope(doc.resources->ScreenFor(device_, &context));
  doc.show->Instantiate(2);
  ASSERT_EQ(doc.show->slides.size(), 2u);
  ZT_Sound* bell = dynamic_cast<ZT_Sound*>(doc.show->slides[0]->soundObjects.at(0).get());
  ZT_Sound* organ = dynamic_cast<ZT_Sound*>(doc.show->slides[1]->soundObjects.at(0).get());
  ASSERT_TRUE(bell && organ);
  ASSERT_TRUE(bell->Sound().Voice() && organ->Sound().Voice()) << "both sounds decode";
  EXPECT_EQ(bell->Sound().DurationHundredths, 150);
  EXPECT_EQ(organ->Sound().DurationHundredths, 400);

  MixCapture mix;
  int musicLevel = 0;
  MusicPlayer music([&] { return musicLevel; });
  music.Start(doc.show->music);
  Sleep(0.2);
  EXPECT_GT(PeaksOf(mix.Samples()).left, 1000) << "the music plays first";
  musicLevel = -10000;  // the layers alone from here
  music.ApplyLevel();

  doc.show->AdvanceShow(0.0f);
  doc.show->AdvanceShow(0.1f);
  Sleep(0.1);
  mix.Clear();
  Sleep(0.3);
  const Peaks bellPeaks = PeaksOf(mix.Samples());
  EXPECT_EQ(bell->Sound().Voice()->Starts(), 1u);
  EXPECT_GT(bellPeaks.left, 1000) << "the bell rings";
  EXPECT_LT(bellPeaks.right, bellPeaks.left / 10) << "on the left (balance 20)";

  doc.show->AdvanceShow(9.5f);  // the second slide: the bell stops
  EXPECT_FALSE(bell->Sound().Voice()->IsPlaying());
  doc.show->AdvanceShow(9.6f);
  EXPECT_TRUE(organ->Sound().Voice()->IsPlaying());
  Sleep(0.1);
  mix.Clear();
  Sleep(0.5);
  const Peaks organPeaks = PeaksOf(mix.Samples());
  EXPECT_GT(organPeaks.right, 1000) << "the organ plays";
  EXPECT_LT(organPeaks.left, organPeaks.right) << "a little to the right (balance 70)";
}

}  // namespace
}  // namespace glimmer::testing
