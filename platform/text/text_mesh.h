#pragma once
// Text meshes: a string's glyph outlines, shaped like its picture and
// extruded into solid lettering. Units are ems of the font: x to the right
// from the pen's start, y up from the first line's baseline; the front face
// lies at z = 0 facing −z (towards a viewer looking along +z), the back
// face at z = depth, and walls join their outlines.

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/text/text_raster.h"

namespace glimmer {

struct TextMeshVertex {
  float x, y, z;
  float nx, ny, nz;  // unit, pointing out of the solid
};

struct TextMesh {
  // Four vertices a quad (the caps are cut into trapezoids along y), its
  // two triangles 4j, 4j+1, 4j+2 and 4j, 4j+2, 4j+3.
  std::vector<TextMeshVertex> vertices;
  std::vector<uint16_t> indices;  // three a triangle
  uint32_t TriangleCount() const { return uint32_t(indices.size() / 3); }
};

// The most quads one text mesh holds, so that its vertices fit 16-bit
// indices; a text that needs more is cut there, said once on standard error.
inline constexpr uint32_t kMaxTextMeshQuads = 16383;

// The mesh of `text` (lines split at '\n') in `font`, `depth` ems deep.
// Empty for an empty text, a text without outlines, or no font at all.
TextMesh ExtrudeText(std::u16string_view text, const TextFont& font, float depth = 0.25f);

}  // namespace glimmer
