#include "platform/gpu/embedded_glsl.h"

#include <stdexcept>
#include <string>

namespace glimmer {

std::string_view EmbeddedGlsl(std::string_view path) {
  for (const EmbeddedGlslFile& file : EmbeddedGlslFiles()) {
    if (path == file.path) return file.text;
  }
  throw std::logic_error("no GLSL file " + std::string(path) + " was embedded in this build");
}

}  // namespace glimmer
