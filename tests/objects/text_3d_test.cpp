// 3D text: the text mesh block round trip, and its counts checked against
// their limits and the bytes present before anything is allocated.

#include "objects/text_3d.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace glimmer::testing
