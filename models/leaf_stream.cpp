#include "models/leaf_stream.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "common/wide_string.h"
#include "document/resource_manager.h"
#include "params/param_serialization.h"
#include "params/random_source.h"
#include "platform/gpu/texture_loader.h"
#include "scene/render_context.h"
#include "scene/renderer_interface.h"
#include "store/archive.h"

namespace glimmer {

namespace {
constexpr float kDegree = 3.14159265358979f / 180;
constexpr float kMaxStep = 0.2f;
constexpr char16_t kModule[] = u"common_res.dll";
// The player's own leaf resources.
constexpr int32_t kLeafPicture = 1104, kLeafMesh = 1113;

bool OddDraw() {
  return (NextRandom() & 1) != 0;
}

D3DXMATRIX Rotation(D3DXMATRIX* (*make)(D3DXMATRIX*, float), float degrees) {
  D3DXMATRIX m;
  make(&m, degrees * kDegree);
  return m;
}
}  // namespace

ZT_3D_in_2D_array_Constructor::ZT_3D_in_2D_array_Constructor() {
  meshBlob.Module = kModule;
  meshBlob.ResourceId = kLeafMesh;
  textureBlob.Module = kModule;
  textureBlob.ResourceId = kLeafPicture;
}

void ZT_3D_in_2D_array_Constructor::Serialize(Archive& ar, int32_t) {
  Field(ar, "streamName", streamName);
  Field(ar, "count", count);
  Field(ar, "mesh", meshBlob);
  Field(ar, "texture", textureBlob);
  Field(ar, "leafSize", leafSize);
  Field(ar, "speed", speed);
  Field(ar, "drift", drift);
  Field(ar, "changeRate", changeRate);
  Field(ar, "spinSpeed", spinSpeed);
  Field(ar, "direction", direction);
  SerializeBase<ZT_ABObj_Constructor>(ar, *this);
}

ZT_SreamAnim::ZT_SreamAnim(const LeafStreamState& stream) : stream_(stream) {
  x = RandomUniform(0, stream.width);
  y = RandomUniform(0, stream.height);
  driftFactor = RandomUniform(-1, 1);
  pace = RandomUniform(0.07f, 0.13f);
}

void ZT_SreamAnim::Restart() {
  previous = 0;
  lastChange = 0;
}

void ZT_SreamAnim::Animate(ZT_Node&) {
  const ZT_3D_in_2D_array_Constructor& s = *stream_.settings;
  const float t = stream_.time;
  dt = std::min(std::fabs(t - previous), kMaxStep);
  previous = t;
  const D3DXVECTOR4& d = s.direction.Direction();
  const D3DXVECTOR4& n = s.direction.Normal();
  const float m = float(s.speed) * pace * dt * 50;
  const float l = float(s.drift) * 0.02f * driftFactor;
  const float sx = m * (d.x + n.x * l), sy = m * (d.y + n.y * l);
  const float r = float(s.leafSize) / 2;
  const float w = stream_.width, h = stream_.height;
  if (sy > 0 && y > h + r) {
    y = -r;
    x = RandomUniform(0, w);
  } else if (sy < 0 && y < -r) {
    x = RandomUniform(0, w);
    y = h + r;
  } else if (sx > 0 && x > w + r) {
    x = -r;
    y = RandomUniform(0, h);
  } else if (sx < 0 && x < -r) {
    x = w + r;
    y = RandomUniform(0, h);
  } else {
    x += sx;
    y += sy;
  }
  // Now and then a new drift; a change rate of 0 never changes it.
  if (s.changeRate > 0 && (t - lastChange) * float(s.speed) * 0.1f > 100.0f / float(s.changeRate)) {
    lastChange = t;
    if (OddDraw()) driftFactor = RandomUniform(-1, 1);
  }
}

ZT_LeafFallAnim::ZT_LeafFallAnim(const LeafStreamState& stream) : ZT_SreamAnim(stream) {
  for (int i = 0; i < 3; ++i) {
    const float magnitude = RandomUniform(7, 10);
    rate[i] = OddDraw() ? -magnitude : magnitude;
    angle[i] = rate[i];
  }
  for (int i = 3; i < 5; ++i) {
    const float magnitude = RandomUniform(3, 7);
    const float spins = OddDraw() ? 1.0f : 0.0f;
    rate[i] = magnitude * spins * (OddDraw() ? -1.0f : 1.0f);
  }
}

void ZT_LeafFallAnim::Animate(ZT_Node& node) {
  ZT_SreamAnim::Animate(node);
  const ZT_3D_in_2D_array_Constructor& s = *stream_.settings;
  // A mesh without extent is drawn at no size.
  const float k = stream_.meshRadius > 0 ? float(s.leafSize) * 0.5f / stream_.meshRadius : 0.0f;
  for (int i = 0; i < 3; ++i) angle[i] += rate[i] * dt * float(s.spinSpeed) * 0.4f;
  for (int i = 3; i < 5; ++i) angle[i] += rate[i] * dt * float(s.drift) * 0.4f;
  for (float& a : angle) a = std::fmod(a, 360.0f);  // keeps the angles precise
  D3DXMATRIX scale, push, place;
  D3DXMatrixScaling(&scale, k, k, k);
  D3DXMatrixTranslation(&push, 0, 0, 50);
  D3DXMatrixTranslation(&place, x, y, 0);
  const D3DXMATRIX m =
      scale * Rotation(D3DXMatrixRotationX, angle[0]) * Rotation(D3DXMatrixRotationZ, angle[2]) *
      Rotation(D3DXMatrixRotationY, angle[1]) * (push * Rotation(D3DXMatrixRotationY, angle[3])) *
      Rotation(D3DXMatrixRotationX, angle[4]) * place;
  node.World = node.Local * m;
}

void ZT_3D_in_2D_array::Advance(float t) {
  Prepare();
  MatchCount();
  if (std::isfinite(t)) state_.time = t;
  for (auto& root : roots_) UpdateNode(*root, nullptr);
}

void ZT_3D_in_2D_array::Draw(ZT_ABRender& renderer) {
  if (instance_ && instance_->Drawable()) renderer.DrawTwoSided(*instance_);
}

void ZT_3D_in_2D_array::Restart() {
  LayerObject::Restart();
  Prepare();
  for (auto& root : roots_) static_cast<ZT_SreamAnim&>(*root->animation).Restart();
}

void ZT_3D_in_2D_array::Prepare() {
  state_.settings = &settings();
  if (const RenderContext* c = CurrentRenderContext()) {
    state_.width = float(c->PictureWidth > 0 ? c->PictureWidth : c->TargetWidth);
    state_.height = float(c->PictureHeight > 0 ? c->PictureHeight : c->TargetHeight);
  }
  if (instance_) return;
  MeshBuffers mesh;
  TexturePtr texture;
  QVX_DocResManager* resources = QVX_DocResManager::Current();
  GpuDevice* device = CurrentDevice();
  const ZT_3D_in_2D_array_Constructor& s = settings();
  if (device && !s.meshBlob.Data.empty()) {
    mesh = CreateMeshBuffers(*device, LoadXMesh(s.meshBlob.Data));
  } else if (resources && !s.meshBlob.Module.empty()) {
    mesh = resources->GetMesh(ZT_FileLink3(s.meshBlob.Module, uint64_t(s.meshBlob.ResourceId)));
  }
  if (device && !s.textureBlob.Data.empty()) {
    texture = CreateTextureFromFileInMemoryEx(
        *device, s.textureBlob.Data, kD3dxDefault, kD3dxDefault, 0, 0, D3DFMT_UNKNOWN,
        D3DPOOL_MANAGED, D3DX_FILTER_TRIANGLE, D3DX_FILTER_TRIANGLE, 0, nullptr);
  } else if (resources && !s.textureBlob.Module.empty()) {
    const ZT_FileLink3 link(s.textureBlob.Module, uint64_t(s.textureBlob.ResourceId));
    const TextureSet set = resources->FindTextures(link, -1);
    if (!set.empty()) texture = set.Textures.front();
  }
  state_.meshRadius = mesh.Radius;
  instance_ = std::make_unique<ZT_MeshInstance>(std::move(mesh), std::move(texture), true);
  for (auto& root : roots_) instance_->Attach(root.get());
}

void ZT_3D_in_2D_array::MatchCount() {
  uint32_t n = settings().count;
  if (n > kMaxLeaves) {
    if (!capReported_) {
      std::cerr << "glimmer: the leaf layer \"" << ToUtf8(settings().name) << "\" asks for " << n
                << " leaves; it shows " << kMaxLeaves << "\n";
      capReported_ = true;
    }
    n = kMaxLeaves;
  }
  if (n == roots_.size()) return;
  roots_.reserve(n);
  while (roots_.size() > n) {
    if (instance_) instance_->Detach(roots_.back().get());
    roots_.pop_back();
  }
  while (roots_.size() < n) {
    auto root = std::make_unique<ZT_Node>();
    root->animation = std::make_unique<ZT_LeafFallAnim>(state_);
    if (instance_) instance_->Attach(root.get());
    roots_.push_back(std::move(root));
  }
}

GLIMMER_REGISTER_LAYER_KIND(ZT_3D_in_2D_array_Constructor, ZT_3D_in_2D_array)

}  // namespace glimmer
