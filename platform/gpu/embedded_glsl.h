#pragma once
// The GLSL files of the project, embedded at build time (cmake/EmbedGlsl.cmake)
// and looked up by their path from the source root, e.g. "render/blur_effect.glsl".

#include <span>
#include <string_view>

namespace glimmer {

struct EmbeddedGlslFile {
  const char* path;
  const char* text;
};

std::span<const EmbeddedGlslFile> EmbeddedGlslFiles();

// The text of the file at `path`; throws std::logic_error naming the path
// when the build embedded no such file.
std::string_view EmbeddedGlsl(std::string_view path);

}  // namespace glimmer
