#include "common/watchdog.h"

#include <unistd.h>

#include <chrono>

namespace glimmer {

Watchdog::Watchdog(double seconds, std::string message)
    : message_(std::move(message)), thread_([this, seconds] {
        std::unique_lock lock(mutex_);
        if (!done_.wait_for(lock, std::chrono::duration<double>(seconds),
                            [this] { return disarmed_; })) {
          [[maybe_unused]] const ssize_t n =
              ::write(STDERR_FILENO, message_.data(), message_.size());
          ::_exit(1);
        }
      }) {}

Watchdog::~Watchdog() {
  {
    std::lock_guard lock(mutex_);
    disarmed_ = true;
  }
  done_.notify_one();
  thread_.join();
}

}  // namespace glimmer
