#include "models/object_nodes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace glimmer {

ZT_Node& ZT_Node::AddOwnedChild(std::unique_ptr<ZT_Node> child) {
  ZT_Node& c = *child;
  AddChild(&c);
  owned.push_back(std::move(child));
  return c;
}

void UpdateNode(ZT_Node& node, const D3DXMATRIX* parentWorld) {
  if (node.animation) {
    node.World = node.Local;
    node.animation->Animate(node);
  } else {
    node.World = node.Local;
  }
  if (parentWorld) node.World = node.World * *parentWorld;
  if (node.cullByFlag) node.CullMode = int32_t(CullModeFor(node.flag, node.World));
  for (QVX_Frame* child : node.Children) {
    if (child) UpdateNode(static_cast<ZT_Node&>(*child), &node.World);
  }
}

void ZT_MeshInstance::Detach(const ZT_Node* node) {
  nodes_.erase(std::remove(nodes_.begin(), nodes_.end(), node), nodes_.end());
}

void ZT_MeshInstance::DrawFrame(size_t, GpuDevice& device) {
  if (mesh_.empty() || !texture_) return;
  device.SetTexture(0, texture_);
  device.SetFVF(kMeshFvf);
  device.SetStreamSource(0, mesh_.VertexBuffer, 0, sizeof(MeshVertex));
  device.SetIndices(mesh_.IndexBuffer);
  device.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, mesh_.VertexCount, 0, mesh_.FaceCount);
}

void AttachRootsAndChildren(const std::vector<std::unique_ptr<ZT_Node>>& roots,
                            std::vector<std::unique_ptr<ZT_MeshInstance>>& instances) {
  if (instances.size() < 2) return;
  for (const auto& root : roots) {
    instances[0]->Attach(root.get());
    for (const auto& child : root->owned) instances[1]->Attach(child.get());
  }
}

void MakeRootAndChildInstances(std::vector<std::unique_ptr<ZT_MeshInstance>>& instances,
                               const MeshBuffers& rootMesh, TexturePtr rootTexture,
                               bool rootFlagged, const MeshBuffers& childMesh,
                               TexturePtr childTexture) {
  instances.clear();
  instances.push_back(
      std::make_unique<ZT_MeshInstance>(rootMesh, std::move(rootTexture), rootFlagged));
  // The children (wings, hands) are always see-through.
  instances.push_back(std::make_unique<ZT_MeshInstance>(childMesh, std::move(childTexture), true));
}

D3DXMATRIX ScalingMatrix(float x, float y, float z) {
  D3DXMATRIX m;
  D3DXMatrixScaling(&m, x, y, z);
  return m;
}

D3DXMATRIX TranslationMatrix(float x, float y, float z) {
  D3DXMATRIX m;
  D3DXMatrixTranslation(&m, x, y, z);
  return m;
}

D3DXMATRIX RotationMatrix(D3DXMATRIX* (*make)(D3DXMATRIX*, float), float degrees) {
  D3DXMATRIX m;
  constexpr float kDegree = 3.14159265358979f / 180;
  make(&m, degrees * kDegree);
  return m;
}

uint32_t CullModeFor(uint8_t flag, const D3DXMATRIX& world) {
  const auto& m = world.m;
  const float det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                    m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                    m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  const bool mirrored = det < 0;
  return (flag != 0) != mirrored ? D3DCULL_CW : D3DCULL_CCW;
}

void ApproachingValue::SetTarget(float t) {
  target = t;
  SetRateMagnitude(rate);
}

void ApproachingValue::SetRateMagnitude(float magnitude) {
  rate = target > value ? std::fabs(magnitude) : -std::fabs(magnitude);
}

void ApproachingValue::Approach(float step) {
  if (value == target) return;
  value += rate * step;
  if ((rate > 0 && value > target) || (rate < 0 && value < target)) value = target;
}

namespace {
std::optional<LocalTimeOfDay>& FixedTime() {
  static std::optional<LocalTimeOfDay> fixed;
  return fixed;
}
}  // namespace

std::optional<LocalTimeOfDay> ReadLocalTime() {
  if (FixedTime()) return FixedTime();
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (now == std::time_t(-1) || !localtime_r(&now, &local)) return std::nullopt;
  return LocalTimeOfDay{local.tm_hour, local.tm_min, local.tm_sec};
}

void SetFixedLocalTime(std::optional<LocalTimeOfDay> time) {
  FixedTime() = time;
}

std::optional<LocalTimeOfDay> ParseTimeOfDay(const char* text) {
  if (!text) return std::nullopt;
  int h = 0, m = 0, s = 0, used = 0;
  const int n = std::sscanf(text, "%d:%d%n:%d%n", &h, &m, &used, &s, &used);
  if (n < 2 || text[used] != '\0') return std::nullopt;
  if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59) return std::nullopt;
  return LocalTimeOfDay{h, m, n == 3 ? s : 0};
}

}  // namespace glimmer
