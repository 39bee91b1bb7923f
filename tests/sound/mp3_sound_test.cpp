// The MPEG layer: its level and pan law, its length in hundredths, the mix
// it really makes (at volume 50 and balance 0; muted by the master level),
// the restart whenever it ends while shown and the stop when hidden, and
// that hostile source names write nothing anywhere.

#include "sound/mp3_sound.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "sound/music_player.h"
#include "tests/support/sound_layers.h"
#include "tests/support/sound_samples.h"

namespace glimmer::testing {
namespace {

namespace fs = std::filesystem;

TEST(Mp3LayerLaw, VolumeAndBalanceInHundredthsOfADecibel) {
  ZT_MP3_Constructor m;
  EXPECT_EQ(m.LevelMillibels(), 0) << "volume 100 is full";
  EXPECT_EQ(m.PanMillibels(), 0) << "balance 50 is centred";
  m.Volume.SetValue(0);
  m.Balance.SetValue(0);
  EXPECT_EQ(m.LevelMillibels(), -4000);
  EXPECT_EQ(m.PanMillibels(), -4000);
  m.Volume.SetValue(33);
  m.Balance.SetValue(100);
  EXPECT_EQ(m.LevelMillibels(), -2680);
  EXPECT_EQ(m.PanMillibels(), 4000);
  m.Volume.SetValue(51);  // (5100 − 10000) × 0.4 = −1960
  EXPECT_EQ(m.LevelMillibels(), -1960);
}

TEST(Mp3LayerLength, IsKeptInHundredthsWithoutASoundOutput) {
  AudioOutput::Close();  // as in a process without a sound device
  ZT_MP3_Constructor m;
  m.File = {u"tick.mp3", MpegFrames(1)};  // 1152 samples: 0.026 s
  auto sound = MakeSound(m);
  EXPECT_EQ(sound->Sound().DurationHundredths, 3) << "not truncated to 0 seconds";
  EXPECT_FALSE(sound->Sound().Voice()) << "silent without an output";
  EXPECT_FLOAT_EQ(sound->GetTiming().DefaultVisible, 0.03f);
}

class Mp3Layer : public SoundOutputTest {};

TEST_F(Mp3Layer, TheMixCarriesItsLevelAndPanAndTheMasterMutesIt) {
  ZT_MP3_Constructor m;
  m.File = {u"tone.mp3", MpegTone(60)};  // 0.52 s
  auto full = MakeSound(m);
  ASSERT_TRUE(full->Sound().Voice());
  MixCapture mix;
  full->Tick(0);
  Sleep(0.3);
  const Peaks reference = PeaksOf(mix.Samples());
  full->SetActive(false);
  ASSERT_GT(reference.left, 3000) << "the decoded tone is loud";
  EXPECT_EQ(reference.left, reference.right) << "centred";

  m.Volume.SetValue(50);  // −2000 mB
  m.Balance.SetValue(0);  // the right channel 40 dB lower
  auto half = MakeSound(m);
  mix.Clear();
  half->Tick(0);
  Sleep(0.3);
  const Peaks p = PeaksOf(mix.Samples());
  EXPECT_NEAR(p.left, reference.left * 0.1, reference.left * 0.1 * 0.02 + 1);
  EXPECT_NEAR(p.right, reference.left * 0.001, 2);

  AudioOutput::SetMasterVolume(-10000);  // the user's mute
  Sleep(0.1);
  mix.Clear();
  Sleep(0.1);
  EXPECT_EQ(PeaksOf(mix.Samples()).left, 0) << "mute reaches MPEG layers";
}

TEST_F(Mp3Layer, ItRestartsWhenItEndsWhileShownAndStopsWhenHidden) {
  ZT_MP3_Constructor m;
  m.File = {u"blip.mp3", MpegTone(4)};  // 35 ms
  UseRandomLine(m.timing, 20, 0, 80);   // hidden 0.2 s, shown 0.8 s
  auto sound = MakeSound(m);
  ASSERT_TRUE(sound->Sound().Voice());
  const SoundVoice& voice = *sound->Sound().Voice();
  float t = 0;
  // Into the first shown phase, then through it.
  while (sound->GetTiming().Line()->State() != TimeLineState::Shown && t < 2)
    sound->Tick(t += 0.05f);
  for (int i = 0; i < 10; ++i) {
    sound->Tick(t += 0.05f);
    Sleep(0.02);
  }
  EXPECT_GE(voice.Starts(), 2u) << "started again after each end while shown";
  while (sound->GetTiming().Line()->State() != TimeLineState::Hidden && t < 4)
    sound->Tick(t += 0.05f);
  EXPECT_FALSE(voice.IsPlaying());
}

TEST_F(Mp3Layer, UndecodableBytesLeaveItSilentWithOneMessage) {
  ZT_MP3_Constructor m;
  m.name = u"noise";
  for (const std::vector<uint8_t>& bytes :
       {std::vector<uint8_t>(5000, 0x41), std::vector<uint8_t>{}}) {
    m.File = {u"noise.mp3", bytes};
    ::testing::internal::CaptureStderr();
    auto sound = MakeSound(m);
    sound->Tick(0);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(sound->Sound().Voice());
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("\"noise\" stays silent"), std::string::npos) << said;
  }
}

// Every path below `root`.
std::set<fs::path> Tree(const fs::path& root) {
  std::set<fs::path> paths;
  for (const auto& e : fs::recursive_directory_iterator(root)) paths.insert(e.path());
  return paths;
}

TEST_F(Mp3Layer, HostileSourceNamesWriteNothing) {
  // The process works two folders down in a private tree, with its temporary
  // folder inside: names that climb out ("..\x", "a/../../b") or say nothing
  // ("") must leave every folder of the tree as it was.
  const fs::path root = fs::temp_directory_path() / ("glimmer_names_" + std::to_string(getpid()));
  fs::remove_all(root);
  fs::create_directories(root / "work" / "here");
  fs::create_directories(root / "tmp");
  const fs::path before = fs::current_path();
  const char* oldTmp = std::getenv("TMPDIR");
  const std::string savedTmp = oldTmp ? oldTmp : "";
  setenv("TMPDIR", (root / "tmp").c_str(), 1);
  fs::current_path(root / "work" / "here");
  const std::set<fs::path> tree = Tree(root);
  {
    std::vector<ZT_SafePtr<ZT_AudioFile>> music;
    std::vector<std::shared_ptr<ZT_Sound>> layers;
    for (const char16_t* name : {u"..\\x", u"a/../../b", u""}) {
      ZT_MP3_Constructor m;
      m.File = {name, MpegTone(3)};
      layers.push_back(MakeSound(m));
      layers.back()->Tick(0);
      auto entry = std::make_shared<ZT_AudioFile>();
      entry->Data = {name, WaveFile(Level(100, 0.02))};
      music.push_back(entry);
    }
    MusicPlayer player([] { return 0; });
    player.Start(music);
    for (int i = 0; i < 20; ++i) {
      if (AudioOutput::TakeMusicEnded()) player.PlayNextTrack(1);
      Sleep(0.01);
    }
    EXPECT_GE(player.TracksStarted(), 2u);
    for (const auto& layer : layers) EXPECT_GE(layer->Sound().Voice()->Starts(), 1u);
  }
  fs::current_path(before);
  if (oldTmp) {
    setenv("TMPDIR", savedTmp.c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
  EXPECT_EQ(Tree(root), tree);
  fs::remove_all(root);
}

}  // namespace
}  // namespace glimmer::testing
