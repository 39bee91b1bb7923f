#pragma once
// A time limit for a whole process: work on a file that might make it hang
// (a thumbnail of a hostile show) ends with exit code 1 instead.

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace glimmer {

// Ends the process with exit code 1, writing `message` on standard error,
// once `seconds` pass while it is alive; destroying it in time disarms it.
class Watchdog {
 public:
  Watchdog(double seconds, std::string message);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool disarmed_ = false;
  std::string message_;
  std::thread thread_;
};

}  // namespace glimmer
