#pragma once
// Pictures decoded and fitted to their textures on worker threads (one per
// core, at low priority), so the frame thread only uploads. A job is shared
// by everyone asking for the same bytes with the same fitting while any of
// them holds it: several screens playing one show decode each picture once.

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "platform/gpu/texture_loader.h"

namespace glimmer {

class PictureJob {
 public:
  // Done: decoded, or failed to.
  bool Ready() const;
  // The result (nullopt when the bytes are no picture), done here when no
  // worker has started on it yet.
  const std::optional<PreparedPicture>& Wait();

 private:
  friend class PicturePool;
  // Takes the job when it is still queued.
  bool Claim();
  void Run();

  std::vector<uint8_t> bytes_;
  uint32_t width_ = 0, height_ = 0;
  int32_t filter_ = 0;
  uint32_t maxSide_ = 0;
  mutable std::mutex mutex_;
  std::condition_variable done_;
  enum class State { Queued, Running, Done } state_ = State::Queued;
  std::optional<PreparedPicture> result_;
};

// Queues the bytes (copied) for PreparePicture(bytes, width, height, filter,
// no colour key, maxSide).
std::shared_ptr<PictureJob> DecodeInBackground(std::span<const uint8_t> bytes, uint32_t width,
                                               uint32_t height, int32_t filter, uint32_t maxSide);

}  // namespace glimmer
