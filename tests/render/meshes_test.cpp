// Sprite quads, quad batches, sheet and frame animation, transform frames.

#include "render/meshes.h"

#include "tests/platform/gpu/gpu_test_support.h"

namespace glimmer::testing {
namespace {

using Meshes = GpuTest;

TEST(SpriteQuad, CornersAndTextureCoordinates) {
  DX_V::PCT v[4];
  WriteSpriteQuad(v, {100, 100, 0}, {1, 0, 0}, {0, 1, 0}, 10, 5, 0xFF123456, 0, 1, 0, 1);
  const float expected[4][4] = {{90, 105, 0, 1}, {90, 95, 0, 0}, {110, 105, 1, 1}, {110, 95, 1, 0}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(v[i].x, expected[i][0]) << i;
    EXPECT_EQ(v[i].y, expected[i][1]) << i;
    EXPECT_EQ(v[i].z, 0.0f);
    EXPECT_EQ(v[i].u, expected[i][2]) << i;
    EXPECT_EQ(v[i].v, expected[i][3]) << i;
    EXPECT_EQ(v[i].color, 0xFF123456u);
  }
  // A negative half-width mirrors the quad left to right.
  WriteSpriteQuad(v, {100, 100, 0}, {1, 0, 0}, {0, 1, 0}, -10, 5, 0, 0, 1, 0, 1);
  EXPECT_EQ(v[0].x, 110.0f);
  EXPECT_EQ(v[2].x, 90.0f);
}

// The times (in 0.01 s steps) at which the shown frame changed, and to what.
template <class Step>
std::vector<std::pair<float, uint32_t>> Switches(Step&& step, float seconds) {
  std::vector<std::pair<float, uint32_t>> out;
  uint32_t last = 0;
  for (int k = 1; float(k) * 0.01f <= seconds; ++k) {
    const float t = float(k) * 0.01f;
    const uint32_t f = step(t);
    if (f != last) out.push_back({t, f});
    last = f;
  }
  return out;
}

TEST(SpriteSheet, FourFramesAtTwoPerSecond) {
  SpriteSheetClock clock;
  auto next = [](uint32_t f) { return (f + 1) % 4; };
  const auto switches = Switches([&](float t) { return clock.Advance(t, 2.0f, next); }, 3.0f);
  ASSERT_EQ(switches.size(), 5u);
  for (size_t i = 0; i < switches.size(); ++i) {
    EXPECT_EQ(switches[i].second, (i + 1) % 4) << "in order, wrapping after frame 3";
    EXPECT_NEAR(switches[i].first, 0.5f * float(i + 1), 0.0105f * float(i + 1)) << i;
  }
  SpriteSheetClock still;
  for (int k = 0; k < 100; ++k) EXPECT_EQ(still.Advance(float(k), 0.0f, next), 0u);
}

TEST(FrameSequenceTest, DelaysAlternate) {
  FrameSequence seq;
  const std::vector<float> delays = {0.1f, 0.2f};
  const auto switches = Switches(
      [&](float t) {
        seq.Advance(delays, t);
        return seq.FrameIndex;
      },
      1.0f);
  ASSERT_GE(switches.size(), 5u);
  float previous = 0;
  for (size_t i = 0; i < switches.size(); ++i) {
    // Frame 0 shows for 0.1 s, frame 1 for 0.2 s.
    const float shown = switches[i].first - previous;
    EXPECT_NEAR(shown, switches[i].second == 1 ? 0.1f : 0.2f, 0.0105f) << i;
    previous = switches[i].first;
  }
  FrameSequence none;
  EXPECT_FALSE(none.Advance({}, 10.0f));
}

TEST(TransformFrame, ChildrenTakeTheParentWorld) {
  ZT_Frame parent, child;
  D3DXMatrixTranslation(&parent.Local, 10, 0, 0);
  D3DXMatrixScaling(&child.Local, 2, 2, 2);
  parent.AddChild(&child);
  parent.UpdateTransforms(nullptr);
  D3DXVECTOR3 p{1, 1, 1};
  D3DXVec3TransformCoord(&p, &p, &child.World);
  EXPECT_EQ(p, (D3DXVECTOR3{12, 2, 2})) << "scaled, then moved with the parent";
  struct Spin : FrameAnimator {
    D3DXMATRIX ComputeWorld(const QVX_Frame&) override {
      D3DXMATRIX m;
      D3DXMatrixTranslation(&m, 0, 5, 0);
      return m;
    }
  } spin;
  child.Animator = &spin;
  parent.UpdateTransforms(nullptr);
  EXPECT_EQ(child.World.m[3][1], 5.0f);
  EXPECT_EQ(child.World.m[3][0], 10.0f);
}

TEST_F(Meshes, QuadBatchChunksAt16383) {
  QuadBatch batch(device_);
  batch.SetQuads(40000);
  ASSERT_EQ(batch.Chunks.size(), 3u);
  EXPECT_EQ(batch.Chunks[0].Mesh.PrimitiveCount, 2u * 16383);
  EXPECT_EQ(batch.Chunks[1].Mesh.PrimitiveCount, 2u * 16383);
  EXPECT_EQ(batch.Chunks[2].Mesh.PrimitiveCount, 2u * 7234);
  EXPECT_EQ(batch.Chunks[2].Mesh.IndexBuffer->Format(), D3DFMT_INDEX16);
  batch.Lock();
  DX_V::PCT* q = batch.Quad(39999);
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(q[0].v, 1.0f);
  EXPECT_EQ(q[3].u, 1.0f);
  EXPECT_EQ(q[0].color, 0u);
  EXPECT_EQ(batch.Quad(40000), nullptr);
  batch.Unlock();
  QuadBatch empty(device_);
  empty.SetQuads(0);
  EXPECT_EQ(empty.Chunks.size(), 1u);
  empty.Draw();  // nothing to draw, and no failure
  QuadBatch exact(device_);
  exact.SetQuads(16383);
  EXPECT_EQ(exact.Chunks.size(), 2u) << "n / 16383 + 1 chunks; the last is empty";
  exact.Draw();
}

TEST_F(Meshes, BatchDrawsEveryChunk) {
  device_->Reset({200, 100, false});
  device_->SetRenderState(D3DRS_LIGHTING, 0);
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  D3DXMATRIX proj;
  D3DXMatrixOrthoOffCenterLH(&proj, -0.5f, 199.5f, 99.5f, -0.5f, 0, 1);
  device_->SetTransform(D3DTS_PROJECTION, proj);
  QuadBatch batch(device_);
  const uint32_t n = 200 * 100;  // more than one chunk
  batch.SetQuads(n);
  batch.Lock();
  for (uint32_t i = 0; i < n; ++i) {
    DX_V::PCT* v = batch.Quad(i);
    const float x = float(i % 200) - 0.5f, y = float(i / 200) - 0.5f;
    WriteSpriteQuad(v, {x + 0.5f, y + 0.5f, 0.5f}, {1, 0, 0}, {0, 1, 0}, 0.5f, 0.5f, 0xFFFFFFFF, 0,
                    1, 0, 1);
  }
  batch.Unlock();
  batch.Draw();
  const Image img = Back();
  int missing = 0;
  for (uint32_t y = 0; y < 100; ++y) {
    for (uint32_t x = 0; x < 200; ++x) missing += img.Pixel(x, y)[0] != 255;
  }
  EXPECT_EQ(missing, 0);
}

TEST_F(Meshes, LargeSpriteArrayUsesWideIndicesAndZeroKeepsBuffers) {
  ZT_SpriteArrayT<DX_V::PCT> sprites(device_);
  sprites.SetQuadCount(20000);
  ASSERT_NE(sprites.IndexBuffer, nullptr);
  EXPECT_EQ(sprites.IndexBuffer->Format(), D3DFMT_INDEX32);
  EXPECT_EQ(sprites.VertexCount, 80000u);
  const auto buffer = sprites.VertexBuffer;
  sprites.SetQuadCount(0);
  EXPECT_EQ(sprites.VertexBuffer, buffer) << "a count of 0 keeps the previous buffers";
  const uint16_t* idx = nullptr;
  ZT_SpriteArrayT<DX_V::PCT> small(device_);
  small.SetQuadCount(2);
  idx = reinterpret_cast<const uint16_t*>(small.IndexBuffer->Data());
  EXPECT_EQ(std::vector<uint16_t>(idx, idx + 12),
            (std::vector<uint16_t>{0, 1, 2, 2, 1, 3, 4, 5, 6, 6, 5, 7}));
  EXPECT_EQ(small.PrimitiveType, D3DPT_TRIANGLELIST);
}

}  // namespace
}  // namespace glimmer::testing
