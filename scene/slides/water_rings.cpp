#include "scene/slides/water_rings.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

#include "params/param_serialization.h"
#include "params/random_source.h"
#include "render/state_blocks.h"
#include "scene/slides/slide_support.h"
#include "store/archive.h"
#include "store/class_registry.h"

namespace glimmer {

GLIMMER_REGISTER_CLASS(SlideRegistry, ZT_WaterRingLight)

// ------------------------------------------------------------------ the water

const std::array<WaterSurface::Refraction, 256>& WaterSurface::RefractionTable() {
  static const std::array<Refraction, 256> table = [] {
    std::array<Refraction, 256> t{};
    for (int i = 0; i < 256; ++i) {
      // c: the cosine between the normal and the direction to the eye.
      const double c = i / 256.0;
      const double s = std::sin(std::acos(c));
      const double s2 = s / 1.333;
      const double c2 = std::cos(std::asin(s2));
      // Straight down (s = 0) the refracted ray goes on unbent.
      t[size_t(i)].k = s2 > 0 ? float(c2 * (s / s2) - c) : float(1.333 - c);
      t[size_t(i)].m = s > 0 ? float(-(s2 / s)) : float(-1 / 1.333);
      const uint32_t cube = uint32_t((255 - i) * (255 - i) * (255 - i));
      t[size_t(i)].colour = (cube & 0xFFFF0000u) << 8;
    }
    return t;
  }();
  return table;
}

void WaterSurface::Resize(float width, float height, float columnFactor, float rowFactor) {
  const auto even = [](double v) { return v >= 2 ? uint32_t(std::min(v, 1e9)) & ~1u : 0u; };
  columns_ = std::max(even(std::floor(columnFactor * 128.0)), kMinLines);
  const double ratio = width > 0 && height > 0 ? double(height) / width : 0.75;
  rows_ =
      std::clamp(even(std::floor(ratio * columns_ * rowFactor)), kMinLines, kMaxCells / kMinLines);
  if (uint64_t(columns_) * rows_ > kMaxCells)
    columns_ = std::max((kMaxCells / rows_) & ~1u, kMinLines);
  worldWidth_ = width;
  worldHeight_ = height;
  state_.assign(Cells(), Cell{});
  vertices_.assign(Cells(), Vertex{});
  BuildStrip();
}

void WaterSurface::BuildStrip() {
  // Ring by ring from the outside in: each ring pairs every vertex of its
  // outer edge with the nearest vertex of the next ring in, clockwise from
  // its top-left corner and back to it; the last ring (two rows or two
  // columns) pairs its two lines. Consecutive rings join through repeated
  // vertices, which make only degenerate triangles.
  stripChanged_ = true;
  indices_.clear();
  indices_.reserve(size_t(Cells()) * 2 + columns_ + rows_);
  const auto at = [&](uint32_t r, uint32_t c) { return uint16_t(r * columns_ + c); };
  for (uint32_t k = 0;; ++k) {
    const uint32_t top = k, left = k, bottom = rows_ - 1 - k, right = columns_ - 1 - k;
    if (bottom == top + 1) {
      for (uint32_t c = left; c <= right; ++c)
        indices_.insert(indices_.end(), {at(top, c), at(bottom, c)});
      break;
    }
    if (right == left + 1) {
      for (uint32_t r = top; r <= bottom; ++r)
        indices_.insert(indices_.end(), {at(r, left), at(r, right)});
      break;
    }
    const auto pair = [&](uint32_t r, uint32_t c) {
      const uint32_t ir = std::clamp(r, top + 1, bottom - 1),
                     ic = std::clamp(c, left + 1, right - 1);
      indices_.insert(indices_.end(), {at(r, c), at(ir, ic)});
    };
    for (uint32_t c = left; c <= right; ++c) pair(top, c);
    for (uint32_t r = top + 1; r <= bottom; ++r) pair(r, right);
    for (uint32_t c = right; c-- > left;) pair(bottom, c);
    for (uint32_t r = bottom; r-- > top;) pair(r, left);
  }
}

void WaterSurface::AddDrop() {
  if (columns_ < 3 || rows_ < 3) return;
  const uint32_t x = uint32_t(NextRandom()) % (columns_ - 2) + 1;
  const uint32_t y = uint32_t(NextRandom()) % (rows_ - 2) + 1;
  const float s = dropStrength;
  Velocity(y, x) -= s * 0.25f;
  for (auto [dy, dx] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}})
    Velocity(y + dy, x + dx) -= s * 0.125f;
  for (auto [dy, dx] : {std::pair{-1, -1}, {-1, 1}, {1, -1}, {1, 1}})
    Velocity(y + dy, x + dx) -= s * 0.0625f;
}

void WaterSurface::Step() {
  float sum = 0;
  const uint32_t C = columns_, R = rows_;
  for (uint32_t r = 0; r < R; ++r) {
    for (uint32_t c = 0; c < C; ++c) {
      Cell& cell = state_[size_t(r) * C + c];
      if (r == 0 || c == 0 || r + 1 == R || c + 1 == C) {
        cell = {};
        continue;
      }
      const auto h = [&](uint32_t rr, uint32_t cc) { return state_[size_t(rr) * C + cc].h; };
      const float a = (h(r - 1, c - 1) + h(r - 1, c + 1) + h(r + 1, c - 1) + h(r + 1, c + 1)) / 12 +
                      (h(r - 1, c) + h(r + 1, c) + h(r, c - 1) + h(r, c + 1)) / 6;
      cell.v = (a - cell.h) * 0.25f + damping * cell.v;
      sum += cell.h + cell.v;
    }
  }
  const float mean = sum / float(Cells());
  for (Cell& cell : state_) cell.h = cell.h + cell.v * speed - mean;
}

namespace {
D3DXVECTOR3 Normalised(const D3DXVECTOR3& v) {
  const float l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  return l > 0 ? D3DXVECTOR3{v.x / l, v.y / l, v.z / l} : D3DXVECTOR3{0, 1, 0};
}
float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
}  // namespace

void WaterSurface::Update(const D3DXVECTOR3& eye, float us, float vs) {
  if (state_.empty()) return;
  for (int i = 0; i < 4; ++i) Step();
  const auto& table = RefractionTable();
  const uint32_t C = columns_, R = rows_;
  const float ww = worldWidth_, wh = worldHeight_;
  const float k = 1 - refraction * 0.05f;
  for (uint32_t r = 0; r < R; ++r) {
    // Neighbour rows and columns wrap around at the grid's edges.
    const Cell* above = &state_[size_t(r == 0 ? R - 1 : r - 1) * C];
    const Cell* row = &state_[size_t(r) * C];
    const Cell* below = &state_[size_t(r + 1 == R ? 0 : r + 1) * C];
    const float z = -wh / 2 + float(r) * wh / float(R - 1);
    for (uint32_t c = 0; c < C; ++c) {
      const uint32_t cl = c == 0 ? C - 1 : c - 1, cr = c + 1 == C ? 0 : c + 1;
      const float x = -ww / 2 + float(c) * ww / float(C - 1);
      const float y = row[c].h;
      const float nx =
          (row[cl].h - row[cr].h) + (above[cl].h - below[cr].h) - (above[cr].h - below[cl].h);
      const float nz =
          (above[c].h - below[c].h) + (above[cl].h - below[cr].h) + (above[cr].h - below[cl].h);
      const D3DXVECTOR3 n = Normalised({nx, 1, nz});
      const D3DXVECTOR3 e = Normalised({eye.x - x, eye.y - y, eye.z - z});
      const int i = std::clamp(int(std::lround(Dot(e, n) * 255)), 0, 255);
      const Refraction& t = table[size_t(i)];
      const D3DXVECTOR3 d{(t.k * n.x + e.x) * t.m, (t.k * n.y + e.y) * t.m,
                          (t.k * n.z + e.z) * t.m};
      // Where the refracted ray meets the bowl of radius 35 under the water;
      // a ray that misses it (far out on a wide picture) stops where it is
      // closest to the bowl.
      const D3DXVECTOR3 p{x, y - 20, z};
      const float B = 2 * Dot(p, d);
      const float disc = B * B - 4 * (Dot(p, p) - 1225);
      const float w = (std::sqrt(std::max(disc, 0.0f)) - B) / 2 * refraction;
      float u = k * ((d.x * w + x) / ww) + 0.5f;
      float v = k * ((d.z * w + z) / wh) + 0.5f;
      if (!std::isfinite(u)) u = 0.5f;
      if (!std::isfinite(v)) v = 0.5f;
      vertices_[size_t(r) * C + c] = {x, y, z, n.x, n.y, n.z, t.colour, u * us, v * vs};
    }
  }
}

void WaterSurface::Draw(GpuDevice& device) {
  if (indices_.size() < 3) return;
  const uint32_t stripBytes = uint32_t(indices_.size() * sizeof(uint16_t));
  const uint32_t vertexBytes = uint32_t(vertices_.size() * sizeof(Vertex));
  if (bufferDevice_ != &device) {
    ReleaseBuffers();
    bufferDevice_ = &device;
  }
  if (stripChanged_ || !stripBuffer_ || stripBuffer_->IsLost()) {
    if (!stripBuffer_ || stripBuffer_->IsLost() || stripBuffer_->Size() != stripBytes)
      stripBuffer_ =
          device.CreateIndexBuffer(stripBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED);
    if (void* p = stripBuffer_->Lock(0, 0)) {
      std::memcpy(p, indices_.data(), stripBytes);
      stripBuffer_->Unlock();
      stripChanged_ = false;
    }
  }
  VertexBufferPtr& vb = vertexBuffers_[nextVertexBuffer_];
  nextVertexBuffer_ ^= 1;
  if (!vb || vb->IsLost() || vb->Size() != vertexBytes)
    vb = device.CreateVertexBuffer(vertexBytes, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kFvf,
                                   D3DPOOL_DEFAULT);
  void* p = vb->Lock(0, 0);
  if (!p || stripChanged_) {
    if (p) vb->Unlock();
    return;
  }
  std::memcpy(p, vertices_.data(), vertexBytes);
  vb->Unlock();
  device.SetFVF(kFvf);
  device.SetStreamSource(0, vb, 0, sizeof(Vertex));
  device.SetIndices(stripBuffer_);
  device.DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, uint32_t(vertices_.size()), 0,
                              uint32_t(indices_.size() - 2));
  // The buffers are not left bound for whoever draws next.
  device.SetStreamSource(0, nullptr, 0, 0);
  device.SetIndices(nullptr);
}

void WaterSurface::ReleaseBuffers() {
  stripBuffer_.reset();
  vertexBuffers_ = {};
  bufferDevice_ = nullptr;
}

// ------------------------------------------------------------------ the slide

void ZT_WaterRingLight::Serialize(Archive& ar, int32_t version) {
  if (version > 1) {
    // Six raw values: their observers are not told.
    Field(ar, "SimSpeed", SimSpeed, ReadMode::Direct);
    Field(ar, "RowDensity", RowDensity, ReadMode::Direct);
    Field(ar, "Density", Density, ReadMode::Direct);
    Field(ar, "DropStrength", DropStrength, ReadMode::Direct);
    Field(ar, "Damping", DampingValue, ReadMode::Direct);
    Field(ar, "Refraction", Refraction, ReadMode::Direct);
    Field(ar, "DropRate", DropRate);
    Field(ar, "Specular", Specular);
    Field(ar, "SpecularPower", SpecularPower);
  }
  Field(ar, "Mode", Mode);
  SerializeBase<ZT_2D_Light>(ar, *this);
}

float ZT_WaterRingLight::SimulationSpeed() const {
  // Past about 11 the simulation diverges; the slider's own range ends at 3.
  return std::min(float(SimSpeed.Value()) * 0.02f + 1, 11.0f);
}

float ZT_WaterRingLight::Damping() const {
  const float a = float(DampingValue.Value());
  const float d = a >= 50 ? (a - 50) * 0.009f * 0.02f + 0.99f : a * 0.09f * 0.02f + 0.9f;
  // A damping of 1 or more would never calm down.
  return std::min(d, 0.999f);
}

float ZT_WaterRingLight::DropInterval() const {
  const float rate = DropRate.Scaled();
  return rate > 0 ? 1 / rate : std::numeric_limits<float>::infinity();
}

void ZT_WaterRingLight::ResizeGrid() {
  // A picture that is not there is sized as 4:3.
  const float pw = float(pictureWidth_), ph = float(pictureHeight_);
  const float aspect = pw > 0 && ph > 0 ? ph / pw : 0.75f;
  water_.Resize(30 / aspect, 30, float(Density.Value()) * 0.01f + 1,
                float(RowDensity.Value()) * 0.01f + 1);
  water_.AddDrop();
}

void ZT_WaterRingLight::PrepareResources() {
  ZT_2D_Light::PrepareResources();
  WaterSurface::RefractionTable();
  water_.speed = SimulationSpeed();
  water_.dropStrength = float(DropStrength.Value()) * 0.01f * 0.7f + 0.1f;
  water_.damping = Damping();
  water_.refraction = float(Refraction.Value()) * 0.01f;
  PictureExtent(*this, extentU_, extentV_);
  ResizeGrid();
}

void ZT_WaterRingLight::RestoreDeviceObjects() {
  ZT_2D_Light::RestoreDeviceObjects();
  // Every start of the slide begins with calm water and one drop.
  ResizeGrid();
  lastDrop_ = 0;
}

void ZT_WaterRingLight::ReleaseDeviceObjects() {
  ZT_2D_Light::ReleaseDeviceObjects();
  water_.ReleaseBuffers();
}

void ZT_WaterRingLight::AdvanceCamera(float t) {
  ZT_2D_Light::AdvanceCamera(t);
  if (t < lastDrop_) lastDrop_ = t;
  if (t - lastDrop_ > DropInterval()) {
    water_.AddDrop();
    lastDrop_ = t;
  }
  // Mode 1 refracts the captured slide, which fills its texture.
  const bool captured = Mode.Value() == 1;
  water_.Update(kEye, captured ? 1 : extentU_, captured ? 1 : extentV_);
}

void ZT_WaterRingLight::SetLighting(GpuDevice& d) const {
  D3DLIGHT9 light;
  light.Diffuse = {1, 1, 1, 1};
  light.Specular = {1, 1, 1, 0};
  light.Ambient = {0, 0, 0, 0};
  light.Direction[0] = 0.5f;
  light.Direction[1] = 1;
  light.Direction[2] = -1;
  d.SetLight(0, light);
  d.LightEnable(0, true);
  D3DMATERIAL9 material;
  material.Diffuse = {0, 0, 0, 1};
  const float s = Specular.Scaled();
  material.Specular = {s, s, s, 0};
  material.Power = SpecularPower.Scaled();
  d.SetMaterial(material);
}

D3DXMATRIX ZT_WaterRingLight::EyeInverse() {
  D3DXMATRIX rotation, lift, eye, inverse;
  D3DXMatrixRotationX(&rotation, -std::numbers::pi_v<float> / 2);
  D3DXMatrixTranslation(&lift, kEye.x, kEye.y, kEye.z);
  eye = rotation * lift;
  D3DXMatrixInverse(&inverse, nullptr, &eye);
  return inverse;
}

D3DXMATRIX ZT_WaterRingLight::LightingWorld(const D3DXMATRIX& placed, float pw, float ph, float ww,
                                            float wh) {
  const float sx = placed.m[0][0], sy = placed.m[1][1];
  const float tx = placed.m[3][0], ty = placed.m[3][1];
  D3DXMATRIX scale = placed;
  scale.m[3][0] = scale.m[3][1] = 0;
  const float ox = sx != 0 && pw != 0 ? ww * tx / (sx * pw) : 0;
  const float oy = sy != 0 && ph != 0 ? wh * ty / (sy * ph) : 0;
  D3DXMATRIX t1, t2;
  D3DXMatrixTranslation(&t1, ww / 2 + (std::isfinite(ox) ? ox : 0), 0,
                        wh / 2 + (std::isfinite(oy) ? oy : 0));
  D3DXMatrixTranslation(&t2, -ww / 2, wh / 2, 0);
  return t1 * EyeInverse() * scale * t2;
}

void ZT_WaterRingLight::DrawWater(const TexturePtr& texture) {
  GpuDevice& d = Device();
  // Clip planes off and the device's lighting on for the surface; both are
  // put back afterwards.
  const uint32_t clip = d.GetRenderState(D3DRS_CLIPPLANEENABLE);
  const uint32_t lighting = d.GetRenderState(D3DRS_LIGHTING);
  const uint32_t specular = d.GetRenderState(D3DRS_SPECULARENABLE);
  d.SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
  RenderContext& c = Context();
  D3DXMatrixIdentity(&c.ParallaxMatrix);
  // The grid lands where its picture pixels are: water world to picture
  // pixels (the height only changes the depth), then the picture's placement
  // and camera. The lighting happens in the space of the world transform
  // T1 × eye⁻¹ × S × T2, with the view the identity: the water shifted so
  // that the placement's offset is undone, seen from the eye 120 above it
  // looking down, scaled as the placement scales (S: the placement without
  // its translation) and moved to the screen's corner. The projection takes
  // that space on to the screen, so the highlight falls where that space
  // puts it and every grid point still lies over its pixel.
  const float pw = pictureWidth_ > 0 ? float(pictureWidth_) : 1;
  const float ph = pictureHeight_ > 0 ? float(pictureHeight_) : 1;
  const float ww = water_.WorldWidth(), wh = water_.WorldHeight();
  D3DXMATRIX toPicture;
  D3DXMatrixIdentity(&toPicture);
  toPicture.m[0][0] = pw / ww;
  toPicture.m[1][1] = 0;
  toPicture.m[2][1] = ph / wh;
  toPicture.m[2][2] = 0;
  toPicture.m[3][0] = pw / 2;
  toPicture.m[3][1] = ph / 2;
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  const D3DXMATRIX placed = c.GetWorld(identity) * c.View;
  const D3DXMATRIX screen = toPicture * placed * c.Projection;
  const D3DXMATRIX world = LightingWorld(placed, pw, ph, ww, wh);
  D3DXMATRIX back;
  if (D3DXMatrixInverse(&back, nullptr, &world)) {
    d.SetTransform(D3DTS_WORLD, world);
    d.SetTransform(D3DTS_PROJECTION, back * screen);
  } else {
    // A placement that flattens the picture: lit in the eye's space.
    const D3DXMATRIX eyeInverse = EyeInverse();
    D3DXMATRIX eye;
    D3DXMatrixInverse(&eye, nullptr, &eyeInverse);
    d.SetTransform(D3DTS_WORLD, eyeInverse);
    d.SetTransform(D3DTS_PROJECTION, eye * screen);
  }
  d.SetTransform(D3DTS_VIEW, identity);
  // The refracted picture as it is, plus the light's highlight.
  constexpr StateBlock kWater{};
  kWater.Apply(d);
  SetLighting(d);
  d.SetRenderState(D3DRS_LIGHTING, 1);
  d.SetRenderState(D3DRS_SPECULARENABLE, 1);
  d.SetTexture(0, texture);
  water_.Draw(d);
  kSlideState.Apply(d);
  d.SetRenderState(D3DRS_LIGHTING, lighting);
  d.SetRenderState(D3DRS_SPECULARENABLE, specular);
  d.SetRenderState(D3DRS_CLIPPLANEENABLE, clip);
}

void ZT_WaterRingLight::DrawPicture(int flag) {
  if (Mode.Value() == 1) {
    // The plain picture goes into the capture; the water comes at the end.
    ZT_2D_Light::DrawPicture(flag);
    return;
  }
  // The water covers the picture's place; around it the target is cleared.
  GpuDevice& d = Device();
  d.Clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  DrawWater(pictureTexture_);
}

void ZT_WaterRingLight::EndFrame(int flag) {
  if (Mode.Value() == 1) {
    EndCapture(true);
    DrawWater(sceneTexture_);
  }
  ZT_2D_Light::EndFrame(flag);
}

}  // namespace glimmer
