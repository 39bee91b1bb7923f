#pragma once
// Meshes from DirectX .X files (text, binary or compressed), loaded from
// memory with Assimp into 32-byte XYZ | NORMAL | TEX1 vertices with computed
// normals, 16-bit indices ordered for the vertex cache, and the bounding
// sphere.

#include <cstdint>
#include <span>
#include <vector>

#include "common/d3dx_vector.h"
#include "platform/gpu/gpu_device.h"

namespace glimmer {

struct MeshVertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
};
static_assert(sizeof(MeshVertex) == 32);

inline constexpr uint32_t kMeshFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

// The mesh as CPU data; empty when the bytes are no mesh, it has no
// vertices, or it has more vertices than 16-bit indices reach.
struct MeshData {
  std::vector<MeshVertex> Vertices;
  std::vector<uint16_t> Indices;  // three per face
  D3DXVECTOR3 Center;
  float Radius = 0;
  bool empty() const { return Vertices.empty() || Indices.empty(); }
};
MeshData LoadXMesh(std::span<const uint8_t> bytes);

// What a mesh link resolves to: buffers in the managed pool.
struct MeshBuffers {
  VertexBufferPtr VertexBuffer;
  IndexBufferPtr IndexBuffer;
  uint32_t VertexCount = 0;
  uint32_t FaceCount = 0;
  float Radius = 0;
  D3DXVECTOR3 Center;
  bool empty() const { return VertexCount == 0; }
};
MeshBuffers CreateMeshBuffers(GpuDevice& device, const MeshData& mesh);

}  // namespace glimmer
