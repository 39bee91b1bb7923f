#pragma once
// Replacing a file so that readers see the old contents or the new, never a
// part: write a temporary beside it, flush it to disk, rename it over.

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace glimmer {

// Writes `data` to `path` through `path` + `tempSuffix` with permissions
// `mode`. On failure the temporary is removed, the old file is untouched,
// and `error` (when given) says "cannot create|write TEMP: reason" or
// "cannot replace PATH: reason".
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view data, mode_t mode,
                         std::string* error = nullptr, std::string_view tempSuffix = ".tmp");

}  // namespace glimmer
