// The show's music as heard: tracks in the show's order with the list
// wrapping, the only track looping, no entries, an entry that cannot play
// skipped, the music level law, and silence without a sound output.

#include "sound/music_player.h"

#include <gtest/gtest.h>

#include "host/saver_settings.h"
#include "tests/support/sound_samples.h"

namespace glimmer::testing {
namespace {

ZT_SafePtr<ZT_AudioFile> Entry(const char16_t* name, std::vector<uint8_t> bytes) {
  auto e = std::make_shared<ZT_AudioFile>();
  e->Name = name;
  e->Data = {std::u16string(name) + u".wav", std::move(bytes)};
  return e;
}

// The music's sign changes: +1 for a positive level, −1 for a negative one,
// consecutive repeats (and silence between) merged.
std::vector<int> Runs(const std::vector<int16_t>& mix) {
  std::vector<int> runs;
  for (size_t i = 0; i < mix.size(); i += 2) {
    const int sign = mix[i] > 100 ? 1 : mix[i] < -100 ? -1 : 0;
    if (sign != 0 && (runs.empty() || runs.back() != sign)) runs.push_back(sign);
  }
  return runs;
}

// Runs the frame loop's part of the music for `seconds`.
void Pump(MusicPlayer& player, double seconds) {
  for (double t = 0; t < seconds; t += 0.005) {
    if (AudioOutput::TakeMusicEnded()) player.PlayNextTrack(1);
    Sleep(0.005);
  }
}

TEST(MusicLaw, TheUsersVolumeAndMuteInHundredthsOfADecibel) {
  EXPECT_EQ(MusicVolume(100, false), 0);
  EXPECT_EQ(MusicVolume(0, false), -4000);
  EXPECT_EQ(MusicVolume(33, false), -2680);
  EXPECT_EQ(MusicVolume(80, true), -10000);
  EXPECT_EQ(SoundOutputVolume(100, false), 0);
  EXPECT_EQ(SoundOutputVolume(0, false), -5000);
  EXPECT_EQ(SoundOutputVolume(80, true), -10000);
}

class Music : public SoundOutputTest {};

TEST_F(Music, TracksFollowTheShowsOrderAndTheListWraps) {
  MixCapture mix;
  int levelAsked = 0;
  MusicPlayer player([&] {
    ++levelAsked;
    return 0;
  });
  player.Start({Entry(u"up", WaveFile(Level(8000, 0.12))),
                Entry(u"broken", std::vector<uint8_t>(300, 9)),
                Entry(u"down", WaveFile(Level(-8000, 0.12)))});
  Pump(player, 0.7);
  const std::vector<int16_t> samples = mix.Samples();
  const std::vector<int> runs = Runs(samples);
  ASSERT_GE(runs.size(), 3u);
  EXPECT_EQ(runs[0], 1) << "the first entry first";
  for (size_t i = 1; i < runs.size(); ++i) EXPECT_NE(runs[i], runs[i - 1]);
  EXPECT_EQ(PeaksOf(samples).left, 8000) << "at full music level, balance not applied";
  EXPECT_EQ(levelAsked, int(player.TracksStarted())) << "the level is read at every track";
}

TEST_F(Music, TheOnlyTrackLoopsFromItsStart) {
  MixCapture mix;
  MusicPlayer player([] { return MusicVolume(100, false); });
  player.Start({Entry(u"only", WaveFile(Level(5000, 0.1)))});
  Pump(player, 0.5);
  EXPECT_GE(player.TracksStarted(), 3u);
  EXPECT_EQ(player.CurrentEntry(), 0u);
  EXPECT_EQ(PeaksOf(mix.Samples()).left, 5000);
}

TEST_F(Music, MutedMusicGoesOnSilently) {
  MixCapture mix;
  MusicPlayer player([] { return MusicVolume(100, true); });
  player.Start({Entry(u"only", WaveFile(Level(5000, 0.1)))});
  Pump(player, 0.3);
  EXPECT_GE(player.TracksStarted(), 2u) << "still advancing";
  EXPECT_EQ(PeaksOf(mix.Samples()).left, 0);
}

TEST_F(Music, NoEntriesAndUnplayableOnesAreQuiet) {
  MusicPlayer none([] { return 0; });
  none.Start({});
  none.PlayNextTrack(1);
  EXPECT_EQ(none.TracksStarted(), 0u);
  ::testing::internal::CaptureStderr();
  MusicPlayer broken([] { return 0; });
  broken.Start({Entry(u"junk", std::vector<uint8_t>(64, 1)), Entry(u"empty", {})});
  for (int i = 0; i < 3; ++i) broken.PlayNextTrack(1);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(broken.TracksStarted(), 0u);
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << "one message per entry: " << said;
}

TEST(MusicWithoutOutput, NothingPlaysAndNothingFails) {
  AudioOutput::Close();
  MusicPlayer player([] { return 0; });
  player.Start({Entry(u"only", WaveFile(Level(5000, 0.1)))});
  player.PlayNextTrack(1);
  EXPECT_EQ(player.TracksStarted(), 0u);
  EXPECT_FALSE(AudioOutput::TakeMusicEnded());
}

}  // namespace
}  // namespace glimmer::testing
