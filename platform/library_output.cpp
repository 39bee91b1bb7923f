#include "platform/library_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace glimmer {
namespace {
std::atomic<bool> g_shown{false};
}  // namespace

void ShowLibraryOutput(bool shown) {
  g_shown = shown;
  // Mesa's EGL loader logs through its own level; quiet it at the source too.
  if (!shown) setenv("EGL_LOG_LEVEL", "fatal", 0);
}

bool LibraryOutputShown() {
  return g_shown;
}

QuietLibraryOutput::QuietLibraryOutput() {
  if (g_shown) return;
  std::fflush(stderr);
  const int none = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (none < 0) return;
  saved_ = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
  if (saved_ >= 0 && ::dup2(none, STDERR_FILENO) < 0) {
    ::close(saved_);
    saved_ = -1;
  }
  ::close(none);
}

QuietLibraryOutput::~QuietLibraryOutput() {
  if (saved_ < 0) return;
  std::fflush(stderr);
  ::dup2(saved_, STDERR_FILENO);
  ::close(saved_);
}

}  // namespace glimmer
