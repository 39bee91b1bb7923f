#include "platform/audio/sound_formats.h"

#include <cmath>
#include <cstring>

#include "common/byte_order.h"

namespace glimmer {
namespace {

bool Is(const uint8_t* p, const char* id) {
  return std::memcmp(p, id, 4) == 0;
}
std::string ChunkName(const uint8_t* p) {
  std::string s;
  for (int i = 0; i < 4; ++i) s += (p[i] >= 32 && p[i] < 127) ? char(p[i]) : '?';
  return s;
}

constexpr size_t kMaxChunks = 4096;

}  // namespace

std::optional<WaveInfo> ParseWave(std::span<const uint8_t> bytes, std::string& error) {
  const uint8_t* b = bytes.data();
  if (bytes.size() < 12 || !Is(b, "RIFF") || !Is(b + 8, "WAVE")) {
    error = "not a RIFF WAVE file";
    return std::nullopt;
  }
  // A RIFF size beyond the bytes is common in cut files: the chunks then end
  // with the bytes, and a chunk that runs past them is refused below.
  const size_t end = std::min<size_t>(bytes.size(), size_t(Le32(b + 4)) + 8);
  WaveInfo info;
  bool haveFormat = false, haveData = false;
  size_t pos = 12;
  for (size_t n = 0; pos + 8 <= end && !(haveFormat && haveData); ++n) {
    if (n == kMaxChunks) {
      error = "more than " + std::to_string(kMaxChunks) + " chunks";
      return std::nullopt;
    }
    const uint8_t* chunk = b + pos;
    const size_t size = Le32(chunk + 4);
    const size_t room = end - pos - 8;
    if (size > room) {
      error = Is(chunk, "data") ? "the data chunk holds " + std::to_string(size) +
                                      " bytes but only " + std::to_string(room) + " follow"
                                : "chunk \"" + ChunkName(chunk) + "\" runs past the end";
      return std::nullopt;
    }
    if (Is(chunk, "fmt ") && !haveFormat) {
      if (size < 16 || size > kMaxWaveFormatBytes) {
        error = "a format chunk of " + std::to_string(size) + " bytes (16 to " +
                std::to_string(kMaxWaveFormatBytes) + " expected)";
        return std::nullopt;
      }
      const uint8_t* f = chunk + 8;
      info.formatTag = Le16(f);
      info.channels = Le16(f + 2);
      info.sampleRate = Le32(f + 4);
      info.avgBytesPerSecond = Le32(f + 8);
      info.blockAlign = Le16(f + 12);
      info.bitsPerSample = Le16(f + 14);
      info.formatOffset = pos + 8;
      info.formatBytes = size;
      haveFormat = true;
    } else if (Is(chunk, "data") && !haveData) {
      info.dataOffset = pos + 8;
      info.dataBytes = size;
      haveData = true;
    }
    pos += 8 + size + (size & 1);  // chunks are word aligned
  }
  if (!haveFormat || !haveData) {
    error = haveFormat ? "no data chunk" : "no format chunk";
    return std::nullopt;
  }
  if (info.channels == 0 || info.channels > 8) {
    error = std::to_string(info.channels) + " channels (1 to 8 expected)";
  } else if (info.sampleRate == 0 || info.sampleRate > 384000) {
    error = "a sample rate of " + std::to_string(info.sampleRate) + " Hz";
  } else if (info.avgBytesPerSecond == 0) {
    error = "an average byte rate of 0";
  } else if (info.blockAlign == 0) {
    error = "a block size of 0";
  }
  if (!error.empty()) return std::nullopt;
  info.durationHundredths = int32_t(std::min(
      std::floor(double(info.dataBytes) * 100 / info.avgBytesPerSecond + 0.5), 2147483647.0));
  return info;
}

std::vector<uint8_t> CanonicalWave(std::span<const uint8_t> bytes, const WaveInfo& info) {
  const size_t fmtPad = info.formatBytes & 1;
  std::vector<uint8_t> out;
  out.reserve(28 + info.formatBytes + fmtPad + info.dataBytes);
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  PutLe32(out, uint32_t(20 + info.formatBytes + fmtPad + info.dataBytes));
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  PutLe32(out, uint32_t(info.formatBytes));
  const auto format = bytes.subspan(info.formatOffset, info.formatBytes);
  out.insert(out.end(), format.begin(), format.end());
  if (fmtPad) out.push_back(0);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  PutLe32(out, uint32_t(info.dataBytes));
  const auto data = bytes.subspan(info.dataOffset, info.dataBytes);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

namespace {

struct FrameHeader {
  uint32_t length = 0;  // bytes, header included
  uint32_t samples = 0;
  uint32_t sampleRate = 0;
};

// kbit/s by [MPEG 1?][layer 1..3][index]
constexpr uint16_t kBitrates[2][3][15] = {
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}},
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}}};
constexpr uint32_t kRates[3] = {44100, 48000, 32000};

// The frame whose header starts at p (4 bytes readable); nullopt for anything
// else, free-format frames included (their length is not in the header).
std::optional<FrameHeader> ReadHeader(const uint8_t* p) {
  if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return std::nullopt;
  const int version = (p[1] >> 3) & 3;  // 0: 2.5, 2: 2, 3: 1
  const int layerBits = (p[1] >> 1) & 3;
  const int bitrateIndex = p[2] >> 4;
  const int rateIndex = (p[2] >> 2) & 3;
  if (version == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
    return std::nullopt;
  const int layer = 4 - layerBits;  // 1..3
  const bool mpeg1 = version == 3;
  const uint32_t rate = kRates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
  const uint32_t bitrate = uint32_t(kBitrates[mpeg1][layer - 1][bitrateIndex]) * 1000;
  const uint32_t padding = (p[2] >> 1) & 1;
  FrameHeader h;
  h.sampleRate = rate;
  if (layer == 1) {
    h.samples = 384;
    h.length = (12 * bitrate / rate + padding) * 4;
  } else {
    h.samples = layer == 3 && !mpeg1 ? 576 : 1152;
    h.length = h.samples / 8 * bitrate / rate + padding;
  }
  if (h.length < 4) return std::nullopt;
  return h;
}

}  // namespace

std::optional<MpegAudioInfo> ScanMpegAudio(std::span<const uint8_t> bytes, std::string& error) {
  const uint8_t* b = bytes.data();
  const size_t n = bytes.size();
  size_t pos = 0;
  if (n >= 10 && b[0] == 'I' && b[1] == 'D' && b[2] == '3') {
    const size_t tag = size_t(b[6] & 0x7F) << 21 | size_t(b[7] & 0x7F) << 14 |
                       size_t(b[8] & 0x7F) << 7 | size_t(b[9] & 0x7F);
    pos = 10 + tag + ((b[5] & 0x10) ? 10 : 0);
  }
  MpegAudioInfo info;
  while (pos + 4 <= n) {
    if (n - pos >= 3 && b[pos] == 'T' && b[pos + 1] == 'A' && b[pos + 2] == 'G') break;  // ID3v1
    const std::optional<FrameHeader> h = ReadHeader(b + pos);
    bool frame = h && h->length <= n - pos;
    if (frame && info.frames == 0) {
      // The first frame must be followed by another header or the end: a
      // stray sync pattern in other bytes does not start the stream.
      const size_t next = pos + h->length;
      frame = next == n || (next + 4 <= n && ReadHeader(b + next).has_value()) ||
              (next + 3 <= n && b[next] == 'T' && b[next + 1] == 'A' && b[next + 2] == 'G');
    }
    if (!frame) {
      ++pos;
      continue;
    }
    if (info.frames == 0) info.sampleRate = h->sampleRate;
    ++info.frames;
    info.samples += h->samples;
    pos += h->length;
  }
  if (info.frames == 0) {
    error = "no MPEG audio frames";
    return std::nullopt;
  }
  info.durationHundredths = int32_t(
      std::min(std::floor(double(info.samples) * 100 / info.sampleRate + 0.5), 2147483647.0));
  return info;
}

}  // namespace glimmer
