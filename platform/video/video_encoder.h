#pragma once
// Writes frames into a video file through FFmpeg's libraries: H.264 in .mp4
// and .mkv, VP9 in .webm, 4:2:0 with BT.709 colours, and optionally a stereo
// sound track: AAC in .mp4 and .mkv, Opus (at 48 kHz) in .webm. Frames and
// samples are encoded as they arrive. The file is written under a temporary name beside the final
// one and renamed only by Finish, so a failed or abandoned encode leaves no
// half-written file under the final name.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

#include "platform/image/image_codec.h"

namespace glimmer {

// True for the file names the encoder writes (.mp4, .mkv, .webm, any case).
bool IsVideoPath(const std::filesystem::path& file);

class VideoEncoder {
 public:
  struct Settings {
    std::filesystem::path file;
    uint32_t width = 0, height = 0;  // both even (4:2:0 halves them)
    double fps = 25;
    // Interleaved stereo 16-bit samples at this rate make a sound track;
    // 0: the video has none.
    int audioRate = 0;
  };
  // Throws std::runtime_error naming what failed (no encoder, an odd size,
  // a folder that cannot be written).
  static std::unique_ptr<VideoEncoder> Open(const Settings& settings);
  // Removes the temporary file unless Finish has renamed it.
  ~VideoEncoder();

  // One frame of the settings' size, top row first. Throws on encoder errors.
  void AddFrame(const Image& frame);
  // The next samples of the sound track (interleaved stereo, at the
  // settings' audio rate); nothing without one. Throws on encoder errors.
  void AddAudio(std::span<const int16_t> samples);
  // Flushes the encoder, closes the file and gives it its final name.
  void Finish();
  size_t Frames() const { return frames_; }

  struct State;

 private:
  explicit VideoEncoder(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
  size_t frames_ = 0;
};

}  // namespace glimmer
