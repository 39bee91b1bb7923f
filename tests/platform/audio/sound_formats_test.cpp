// The checks a sound file passes before decoding: the WAVE chunk layout with
// its faults (short, long and missing chunks, a zero byte rate, data past the
// end), and the MPEG frame walk that gives a short sound its hundredths.

#include "platform/audio/sound_formats.h"

#include <gtest/gtest.h>

#include "tests/support/sound_samples.h"

namespace glimmer::testing {
namespace {

std::optional<WaveInfo> Parse(const std::vector<uint8_t>& bytes, std::string& error) {
  error.clear();
  return ParseWave(bytes, error);
}

TEST(WaveChunks, ABasicFormatChunkOf16BytesReadsAndTheLengthIsRounded) {
  std::string error;
  // 11250 stereo frames: 25.51 hundredths, rounded to 26.
  const auto bytes = WaveFile(std::vector<int16_t>(2 * 11250, 100), 2, 44100, 16);
  const auto info = Parse(bytes, error);
  ASSERT_TRUE(info) << error;
  EXPECT_EQ(info->formatBytes, 16u) << "no 18-byte read past a 16-byte chunk";
  EXPECT_EQ(info->channels, 2);
  EXPECT_EQ(info->dataBytes, 2u * 11250 * 2);
  EXPECT_EQ(info->durationHundredths, 26);
  // What the decoder gets is a plain file with the same format and data.
  const std::vector<uint8_t> plain = CanonicalWave(bytes, *info);
  EXPECT_EQ(plain, bytes);
  const auto again = Parse(WaveFile(Level(1, 0.01), 1, 44100, 18), error);
  ASSERT_TRUE(again) << error;
  EXPECT_EQ(again->formatBytes, 18u);
}

TEST(WaveChunks, OtherChunksAreSteppedOverWithTheirPadding) {
  std::vector<uint8_t> bytes = WaveFile(Level(5, 0.01));
  // An odd-sized "LIST" chunk (padded to even) before "fmt ".
  const std::vector<uint8_t> list = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
  bytes.insert(bytes.begin() + 12, list.begin(), list.end());
  bytes[4] = uint8_t(bytes[4] + list.size());
  std::string error;
  const auto info = Parse(bytes, error);
  ASSERT_TRUE(info) << error;
  EXPECT_EQ(info->formatOffset, 12u + list.size() + 8);
  const std::vector<uint8_t> plain = CanonicalWave(bytes, *info);
  EXPECT_EQ(plain, WaveFile(Level(5, 0.01))) << "the other chunk is left out";
}

TEST(WaveChunks, DamagedFilesAreRefusedWithAReason) {
  const std::vector<uint8_t> good = WaveFile(Level(5, 0.01));
  const size_t fmtSize = 16;
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* reason;
  } cases[] = {
      {"empty", {}, "not a RIFF WAVE"},
      {"not RIFF", std::vector<uint8_t>(good.begin() + 4, good.end()), "not a RIFF WAVE"},
      {"a zero byte rate", good, "average byte rate of 0"},
      {"a 14-byte format", good, "format chunk of 14 bytes"},
      {"an oversized format", WaveFile(Level(5, 0.01), 1, 44100, 2000),
       "format chunk of 2000 bytes"},
      {"data past the end", good, "data chunk holds"},
      {"no data", std::vector<uint8_t>(good.begin(), good.begin() + 12 + 8 + fmtSize),
       "no data chunk"},
      {"no format", good, "no format chunk"},
      {"no channels", good, "0 channels"},
  };
  cases[2].bytes[28] = cases[2].bytes[29] = cases[2].bytes[30] = cases[2].bytes[31] = 0;
  cases[3].bytes[16] = 14;
  cases[5].bytes[42] = 1;    // 64 KiB more than follow
  cases[7].bytes[12] = 'x';  // "fmt " becomes "xmt ": an unknown chunk
  cases[8].bytes[22] = 0;
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string error;
    EXPECT_FALSE(Parse(c.bytes, error));
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
}

TEST(WaveChunks, AChunkCountBeyondTheLimitIsRefused) {
  std::vector<uint8_t> bytes = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  for (int i = 0; i < 5000; ++i) bytes.insert(bytes.end(), {'j', 'u', 'n', 'k', 0, 0, 0, 0});
  const uint32_t size = uint32_t(bytes.size() - 8);
  for (int i = 0; i < 4; ++i) bytes[size_t(4 + i)] = uint8_t(size >> (8 * i));
  std::string error;
  EXPECT_FALSE(Parse(bytes, error));
  EXPECT_NE(error.find("more than 4096 chunks"), std::string::npos) << error;
}

TEST(MpegFrameWalk, AShortSoundKeepsItsHundredths) {
  std::string error;
  // One frame: 1152 samples at 44.1 kHz = 2.6 hundredths, not 0 seconds.
  auto one = ScanMpegAudio(MpegFrames(1), error);
  ASSERT_TRUE(one) << error;
  EXPECT_EQ(one->frames, 1u);
  EXPECT_EQ(one->durationHundredths, 3);
  // 40 frames = 1.0449 s, after an ID3v2 tag and before an ID3v1 one.
  std::vector<uint8_t> bytes = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 20};
  bytes.resize(30, 0xFF);  // tag bytes that look like sync patterns
  const std::vector<uint8_t> frames = MpegFrames(40);
  bytes.insert(bytes.end(), frames.begin(), frames.end());
  bytes.insert(bytes.end(), {'T', 'A', 'G'});
  bytes.resize(bytes.size() + 125, 0xFF);
  auto forty = ScanMpegAudio(bytes, error);
  ASSERT_TRUE(forty) << error;
  EXPECT_EQ(forty->frames, 40u);
  EXPECT_EQ(forty->sampleRate, 44100u);
  EXPECT_EQ(forty->durationHundredths, 104);
}

TEST(MpegFrameWalk, BytesWithoutFramesAreRefused) {
  std::string error;
  EXPECT_FALSE(ScanMpegAudio({}, error));
  // A lone sync pattern followed by anything but a frame is no stream.
  std::vector<uint8_t> junk(3000, 0x55);
  junk[100] = 0xFF;
  junk[101] = 0xFB;
  junk[102] = 0x90;
  EXPECT_FALSE(ScanMpegAudio(junk, error));
  EXPECT_EQ(error, "no MPEG audio frames");
  // A header whose frame runs past the end is no frame either.
  std::vector<uint8_t> cut = MpegFrames(1);
  cut.resize(200);
  EXPECT_FALSE(ScanMpegAudio(cut, error));
}

}  // namespace
}  // namespace glimmer::testing
