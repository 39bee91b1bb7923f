#pragma once
// Making documents from their readable form.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace glimmer {

// The document described by the JSON file at `path`; the files it names are
// read relative to the JSON file's folder. A file link (a slide's picture, a
// mesh, an effect) whose file the resources do not carry yet, and that names
// a file there, carries that file: pictures among the pictures, others among
// the files, under the link's path and a stamp made from the file's bytes.
// The paths of links that stay uncarried (no such file, not a resource
// module) go to `uncarried`, each once. Throws JsonFormatError ("PATH:
// problem", with the JSON path of the first problem) or GlimmerError.
std::vector<uint8_t> ComposeShowFile(const std::filesystem::path& path,
                                     std::vector<std::string>* uncarried = nullptr);
// The same for JSON text already read; `name` is how errors call it, and
// `folder` is where the files it names are looked for.
std::vector<uint8_t> ComposeShowText(std::span<const uint8_t> text, const std::string& name,
                                     const std::filesystem::path& folder,
                                     std::vector<std::string>* uncarried = nullptr);

}  // namespace glimmer
