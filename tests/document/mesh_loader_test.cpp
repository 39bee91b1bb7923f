// .X meshes in text and binary form.

#include "document/mesh_loader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace glimmer {
namespace {

// A unit square in the z = 0 plane as two triangles, with texture coordinates.
const char kTextMesh[] = R"(xof 0303txt 0032
Mesh square {
 4;
 0.0;0.0;0.0;,
 2.0;0.0;0.0;,
 2.0;2.0;0.0;,
 0.0;2.0;0.0;;
 2;
 3;0,1,2;,
 3;0,2,3;;
 MeshTextureCoords {
  4;
  0.0;1.0;,
  1.0;1.0;,
  1.0;0.0;,
  0.0;0.0;;
 }
}
)";

std::vector<uint8_t> Bytes(const std::string& s) {
  return std::vector<uint8_t>(s.begin(), s.end());
}

// The same square in the binary form: word tokens, counted lists.
std::vector<uint8_t> BinaryMesh() {
  std::vector<uint8_t> b = Bytes("xof 0303bin 0032");
  auto word = [&](uint16_t w) { b.push_back(uint8_t(w)), b.push_back(uint8_t(w >> 8)); };
  auto dword = [&](uint32_t d) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(d >> (8 * i)));
  };
  auto name = [&](const std::string& n) {
    word(1);
    dword(uint32_t(n.size()));
    b.insert(b.end(), n.begin(), n.end());
  };
  auto ints = [&](std::vector<uint32_t> v) {
    word(6);
    dword(uint32_t(v.size()));
    for (uint32_t x : v) dword(x);
  };
  auto floats = [&](std::vector<float> v) {
    word(7);
    dword(uint32_t(v.size()));
    for (float f : v) {
      uint32_t u;
      std::memcpy(&u, &f, 4);
      dword(u);
    }
  };
  name("Mesh");
  word(10);  // {
  ints({4});
  floats({0, 0, 0, 2, 0, 0, 2, 2, 0, 0, 2, 0});
  ints({2, 3, 0, 1, 2, 3, 0, 2, 3});
  word(11);  // }
  return b;
}

void ExpectSquare(const MeshData& m) {
  ASSERT_FALSE(m.empty());
  EXPECT_EQ(m.Vertices.size(), 4u);
  EXPECT_EQ(m.Indices.size(), 6u);
  EXPECT_NEAR(m.Center.x, 1.0f, 1e-5);
  EXPECT_NEAR(m.Center.y, 1.0f, 1e-5);
  EXPECT_NEAR(m.Radius, std::sqrt(2.0f), 1e-5);
  for (const MeshVertex& v : m.Vertices) {
    // Computed normals of a flat square point along z.
    EXPECT_NEAR(std::abs(v.nz), 1.0f, 1e-4);
    EXPECT_NEAR(v.nx, 0.0f, 1e-4);
  }
  for (uint16_t i : m.Indices) EXPECT_LT(i, m.Vertices.size());
}

TEST(XMesh, TextForm) {
  const MeshData m = LoadXMesh(Bytes(kTextMesh));
  ExpectSquare(m);
  bool found = false;
  for (const MeshVertex& v : m.Vertices) {
    if (v.x == 2.0f && v.y == 2.0f) {
      found = true;
      EXPECT_NEAR(v.u, 1.0f, 1e-5);
      EXPECT_NEAR(v.v, 0.0f, 1e-5) << "texture coordinates keep their top-left origin";
    }
  }
  EXPECT_TRUE(found);
}

TEST(XMesh, BinaryForm) {
  ExpectSquare(LoadXMesh(BinaryMesh()));
}

TEST(XMesh, NoMeshGivesEmptyBuffers) {
  EXPECT_TRUE(LoadXMesh(Bytes("xof 0303txt 0032\n")).empty());
  EXPECT_TRUE(LoadXMesh(Bytes("not a mesh at all, just words")).empty());
  EXPECT_TRUE(LoadXMesh({}).empty());
  const std::string noVertices = "xof 0303txt 0032\nMesh { 0;; 0;; }\n";
  EXPECT_TRUE(LoadXMesh(Bytes(noVertices)).empty());
  const std::string badIndex =
      "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,7;; }\n";
  EXPECT_TRUE(LoadXMesh(Bytes(badIndex)).empty());
}

}  // namespace
}  // namespace glimmer
