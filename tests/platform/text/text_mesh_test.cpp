// Text meshes: extruded lettering is a closed solid whose faces are wound
// the way their normals point (outwards), whose caps fill the glyphs and
// leave their holes open, and whose size stays within its quad limit.

#include "platform/text/text_mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace glimmer::testing {
namespace {

struct V3 {
  double x, y, z;
};
V3 Sub(V3 a, V3 b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
V3 Cross(V3 a, V3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Dot(V3 a, V3 b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

struct Measure {
  double volume = 0, frontArea = 0;
  size_t misWound = 0, front = 0, back = 0;
};

// The enclosed volume (positive when the faces' winding points outwards),
// the front cap's area, and faces wound against their own normals.
Measure MeasureMesh(const TextMesh& m) {
  Measure out;
  for (size_t t = 0; t + 2 < m.indices.size(); t += 3) {
    const TextMeshVertex& a = m.vertices[m.indices[t]];
    const TextMeshVertex& b = m.vertices[m.indices[t + 1]];
    const TextMeshVertex& c = m.vertices[m.indices[t + 2]];
    const V3 p0{a.x, a.y, a.z}, p1{b.x, b.y, b.z}, p2{c.x, c.y, c.z};
    const V3 wound = Cross(Sub(p1, p0), Sub(p2, p0));
    out.volume += Dot(p0, Cross(p1, p2)) / 6;
    const double area = std::sqrt(Dot(wound, wound)) / 2;
    if (area > 1e-9 && Dot(wound, {a.nx, a.ny, a.nz}) <= 0) ++out.misWound;
    if (a.nz < -0.99f) {
      out.frontArea += area;
      ++out.front;
      EXPECT_EQ(a.z, 0.0f);
    }
    if (a.nz > 0.99f) ++out.back;
  }
  return out;
}

TextFont Bold() {
  TextFont f;
  f.face = u"DejaVu Sans";
  f.height = -40;
  f.weight = 700;
  return f;
}

TEST(TextMesh, LetteringIsAClosedSolidWoundOutwards) {
  for (const std::u16string text : {u"I", u"O", u"3D", u"مرحبا"}) {
    SCOPED_TRACE(std::string(text.begin(), text.end()));
    const TextMesh m = ExtrudeText(text, Bold(), 0.25f);
    ASSERT_GT(m.TriangleCount(), 0u);
    ASSERT_EQ(m.vertices.size() % 4, 0u) << "four vertices a quad";
    for (uint16_t i : m.indices) ASSERT_LT(i, m.vertices.size());
    const Measure s = MeasureMesh(m);
    EXPECT_EQ(s.misWound, 0u);
    EXPECT_EQ(s.front, s.back) << "a back cap for every front piece";
    // Closed and outward: the volume is the glyphs' area times the depth.
    EXPECT_GT(s.frontArea, 0.01);
    EXPECT_NEAR(s.volume, s.frontArea * 0.25, s.frontArea * 0.25 * 0.01);
  }
}

TEST(TextMesh, CapsFillTheGlyphsAndLeaveHolesOpen) {
  const TextMesh m = ExtrudeText(u"O", Bold(), 0.25f);
  float lo[2] = {1e9f, 1e9f}, hi[2] = {-1e9f, -1e9f};
  for (const TextMeshVertex& v : m.vertices) {
    lo[0] = std::min(lo[0], v.x), hi[0] = std::max(hi[0], v.x);
    lo[1] = std::min(lo[1], v.y), hi[1] = std::max(hi[1], v.y);
  }
  // Ems from the baseline: a capital stands on it about 0.73 em tall.
  EXPECT_NEAR(lo[1], 0.0f, 0.03f);
  EXPECT_NEAR(hi[1], 0.73f, 0.06f);
  const auto covered = [&](float x, float y) {
    for (size_t t = 0; t + 2 < m.indices.size(); t += 3) {
      const TextMeshVertex& a = m.vertices[m.indices[t]];
      if (a.nz > -0.99f) continue;
      const TextMeshVertex& b = m.vertices[m.indices[t + 1]];
      const TextMeshVertex& c = m.vertices[m.indices[t + 2]];
      const auto side = [&](const TextMeshVertex& p, const TextMeshVertex& q) {
        return (q.x - p.x) * (y - p.y) - (q.y - p.y) * (x - p.x);
      };
      const float s1 = side(a, b), s2 = side(b, c), s3 = side(c, a);
      if ((s1 <= 0 && s2 <= 0 && s3 <= 0) || (s1 >= 0 && s2 >= 0 && s3 >= 0)) return true;
    }
    return false;
  };
  const float cx = (lo[0] + hi[0]) / 2, cy = (lo[1] + hi[1]) / 2;
  EXPECT_FALSE(covered(cx, cy)) << "the O's hole is open";
  EXPECT_TRUE(covered(lo[0] + 0.03f, cy)) << "its left stroke is filled";
  EXPECT_TRUE(covered(cx, hi[1] - 0.03f)) << "its top stroke is filled";
  EXPECT_FALSE(covered(lo[0] - 0.05f, cy));
}

TEST(TextMesh, EmptyTextAndTheQuadLimit) {
  EXPECT_EQ(ExtrudeText(u"", Bold()).TriangleCount(), 0u);
  EXPECT_EQ(ExtrudeText(u"   ", Bold()).TriangleCount(), 0u) << "spaces have no outline";
  // A long text is cut at the limit, said once.
  ::testing::internal::CaptureStderr();
  const std::u16string many(600, u'@');
  const TextMesh m = ExtrudeText(many, Bold());
  ExtrudeText(many, Bold());
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(m.vertices.size(), size_t(kMaxTextMeshQuads) * 4);
  EXPECT_LE(m.vertices.size(), 65536u) << "16-bit indices reach every vertex";
  const size_t first = said.find("16,383 quads");
  EXPECT_NE(first, std::string::npos) << said;
  EXPECT_EQ(said.find("16,383 quads", first + 1), std::string::npos) << "said once";
}

}  // namespace
}  // namespace glimmer::testing
