#pragma once
// Where the show document comes from: a file named by the user (a document,
// or a Windows program carrying resource "DDS" 107), a document appended to
// the running executable, or the player's built-in show.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace glimmer {

struct DocumentBytes {
  std::vector<uint8_t> bytes;
  std::string origin;  // for messages: a path, "built-in show", ...
};

struct DocumentSearch {
  std::optional<std::filesystem::path> file;            // named on the command line
  std::filesystem::path executable = "/proc/self/exe";  // may carry an appended show
  std::span<const uint8_t> builtin;                     // the player's own show, if any
};

// Documents larger than this are refused rather than read into memory.
inline constexpr uintmax_t kMaxDocumentBytes = uintmax_t{1} << 30;

// The document to play, in order: the named file; a show appended to the
// executable; the built-in show. Throws GlimmerError 0x8200000B when there is
// none or the named file cannot be used.
DocumentBytes FindDocument(const DocumentSearch& search);

// Reads a regular file of at most `maxBytes`; throws GlimmerError 0x8200000B.
std::vector<uint8_t> ReadWholeFile(const std::filesystem::path& path, uintmax_t maxBytes);

// The document inside a file's bytes: resource "DDS" 107 of a PE image, or
// the bytes themselves. Throws GlimmerError 0x8200000B for a PE without it.
std::vector<uint8_t> DocumentFromFile(std::vector<uint8_t> fileBytes, const std::string& origin);

// An executable carrying a show: the executable's bytes, the document, then
// a trailer of the document's size and a magic tag.
std::vector<uint8_t> AppendPayload(std::span<const uint8_t> executable,
                                   std::span<const uint8_t> document);
// The executable's own bytes without any document appended to them.
std::vector<uint8_t> WithoutPayload(std::span<const uint8_t> executable);
// The document appended to the file at `path`, if it carries one.
std::optional<std::vector<uint8_t>> ReadAppendedPayload(const std::filesystem::path& path);

}  // namespace glimmer
