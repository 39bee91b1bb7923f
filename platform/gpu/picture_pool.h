#pragma once
// Pictures decoded and fitted to their textures on worker threads (one per
// core, at low priority), so the frame thread only uploads. A job is shared
// by everyone asking for the same bytes with the same fitting while any of
// them holds it, the largest limit asked before it starts standing for all:
// several screens playing one show decode each picture once.

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "common/shared_bytes.h"
#include "platform/gpu/texture_loader.h"

namespace glimmer {

// The most texels a picture's top level needs across and down (0: no
// limit on that axis).
struct PictureLimit {
  uint32_t width = 0, height = 0;
  bool operator==(const PictureLimit&) const = default;
  // Whether a picture made under this limit serves one asked for under `asked`.
  bool Covers(const PictureLimit& asked) const {
    return (width == 0 || (asked.width != 0 && width >= asked.width)) &&
           (height == 0 || (asked.height != 0 && height >= asked.height));
  }
};

class PictureJob {
 public:
  // Done: decoded, or failed to.
  bool Ready() const;
  // The result (nullopt when the bytes are no picture), done here unless it
  // is done already (a low-priority worker may be starved); the first
  // result stands.
  const std::optional<PreparedPicture>& Wait();

 private:
  friend class PicturePool;
  // Whether the job's picture serves one asked for under `asked`: it makes
  // a large enough one, or is still queued and is made to.
  bool Serve(const PictureLimit& asked);
  // Takes the job when it is still queued.
  bool Claim();
  void Run();

  SharedBytes bytes_;
  uint32_t width_ = 0, height_ = 0;
  int32_t filter_ = 0;
  uint32_t maxSide_ = 0;
  PictureLimit limit_;  // guarded by mutex_
  mutable std::mutex mutex_;
  std::condition_variable done_;
  enum class State { Queued, Running, Done } state_ = State::Queued;
  std::optional<PreparedPicture> result_;
};

// Queues the bytes (shared, not copied) for PreparePicture(bytes, width, height, filter,
// no colour key, maxSide, limitWidth, limitHeight).
std::shared_ptr<PictureJob> DecodeInBackground(const SharedBytes& bytes, uint32_t width,
                                               uint32_t height, int32_t filter, uint32_t maxSide,
                                               uint32_t limitWidth = 0, uint32_t limitHeight = 0);

}  // namespace glimmer
