#include "render/meshes.h"

namespace glimmer {

template <class V>
void ZT_SimpleMesh<V>::CreateVertices(uint32_t n) {
  VertexBuffer.reset();
  VertexData = nullptr;
  VertexCount = n;
  PrimitiveType = D3DPT_TRIANGLELIST;
  if (n == 0 || !device_) return;
  VertexBuffer =
      device_->CreateVertexBuffer(n * sizeof(V), D3DUSAGE_WRITEONLY, DX_V::kFvf, D3DPOOL_MANAGED);
}

template <class V>
V* ZT_SimpleMesh<V>::Lock() {
  if (!VertexBuffer) return nullptr;
  if (!VertexData) VertexData = static_cast<V*>(VertexBuffer->Lock(0, 0));
  return VertexData;
}

template <class V>
void ZT_SimpleMesh<V>::Unlock() {
  if (VertexBuffer && VertexData) VertexBuffer->Unlock();
  VertexData = nullptr;
}

template <class V>
void ZT_SimpleMesh<V>::Draw() const {
  if (!VertexBuffer || VertexCount < 3 || !device_) return;
  const uint32_t primitives =
      PrimitiveType == D3DPT_TRIANGLESTRIP ? VertexCount - 2 : VertexCount / 3;
  device_->SetFVF(DX_V::kFvf);
  device_->SetStreamSource(0, VertexBuffer, 0, sizeof(V));
  device_->DrawPrimitive(PrimitiveType, 0, primitives);
}

template <class V>
void ZT_IndexedMesh<V>::SetQuadCount(uint32_t n) {
  if (n == 0) return;
  this->CreateVertices(4 * n);
  PrimitiveCount = 2 * n;
  GpuDevice* device = this->device_;
  if (!device) return;
  const bool wide = n > kQuadsPerChunk;
  IndexBuffer = device->CreateIndexBuffer(n * 6 * (wide ? 4 : 2), D3DUSAGE_WRITEONLY,
                                          wide ? D3DFMT_INDEX32 : D3DFMT_INDEX16, D3DPOOL_MANAGED);
  void* data = IndexBuffer->Lock(0, 0);
  if (!data) return;
  for (uint32_t j = 0; j < n; ++j) {
    const uint32_t b = 4 * j, quad[6] = {b, b + 1, b + 2, b + 2, b + 1, b + 3};
    for (int k = 0; k < 6; ++k) {
      if (wide) {
        static_cast<uint32_t*>(data)[6 * j + k] = quad[k];
      } else {
        static_cast<uint16_t*>(data)[6 * j + k] = static_cast<uint16_t>(quad[k]);
      }
    }
  }
  IndexBuffer->Unlock();
}

template <class V>
void ZT_IndexedMesh<V>::Draw() const {
  GpuDevice* device = this->device_;
  if (!device || !this->VertexBuffer || !IndexBuffer || PrimitiveCount == 0) return;
  device->SetFVF(DX_V::kFvf);
  device->SetStreamSource(0, this->VertexBuffer, 0, sizeof(V));
  device->SetIndices(IndexBuffer);
  device->DrawIndexedPrimitive(this->PrimitiveType, 0, 0, this->VertexCount, 0, PrimitiveCount);
}

template class ZT_SimpleMesh<DX_V::PCT>;
template class ZT_IndexedMesh<DX_V::PCT>;

void QuadBatch::SetQuads(uint32_t n) {
  Chunks.clear();
  TotalQuads = static_cast<int32_t>(n);
  const uint32_t chunks = n / kQuadsPerChunk + 1;
  for (uint32_t i = 0; i < chunks; ++i) {
    Chunk& c = Chunks.emplace_back(device_);
    const uint32_t quads = std::min(n - kQuadsPerChunk * i, kQuadsPerChunk);
    c.Mesh.SetQuadCount(quads);
    if (DX_V::PCT* v = c.Mesh.Lock()) {
      for (uint32_t q = 0; q < quads; ++q) {
        v[4 * q + 0] = {0, 0, 0, 0, 0, 1};
        v[4 * q + 1] = {0, 0, 0, 0, 0, 0};
        v[4 * q + 2] = {0, 0, 0, 0, 1, 1};
        v[4 * q + 3] = {0, 0, 0, 0, 1, 0};
      }
      c.Mesh.Unlock();
    }
    if (i > 0) c.Texture = Chunks.front().Texture;
  }
}

void QuadBatch::Lock() {
  for (Chunk& c : Chunks) c.Mesh.Lock();
}

void QuadBatch::Unlock() {
  for (Chunk& c : Chunks) c.Mesh.Unlock();
}

void QuadBatch::SetTexture(TexturePtr texture) {
  for (Chunk& c : Chunks) c.Texture = texture;
}

DX_V::PCT* QuadBatch::Quad(uint32_t q) {
  const uint32_t chunk = q / kQuadsPerChunk;
  if (chunk >= Chunks.size() || q >= uint32_t(TotalQuads)) return nullptr;
  DX_V::PCT* v = Chunks[chunk].Mesh.VertexData;
  return v ? v + 4 * (q % kQuadsPerChunk) : nullptr;
}

void QuadBatch::Draw() {
  if (!device_) return;
  for (Chunk& c : Chunks) {
    device_->SetTexture(0, c.Texture);
    c.Mesh.Draw();
  }
}

void WriteSpriteQuad(DX_V::PCT* v, const D3DXVECTOR3& p, const D3DXVECTOR3& r, const D3DXVECTOR3& u,
                     float w, float h, D3DCOLOR color, float uA, float uB, float vA, float vB) {
  const D3DXVECTOR3 k = p - r * w - u * h;
  const D3DXVECTOR3 up = u * (2 * h), right = r * (2 * w);
  const D3DXVECTOR3 corners[4] = {k + up, k, k + right + up, k + right};
  const float uvs[4][2] = {{uA, vB}, {uA, vA}, {uB, vB}, {uB, vA}};
  for (int i = 0; i < 4; ++i) {
    v[i] = {corners[i].x, corners[i].y, corners[i].z, color, uvs[i][0], uvs[i][1]};
  }
}

bool FrameSequence::Advance(const std::vector<float>& delays, float animTime) {
  if (delays.empty()) return false;
  if (FrameIndex >= delays.size()) FrameIndex = 0;
  if (delays[FrameIndex] > animTime - FrameTime) return false;
  FrameTime = animTime;
  FrameIndex = static_cast<uint32_t>((FrameIndex + 1) % delays.size());
  return true;
}

}  // namespace glimmer
