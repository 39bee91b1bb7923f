#pragma once
// QVX_3DTex: a styled text with a stored text mesh. The player draws its
// text picture in the placement quad, as a 2D text; the mesh is kept.

#include <cstdint>
#include <vector>

#include "objects/styled_text.h"

namespace glimmer {

// The stored text mesh: face, vertex and attribute data with their counts.
struct TextMeshBlock {
  int32_t options = 0, fvf = 0;
  uint32_t faceCount = 0, vertexCount = 0, vertexBytes = 0;
  std::vector<uint8_t> vertices;    // vertexCount × vertexBytes
  std::vector<uint8_t> indices;     // faceCount × 6 (16-bit, three a face)
  std::vector<uint8_t> attributes;  // faceCount × 4
};

// The limits of a text mesh: faces, vertices and bytes per vertex.
inline constexpr uint32_t kMaxTextMeshFaces = 1u << 20;
inline constexpr uint32_t kMaxTextMeshVertices = 1u << 20;
inline constexpr uint32_t kMaxTextMeshVertexBytes = 256;

// Five int32 (faces F, vertices V, options, FVF, bytes per vertex B), then
// V × B bytes of vertices, F × 6 of indices and F × 4 of attributes. The
// counts are checked against their limits and the bytes present before
// anything is allocated.
void Field(Archive& ar, std::string_view name, TextMeshBlock& mesh);

class QVX_3DTex : public QVX_Text {
  GLIMMER_LAYER_KIND(QVX_3DTex)

 public:
  QVX_3DTex();
  // Position, the styling, the placement, the mesh, then the text part.
  void Serialize(Archive& ar, int32_t version) override;
  const MediaQuad& Placement() const override { return placement; }

  D3DXVECTOR3 position{0, 0, 0};
  MediaQuad placement;
  TextMeshBlock mesh;
};

}  // namespace glimmer
