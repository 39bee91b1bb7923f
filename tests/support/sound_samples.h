#pragma once
// Sounds made in the tests (WAVE files of chosen samples, MPEG audio frames
// of silence) and a capture of the sound output's mix. The output runs on
// SDL's "dummy" driver: real mixing in real time, no device needed.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/audio/audio_output.h"

namespace glimmer::testing {

inline void PutLe(std::vector<uint8_t>& b, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

// A 16-bit PCM WAVE file; `formatBytes` 16 or 18 (the optional size field).
inline std::vector<uint8_t> WaveFile(const std::vector<int16_t>& samples, int channels = 1,
                                     uint32_t rate = 44100, uint32_t formatBytes = 16) {
  std::vector<uint8_t> b = {'R', 'I', 'F', 'F'};
  const uint32_t data = uint32_t(samples.size() * 2);
  PutLe(b, 4 + 8 + formatBytes + 8 + data, 4);
  for (char c : {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '}) b.push_back(uint8_t(c));
  PutLe(b, formatBytes, 4);
  PutLe(b, 1, 2);  // PCM
  PutLe(b, uint32_t(channels), 2);
  PutLe(b, rate, 4);
  PutLe(b, rate * 2 * uint32_t(channels), 4);
  PutLe(b, 2 * uint32_t(channels), 2);
  PutLe(b, 16, 2);
  if (formatBytes >= 18) PutLe(b, 0, 2);
  for (uint32_t i = 18; i < formatBytes; ++i) b.push_back(0);
  for (char c : {'d', 'a', 't', 'a'}) b.push_back(uint8_t(c));
  PutLe(b, data, 4);
  for (int16_t s : samples) PutLe(b, uint16_t(s), 2);
  return b;
}

// `seconds` of one sample value, mono at 44.1 kHz.
inline std::vector<int16_t> Level(int16_t value, double seconds) {
  return std::vector<int16_t>(size_t(seconds * 44100), value);
}

// `count` MPEG-1 layer III frames, 128 kbit/s, 44.1 kHz, mono: headers with
// empty side information and no main data, which decode to silence.
inline std::vector<uint8_t> MpegFrames(int count) {
  std::vector<uint8_t> b;
  for (int f = 0; f < count; ++f) {
    for (uint8_t h : {0xFF, 0xFB, 0x90, 0xC0}) b.push_back(h);
    b.resize(b.size() + 417 - 4, 0);
  }
  return b;
}

// An MPEG-1 layer I stream of `count` frames (64 kbit/s, 44.1 kHz, mono,
// 384 samples each) whose first subband holds a steady full-scale signal:
// an audible sound of known length made from nothing but its bits. An ID3v2
// tag in front makes the decoder take it as MPEG audio.
inline std::vector<uint8_t> MpegTone(int count) {
  std::vector<uint8_t> b = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 16};
  b.resize(26, 0);
  for (int f = 0; f < count; ++f) {
    std::vector<uint8_t> frame = {0xFF, 0xFF, 0x20, 0xC0};
    int bit = 32;
    auto put = [&](uint32_t v, int n) {
      for (int i = n - 1; i >= 0; --i, ++bit) {
        if (bit % 8 == 0) frame.push_back(0);
        if ((v >> i) & 1) frame.back() |= uint8_t(0x80 >> (bit % 8));
      }
    };
    for (int band = 0; band < 32; ++band) put(band == 0 ? 14 : 0, 4);  // 15-bit samples
    put(10, 6);                                                        // scale factor
    for (int i = 0; i < 12; ++i) put(0x7FFF, 15);
    frame.resize(68, 0);
    b.insert(b.end(), frame.begin(), frame.end());
  }
  return b;
}

// Everything the output mixes while it lives (interleaved stereo samples).
class MixCapture {
 public:
  MixCapture() { AudioOutput::SetMixTap(&MixCapture::Receive, this); }
  ~MixCapture() { AudioOutput::SetMixTap(nullptr, nullptr); }
  std::vector<int16_t> Samples() {
    std::lock_guard<std::mutex> lock(mutex_);
    return samples_;
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    samples_.clear();
  }

 private:
  static void Receive(void* user, const int16_t* s, size_t n) {
    auto* self = static_cast<MixCapture*>(user);
    std::lock_guard<std::mutex> lock(self->mutex_);
    self->samples_.insert(self->samples_.end(), s, s + n);
  }
  std::mutex mutex_;
  std::vector<int16_t> samples_;
};

// The largest magnitude on the left and right channels.
struct Peaks {
  int left = 0, right = 0;
};
inline Peaks PeaksOf(const std::vector<int16_t>& mix) {
  Peaks p;
  for (size_t i = 0; i + 1 < mix.size(); i += 2) {
    p.left = std::max(p.left, std::abs(int(mix[i])));
    p.right = std::max(p.right, std::abs(int(mix[i + 1])));
  }
  return p;
}

inline void Sleep(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// Opens the output on the "dummy" driver at full master level.
class SoundOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(AudioOutput::Open("dummy"));
    AudioOutput::SetMasterVolume(0);
  }
  void TearDown() override { AudioOutput::Close(); }
};

}  // namespace glimmer::testing
