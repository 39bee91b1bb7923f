// 3D text: the text mesh block round trip, its counts checked against
// their limits and the bytes present before anything is allocated; compose
// extruding a mesh for a text given without one; and the mesh as drawn:
// fitted into its quad, turned so its walls show, damaged faces skipped.

#include "texts/text_3d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "document/doc_res_manager.h"
#include "store/stream_reader.h"
#include "store/stream_writer.h"
#include "tests/support/archive_helpers.h"

namespace glimmer::testing {
namespace {

std::string ReadFailure(const std::vector<uint8_t>& bytes) {
  try {
    ResourceBuffer buffer(bytes);
    ZT_IOF_R reader(buffer);
    BinaryInArchive ar(reader);
    TextMeshBlock mesh;
    Field(ar, "mesh", mesh);
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

TEST(Text3D, MeshBlockRoundTrips) {
  QVX_3DTex text;
  text.text.SetValue(u"3D");
  text.position = {1, 2, 3};
  text.mesh.faceCount = 2;
  text.mesh.vertexCount = 4;
  text.mesh.vertexBytes = 12;
  text.mesh.fvf = 0x002;
  for (int i = 0; i < 48; ++i) text.mesh.vertices.push_back(uint8_t(i));
  text.mesh.indices = {0, 0, 1, 0, 2, 0, 2, 0, 1, 0, 3, 0};
  text.mesh.attributes.assign(8, 0);
  const auto bytes = WriteWith([&](Archive& ar) { text.Serialize(ar, 1); });
  QVX_3DTex back;
  ReadWith(bytes, [&](Archive& ar) { back.Serialize(ar, 1); });
  EXPECT_EQ(back.position.z, 3.0f);
  EXPECT_EQ(back.mesh.vertexCount, 4u);
  EXPECT_EQ(back.mesh.vertices, text.mesh.vertices);
  EXPECT_EQ(back.mesh.indices, text.mesh.indices);
  EXPECT_EQ(back.text.Value(), u"3D");
}

TEST(Text3D, MeshCountsAreCheckedFirst) {
  const auto block = [](int32_t f, int32_t v, int32_t b, size_t present) {
    ZT_IOF_W w;
    for (int32_t x : {f, v, 0, 0x002, b}) w.WriteInt32(x);
    std::vector<uint8_t> bytes = w.Take();
    bytes.resize(bytes.size() + present, 0);
    return bytes;
  };
  EXPECT_EQ(ReadFailure(block(1, 2, 4, 8 + 10)), "");
  const std::string short_ = ReadFailure(block(1, 2, 4, 8 + 9));
  EXPECT_NE(short_.find("QVX_3DTex: the text mesh needs 18 bytes"), std::string::npos) << short_;
  const std::string huge = ReadFailure(block(1 << 30, 1 << 30, 200, 16));
  EXPECT_NE(huge.find("QVX_3DTex"), std::string::npos) << huge;
  EXPECT_NE(huge.find("beyond the limits"), std::string::npos) << huge;
  EXPECT_NE(ReadFailure(block(-1, 0, 0, 0)).find("QVX_3DTex"), std::string::npos);
  // Within the limits but far beyond the document.
  EXPECT_NE(ReadFailure(block(1000, 1000000, 200, 0)).find("needs"), std::string::npos);
}

QVX_3DTex Composed(std::u16string text) {
  QVX_3DTex t;
  t.text.SetValue(std::move(text));
  t.style.height.SetValue(-40);
  ZT_DocResManager resources;
  EXPECT_TRUE(t.ComposeTextPicture(resources));
  return t;
}

TEST(Text3D, ComposeExtrudesAMeshOnlyWhenThereIsNone) {
  QVX_3DTex t = Composed(u"3D");
  const TextMeshBlock& m = t.mesh;
  EXPECT_EQ(m.fvf, 0x012) << "XYZ | NORMAL";
  EXPECT_EQ(m.vertexBytes, 24u);
  EXPECT_GT(m.faceCount, 20u);
  EXPECT_EQ(m.vertices.size(), size_t(m.vertexCount) * 24);
  EXPECT_EQ(m.indices.size(), size_t(m.faceCount) * 6);
  EXPECT_EQ(m.attributes.size(), size_t(m.faceCount) * 4);
  // It reads back through the checked block.
  const auto bytes = WriteWith([&](Archive& ar) { t.Serialize(ar, 1); });
  QVX_3DTex back;
  ReadWith(bytes, [&](Archive& ar) { back.Serialize(ar, 1); });
  EXPECT_EQ(back.mesh.vertices, m.vertices);
  EXPECT_EQ(back.mesh.indices, m.indices);
  ZT_DocResManager resources;
  EXPECT_FALSE(t.ComposeTextPicture(resources)) << "a mesh is kept as it is";
  QVX_3DTex empty;
  EXPECT_FALSE(empty.ComposeTextPicture(resources));
  EXPECT_EQ(empty.mesh.faceCount, 0u);
}

TEST(Text3D, TheViewFitsTheQuadAndShowsWallsBehindTheFront) {
  const QVX_3DTex t = Composed(u"Hi");
  const TextMeshView view = ViewTextMesh(t.mesh, 40, 30, 200, 100);
  ASSERT_FALSE(view.front.empty());
  ASSERT_FALSE(view.walls.empty()) << "turned, so some walls face the viewer";
  float lo[2] = {1e9f, 1e9f}, hi[2] = {-1e9f, -1e9f};
  uint32_t frontShade = 0, darkestWall = 255;
  for (const auto* part : {&view.walls, &view.front}) {
    for (const DX_V::PCT& v : *part) {
      lo[0] = std::min(lo[0], v.x), hi[0] = std::max(hi[0], v.x);
      lo[1] = std::min(lo[1], v.y), hi[1] = std::max(hi[1], v.y);
      EXPECT_NEAR(v.u, (v.x - 40) / 200, 1e-5);
      EXPECT_NEAR(v.v, (v.y - 30) / 100, 1e-5);
      const uint32_t grey = v.color & 0xFF;
      if (part == &view.front)
        frontShade = grey;
      else
        darkestWall = std::min(darkestWall, grey);
    }
  }
  // Fitted with its proportions kept: one side touches the quad, centred.
  EXPECT_GE(lo[0], 40 - 1e-3f);
  EXPECT_LE(hi[0], 240 + 1e-3f);
  EXPECT_GE(lo[1], 30 - 1e-3f);
  EXPECT_LE(hi[1], 130 + 1e-3f);
  EXPECT_TRUE(std::fabs(hi[0] - lo[0] - 200) < 0.01f || std::fabs(hi[1] - lo[1] - 100) < 0.01f);
  EXPECT_NEAR((lo[0] + hi[0]) / 2, 140, 0.01f);
  EXPECT_NEAR((lo[1] + hi[1]) / 2, 80, 0.01f);
  // The front is lit more than its darkest walls, so the depth reads.
  EXPECT_GT(frontShade, darkestWall + 40);
  // The back cap faces away: only the front pieces and some walls remain.
  size_t frontFaces = 0;
  for (uint32_t f = 0; f < t.mesh.faceCount; ++f) {
    uint16_t i0;
    std::memcpy(&i0, &t.mesh.indices[f * 6], 2);
    float nz;
    std::memcpy(&nz, &t.mesh.vertices[size_t(i0) * 24 + 20], 4);
    frontFaces += nz < -0.99f;
  }
  EXPECT_EQ(view.front.size(), frontFaces * 3);
  EXPECT_LT(view.walls.size() + view.front.size(), size_t(t.mesh.faceCount) * 3 * 6 / 10);
}

TEST(Text3D, DamagedMeshesSkipWhatTheyCannotDraw) {
  QVX_3DTex t = Composed(u"I");
  const size_t whole = ViewTextMesh(t.mesh, 0, 0, 100, 100).front.size();
  ASSERT_GT(whole, 0u);
  // An index beyond the vertices, and a non-finite position: those faces go.
  TextMeshBlock m = t.mesh;
  m.indices[0] = 0xFF;
  m.indices[1] = 0xFF;
  const float nan = std::nanf("");
  uint16_t i3;
  std::memcpy(&i3, &m.indices[6], 2);
  std::memcpy(&m.vertices[size_t(i3) * 24], &nan, 4);
  const TextMeshView view = ViewTextMesh(m, 0, 0, 100, 100);
  EXPECT_LT(view.front.size() + view.walls.size(),
            ViewTextMesh(t.mesh, 0, 0, 100, 100).front.size() +
                ViewTextMesh(t.mesh, 0, 0, 100, 100).walls.size());
  for (const auto* part : {&view.walls, &view.front})
    for (const DX_V::PCT& v : *part) ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y));
  // Positions that are not plain XYZ, vertices too short for their format,
  // or an empty quad: nothing to draw (the flat picture stands in).
  m = t.mesh;
  m.fvf = 0x004 | 0x010;  // XYZRHW
  EXPECT_TRUE(ViewTextMesh(m, 0, 0, 100, 100).empty());
  m = t.mesh;
  m.vertexBytes = 20;
  EXPECT_TRUE(ViewTextMesh(m, 0, 0, 100, 100).empty());
  EXPECT_TRUE(ViewTextMesh(t.mesh, 0, 0, 0, 100).empty());
  EXPECT_TRUE(ViewTextMesh(TextMeshBlock{}, 0, 0, 100, 100).empty());
}

}  // namespace
}  // namespace glimmer::testing
