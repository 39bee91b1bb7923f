#pragma once
// Checks of the sound files a show carries, made before any byte reaches the
// decoder: the chunk layout of RIFF WAVE files and the frames of MPEG audio
// streams, with how long each plays. A file that does not fit gives a reason
// instead, never a read past its bytes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace glimmer {

struct WaveInfo {
  uint16_t formatTag = 0;
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint32_t avgBytesPerSecond = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  size_t formatOffset = 0, formatBytes = 0;  // the whole "fmt " chunk body
  size_t dataOffset = 0, dataBytes = 0;      // the "data" chunk body
  // floor(data bytes × 100 ÷ average bytes per second + 0.5)
  int32_t durationHundredths = 0;
};

// The "fmt " and "data" chunks of a RIFF WAVE file. The format chunk must hold
// at least the 16 bytes of the basic format (a longer one is read as far as
// needed) and at most kMaxWaveFormatBytes; the data chunk must lie within the
// bytes; an average rate or block size of 0, no channels or more than 8, and a
// sample rate of 0 or above 384 kHz are refused.
std::optional<WaveInfo> ParseWave(std::span<const uint8_t> bytes, std::string& error);
inline constexpr size_t kMaxWaveFormatBytes = 1024;

// A plain WAVE file of the format and data `info` found in `bytes`: what the
// decoder is given, so it never sees the other chunks of a document's file.
std::vector<uint8_t> CanonicalWave(std::span<const uint8_t> bytes, const WaveInfo& info);

struct MpegAudioInfo {
  uint32_t frames = 0;
  uint32_t sampleRate = 0;  // of the first frame
  uint64_t samples = 0;     // per channel, over every frame
  int32_t durationHundredths = 0;
};

// Walks the MPEG audio frames (layers I to III, MPEG 1, 2 and 2.5) after an
// optional ID3v2 tag, stepping over bytes between frames; the first frame
// counts only when the next header (or the end) follows it. No frame: nullopt.
std::optional<MpegAudioInfo> ScanMpegAudio(std::span<const uint8_t> bytes, std::string& error);

}  // namespace glimmer
