#pragma once
// Geometry containers of DX_V::PCT vertices: a vertex-buffer mesh, an
// indexed quad mesh (sprite arrays), and a quad batch split into chunks that
// 16-bit indices can address. Buffers live in the managed pool.

#include <cstdint>
#include <vector>

#include "platform/gpu/gpu_device.h"
#include "render/frame.h"
#include "render/vertex_pct.h"

namespace glimmer {

template <class V>
class ZT_SimpleMesh : public ZT_Frame {
 public:
  explicit ZT_SimpleMesh(GpuDevice* device) : device_(device) {}

  // A buffer of n vertices; PrimitiveType becomes a triangle list.
  void CreateVertices(uint32_t n);
  // The vertices to write (null when there is no buffer); Unlock sends them.
  V* Lock();
  void Unlock();
  // Draws the vertices as they are (the current states and texture apply).
  virtual void Draw() const;

  VertexBufferPtr VertexBuffer;
  V* VertexData = nullptr;
  uint32_t VertexCount = 0;
  D3DPRIMITIVETYPE PrimitiveType = D3DPT_TRIANGLESTRIP;

 protected:
  GpuDevice* device_;
};

template <class V>
class ZT_IndexedMesh : public ZT_SimpleMesh<V> {
 public:
  using ZT_SimpleMesh<V>::ZT_SimpleMesh;

  // n quads: 4n vertices and the indices 4j, 4j+1, 4j+2, 4j+2, 4j+1, 4j+3 for
  // quad j. Up to 16,383 quads take 16-bit indices, more take 32-bit ones;
  // 0 keeps the previous buffers.
  void SetQuadCount(uint32_t n);
  void Draw() const override;

  IndexBufferPtr IndexBuffer;
  uint32_t PrimitiveCount = 0;
};

template <class V>
class ZT_SpriteArrayT : public ZT_IndexedMesh<V> {
 public:
  using ZT_IndexedMesh<V>::ZT_IndexedMesh;
};

// The most quads a chunk holds so that its 4 × 16,383 vertices fit 16-bit indices.
inline constexpr uint32_t kQuadsPerChunk = 0x3FFF;

class QuadBatch {
 public:
  explicit QuadBatch(GpuDevice* device) : device_(device) {}

  // n / 16383 + 1 chunks; every vertex reset to position 0, colour 0 and the
  // corner texture coordinates (0, 1), (0, 0), (1, 1), (1, 0).
  void SetQuads(uint32_t n);
  void Lock();
  void Unlock();
  void SetTexture(TexturePtr texture);
  void Draw();
  // The four vertices of quad q, while locked (null otherwise).
  DX_V::PCT* Quad(uint32_t q);

  struct Chunk {
    explicit Chunk(GpuDevice* d) : Mesh(d) {}
    ZT_IndexedMesh<DX_V::PCT> Mesh;
    TexturePtr Texture;
    uint8_t Flag = 0;
  };
  int32_t TotalQuads = 0;
  std::vector<Chunk> Chunks;

 private:
  GpuDevice* device_;
};

// The quad of one sprite: position P, right axis R, up axis U, half-width w
// (negative mirrors), half-height h; vertices K + U·2h, K, K + R·2w + U·2h,
// K + R·2w with K = P − R·w − U·h, texture coordinates (uA, vB), (uA, vA),
// (uB, vB), (uB, vA).
void WriteSpriteQuad(DX_V::PCT* v, const D3DXVECTOR3& p, const D3DXVECTOR3& r, const D3DXVECTOR3& u,
                     float w, float h, D3DCOLOR color, float uA, float uB, float vA, float vB);

// Sprite-sheet animation: the frame moves on once more than 1 / rate seconds
// of motion time have passed since the last switch.
struct SpriteSheetClock {
  float SwitchTime = 0.0f;
  uint32_t Frame = 0;
  // Returns the frame to show at `motionTime`; `next` gives the frame after
  // a frame (the owner's choice: in order, or at random).
  template <class Next>
  uint32_t Advance(float motionTime, float rate, Next&& next) {
    if (rate > 0.0f && motionTime - SwitchTime > 1.0f / rate) {
      Frame = next(Frame);
      SwitchTime = motionTime;
    } else if (SwitchTime > motionTime) {
      SwitchTime = 0.0f;
    }
    return Frame;
  }
};

// A sequence of pictures with their delays (an animated picture).
struct FrameSequence {
  uint32_t FrameIndex = 0;
  float FrameTime = 0.0f;
  // Moves to the next picture when its delay has passed; true when it did.
  bool Advance(const std::vector<float>& delays, float animTime);
};

}  // namespace glimmer
