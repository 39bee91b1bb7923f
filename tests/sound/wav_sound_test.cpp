// The WAVE layer: its level and pan law, what the mix really carries (a layer
// at volume 50 and balance 0 at its gain on the left channel only), once per
// shown phase on a random time line and looping on a continuous one, and the
// damaged files that leave it silent with one message.

#include "sound/wav_sound.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/sound_layers.h"
#include "tests/support/sound_samples.h"

namespace glimmer::testing {
namespace {

int Lines(const std::string& text) {
  return int(std::count(text.begin(), text.end(), '\n'));
}

TEST(WavLayerLaw, VolumeAndBalanceInHundredthsOfADecibel) {
  ZT_WAV_Constructor w;
  EXPECT_EQ(w.LevelMillibels(), 0) << "volume 100 is full";
  EXPECT_EQ(w.PanMillibels(), 0) << "balance 50 is centred";
  w.Volume.SetValue(0);
  w.Balance.SetValue(0);
  EXPECT_EQ(w.LevelMillibels(), -5000);
  EXPECT_EQ(w.PanMillibels(), -5000);
  w.Volume.SetValue(33);
  w.Balance.SetValue(100);
  EXPECT_EQ(w.LevelMillibels(), -3350);
  EXPECT_EQ(w.PanMillibels(), 5000);
  w.Volume.SetValue(4000000000u);  // a stored value beyond 100 counts as 100
  EXPECT_EQ(w.LevelMillibels(), 0);
  EXPECT_FLOAT_EQ(GainOf(-10000), 0.0f) << "mute";
  EXPECT_NEAR(GainOf(-2000), 0.1f, 1e-6f);
}

class WavLayer : public SoundOutputTest {
 protected:
  std::shared_ptr<ZT_Sound> Make(std::vector<uint8_t> bytes, bool asPicture = false) {
    ctor_.File = HoldFile(resources_, std::move(bytes), asPicture);
    return MakeSound(ctor_, &resources_);
  }
  ZT_DocResManager resources_;
  ZT_WAV_Constructor ctor_;
};

TEST_F(WavLayer, AtVolume50AndBalance0TheMixHoldsItsGainOnTheLeftOnly) {
  ctor_.Volume.SetValue(50);
  ctor_.Balance.SetValue(0);
  auto sound = Make(WaveFile(Level(16000, 0.3)));
  ASSERT_TRUE(sound && sound->Sound().Voice());
  MixCapture mix;
  sound->Tick(0.0f);  // a continuous line: shown, looping
  Sleep(0.25);
  const Peaks p = PeaksOf(mix.Samples());
  // −2500 mB on both channels, −5000 mB more on the right.
  EXPECT_NEAR(p.left, 16000 * std::pow(10.0, -2500 / 2000.0), 2.0);
  EXPECT_LE(p.right, 4) << "the right channel is 50 dB lower";
  // The master level (the user's volume, or mute) scales every layer.
  AudioOutput::SetMasterVolume(-10000);
  Sleep(0.1);
  mix.Clear();
  Sleep(0.1);
  EXPECT_EQ(PeaksOf(mix.Samples()).left, 0) << "muted";
}

TEST_F(WavLayer, ARandomTimeLinePlaysItOncePerShownPhase) {
  // Hidden 0.3 s, fades of 0.1 s, shown 0.5 s; the sound lasts 0.05 s, so
  // it ends long before each shown phase does.
  UseRandomLine(ctor_.timing, 30, 10, 50);
  auto sound = Make(WaveFile(Level(1000, 0.05)));
  ASSERT_TRUE(sound && sound->Sound().Voice());
  int phases = 0;
  TimeLineState last = TimeLineState::Hidden;
  for (float t = 0; t < 3.2f; t += 0.05f) {
    sound->Tick(t);
    const TimeLineState now = sound->GetTiming().Line()->State();
    if (now == TimeLineState::Shown && last != TimeLineState::Shown) ++phases;
    last = now;
    Sleep(0.02);
  }
  EXPECT_GE(phases, 3);
  EXPECT_EQ(sound->Sound().Voice()->Starts(), size_t(phases));
  EXPECT_FALSE(sound->Sound().Voice()->IsLooping());
}

TEST_F(WavLayer, AContinuousTimeLineLoopsUntilTheSlideEnds) {
  auto sound = Make(WaveFile(Level(1000, 0.03)));
  ASSERT_TRUE(sound && sound->Sound().Voice());
  for (float t = 0; t < 1; t += 0.05f) {
    sound->Tick(t);
    Sleep(0.01);
  }
  const SoundVoice& voice = *sound->Sound().Voice();
  EXPECT_EQ(voice.Starts(), 1u);
  EXPECT_TRUE(voice.IsPlaying() && voice.IsLooping()) << "still sounding after 0.2 s";
  sound->SetActive(false);  // the slide ends
  EXPECT_FALSE(voice.IsPlaying());
  sound->Tick(1.0f);
  EXPECT_FALSE(voice.IsPlaying()) << "an inactive layer is not stepped";
  MixCapture mix;
  Sleep(0.1);
  EXPECT_EQ(PeaksOf(mix.Samples()).left, 0);
}

TEST_F(WavLayer, TheLinkIsFoundAmongThePicturesAndTheLengthIsKept) {
  auto sound = Make(WaveFile(Level(1000, 0.2551)), true);  // 25.51 hundredths
  ASSERT_TRUE(sound);
  EXPECT_TRUE(sound->Sound().Voice()) << "found in the pictures' blobs";
  EXPECT_EQ(sound->Sound().DurationHundredths, 26);
  EXPECT_FLOAT_EQ(sound->GetTiming().DefaultVisible, 0.26f);
  EXPECT_EQ(sound->GetTiming().DefaultFadeIn, 0.0f);
  EXPECT_EQ(sound->GetTiming().Flags & 0xF, 0xF) << "bit 0 when made, bits 1 to 3 when opened";
  EXPECT_EQ(sound->Sound().reserved, 1);
  EXPECT_EQ(sound->GetKind(), 1);
  // A second screen's copy knows the sound but does not sound it.
  auto silent = MakeSound(ctor_, &resources_, false);
  EXPECT_FALSE(silent->Sound().Voice());
  EXPECT_EQ(silent->Sound().DurationHundredths, 26);
}

TEST_F(WavLayer, DamagedFilesLeaveTheLayerSilentWithOneMessage) {
  std::vector<uint8_t> zeroRate = WaveFile(Level(1000, 0.05));
  zeroRate[28] = zeroRate[29] = zeroRate[30] = zeroRate[31] = 0;
  std::vector<uint8_t> pastEnd = WaveFile(Level(1000, 0.05));
  pastEnd[43] = 0x40;  // a data size of a gigabyte
  // Valid chunks that would play for 32 hours: refused before decoding.
  std::vector<uint8_t> long16h = WaveFile(Level(1000, 1.3));
  long16h[28] = 1;
  long16h[29] = long16h[30] = long16h[31] = 0;
  // A format the decoder does not know (tag 0x7777).
  std::vector<uint8_t> unknown = WaveFile(Level(1000, 0.05));
  unknown[20] = unknown[21] = 0x77;
  ctor_.name = u"bell";
  for (const auto* bytes : {&zeroRate, &pastEnd, &long16h, &unknown}) {
    resources_.FileBlobs.clear();
    ::testing::internal::CaptureStderr();
    auto sound = Make(*bytes);
    for (float t = 0; t < 0.5f; t += 0.1f) sound->Tick(t);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(sound->Sound().Voice());
    EXPECT_EQ(Lines(said), 1) << said;
    EXPECT_NE(said.find("\"bell\" stays silent"), std::string::npos) << said;
  }
  resources_.FileBlobs.clear();
  auto missing = MakeSound(ctor_, &resources_);
  EXPECT_FALSE(missing->Sound().Voice()) << "a link the document does not hold";
}

}  // namespace
}  // namespace glimmer::testing
