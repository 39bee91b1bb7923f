#include "platform/gpu/picture_pool.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <thread>
#include <tuple>

#include "platform/image/drawing_gate.h"

namespace glimmer {
namespace {

// FNV-1a over 64-bit words (and the tail bytes): quick enough to key a
// photo's bytes on the frame thread.
uint64_t HashBytes(std::span<const uint8_t> bytes) {
  uint64_t h = 1469598103934665603ull;
  size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes.data() + i, 8);
    h = (h ^ word) * 1099511628211ull;
  }
  for (; i < bytes.size(); ++i) h = (h ^ bytes[i]) * 1099511628211ull;
  return h;
}

}  // namespace

class PicturePool {
 public:
  // Made once and never destroyed: its workers are detached, so a player
  // told to end while a picture decodes ends at once rather than after it.
  static PicturePool& Instance() {
    static PicturePool* pool = new PicturePool;
    return *pool;
  }

  std::shared_ptr<PictureJob> Queue(const SharedBytes& bytes, uint32_t width, uint32_t height,
                                    int32_t filter, uint32_t maxSide, uint32_t limitWidth,
                                    uint32_t limitHeight) {
    const uint64_t hash = HashBytes(bytes);
    const Key key{hash, bytes.size(), width, height, filter, maxSide};
    const PictureLimit asked{limitWidth, limitHeight};
    std::lock_guard lock(mutex_);
    // A job for the same bytes serves when it makes a large enough picture,
    // or can still be told to: screens of different sizes share one decode.
    for (auto [it, end] = shared_.equal_range(key); it != end; ++it) {
      std::shared_ptr<PictureJob> job = it->second.lock();
      if (job && job->bytes_.size() == bytes.size() &&
          std::equal(bytes.begin(), bytes.end(), job->bytes_.begin()) && job->Serve(asked))
        return job;
    }
    auto job = std::make_shared<PictureJob>();
    job->bytes_ = bytes;
    job->width_ = width;
    job->height_ = height;
    job->filter_ = filter;
    job->maxSide_ = maxSide;
    job->limit_ = asked;
    shared_.emplace(key, job);
    queue_.push_back(job);
    StartWorkers();
    wake_.notify_one();
    return job;
  }

 private:
  using Key = std::tuple<uint64_t, size_t, uint32_t, uint32_t, int32_t, uint32_t>;

  void StartWorkers() {
    if (started_) return;
    const unsigned n = std::max(1u, std::thread::hardware_concurrency());
    for (unsigned i = 0; i < n; ++i) std::thread([this] { Work(); }).detach();
    started_ = true;
  }

  void Work() {
    // Decoding yields to the frame thread.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
    for (;;) {
      std::shared_ptr<PictureJob> job;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return !queue_.empty(); });
        job = queue_.front().lock();  // a job nobody holds any more is dropped
        queue_.pop_front();
        // Forget the shared entries of jobs that are gone.
        std::erase_if(shared_, [](const auto& entry) { return entry.second.expired(); });
      }
      if (!job) continue;
      YieldToDrawing();  // a job is started between frames
      if (job->Claim()) job->Run();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::weak_ptr<PictureJob>> queue_;
  std::multimap<Key, std::weak_ptr<PictureJob>> shared_;
  bool started_ = false;
};

bool PictureJob::Ready() const {
  std::lock_guard lock(mutex_);
  return state_ == State::Done;
}

bool PictureJob::Serve(const PictureLimit& asked) {
  std::lock_guard lock(mutex_);
  if (limit_.Covers(asked)) return true;
  if (state_ != State::Queued) return false;
  // Not started: it makes the larger of the two.
  const auto wider = [](uint32_t a, uint32_t b) { return a == 0 || b == 0 ? 0 : std::max(a, b); };
  limit_ = {wider(limit_.width, asked.width), wider(limit_.height, asked.height)};
  return true;
}

bool PictureJob::Claim() {
  std::lock_guard lock(mutex_);
  if (state_ != State::Queued) return false;
  state_ = State::Running;
  return true;
}

void PictureJob::Run() {
  PictureLimit limit;
  {
    std::lock_guard lock(mutex_);
    limit = limit_;
  }
  std::optional<PreparedPicture> result =
      PreparePicture(bytes_, width_, height_, filter_, 0, maxSide_, limit.width, limit.height);
  {
    std::lock_guard lock(mutex_);
    if (state_ == State::Done) return;  // the other of two runs finished first
    result_ = std::move(result);
    state_ = State::Done;
  }
  done_.notify_all();
}

const std::optional<PreparedPicture>& PictureJob::Wait() {
  // A job a worker runs is done here too: the low-priority worker may be
  // starved by the rest of the machine, and the waiting thread (the frame
  // thread) must not wait on it. The first result stands.
  if (Claim() || !Ready()) Run();
  std::unique_lock lock(mutex_);
  done_.wait(lock, [this] { return state_ == State::Done; });
  return result_;
}

std::shared_ptr<PictureJob> DecodeInBackground(const SharedBytes& bytes, uint32_t width,
                                               uint32_t height, int32_t filter, uint32_t maxSide,
                                               uint32_t limitWidth, uint32_t limitHeight) {
  return PicturePool::Instance().Queue(bytes, width, height, filter, maxSide, limitWidth,
                                       limitHeight);
}

}  // namespace glimmer
