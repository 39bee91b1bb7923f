#pragma once
// Making documents from their readable form, and players that carry one.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace glimmer {

// The document described by the JSON file at `path`; the files it names are
// read relative to the JSON file's folder. Throws JsonFormatError ("PATH:
// problem", with the JSON path of the first problem) or GlimmerError.
std::vector<uint8_t> ComposeShowFile(const std::filesystem::path& path);

// Writes `bytes` to `path` through a temporary file in the same folder and a
// rename, so a failure leaves no partial file; `mode` gives the permissions.
// Throws std::runtime_error saying what failed.
void WriteFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes,
                         std::filesystem::perms mode = std::filesystem::perms::owner_read |
                                                       std::filesystem::perms::owner_write |
                                                       std::filesystem::perms::group_read |
                                                       std::filesystem::perms::others_read);

// The program's own bytes without any show appended to them.
std::vector<uint8_t> ExecutableWithoutShow(std::span<const uint8_t> executable);

}  // namespace glimmer
