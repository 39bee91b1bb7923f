#include "texts/text_3d.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <string>

#include "document/resource_manager.h"
#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"
#include "platform/gpu/effect.h"
#include "platform/gpu/embedded_glsl.h"
#include "platform/screen_context.h"
#include "platform/text/text_mesh.h"
#include "scene/render_context.h"
#include "scene/renderer_interface.h"
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

float ReadFloat(const uint8_t* p) {
  float f;
  std::memcpy(&f, p, 4);
  return f;
}

void PutFloat(std::vector<uint8_t>& out, float f) {
  uint8_t b[4];
  std::memcpy(b, &f, 4);
  out.insert(out.end(), b, b + 4);
}

struct Vec {
  float x, y, z;
};

Vec Sub(Vec a, Vec b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec Cross(Vec a, Vec b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(Vec a, Vec b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
// `v` at unit length; (0, 0, 0) when it has none.
Vec Unit(Vec v) {
  const float l = std::sqrt(Dot(v, v));
  return l > 1e-12f && std::isfinite(l) ? Vec{v.x / l, v.y / l, v.z / l} : Vec{0, 0, 0};
}
bool Finite(Vec v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// The turn that shows the lettering's depth: its right end a little away
// from the viewer, its top a little towards it. x right, y up, z away.
constexpr float kYaw = 0.42f, kPitch = -0.30f;  // radians
Vec Turn(Vec v) {
  const float cy = std::cos(kYaw), sy = std::sin(kYaw);
  const Vec a{v.x * cy - v.z * sy, v.y, v.x * sy + v.z * cy};
  const float cp = std::cos(kPitch), sp = std::sin(kPitch);
  return {a.x, a.y * cp - a.z * sp, a.y * sp + a.z * cp};
}
// Towards the light: upper right, in front.
const Vec kLight = Unit({0.5f, 0.6f, -1.0f});

struct Face {
  Vec p[3];  // turned
  Vec n;     // turned
  bool front;
};

}  // namespace

TextMeshView ViewTextMesh(const TextMeshBlock& m, float left, float top, float width,
                          float height) {
  TextMeshView view;
  const bool normals = (m.fvf & D3DFVF_NORMAL) != 0;
  const size_t stride = m.vertexBytes;
  if ((m.fvf & D3DFVF_POSITION_MASK) != D3DFVF_XYZ || stride < (normals ? 24u : 12u) ||
      m.vertices.size() < size_t(m.vertexCount) * stride ||
      m.indices.size() < size_t(m.faceCount) * 6 || !(width > 0) || !(height > 0) ||
      !std::isfinite(left + top + width + height))
    return view;
  const auto position = [&](uint32_t i) {
    const uint8_t* v = m.vertices.data() + size_t(i) * stride;
    return Vec{ReadFloat(v), ReadFloat(v + 4), ReadFloat(v + 8)};
  };
  const auto normal = [&](uint32_t i) {
    const uint8_t* v = m.vertices.data() + size_t(i) * stride + 12;
    return Vec{ReadFloat(v), ReadFloat(v + 4), ReadFloat(v + 8)};
  };
  std::vector<Face> faces;
  faces.reserve(m.faceCount);
  float lo[2] = {INFINITY, INFINITY}, hi[2] = {-INFINITY, -INFINITY};
  for (uint32_t f = 0; f < m.faceCount; ++f) {
    uint32_t idx[3];
    for (int k = 0; k < 3; ++k)
      idx[k] = uint32_t(m.indices[f * 6 + k * 2]) | uint32_t(m.indices[f * 6 + k * 2 + 1]) << 8;
    if (idx[0] >= m.vertexCount || idx[1] >= m.vertexCount || idx[2] >= m.vertexCount) continue;
    Face face;
    const Vec p[3] = {position(idx[0]), position(idx[1]), position(idx[2])};
    // The stored normals' mean, else the face's own (clockwise faces front).
    Vec n = Cross(Sub(p[1], p[0]), Sub(p[2], p[0]));
    if (normals) {
      const Vec a = normal(idx[0]), b = normal(idx[1]), c = normal(idx[2]);
      n = {a.x + b.x + c.x, a.y + b.y + c.y, a.z + b.z + c.z};
    }
    n = Unit(n);
    if (!Finite(p[0]) || !Finite(p[1]) || !Finite(p[2]) || Dot(n, n) == 0) continue;
    face.front = n.z < -0.99f;
    face.n = Turn(n);
    if (face.n.z > 1e-4f) continue;  // turned away
    for (int k = 0; k < 3; ++k) {
      face.p[k] = Turn(p[k]);
      lo[0] = std::min(lo[0], face.p[k].x);
      hi[0] = std::max(hi[0], face.p[k].x);
      lo[1] = std::min(lo[1], face.p[k].y);
      hi[1] = std::max(hi[1], face.p[k].y);
    }
    faces.push_back(face);
  }
  if (faces.empty()) return view;
  // Fitted into the box, centred, y down.
  const float spanX = hi[0] - lo[0], spanY = hi[1] - lo[1];
  float scale =
      std::min(spanX > 0 ? width / spanX : INFINITY, spanY > 0 ? height / spanY : INFINITY);
  if (!std::isfinite(scale) || !(scale > 0)) return view;
  const float cx = left + width / 2, cy = top + height / 2;
  const float mx = (lo[0] + hi[0]) / 2, my = (lo[1] + hi[1]) / 2;
  // Farthest walls first.
  std::vector<uint32_t> order(faces.size());
  std::iota(order.begin(), order.end(), 0u);
  const auto depth = [&](uint32_t i) {
    return faces[i].p[0].z + faces[i].p[1].z + faces[i].p[2].z;
  };
  std::stable_sort(order.begin(), order.end(),
                   [&](uint32_t a, uint32_t b) { return depth(a) > depth(b); });
  for (uint32_t i : order) {
    const Face& face = faces[i];
    const float shade = std::clamp(0.3f + 0.7f * std::max(0.0f, Dot(face.n, kLight)), 0.0f, 1.0f);
    const uint32_t g = uint32_t(shade * 255 + 0.5f);
    const D3DCOLOR colour = 0xFF000000u | g << 16 | g << 8 | g;
    std::vector<DX_V::PCT>& out = face.front ? view.front : view.walls;
    for (const Vec& p : face.p) {
      DX_V::PCT v;
      v.x = cx + (p.x - mx) * scale;
      v.y = cy - (p.y - my) * scale;
      v.z = 0;
      v.color = colour;
      v.u = (v.x - left) / width;
      v.v = (v.y - top) / height;
      out.push_back(v);
    }
  }
  return view;
}

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

bool QVX_3DTex::ComposeTextPicture(ZT_DocResManager&) {
  if (mesh.faceCount != 0 || text.Value().empty()) return false;
  const TextMesh made = ExtrudeText(text.Value(), style.Font());
  if (made.TriangleCount() == 0) return false;
  // Positions and normals as floats (XYZ | NORMAL, 24 bytes a vertex).
  mesh = {};
  mesh.fvf = D3DFVF_XYZ | D3DFVF_NORMAL;
  mesh.vertexBytes = 24;
  mesh.vertexCount = uint32_t(made.vertices.size());
  mesh.faceCount = made.TriangleCount();
  mesh.vertices.reserve(made.vertices.size() * 24);
  for (const TextMeshVertex& v : made.vertices) {
    for (float f : {v.x, v.y, v.z, v.nx, v.ny, v.nz}) PutFloat(mesh.vertices, f);
  }
  for (uint16_t i : made.indices) {
    mesh.indices.push_back(uint8_t(i & 0xFF));
    mesh.indices.push_back(uint8_t(i >> 8));
  }
  mesh.attributes.assign(size_t(mesh.faceCount) * 4, 0);
  return true;
}

// ------------------------------------------------------------------ runtime

Text3DObj::Text3DObj(const QVX_3DTex& constructor)
    : QVX_TextObj(std::make_unique<QVX_3DTex>(constructor)) {}

bool Text3DObj::HasBody() const {
  return hasMesh_ || static_cast<const QVX_3DTex&>(Text()).mesh.faceCount > 0 ||
         QVX_TextObj::HasBody();
}

void Text3DObj::Prepare(const D3DXVECTOR3 corners[4]) {
  const float box[4] = {corners[0].x, corners[0].y, corners[3].x - corners[0].x,
                        corners[3].y - corners[0].y};
  if (std::equal(box, box + 4, builtFor_)) return;
  std::copy(box, box + 4, builtFor_);
  hasMesh_ = false;
  GpuDevice* device = CurrentDevice();
  if (!device) return;
  const TextMeshView view =
      ViewTextMesh(static_cast<const QVX_3DTex&>(Text()).mesh, box[0], box[1], box[2], box[3]);
  if (view.empty()) return;
  if (!meshEffect_) {
    if (QVX_DocResManager* resources = QVX_DocResManager::Current())
      meshEffect_ = resources->GetEffect(ZT_HLSLEffectFile(u"common_res.dll", kTextMeshEffectId));
  }
  if (!meshEffect_) return;
  const auto upload = [&](std::unique_ptr<ZT_SimpleMesh<DX_V::PCT>>& mesh,
                          const std::vector<DX_V::PCT>& vertices) {
    mesh.reset();
    if (vertices.empty()) return;
    mesh = std::make_unique<ZT_SimpleMesh<DX_V::PCT>>(device);
    mesh->CreateVertices(uint32_t(vertices.size()));
    if (DX_V::PCT* v = mesh->Lock()) {
      std::copy(vertices.begin(), vertices.end(), v);
      mesh->Unlock();
    }
  };
  upload(walls_, view.walls);
  upload(front_, view.front);
  hasMesh_ = true;
}

void Text3DObj::DrawBody(ZT_ABRender& renderer, Effect& flat, const TextTransition& tr,
                         const D3DXVECTOR3 corners[4]) {
  Prepare(corners);
  if (!hasMesh_) {
    if (QVX_TextObj::HasBody()) QVX_TextObj::DrawBody(renderer, flat, tr, corners);
    return;
  }
  Effect& e = *meshEffect_;
  const TextStyling& s = Text().styling;
  const float width = corners[3].x - corners[0].x, height = corners[3].y - corners[0].y;
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  e.SetMatrix("wvpMatrix", identity);
  e.SetFloat("Fade_Alpha", tr.alpha);
  e.SetVector("fade_pos",
              {tr.wipeX, tr.wipeY, corners[0].x + width / 2, corners[0].y + height / 2});
  const auto place = [&](float dx, float dy) {
    for (auto* mesh : {walls_.get(), front_.get()})
      if (mesh) D3DXMatrixTranslation(&mesh->World, dx, dy, 0);
  };
  // The shadow: the front face moved by the distance along the direction.
  if (s.Shadow().enabled.Value() != 0 && front_) {
    const float dist = float(s.Shadow().size.Value());
    const D3DXVECTOR4& d = s.shadowDirection.Direction();
    place(tr.dx + dist * d.x, tr.dy - dist * d.y);
    e.SetVector("Color", s.Shadow().Colour());
    e.SetTechnique("Shadow");
    renderer.DrawFx(*front_, e);
  }
  // The lettering: walls, then the front face over them.
  place(tr.dx, tr.dy);
  e.SetTechnique(SetMainPass(e, {width, height, 0, 0}));
  if (walls_) renderer.DrawFx(*walls_, e);
  if (front_) renderer.DrawFx(*front_, e);
}

GLIMMER_REGISTER_LAYER_KIND(QVX_3DTex, Text3DObj)

namespace {

std::shared_ptr<const EffectDesc> MakeTextMeshEffect() {
  using P = EffectParamType;
  auto d = std::make_shared<EffectDesc>();
  d->name = "text mesh";
  d->params = {{"wvpMatrix", P::Matrix},     {"Filling", P::Texture}, {"Fade_Alpha", P::Float},
               {"fade_pos", P::Float4},      {"Color", P::Float4},    {"TextSize", P::Float2},
               {"fill_tex_scale", P::Float2}};
  auto pass = [](const char* technique) {
    EffectPassDesc p;
    p.name = "P0";
    p.renderStates = AlphaBlendPassStates();
    p.samplers = {{"FillingSampler", "Filling", D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE,
                   D3DTADDRESS_WRAP, D3DTADDRESS_WRAP}};
    p.pixelShader =
        TechniqueShader("texts/text_3d.glsl", technique, EmbeddedGlsl("texts/text_fill.glsl"));
    return p;
  };
  d->techniques = {{"Shadow", {pass("Shadow")}},
                   {"MainTexFill", {pass("MainTexFill")}},
                   {"MainColorFill", {pass("MainColorFill")}}};
  return d;
}

}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", kTextMeshEffectId, MakeTextMeshEffect)

}  // namespace glimmer
