#include "objects/text_3d.h"

#include <string>

#include "params/param_serialization.h"
#include "scene/render_context.h"
#include "store/archive.h"

namespace glimmer {
namespace {

// `count` raw bytes: one run in the document, base64 in the JSON form.
void RawBytes(Archive& ar, std::string_view name, std::vector<uint8_t>& bytes, size_t count) {
  if (!ar.StoresVersions()) {
    ar.Bytes(name, bytes);
    if (ar.IsReading() && bytes.size() != count)
      ar.Fail(std::string(name) + " holds " + std::to_string(bytes.size()) + " bytes, not " +
              std::to_string(count));
    return;
  }
  if (ar.IsReading()) bytes.assign(count, 0);
  for (uint8_t& b : bytes) {
    char c = char(b);
    ar.Char(name, c);
    b = uint8_t(c);
  }
}

}  // namespace

void Field(Archive& ar, std::string_view name, TextMeshBlock& m) {
  ar.BeginStruct(name);
  int32_t f = int32_t(m.faceCount), v = int32_t(m.vertexCount), b = int32_t(m.vertexBytes);
  Field(ar, "faceCount", f);
  Field(ar, "vertexCount", v);
  Field(ar, "options", m.options);
  Field(ar, "fvf", m.fvf);
  Field(ar, "vertexBytes", b);
  if (ar.IsReading()) {
    if (f < 0 || v < 0 || b < 0 || uint32_t(f) > kMaxTextMeshFaces ||
        uint32_t(v) > kMaxTextMeshVertices || uint32_t(b) > kMaxTextMeshVertexBytes) {
      ar.Fail("QVX_3DTex: a text mesh of " + std::to_string(f) + " faces, " + std::to_string(v) +
              " vertices of " + std::to_string(b) +
              " bytes is beyond the limits (1,048,576 faces and vertices, 256 bytes a vertex)");
    }
    const uint64_t need = uint64_t(v) * uint64_t(b) + uint64_t(f) * 10;
    if (need > ar.RemainingBytes())
      ar.Fail("QVX_3DTex: the text mesh needs " + std::to_string(need) +
              " bytes; the document has " + std::to_string(ar.RemainingBytes()) + " left");
    m.faceCount = uint32_t(f);
    m.vertexCount = uint32_t(v);
    m.vertexBytes = uint32_t(b);
  }
  RawBytes(ar, "vertices", m.vertices, size_t(m.vertexCount) * m.vertexBytes);
  RawBytes(ar, "indices", m.indices, size_t(m.faceCount) * 6);
  RawBytes(ar, "attributes", m.attributes, size_t(m.faceCount) * 4);
  ar.EndStruct();
}

QVX_3DTex::QVX_3DTex() {
  D3DXVECTOR3 centre{400, 300, 0};
  if (const RenderContext* c = CurrentRenderContext())
    centre = {float(c->TargetWidth) / 2, float(c->TargetHeight) / 2, 0};
  position = centre;
  placement.SetCentered(400, 100, centre);
}

void QVX_3DTex::Serialize(Archive& ar, int32_t) {
  Field(ar, "position", position);
  SerializeStyling(ar, styling, nullptr);
  Field(ar, "placement", placement);
  Field(ar, "mesh", mesh);
  SerializeBase<QVX_Text>(ar, *this);
}

GLIMMER_REGISTER_STYLED_TEXT(QVX_3DTex)

}  // namespace glimmer
