#pragma once
// QVX_3DTex: a styled text drawn as solid lettering from its stored text
// mesh. The mesh is fitted into the placement quad keeping its proportions,
// turned a little (so its depth shows under the slide's flat projection)
// and shaded by a fixed light from the upper right; the background box, the
// shadow (the mesh's front face moved by its distance), the fill and the
// time line's transitions apply as to a 2D text. Without a usable mesh the
// text picture is drawn flat in the quad, as a 2D text.

#include <cstdint>
#include <vector>

#include "render/vertex_pct.h"
#include "texts/styled_text.h"

namespace glimmer {

// The player's built-in effect for text meshes: "Shadow", "MainColorFill"
// and "MainTexFill" over the mesh's triangles.
inline constexpr uint16_t kTextMeshEffectId = 1023;

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

// The mesh as the player draws it: triangles in slide pixels (z 0), each
// vertex's colour the grey of its face's light and its texture coordinates
// its place in the placement box (0 to 1). The faces turned away are left
// out; `walls` holds the rest but the front face, farthest first, so that
// drawing the walls and then `front` hides what lies behind.
struct TextMeshView {
  std::vector<DX_V::PCT> walls, front;
  bool empty() const { return walls.empty() && front.empty(); }
};

// The view of `mesh` (positions as XYZ floats first in each vertex, normals
// after them when the FVF has them, else each face's own) fitted into the
// box. Faces with an index beyond the vertices or a non-finite value are
// skipped; an FVF without plain XYZ positions, or vertices too short for
// it, gives an empty view.
TextMeshView ViewTextMesh(const TextMeshBlock& mesh, float left, float top, float width,
                          float height);

class QVX_3DTex : public QVX_Text, public TextPictureSource {
  GLIMMER_LAYER_KIND(QVX_3DTex)

 public:
  QVX_3DTex();
  // Position, the styling, the placement, the mesh, then the text part.
  void Serialize(Archive& ar, int32_t version) override;
  const MediaQuad& Placement() const override { return placement; }
  // Without a mesh, extrudes the text's outlines into one (the resources
  // are not needed); true when it made one.
  bool ComposeTextPicture(ZT_DocResManager& resources) override;

  D3DXVECTOR3 position{0, 0, 0};
  MediaQuad placement;
  TextMeshBlock mesh;
};

class Text3DObj : public QVX_TextObj {
 public:
  explicit Text3DObj(const QVX_3DTex& constructor);

 protected:
  bool HasBody() const override;
  void DrawBody(ZT_ABRender& renderer, Effect& e, const TextTransition& tr,
                const D3DXVECTOR3 corners[4]) override;

 private:
  // Builds the view and its buffers when the placement has changed.
  void Prepare(const D3DXVECTOR3 corners[4]);

  bool hasMesh_ = false;
  float builtFor_[4] = {0, 0, -1, -1};
  std::shared_ptr<Effect> meshEffect_;
  std::unique_ptr<ZT_SimpleMesh<DX_V::PCT>> walls_, front_;
};

}  // namespace glimmer
