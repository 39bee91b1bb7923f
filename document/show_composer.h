#pragma once
// Making documents from their readable form.

#include <cstdint>
#include <filesystem>
#include <vector>

namespace glimmer {

// The document described by the JSON file at `path`; the files it names are
// read relative to the JSON file's folder. Throws JsonFormatError ("PATH:
// problem", with the JSON path of the first problem) or GlimmerError.
std::vector<uint8_t> ComposeShowFile(const std::filesystem::path& path);

}  // namespace glimmer
