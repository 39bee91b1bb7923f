#include "document/show_composer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <stdexcept>

#include "document/document_source.h"
#include <nlohmann/json.hpp>

#include "document/show_document.h"

namespace glimmer {

std::vector<uint8_t> ComposeShowFile(const std::filesystem::path& path) {
  const std::vector<uint8_t> text = ReadWholeFile(path, 64u << 20);
  Json json;
  try {
    json = Json::parse(text.begin(), text.end());
  } catch (const Json::parse_error& e) {
    throw JsonFormatError(path.string() + ": not JSON: " + e.what());
  }
  FileBlobStore files(path.parent_path());
  ShowDocument doc = ShowFromJson(json, files);
  return SaveShow(doc);
}

void WriteFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes,
                         std::filesystem::perms mode) {
  const std::filesystem::path temp = path.string() + ".tmp";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) throw std::runtime_error("cannot write " + temp.string() + ": " + std::strerror(errno));
  size_t done = 0;
  bool ok = true;
  while (ok && done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += size_t(n);
  }
  ok = ok && ::fsync(fd) == 0;
  const int error = errno;
  ok = ::close(fd) == 0 && ok;
  std::error_code ec;
  if (ok) std::filesystem::permissions(temp, mode, ec);
  if (!ok || ec || std::rename(temp.c_str(), path.c_str()) != 0) {
    const std::string why = std::strerror(ok ? errno : error);
    std::filesystem::remove(temp, ec);
    throw std::runtime_error("cannot write " + path.string() + ": " + why);
  }
}

std::vector<uint8_t> ExecutableWithoutShow(std::span<const uint8_t> executable) {
  // The trailer: the show's size (8 bytes) and the tag (8 bytes).
  constexpr size_t kTrailer = 16;
  if (executable.size() >= kTrailer && std::memcmp(executable.data() + executable.size() - 8, "GLIMSHOW", 8) == 0) {
    uint64_t size = 0;
    for (int i = 0; i < 8; ++i) size |= uint64_t{executable[executable.size() - kTrailer + size_t(i)]} << (8 * i);
    if (size <= executable.size() - kTrailer) {
      return {executable.begin(), executable.end() - std::ptrdiff_t(kTrailer + size)};
    }
  }
  return {executable.begin(), executable.end()};
}

}  // namespace glimmer
