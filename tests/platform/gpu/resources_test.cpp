// Device objects: loss and reset, textures from encoded pictures, GIF
// frames, surface copies, and large indexed batches.

#include <algorithm>

#include "platform/gpu/texture_loader.h"
#include "tests/platform/gpu/gpu_test_support.h"

namespace glimmer::testing {
namespace {

using Resources = GpuTest;

Image Checker(uint32_t w, uint32_t h) {
  Image img{w, h, std::vector<uint8_t>(size_t(w) * h * 4)};
  for (uint32_t y = 0; y < h; ++y) {
    for (uint32_t x = 0; x < w; ++x) {
      uint8_t* p = img.Pixel(x, y);
      p[0] = uint8_t(x);
      p[1] = uint8_t(y);
      p[2] = ((x / 10 + y / 10) & 1) ? 255 : 0;
      p[3] = 255;
    }
  }
  return img;
}

// A GIF of 2 × 1 pixels with two frames (white then black), delays 0.1 s and 0.2 s.
std::vector<uint8_t> TwoFrameGif() {
  std::vector<uint8_t> g = {'G',  'I', 'F', '8',  '9',  'a',  2, 0, 1, 0,
                            0x80, 0,   0,   0xFF, 0xFF, 0xFF, 0, 0, 0};  // palette: white, black
  auto frame = [&](uint8_t delay, uint8_t index) {
    g.insert(g.end(), {0x21, 0xF9, 4, 0, delay, 0, 0, 0});  // graphic control
    g.insert(g.end(), {0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0});   // image descriptor
    // LZW, minimum code size 2: clear (4), index, index, end (5) at 3 bits.
    const uint32_t bits = 4u | (uint32_t(index) << 3) | (uint32_t(index) << 6) | (5u << 9);
    g.insert(g.end(), {2, 2, uint8_t(bits), uint8_t(bits >> 8), 0});
  };
  frame(10, 0);
  frame(20, 1);
  g.push_back(0x3B);
  return g;
}

TEST_F(Resources, LossReleasesDefaultPoolAndKeepsManaged) {
  TexturePtr target =
      device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  TexturePtr managed = MakeTexture(1, 1, {0x11223344});
  VertexBufferPtr vb = device_->CreateVertexBuffer(64, D3DUSAGE_WRITEONLY, kTlFvf, D3DPOOL_MANAGED);
  VertexBufferPtr dynamic =
      device_->CreateVertexBuffer(64, D3DUSAGE_DYNAMIC, kTlFvf, D3DPOOL_DEFAULT);
  device_->SimulateLoss();
  EXPECT_EQ(device_->TestCooperativeLevel(), DeviceState::NotReset);
  device_->Clear(D3DCLEAR_TARGET, 0xFFFFFFFF, 1, 0);
  DrawRect(0, 0, 4, 4, 0xFFFFFFFF);  // ignored while lost
  ASSERT_TRUE(device_->Reset({kWidth, kHeight, true}));
  EXPECT_EQ(device_->TestCooperativeLevel(), DeviceState::Ok);
  EXPECT_TRUE(target->IsLost());
  EXPECT_TRUE(dynamic->IsLost());
  EXPECT_EQ(dynamic->Lock(0, 0), nullptr);
  EXPECT_FALSE(managed->IsLost());
  EXPECT_FALSE(vb->IsLost());
  EXPECT_EQ(managed->ReadLevel(0).Pixel(0, 0)[2], 0x33) << "managed contents survive";
  EXPECT_EQ(Pixel(1, 1), 0x00000000u) << "a fresh back buffer";
  // A lost target used as render target or texture draws nothing and does not fail.
  device_->SetTexture(0, target);
  DrawRect(0, 0, 2, 2, 0xFF00FF00);
  EXPECT_NE(Pixel(0, 0), 0u);
  // Resetting to a new size resizes the back buffer.
  device_->Reset({32, 16, false});
  EXPECT_EQ(device_->GetBackBufferDesc().Width, 32u);
  EXPECT_EQ(device_->GetViewport().Height, 16u);
  EXPECT_EQ(device_->GetDepthStencilSurface(), nullptr);
}

// New textures read zero in every level; a texture made to be filled keeps
// every row uploaded into it, band by band.
TEST_F(Resources, NewTexturesAreZeroedAndFilledOnesKeepTheirRows) {
  const TexturePtr fresh = device_->CreateTexture(40, 24, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  for (uint32_t level = 0; level < fresh->Levels(); ++level) {
    const Image read = fresh->ReadLevel(level);
    EXPECT_TRUE(std::all_of(read.rgba.begin(), read.rgba.end(), [](uint8_t b) { return b == 0; }))
        << "level " << level;
  }
  const Image picture = Checker(37, 23);
  const TexturePtr filled =
      device_->CreateTextureToFill(37, 23, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED);
  ASSERT_TRUE(filled);
  for (uint32_t y = 0; y < 23; y += 5) filled->UploadRows(0, picture, y, 5);
  EXPECT_EQ(filled->ReadLevel(0).rgba, picture.rgba);
  // The same picture as RGB rows reads back with alpha 1.
  Image rgb{37, 23, {}, 3};
  for (size_t i = 0; i < picture.rgba.size(); ++i)
    if (i % 4 != 3) rgb.rgba.push_back(picture.rgba[i]);
  const TexturePtr fromRgb =
      device_->CreateTextureToFill(37, 23, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED);
  for (uint32_t y = 0; y < 23; y += 5) fromRgb->UploadRows(0, rgb, y, 5);
  EXPECT_EQ(fromRgb->ReadLevel(0).rgba, picture.rgba);
  EXPECT_EQ(device_->CreateTextureToFill(device_->MaxTextureSize() + 1, 4, 1, 0, D3DFMT_UNKNOWN,
                                         D3DPOOL_MANAGED),
            nullptr);
}

TEST_F(Resources, PictureWithoutFilterKeepsItsPixelsTopLeft) {
  const Image picture = Checker(300, 200);
  const std::vector<uint8_t> png = EncodePng(picture);
  D3DXIMAGE_INFO info;
  TexturePtr t = CreateTextureFromFileInMemoryEx(*device_, png, kD3dxDefault, kD3dxDefault, 1, 0,
                                                 D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_NONE,
                                                 D3DX_FILTER_NONE, 0, &info);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(info.Width, 300u);
  EXPECT_EQ(info.Height, 200u);
  EXPECT_EQ(t->Width(), 512u);
  EXPECT_EQ(t->Height(), 256u);
  EXPECT_FLOAT_EQ(300.0f / float(t->Width()), 0.5859375f);
  EXPECT_FLOAT_EQ(200.0f / float(t->Height()), 0.78125f);
  const Image back = t->ReadLevel(0);
  for (uint32_t y : {0u, 57u, 199u}) {
    for (uint32_t x : {0u, 123u, 299u}) {
      EXPECT_TRUE(std::equal(picture.Pixel(x, y), picture.Pixel(x, y) + 4, back.Pixel(x, y)))
          << x << "," << y;
    }
  }
  EXPECT_EQ(back.Pixel(300, 10)[3], 0) << "outside the picture: transparent";
  EXPECT_EQ(back.Pixel(10, 200)[3], 0);
}

TEST_F(Resources, TriangleFilterScalesToTheTexture) {
  Image flat{300, 200, std::vector<uint8_t>(300 * 200 * 4)};
  for (size_t i = 0; i < flat.rgba.size(); i += 4) {
    flat.rgba[i] = 10, flat.rgba[i + 1] = 200, flat.rgba[i + 2] = 90, flat.rgba[i + 3] = 255;
  }
  D3DXIMAGE_INFO info;
  TexturePtr t = CreateTextureFromFileInMemoryEx(
      *device_, EncodePng(flat), kD3dxDefault, kD3dxDefault, kD3dxDefault, 0, D3DFMT_UNKNOWN,
      D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, &info);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->Levels(), 10u) << "a full mip chain down to 1 × 1";
  const Image top = t->ReadLevel(0);
  EXPECT_EQ(top.Pixel(511, 255)[1], 200) << "a flat picture stays flat when scaled";
  EXPECT_EQ(t->ReadLevel(9).Pixel(0, 0)[0], 10);
  EXPECT_EQ(CreateTextureFromFileInMemoryEx(*device_, std::vector<uint8_t>{1, 2, 3}, 0, 0, 1, 0,
                                            D3DFMT_UNKNOWN, D3DPOOL_MANAGED, 1, 1, 0, nullptr),
            nullptr)
      << "bytes that are no picture give no texture";
}

TEST_F(Resources, ColorKeyMakesPixelsTransparent) {
  Image two{2, 1, {255, 0, 255, 255, 1, 2, 3, 255}};
  TexturePtr t =
      CreateTextureFromFileInMemoryEx(*device_, EncodePng(two), 0, 0, 1, 0, D3DFMT_A8R8G8B8,
                                      D3DPOOL_MANAGED, 1, 1, 0xFFFF00FF, nullptr);
  const Image back = t->ReadLevel(0);
  EXPECT_EQ(back.Pixel(0, 0)[3], 0);
  EXPECT_EQ(back.Pixel(1, 0)[2], 3);
}

TEST_F(Resources, GifFramesWithTheirDelays) {
  const std::vector<uint8_t> gif = TwoFrameGif();
  AnimationTextures anim = CreateAnimationTextures(*device_, gif, D3DFMT_DXT1, D3DPOOL_MANAGED, 1);
  ASSERT_EQ(anim.textures.size(), 2u);
  EXPECT_EQ(anim.info.Width, 2u);
  EXPECT_EQ(anim.info.Frames, 2u);
  EXPECT_FLOAT_EQ(anim.delays[0], 0.1f);
  EXPECT_FLOAT_EQ(anim.delays[1], 0.2f);
  EXPECT_EQ(anim.textures[0]->ReadLevel(0).Pixel(1, 0)[0], 255);
  EXPECT_EQ(anim.textures[1]->ReadLevel(0).Pixel(1, 0)[0], 0);
  // The single-texture loader takes the first frame.
  D3DXIMAGE_INFO info;
  TexturePtr first = CreateTextureFromFileInMemoryEx(*device_, gif, 0, 0, 1, 0, D3DFMT_UNKNOWN,
                                                     D3DPOOL_MANAGED, 1, 1, 0, &info);
  EXPECT_EQ(info.Frames, 2u);
  EXPECT_EQ(first->ReadLevel(0).Pixel(0, 0)[1], 255);
}

TEST_F(Resources, SurfaceCopyScalesWithTriangleFilter) {
  TexturePtr src = MakeTexture(2, 2, {0xFF0000FF, 0xFF0000FF, 0xFF0000FF, 0xFF0000FF});
  TexturePtr dst =
      device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  ASSERT_TRUE(LoadSurfaceFromSurface(dst->GetSurfaceLevel(0), src->GetSurfaceLevel(0),
                                     D3DX_FILTER_TRIANGLE));
  EXPECT_EQ(dst->ReadLevel(0).Pixel(7, 7)[0], 255);
  EXPECT_EQ(dst->GetLevelDesc(0).Pool, D3DPOOL_DEFAULT);
}

TEST_F(Resources, FortyThousandQuadsWithThirtyTwoBitIndices) {
  // 250 × 160 quads of one pixel each would overflow 16-bit indices: 40,000
  // quads need 160,000 vertices.
  constexpr uint32_t cols = 250, rows = 160, quads = cols * rows;
  device_->Reset({cols, rows, false});
  device_->SetRenderState(D3DRS_LIGHTING, 0);
  VertexBufferPtr vb = device_->CreateVertexBuffer(quads * 4 * sizeof(TlVertex), D3DUSAGE_WRITEONLY,
                                                   kTlFvf, D3DPOOL_MANAGED);
  IndexBufferPtr ib = device_->CreateIndexBuffer(quads * 6 * 4, D3DUSAGE_WRITEONLY, D3DFMT_INDEX32,
                                                 D3DPOOL_MANAGED);
  auto* v = static_cast<TlVertex*>(vb->Lock(0, 0));
  auto* idx = static_cast<uint32_t*>(ib->Lock(0, 0));
  ASSERT_NE(v, nullptr);
  ASSERT_NE(idx, nullptr);
  for (uint32_t q = 0; q < quads; ++q) {
    const float x = float(q % cols) - 0.5f, y = float(q / cols) - 0.5f;
    const D3DCOLOR c = (q % 2) ? 0xFFFFFFFF : 0xFF00FF00;
    v[q * 4 + 0] = {x, y + 1, 0.5f, 1, c, 0, 1};
    v[q * 4 + 1] = {x, y, 0.5f, 1, c, 0, 0};
    v[q * 4 + 2] = {x + 1, y + 1, 0.5f, 1, c, 1, 1};
    v[q * 4 + 3] = {x + 1, y, 0.5f, 1, c, 1, 0};
    const uint32_t b = q * 4, quad[6] = {b, b + 1, b + 2, b + 2, b + 1, b + 3};
    std::copy(quad, quad + 6, idx + q * 6);
  }
  vb->Unlock();
  ib->Unlock();
  device_->SetFVF(kTlFvf);
  device_->SetStreamSource(0, vb, 0, sizeof(TlVertex));
  device_->SetIndices(ib);
  device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, quads * 4, 0, quads * 2);
  const Image img = Back();
  int wrong = 0;
  for (uint32_t q = 0; q < quads; ++q) {
    const uint8_t* p = img.Pixel(q % cols, q / cols);
    const bool white = q % 2;
    if (p[1] != 255 || (p[0] == 255) != white) ++wrong;
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(img.Pixel(cols - 1, rows - 1)[1], 255) << "the last quad, past 65,535 vertices";
}

TEST_F(Resources, IndexedDrawFromUserMemory) {
  const TlVertex v[4] = {{2, 6, 0.5f, 1, 0xFFFF0000, 0, 1},
                         {2, 2, 0.5f, 1, 0xFFFF0000, 0, 0},
                         {6, 6, 0.5f, 1, 0xFFFF0000, 1, 1},
                         {6, 2, 0.5f, 1, 0xFFFF0000, 1, 0}};
  const uint16_t idx[6] = {0, 1, 2, 2, 1, 3};
  device_->SetFVF(kTlFvf);
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, idx, D3DFMT_INDEX16, v,
                                  sizeof(TlVertex));
  EXPECT_TRUE(NearColor(Pixel(4, 4), 0xFF0000FF, 0));
  EXPECT_EQ(Pixel(7, 4), 0x000000FFu);
  IndexBufferPtr managed = device_->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED);
  IndexBufferPtr lost =
      device_->CreateIndexBuffer(12, D3DUSAGE_DYNAMIC, D3DFMT_INDEX16, D3DPOOL_DEFAULT);
  DepthStencilPtr depth = device_->CreateDepthStencilSurface(8, 8);
  device_->SimulateLoss();
  device_->Reset({kWidth, kHeight, true});
  EXPECT_FALSE(managed->IsLost());
  EXPECT_TRUE(lost->IsLost());
  EXPECT_TRUE(depth->IsLost());
  // Drawing with lost buffers is skipped rather than failing.
  device_->SetIndices(lost);
  device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
}

TEST_F(Resources, BufferLocksStayInBounds) {
  VertexBufferPtr vb = device_->CreateVertexBuffer(96, 0, kTlFvf, D3DPOOL_MANAGED);
  EXPECT_NE(vb->Lock(32, 64), nullptr);
  EXPECT_EQ(vb->Lock(0, 0), nullptr) << "already locked";
  vb->Unlock();
  EXPECT_EQ(vb->Lock(64, 64), nullptr) << "past the end";
  EXPECT_EQ(device_->CreateTexture(0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED), nullptr);
}

}  // namespace
}  // namespace glimmer::testing
