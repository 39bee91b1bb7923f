// The sound layers' stored forms: the sound part's three versions (the old
// timing record of versions 1 and 2 becoming a continuous or random time
// line), both kinds' own fields, and a damaged record failing with the
// class named.

#include "sound/sound_layer.h"

#include <gtest/gtest.h>

#include "sound/mp3_sound.h"
#include "sound/wav_sound.h"
#include "store/stream_reader.h"
#include "tests/support/archive_helpers.h"

namespace glimmer::testing {
namespace {

void WriteSoundPart(ZT_IOF_W& w, int32_t version, int32_t mode) {
  w.WriteHeader(u"ZT_Sound_Ctrl", version);
  w.WriteUInt32(80);  // volume
  w.WriteUInt32(20);  // balance
  if (version < 3) {
    w.WriteLong(mode);
    w.WriteUInt32(2);  // from, seconds
    w.WriteUInt32(5);  // to
  }
  w.WriteHeader(u"ZT_ABObj_Constructor", 1);
  w.WriteString(u"bell");
}

TEST(SoundStoredForms, TheSoundPartReadsEveryVersion) {
  struct Case {
    int32_t version, mode, kind;
    bool random;
  } cases[] = {{1, 0, 0, false}, {2, 1, 1, true}, {2, 2, 2, false}, {3, 0, 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE("version " + std::to_string(c.version) + ", mode " + std::to_string(c.mode));
    ZT_IOF_W w;
    w.WriteString(u"sounds\\bell.wav");
    w.WriteUInt64(7);
    WriteSoundPart(w, c.version, c.mode);
    ZT_WAV_Constructor wav;
    ReadWith(w.Take(), [&](Archive& ar) { wav.Serialize(ar, 1); });
    EXPECT_EQ(wav.File.Path(), u"sounds\\bell.wav");
    EXPECT_EQ(wav.File.Stamp(), 7u);
    EXPECT_EQ(wav.Volume.Value(), 80u);
    EXPECT_EQ(wav.Balance.Value(), 20u);
    EXPECT_EQ(wav.name, u"bell");
    EXPECT_EQ(wav.timing.Kind(), c.kind);
    ASSERT_TRUE(wav.timing.Line());
    auto* random = dynamic_cast<QVX_RandomTimeLine*>(wav.timing.Line());
    EXPECT_EQ(random != nullptr, c.random);
    if (c.version < 3 && c.mode == 0) {
      EXPECT_TRUE(dynamic_cast<QVX_ContinuesTimeLine*>(wav.timing.Line()));
    }
    if (random) {
      // The old range in seconds: the pause between plays.
      EXPECT_EQ(random->HiddenRange.Min.Value(), 200u);
      EXPECT_EQ(random->HiddenRange.Max.Value(), 500u);
    }
  }
}

TEST(SoundStoredForms, TheMp3LayerCarriesItsFileAsANamedBlob) {
  ZT_IOF_W w;
  w.WriteBlob({u"C:\\music\\song.mp3", {1, 2, 3}});
  WriteSoundPart(w, 3, 0);
  ZT_MP3_Constructor mp3;
  ReadWith(w.Take(), [&](Archive& ar) { mp3.Serialize(ar, 1); });
  EXPECT_EQ(mp3.File.Name, u"C:\\music\\song.mp3");
  EXPECT_EQ(mp3.File.Data, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(mp3.Volume.Value(), 80u);
}

TEST(SoundStoredForms, ACutRecordFailsNamingTheSoundPart) {
  ZT_IOF_W w;
  w.WriteString(u"bell.wav");
  w.WriteUInt64(7);
  WriteSoundPart(w, 2, 1);
  std::vector<uint8_t> bytes = w.Take();
  bytes.resize(bytes.size() - 30);  // inside the layer part
  ZT_WAV_Constructor wav;
  try {
    ReadWith(bytes, [&](Archive& ar) { wav.Serialize(ar, 1); });
    ADD_FAILURE() << "read past the end";
  } catch (const LoadError& e) {
    EXPECT_NE(std::string(e.what()).find("ZT_Sound_Ctrl"), std::string::npos) << e.what();
  }
}

TEST(SoundStoredForms, ANewWaveLayerMarksItsTimingAndItsInt) {
  const ZT_WAV_Constructor wav;
  EXPECT_EQ(wav.timing.Flags & 1, 1);
  EXPECT_EQ(wav.reserved, 1);
  const ZT_MP3_Constructor mp3;
  EXPECT_EQ(mp3.timing.Flags & 1, 0);
  EXPECT_EQ(mp3.Volume.Value(), 100u);
  EXPECT_EQ(mp3.Balance.Value(), 50u);
}

}  // namespace
}  // namespace glimmer::testing
