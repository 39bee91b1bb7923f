#include "platform/text/text_mesh.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "platform/text/shaped_text.h"

#include FT_OUTLINE_H

namespace glimmer {
namespace {

struct Point {
  float x, y;
};

// A glyph's contours as closed polylines, curves cut into short lines.
struct Outline {
  std::vector<std::vector<Point>> contours;
  float scale = 1;  // 26.6 units to ems
  Point origin{0, 0};
  Point pen{0, 0};

  Point Map(const FT_Vector* v) const {
    return {origin.x + float(v->x) * scale, origin.y + float(v->y) * scale};
  }
  void Add(Point p) {
    std::vector<Point>& c = contours.back();
    if (c.empty() || std::fabs(c.back().x - p.x) > 1e-6f || std::fabs(c.back().y - p.y) > 1e-6f)
      c.push_back(p);
  }
};

constexpr int kCurveSteps = 6;

int MoveTo(const FT_Vector* to, void* user) {
  Outline& o = *static_cast<Outline*>(user);
  o.contours.emplace_back();
  o.pen = o.Map(to);
  o.Add(o.pen);
  return 0;
}

int LineTo(const FT_Vector* to, void* user) {
  Outline& o = *static_cast<Outline*>(user);
  o.pen = o.Map(to);
  o.Add(o.pen);
  return 0;
}

int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
  Outline& o = *static_cast<Outline*>(user);
  const Point a = o.pen, c = o.Map(control), b = o.Map(to);
  for (int i = 1; i <= kCurveSteps; ++i) {
    const float t = float(i) / kCurveSteps, s = 1 - t;
    o.Add(
        {s * s * a.x + 2 * s * t * c.x + t * t * b.x, s * s * a.y + 2 * s * t * c.y + t * t * b.y});
  }
  o.pen = b;
  return 0;
}

int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  Outline& o = *static_cast<Outline*>(user);
  const Point a = o.pen, p = o.Map(c1), q = o.Map(c2), b = o.Map(to);
  for (int i = 1; i <= kCurveSteps; ++i) {
    const float t = float(i) / kCurveSteps, s = 1 - t;
    const float k0 = s * s * s, k1 = 3 * s * s * t, k2 = 3 * s * t * t, k3 = t * t * t;
    o.Add({k0 * a.x + k1 * p.x + k2 * q.x + k3 * b.x, k0 * a.y + k1 * p.y + k2 * q.y + k3 * b.y});
  }
  o.pen = b;
  return 0;
}

class MeshBuilder {
 public:
  explicit MeshBuilder(TextMesh& mesh) : mesh_(mesh) {}

  // A quad a, b, c, d with one normal; false when the mesh is full.
  bool Quad(const TextMeshVertex& a, const TextMeshVertex& b, const TextMeshVertex& c,
            const TextMeshVertex& d) {
    if (mesh_.vertices.size() / 4 >= kMaxTextMeshQuads) {
      full_ = true;
      return false;
    }
    const auto base = uint16_t(mesh_.vertices.size());
    for (const TextMeshVertex* v : {&a, &b, &c, &d}) mesh_.vertices.push_back(*v);
    for (uint16_t k : {0, 1, 2, 0, 2, 3}) mesh_.indices.push_back(uint16_t(base + k));
    return true;
  }
  bool Full() const { return full_; }

 private:
  TextMesh& mesh_;
  bool full_ = false;
};

// The front and back caps of one glyph: the filled area (non-zero winding)
// cut into trapezoids between successive outline heights. Faces are wound
// clockwise as seen from the side they face.
void Caps(const Outline& o, float depth, MeshBuilder& out) {
  struct Edge {
    Point a, b;
    int dir;  // +1 upwards, −1 downwards
  };
  std::vector<Edge> edges;
  std::vector<float> ys;
  for (const auto& c : o.contours) {
    for (size_t i = 0; i < c.size(); ++i) {
      const Point a = c[i], b = c[(i + 1) % c.size()];
      ys.push_back(a.y);
      if (a.y == b.y) continue;
      edges.push_back(a.y < b.y ? Edge{a, b, 1} : Edge{b, a, -1});
    }
  }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  struct Crossing {
    float x0, x1, xm;
    int dir;
  };
  std::vector<Crossing> crossing;
  for (size_t k = 0; k + 1 < ys.size(); ++k) {
    const float y0 = ys[k], y1 = ys[k + 1], ym = (y0 + y1) / 2;
    if (y1 - y0 < 1e-6f) continue;
    crossing.clear();
    for (const Edge& e : edges) {
      if (e.a.y > ym || e.b.y < ym) continue;
      const auto at = [&](float y) {
        return e.a.x + (e.b.x - e.a.x) * (y - e.a.y) / (e.b.y - e.a.y);
      };
      crossing.push_back({at(y0), at(y1), at(ym), e.dir});
    }
    std::sort(crossing.begin(), crossing.end(),
              [](const Crossing& l, const Crossing& r) { return l.xm < r.xm; });
    int winding = 0;
    size_t open = 0;
    for (size_t i = 0; i < crossing.size(); ++i) {
      const int before = winding;
      winding += crossing[i].dir;
      if (before == 0 && winding != 0) open = i;
      if (before == 0 || winding != 0) continue;
      const Crossing& l = crossing[open];
      const Crossing& r = crossing[i];
      // Front (z = 0, normal −z), clockwise seen from −z with y up.
      const TextMeshVertex f[4] = {{l.x0, y0, 0, 0, 0, -1},
                                   {l.x1, y1, 0, 0, 0, -1},
                                   {r.x1, y1, 0, 0, 0, -1},
                                   {r.x0, y0, 0, 0, 0, -1}};
      if (!out.Quad(f[0], f[1], f[2], f[3])) return;
      const TextMeshVertex b[4] = {{r.x0, y0, depth, 0, 0, 1},
                                   {r.x1, y1, depth, 0, 0, 1},
                                   {l.x1, y1, depth, 0, 0, 1},
                                   {l.x0, y0, depth, 0, 0, 1}};
      if (!out.Quad(b[0], b[1], b[2], b[3])) return;
    }
  }
}

// The walls: one quad along every outline segment, facing out of the
// filled area, which lies right of the contours' direction (TrueType
// outlines) or left of it (`fillLeft`, PostScript outlines).
void Walls(const Outline& o, float depth, bool fillLeft, MeshBuilder& out) {
  for (const auto& c : o.contours) {
    for (size_t i = 0; i < c.size(); ++i) {
      Point a = c[i], b = c[(i + 1) % c.size()];
      // Going a → b with the filled area on the right.
      if (fillLeft) std::swap(a, b);
      const float dx = b.x - a.x, dy = b.y - a.y;
      const float len = std::sqrt(dx * dx + dy * dy);
      if (!(len > 1e-6f)) continue;
      const float nx = -dy / len, ny = dx / len;  // left of a → b: outside
      if (!out.Quad({a.x, a.y, 0, nx, ny, 0}, {a.x, a.y, depth, nx, ny, 0},
                    {b.x, b.y, depth, nx, ny, 0}, {b.x, b.y, 0, nx, ny, 0}))
        return;
    }
  }
}

std::atomic<bool> saidFull{false};

}  // namespace

TextMesh ExtrudeText(std::u16string_view text, const TextFont& font, float depth) {
  TextMesh mesh;
  text = CutText(text);
  if (text.empty() || !std::isfinite(depth)) return mesh;
  depth = std::clamp(depth, 0.01f, 4.0f);
  ShapedText shaped(text, font);
  if (!shaped.face || !(shaped.em > 0)) return mesh;
  MeshBuilder builder(mesh);
  Outline outline;
  const FT_Outline_Funcs funcs{MoveTo, LineTo, ConicTo, CubicTo, 0, 0};
  for (const ShapedGlyph& g : shaped.glyphs) {
    if (FT_Load_Glyph(shaped.face, g.glyph, FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING) != 0) continue;
    if (shaped.face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) continue;
    outline.contours.clear();
    outline.scale = 1.0f / 64.0f / shaped.em;
    // Ems, y up from the first baseline.
    outline.origin = {g.x / shaped.em, (shaped.ascent - g.y) / shaped.em};
    FT_Outline& source = shaped.face->glyph->outline;
    const bool fillLeft = FT_Outline_Get_Orientation(&source) == FT_ORIENTATION_POSTSCRIPT;
    FT_Outline_Decompose(&source, &funcs, &outline);
    // Drop contours too short to enclose anything.
    std::erase_if(outline.contours, [](const std::vector<Point>& c) { return c.size() < 3; });
    Caps(outline, depth, builder);
    Walls(outline, depth, fillLeft, builder);
    if (builder.Full()) break;
  }
  if (builder.Full()) {
    SayOnce(saidFull,
            "a 3D text beyond 16,383 quads (32,766 triangles) is cut there; shorten the text");
  }
  return mesh;
}

}  // namespace glimmer
