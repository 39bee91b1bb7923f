#include "document/document_source.h"

#include <cstring>
#include <fstream>

#include "common/error_codes.h"
#include "document/pe_resources.h"

namespace glimmer {
namespace {

constexpr char kPayloadMagic[8] = {'G', 'L', 'I', 'M', 'S', 'H', 'O', 'W'};
constexpr size_t kTrailerBytes = 8 + sizeof kPayloadMagic;

[[noreturn]] void NoMedia(const std::string& detail) {
  throw GlimmerError(ErrorCode::MediaNotFound, detail);
}

// The size of the document a trailer announces, when it is one and the
// document fits in the `room` before it.
std::optional<uint64_t> PayloadSize(const uint8_t* trailer, uint64_t room) {
  if (std::memcmp(trailer + 8, kPayloadMagic, sizeof kPayloadMagic) != 0) return std::nullopt;
  uint64_t size = 0;
  for (int i = 0; i < 8; ++i) size |= uint64_t{trailer[i]} << (8 * i);
  if (size == 0 || size > room || size > kMaxDocumentBytes) return std::nullopt;
  return size;
}

}  // namespace

std::vector<uint8_t> ReadWholeFile(const std::filesystem::path& path, uintmax_t maxBytes) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status)) NoMedia("no such file: " + path.string());
  if (!std::filesystem::is_regular_file(status)) NoMedia("not a regular file: " + path.string());
  const uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) NoMedia("cannot read " + path.string());
  if (size > maxBytes) {
    NoMedia(path.string() + " is " + std::to_string(size) + " bytes, more than the " +
            std::to_string(maxBytes) + " a show may have");
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  std::ifstream in(path, std::ios::binary);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!in) NoMedia("cannot read " + path.string());
  return bytes;
}

std::vector<uint8_t> DocumentFromFile(std::vector<uint8_t> fileBytes, const std::string& origin) {
  if (!PeResources::LooksLikePe(fileBytes)) return fileBytes;
  auto pe = PeResources::Parse(fileBytes);
  if (!pe) NoMedia(origin + " starts like a Windows program but its resources cannot be read");
  auto doc = pe->Find(std::u16string(u"DDS"), kDocumentResourceId);
  if (!doc || doc->empty()) NoMedia(origin + " carries no resource \"DDS\" 107");
  return std::vector<uint8_t>(doc->begin(), doc->end());
}

std::vector<uint8_t> AppendPayload(std::span<const uint8_t> executable,
                                   std::span<const uint8_t> document) {
  std::vector<uint8_t> out(executable.begin(), executable.end());
  out.insert(out.end(), document.begin(), document.end());
  uint64_t size = document.size();
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(size >> (8 * i)));
  out.insert(out.end(), kPayloadMagic, kPayloadMagic + sizeof kPayloadMagic);
  return out;
}

std::vector<uint8_t> WithoutPayload(std::span<const uint8_t> executable) {
  if (executable.size() >= kTrailerBytes) {
    const uint64_t room = executable.size() - kTrailerBytes;
    if (const auto size = PayloadSize(executable.data() + room, room)) {
      return {executable.begin(), executable.begin() + std::ptrdiff_t(room - *size)};
    }
  }
  return {executable.begin(), executable.end()};
}

std::optional<std::vector<uint8_t>> ReadAppendedPayload(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return std::nullopt;
  const std::streamoff fileSize = in.tellg();
  if (fileSize < static_cast<std::streamoff>(kTrailerBytes)) return std::nullopt;
  uint8_t trailer[kTrailerBytes];
  in.seekg(fileSize - static_cast<std::streamoff>(kTrailerBytes));
  if (!in.read(reinterpret_cast<char*>(trailer), kTrailerBytes)) return std::nullopt;
  const uint64_t room = static_cast<uint64_t>(fileSize) - kTrailerBytes;
  const std::optional<uint64_t> found = PayloadSize(trailer, room);
  if (!found) return std::nullopt;
  const uint64_t size = *found;
  std::vector<uint8_t> doc(static_cast<size_t>(size));
  in.seekg(static_cast<std::streamoff>(room - size));
  if (!in.read(reinterpret_cast<char*>(doc.data()), static_cast<std::streamsize>(size))) {
    return std::nullopt;
  }
  return doc;
}

DocumentBytes FindDocument(const DocumentSearch& search) {
  if (search.file) {
    const std::string origin = search.file->string();
    return {DocumentFromFile(ReadWholeFile(*search.file, kMaxDocumentBytes), origin), origin};
  }
  if (!search.executable.empty()) {
    if (auto payload = ReadAppendedPayload(search.executable)) {
      return {std::move(*payload), "the show carried by " + search.executable.string()};
    }
  }
  if (!search.builtin.empty()) {
    return {std::vector<uint8_t>(search.builtin.begin(), search.builtin.end()), "built-in show"};
  }
  NoMedia("no show document: none was named, and the player carries none");
}

}  // namespace glimmer
