// Frames drawn straight into a window's framebuffer (an EGL pbuffer stands
// for the window) against the same frames drawn into the back-buffer
// texture: every channel within 4 on at least 99.5 % of the pixels.

#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "document/document_source.h"
#include "params/random_source.h"
#include "scene/render_context.h"
#include "scene/slide_show.h"
#include "show/show_document.h"
#include "tests/platform/gpu/gpu_test_support.h"

namespace glimmer::testing {
namespace {

constexpr uint32_t kW = 96, kH = 64;

std::unique_ptr<GpuDevice> WindowDevice(uint32_t w, uint32_t h) {
  auto context = CreatePbufferContext(int(w), int(h));
  if (!context) return nullptr;
  return GpuDevice::CreateOnContext(std::move(context), {w, h, true});
}

// The window's pixels, rows from the top; hands the context back after.
Image ReadWindow(GpuDevice& d) {
  const D3DSURFACE_DESC desc = d.GetBackBufferDesc();
  Image img{desc.Width, desc.Height, std::vector<uint8_t>(size_t(desc.Width) * desc.Height * 4)};
  d.MakeCurrent();
  glFinish();
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  std::vector<uint8_t> rows(img.rgba.size());
  glReadPixels(0, 0, GLsizei(img.width), GLsizei(img.height), GL_RGBA, GL_UNSIGNED_BYTE,
               rows.data());
  const size_t stride = size_t(img.width) * 4;
  for (uint32_t y = 0; y < img.height; ++y)
    std::copy_n(&rows[(img.height - 1 - y) * stride], stride, img.Pixel(0, y));
  d.SetRenderTarget(0, d.GetRenderTarget(0));
  return img;
}

void ExpectSamePicture(const Image& direct, const Image& texture, const std::string& what) {
  ASSERT_EQ(direct.width, texture.width);
  ASSERT_EQ(direct.height, texture.height);
  const size_t off = CountDifferingPixels(direct, texture, 4);
  EXPECT_LE(off, direct.rgba.size() / 4 / 200) << what << ": " << off << " pixels differ";
}

uint32_t At(const Image& img, uint32_t x, uint32_t y) {
  const uint8_t* p = img.Pixel(x, y);
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | 0xFF;
}

void Quad(GpuDevice& d, float x0, float y0, float x1, float y1, float z, D3DCOLOR c) {
  const TlVertex v[4] = {{x0, y1, z, 1, c, 0, 1},
                         {x0, y0, z, 1, c, 0, 0},
                         {x1, y1, z, 1, c, 1, 1},
                         {x1, y0, z, 1, c, 1, 0}};
  d.SetFVF(kTlFvf);
  d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TlVertex));
}

// A frame with what turns y around: a camera looking at a mesh of both
// windings with culling and depth, a sub-viewport with its own clear (the
// scissor), an upside-down-sensitive texture and pre-transformed quads.
void DrawScene(GpuDevice& d, const TexturePtr& texture) {
  d.SetRenderState(D3DRS_LIGHTING, 0);
  d.SetRenderState(D3DRS_ZENABLE, 1);
  d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF102030, 1.0f, 0);
  D3DXMATRIX view, projection, world;
  const D3DXVECTOR3 eye{0.6f, 0.8f, -4}, at{0, 0, 0}, up{0, 1, 0};
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  D3DXMatrixPerspectiveFovLH(&projection, 0.9f, float(kW) / float(kH), 0.5f, 20);
  D3DXMatrixIdentity(&world);
  d.SetTransform(D3DTS_VIEW, view);
  d.SetTransform(D3DTS_PROJECTION, projection);
  d.SetTransform(D3DTS_WORLD, world);
  // Upper triangle clockwise (kept), lower one counter-clockwise (culled),
  // and a far triangle behind them that the depth test hides in part.
  const DX_V::PCT mesh[9] = {
      {-1.5f, 0.1f, 0, 0xFFFF4020, 0, 0},  {0.0f, 1.4f, 0, 0xFF20FF40, 0, 0},
      {1.5f, 0.1f, 0, 0xFF4020FF, 0, 0},   {-1.5f, -0.1f, 0, 0xFFFFFF00, 0, 0},
      {0.0f, -1.4f, 0, 0xFFFFFF00, 0, 0},  {1.5f, -0.1f, 0, 0xFFFFFF00, 0, 0},
      {-2.0f, -1.0f, 2, 0xFF80FFFF, 0, 0}, {-1.0f, 1.5f, 2, 0xFF80FFFF, 0, 0},
      {0.5f, -1.0f, 2, 0xFF80FFFF, 0, 0}};
  d.SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  d.SetFVF(DX_V::kFvf);
  d.DrawPrimitiveUP(D3DPT_TRIANGLELIST, 3, mesh, sizeof(DX_V::PCT));
  d.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  d.SetRenderState(D3DRS_ZENABLE, 0);
  // A sub-viewport in the lower right, cleared and drawn into.
  d.SetViewport({60, 36, 30, 22, 0, 1});
  d.Clear(D3DCLEAR_TARGET, 0xFF00C080, 1.0f, 0);
  Quad(d, 2, 3, 12, 9, 0.5f, 0xFFFF00FF);
  d.SetViewport({0, 0, kW, kH, 0, 1});
  // A texture whose rows differ, read on a quad near the top left, then an
  // alpha-blended quad over part of it.
  d.SetTexture(0, texture);
  Quad(d, 4, 4, 20, 20, 0.5f, 0xFFFFFFFF);
  d.SetTexture(0, nullptr);
  d.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  d.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  d.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  Quad(d, 12, 10, 40, 30, 0.5f, 0x80FFFFFF);
  d.SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
}

TexturePtr Stripes(GpuDevice& d) {
  std::vector<uint8_t> rgba(8 * 8 * 4);
  for (uint32_t y = 0; y < 8; ++y) {
    for (uint32_t x = 0; x < 8; ++x) {
      uint8_t* p = &rgba[(y * 8 + x) * 4];
      p[0] = uint8_t(y * 32);
      p[1] = uint8_t(x < 4 ? 255 : 0);
      p[2] = 60;
      p[3] = 255;
    }
  }
  TexturePtr t = d.CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  t->UploadImage(0, Image{8, 8, rgba});
  return t;
}

TEST(WindowTarget, DirectFrameMatchesTheTexturePath) {
  auto device = WindowDevice(kW, kH);
  if (!device) GTEST_SKIP() << "no EGL pbuffer";
  GpuDevice& d = *device;
  const TexturePtr texture = Stripes(d);

  DrawScene(d, texture);
  ASSERT_FALSE(d.DrawsDirect());
  const Image viaTexture = d.ReadBackBuffer();
  d.Present();
  // Present copied the texture into the window, the right way up.
  ExpectSamePicture(ReadWindow(d), viaTexture, "presented texture");

  d.SetDrawDirect(true);
  ASSERT_TRUE(d.DrawsDirect());
  DrawScene(d, texture);
  ASSERT_TRUE(d.DrawsDirect()) << "nothing read the back buffer, yet the frame left the window";
  const Image direct = ReadWindow(d);
  ExpectSamePicture(direct, viaTexture, "direct");
  // Places that a flip or a winding mistake would move or drop.
  EXPECT_TRUE(NearColor(At(direct, 75, 47), 0x00C080FF, 2)) << "sub-viewport clear";
  EXPECT_TRUE(NearColor(At(direct, 66, 42), 0xFF00FFFF, 2)) << "quad in the sub-viewport";
  EXPECT_TRUE(NearColor(At(direct, 59, 40), 0x102030FF, 2)) << "outside the sub-viewport";
  EXPECT_FALSE(NearColor(At(direct, 48, 18), 0x102030FF, 8)) << "the kept triangle";
  d.Present();
  EXPECT_TRUE(d.DrawsDirect());
}

TEST(WindowTarget, ReadingTheBackBufferMidFrameCarriesTheFrameSoFar) {
  auto device = WindowDevice(kW, kH);
  if (!device) GTEST_SKIP() << "no EGL pbuffer";
  GpuDevice& d = *device;
  d.SetRenderState(D3DRS_LIGHTING, 0);
  d.SetRenderState(D3DRS_ZENABLE, 1);
  d.SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  d.SetDrawDirect(true);
  d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  Quad(d, 0, 0, 48, 32, 0.2f, 0xFFFF0000);  // near, top left
  const Image soFar = d.ReadBackBuffer();
  EXPECT_FALSE(d.DrawsDirect());
  EXPECT_TRUE(NearColor(At(soFar, 10, 5), 0xFF0000FF, 0));
  EXPECT_TRUE(NearColor(At(soFar, 10, 50), 0x000000FF, 0));
  // The rest of the frame: a far quad over everything, which the carried
  // depth hides behind the near one.
  Quad(d, 0, 0, float(kW), float(kH), 0.6f, 0xFF0000FF);
  const Image whole = d.ReadBackBuffer();
  EXPECT_TRUE(NearColor(At(whole, 10, 5), 0xFF0000FF, 0)) << "depth was not carried";
  EXPECT_TRUE(NearColor(At(whole, 10, 50), 0x0000FFFF, 0));
  d.Present();
  ExpectSamePicture(ReadWindow(d), whole, "presented after leaving the window");
  EXPECT_TRUE(d.DrawsDirect()) << "the next frame goes back to the window";

  // Sampling the back buffer in a direct frame reads the frame so far too.
  d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF00FF00, 1.0f, 0);
  d.SetTexture(0, d.GetBackBuffer()->Texture());
  EXPECT_FALSE(d.DrawsDirect());
  d.SetTexture(0, nullptr);
  EXPECT_TRUE(NearColor(At(d.ReadBackBuffer(), 40, 40), 0x00FF00FF, 0));
  d.Present();
}

// Showcase slides, stepped at 25 frames a second like `glimmer render`, the
// wanted frame drawn once into the window and once into the texture.
void RenderShowTwice(const std::string& name, const std::vector<int>& frames) {
  const auto path = std::filesystem::path(GLIMMER_BINARY).parent_path() / "shows" / (name + ".dds");
  auto device = WindowDevice(160, 90);
  if (!device) GTEST_SKIP() << "no EGL pbuffer";
  std::vector<Image> pictures[2];
  for (int pass = 0; pass < 2; ++pass) {
    SeedRandom(1);
    ShowDocument doc = LoadShow(ReadWholeFile(path, kMaxDocumentBytes));
    device->Reset({160, 90, true});
    device->SetDrawDirect(pass == 0);
    RenderContext context;
    doc.resources->Attach(*device);
    ScreenScope scope(doc.resources->ScreenFor(device.get(), &context));
    doc.show->Instantiate(1);
    size_t next = 0;
    for (int k = 0; next < frames.size(); ++k) {
      doc.show->AdvanceShow(float(k) / 25.0f);
      if (k != frames[next]) continue;
      doc.show->RenderShow();
      if (pass == 0) {
        EXPECT_TRUE(device->DrawsDirect()) << name << " frame " << k;
        pictures[0].push_back(ReadWindow(*device));
      } else {
        pictures[1].push_back(device->ReadBackBuffer());
      }
      device->Present();
      ++next;
    }
  }
  for (size_t i = 0; i < frames.size(); ++i)
    ExpectSamePicture(pictures[0][i], pictures[1][i], name + " frame " + std::to_string(frames[i]));
}

TEST(WindowTarget, ShowcaseSlidesMatchTheTexturePath) {
  // Heat haze and the background copy capture the scene; the particle
  // showcase has bursts and sprays through the camera; the 3D objects are
  // culled meshes with depth.
  RenderShowTwice("effects", {62, 1112});
  RenderShowTwice("particles", {62});
  RenderShowTwice("models", {62});
}

}  // namespace
}  // namespace glimmer::testing
