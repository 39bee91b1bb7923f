// The sound output opened offline, as a video's sound track is made: the
// layers and the music do not know it, each pull holds the samples the
// player would mix, starting on the sample of the step that started them, and
// a sound mixed offline and by the device's thread gives the same samples.

#include <gtest/gtest.h>

#include <algorithm>

#include "host/saver_settings.h"
#include "sound/music_player.h"
#include "sound/wav_sound.h"
#include "tests/support/sound_layers.h"
#include "tests/support/sound_samples.h"

namespace glimmer::testing {
namespace {

constexpr size_t kStepFrames = 4410;  // 0.1 s

class OfflineSound : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(AudioOutput::OpenOffline());
    AudioOutput::SetMasterVolume(0);
  }
  void TearDown() override { AudioOutput::Close(); }

  // The next `frames` of the mix, appended to `mix`.
  static void Pull(std::vector<int16_t>& mix, size_t frames) {
    const size_t at = mix.size();
    mix.resize(at + frames * 2);
    AudioOutput::Render(mix.data() + at, frames);
  }
};

// The left channel's runs of one value: (value, frames).
std::vector<std::pair<int, size_t>> LeftRuns(const std::vector<int16_t>& mix) {
  std::vector<std::pair<int, size_t>> runs;
  for (size_t i = 0; i < mix.size(); i += 2) {
    if (runs.empty() || runs.back().first != mix[i]) runs.push_back({mix[i], 0});
    ++runs.back().second;
  }
  return runs;
}

TEST_F(OfflineSound, ALayerStartsOnTheSampleOfItsStepAtItsLevelAndPan) {
  EXPECT_FALSE(AudioOutput::Open()) << "already open offline";
  ZT_DocResManager resources;
  ZT_WAV_Constructor ctor;
  ctor.Volume.SetValue(50);  // −2500 mB
  ctor.Balance.SetValue(0);  // the right 5000 mB lower
  UseRandomLine(ctor.timing, 30, 0, 50);
  ctor.File = HoldFile(resources, WaveFile(Level(8000, 0.2)));
  auto sound = MakeSound(ctor, &resources);
  ASSERT_TRUE(sound && sound->Sound().Voice());

  std::vector<int16_t> mix;
  std::vector<size_t> shownSteps;  // steps on which a shown phase begins
  TimeLineState last = TimeLineState::Hidden;
  for (int k = 0; k < 20; ++k) {
    sound->Tick(float(k) / 10);
    const TimeLineState now = sound->GetTiming().Line()->State();
    if (now == TimeLineState::Shown && last != TimeLineState::Shown)
      shownSteps.push_back(size_t(k));
    last = now;
    Pull(mix, kStepFrames);
  }
  ASSERT_EQ(shownSteps.size(), 2u);
  // Silence, 0.2 s of the sound from the first shown step's first sample,
  // silence, the sound again, silence.
  const auto runs = LeftRuns(mix);
  ASSERT_EQ(runs.size(), 5u);
  EXPECT_EQ(runs[0], std::make_pair(0, shownSteps[0] * kStepFrames));
  EXPECT_EQ(runs[1].second, 8820u);
  EXPECT_NEAR(runs[1].first, 8000 * std::pow(10.0, -2500 / 2000.0), 1.0);
  EXPECT_EQ(runs[2], std::make_pair(0, (shownSteps[1] - shownSteps[0]) * kStepFrames - 8820));
  EXPECT_EQ(runs[3], runs[1]);
  EXPECT_EQ(PeaksOf(mix).right, 1) << "8000 at −7500 mB";
  EXPECT_EQ(sound->Sound().Voice()->Starts(), 2u);
}

TEST_F(OfflineSound, ALoopWrapsWithoutAGapAndEndsWithItsSlide) {
  std::vector<int16_t> ramp(1000);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = int16_t(10 * (i + 1));
  ZT_DocResManager resources;
  ZT_WAV_Constructor ctor;  // a continuous line: loops while shown
  ctor.File = HoldFile(resources, WaveFile(ramp));
  auto sound = MakeSound(ctor, &resources);
  ASSERT_TRUE(sound && sound->Sound().Voice());
  std::vector<int16_t> mix;
  sound->Tick(0.0f);
  Pull(mix, 2500);
  sound->Tick(0.1f);
  Pull(mix, 2500);
  for (size_t i = 0; i < 5000; ++i) {
    ASSERT_EQ(mix[2 * i], ramp[i % 1000]) << "frame " << i;
    ASSERT_EQ(mix[2 * i + 1], ramp[i % 1000]) << "frame " << i;
  }
  EXPECT_EQ(sound->Sound().Voice()->Starts(), 1u);
  sound->SetActive(false);
  mix.clear();
  Pull(mix, 2500);
  EXPECT_EQ(PeaksOf(mix).left, 0);
  EXPECT_FALSE(sound->Sound().Voice()->IsPlaying());
}

ZT_SafePtr<ZT_AudioFile> Track(const char16_t* name, std::vector<uint8_t> bytes) {
  auto e = std::make_shared<ZT_AudioFile>();
  e->Name = name;
  e->Data = {std::u16string(name) + u".wav", std::move(bytes)};
  return e;
}

TEST_F(OfflineSound, MusicTracksFollowEachOtherAtTheMusicLevel) {
  // A WAVE file whose header says it plays for 32 hours is refused before
  // it is decoded.
  std::vector<uint8_t> endless = WaveFile(Level(1000, 0.1));
  endless[28] = 1;
  endless[29] = endless[30] = endless[31] = 0;
  MusicPlayer player([] { return MusicVolume(50, false); });  // −2000 mB: 13 of 128
  ::testing::internal::CaptureStderr();
  player.Start({Track(u"up", WaveFile(Level(8000, 0.1))), Track(u"endless", endless),
                Track(u"down", WaveFile(Level(-8000, 0.1)))});
  std::vector<int16_t> mix;
  for (int k = 0; k < 8; ++k) {  // the frame loop's part of the music
    if (AudioOutput::TakeMusicEnded()) player.PlayNextTrack(1);
    Pull(mix, kStepFrames / 2);
  }
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_NE(said.find("\"endless\" is skipped: it plays for"), std::string::npos) << said;
  // 8000 × 13 ÷ 128 in the mixer's integers; each track exactly 0.1 s, the
  // next one from the pull after the end, the list wrapping.
  const auto runs = LeftRuns(mix);
  ASSERT_EQ(runs.size(), 4u);
  EXPECT_EQ(runs[0], std::make_pair(812, kStepFrames));
  EXPECT_EQ(runs[1], std::make_pair(-812, kStepFrames));
  EXPECT_EQ(runs[2], std::make_pair(812, kStepFrames));
  EXPECT_EQ(runs[3], std::make_pair(-812, kStepFrames));
  EXPECT_EQ(player.TracksStarted(), 4u);
}

// A sound played through the device's thread and offline: from the first
// sample that sounds, both mixes hold the same samples.
TEST(OfflineAndDeviceMixes, HoldTheSameSamples) {
  std::vector<int16_t> ramp(10000);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = int16_t(int(i % 700) * 40 - 14000);
  const std::vector<uint8_t> wave = WaveFile(ramp);
  auto mixOf = [&](bool offline, bool music) {
    EXPECT_TRUE(offline ? AudioOutput::OpenOffline() : AudioOutput::Open("dummy"));
    AudioOutput::SetMasterVolume(-700);
    std::vector<int16_t> samples;
    {
      MixCapture capture;
      // Full music level: the device's thread may mix a buffer between a
      // track's start and its level.
      MusicPlayer player([] { return 0; });
      std::string error;
      SoundVoice voice(music ? nullptr : SoundClip::Decode(wave, error));
      if (music) {
        player.Start({Track(u"tone", MpegTone(30))});
      } else {
        voice.SetLevel(-300, 1200);
        voice.Play(false);
      }
      if (offline) {
        std::vector<int16_t> pulled(2 * 13230);
        AudioOutput::Render(pulled.data(), 13230);
      } else {
        Sleep(0.4);
      }
      samples = capture.Samples();
    }
    AudioOutput::Close();
    // From the first sample that sounds, 0.2 s.
    const auto first = std::find_if(samples.begin(), samples.end(), [](int16_t v) { return v; });
    const size_t from = size_t(first - samples.begin()) & ~size_t(1);
    EXPECT_GE(samples.size(), from + 17640) << (offline ? "offline" : "device");
    samples.resize(std::max(samples.size(), from + 17640));
    return std::vector<int16_t>(samples.begin() + ptrdiff_t(from),
                                samples.begin() + ptrdiff_t(from + 17640));
  };
  for (bool music : {true, false}) {
    SCOPED_TRACE(music ? "music" : "a voice");
    const std::vector<int16_t> device = mixOf(false, music), offline = mixOf(true, music);
    EXPECT_GT(PeaksOf(device).left, 1000);
    EXPECT_EQ(device, offline);
  }
}

}  // namespace
}  // namespace glimmer::testing
