#include "common/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace glimmer {
namespace {

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(size_t(n));
  }
  return true;
}

// Makes a completed rename durable; a failure here loses nothing already
// visible, so it is not reported.
void SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view data, mode_t mode,
                         std::string* error, std::string_view tempSuffix) {
  const std::filesystem::path temp = path.string() + std::string(tempSuffix);
  const auto fail = [&](const char* what, const std::filesystem::path& which, int err) {
    ::unlink(temp.c_str());
    if (error) *error = std::string(what) + " " + which.string() + ": " + std::strerror(err);
    return false;
  };
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) {
    const int err = errno;
    if (error) *error = "cannot create " + temp.string() + ": " + std::strerror(err);
    return false;
  }
  // open's mode is masked by the umask; the caller's mode is the one meant.
  if (!WriteAll(fd, data) || ::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) {
    const int err = errno;
    ::close(fd);
    return fail("cannot write", temp, err);
  }
  if (::close(fd) != 0) return fail("cannot write", temp, errno);
  if (::rename(temp.c_str(), path.c_str()) != 0) return fail("cannot replace", path, errno);
  SyncFolder(path.parent_path());
  return true;
}

}  // namespace glimmer
