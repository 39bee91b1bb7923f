// Direct3D's conventions on the OpenGL device: pixel centres, y down,
// top-left origin, transforms, culling, clears and targets.

#include "platform/gpu/d3dx_math.h"
#include "tests/platform/gpu/gpu_test_support.h"

namespace glimmer::testing {
namespace {

using Raster = GpuTest;

TEST_F(Raster, ClearFillsTheViewportOnly) {
  EXPECT_EQ(Pixel(0, 0), 0x000000FFu);
  device_->SetViewport({10, 5, 4, 3, 0, 1});
  device_->Clear(D3DCLEAR_TARGET, D3DCOLOR_ARGB(255, 255, 0, 0), 1, 0);
  const Image img = Back();
  auto red = [&](uint32_t x, uint32_t y) { return img.Pixel(x, y)[0] == 255; };
  EXPECT_TRUE(red(10, 5));
  EXPECT_TRUE(red(13, 7));
  EXPECT_FALSE(red(14, 7));
  EXPECT_FALSE(red(13, 8));
  EXPECT_FALSE(red(9, 5));
}

TEST_F(Raster, PreTransformedQuadCoversExactPixels) {
  DrawRect(2, 3, 6, 7, 0xFF00FF00);
  const Image img = Back();
  for (uint32_t y = 0; y < 10; ++y) {
    for (uint32_t x = 0; x < 10; ++x) {
      const bool inside = x >= 2 && x < 6 && y >= 3 && y < 7;
      EXPECT_EQ(img.Pixel(x, y)[1] == 255, inside) << x << "," << y;
    }
  }
}

TEST_F(Raster, TransformedQuadWithPixelOrthoMatchesPreTransformed) {
  // An orthographic projection over pixel coordinates, y downwards.
  D3DXMATRIX proj;
  D3DXMatrixOrthoOffCenterLH(&proj, -0.5f, kWidth - 0.5f, kHeight - 0.5f, -0.5f, 0, 1);
  device_->SetTransform(D3DTS_PROJECTION, proj);
  struct V {
    float x, y, z;
    D3DCOLOR c;
  };
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device_->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  // Vertices at whole coordinates run through pixel centres: the quad covers
  // pixels 10..29 by 10..19 under the top-left rule.
  const V shifted[4] = {{9.5f, 19.5f, 0.5f, 0xFFFF0000},
                        {9.5f, 9.5f, 0.5f, 0xFFFF0000},
                        {29.5f, 19.5f, 0.5f, 0xFFFF0000},
                        {29.5f, 9.5f, 0.5f, 0xFFFF0000}};
  device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, shifted, sizeof(V));
  const Image img = Back();
  EXPECT_EQ(img.Pixel(10, 10)[0], 255);
  EXPECT_EQ(img.Pixel(29, 19)[0], 255);
  EXPECT_EQ(img.Pixel(9, 10)[0], 0);
  EXPECT_EQ(img.Pixel(30, 19)[0], 0);
  EXPECT_EQ(img.Pixel(10, 9)[0], 0) << "y grows downwards: row 9 lies above the quad";
  EXPECT_EQ(img.Pixel(10, 20)[0], 0);
}

TEST_F(Raster, CullModesFollowDirect3DWinding) {
  // A triangle clockwise on screen (y down) is a front face.
  const TlVertex cw[3] = {{10, 10, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                          {30, 10, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                          {10, 30, 0.5f, 1, 0xFFFFFFFF, 0, 0}};
  const TlVertex ccw[3] = {cw[0], cw[2], cw[1]};
  device_->SetFVF(kTlFvf);
  struct Case {
    uint32_t cull;
    bool cwDrawn, ccwDrawn;
  } cases[] = {{D3DCULL_CCW, true, false}, {D3DCULL_CW, false, true}, {D3DCULL_NONE, true, true}};
  for (const Case& c : cases) {
    device_->SetRenderState(D3DRS_CULLMODE, c.cull);
    device_->Clear(D3DCLEAR_TARGET, 0, 1, 0);
    device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, cw, sizeof(TlVertex));
    EXPECT_EQ(Pixel(14, 14) != 0, c.cwDrawn) << c.cull;
    device_->Clear(D3DCLEAR_TARGET, 0, 1, 0);
    device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, ccw, sizeof(TlVertex));
    EXPECT_EQ(Pixel(14, 14) != 0, c.ccwDrawn) << c.cull;
  }
}

TEST_F(Raster, DepthTestAndWrite) {
  device_->SetRenderState(D3DRS_ZENABLE, 1);
  const TlVertex nearQuad[4] = {{0, 20, 0.2f, 1, 0xFFFF0000, 0, 0},
                                {0, 0, 0.2f, 1, 0xFFFF0000, 0, 0},
                                {20, 20, 0.2f, 1, 0xFFFF0000, 0, 0},
                                {20, 0, 0.2f, 1, 0xFFFF0000, 0, 0}};
  TlVertex farQuad[4];
  for (int i = 0; i < 4; ++i) {
    farQuad[i] = nearQuad[i];
    farQuad[i].z = 0.8f;
    farQuad[i].color = 0xFF0000FF;
  }
  device_->SetFVF(kTlFvf);
  device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, nearQuad, sizeof(TlVertex));
  device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, farQuad, sizeof(TlVertex));
  EXPECT_TRUE(NearColor(Pixel(5, 5), 0xFF0000FF, 0)) << "the far quad is hidden";
  device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
  device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, farQuad, sizeof(TlVertex));
  EXPECT_TRUE(NearColor(Pixel(5, 5), 0x0000FFFF, 0));
}

TEST_F(Raster, RenderTargetRoundTripResetsTheViewport) {
  TexturePtr rt =
      device_->CreateTexture(16, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  ASSERT_NE(rt, nullptr);
  SurfacePtr saved = device_->GetRenderTarget(0);
  device_->SetRenderTarget(0, rt->GetSurfaceLevel(0));
  EXPECT_EQ(device_->GetViewport().Width, 16u);
  EXPECT_EQ(device_->GetViewport().Height, 8u);
  device_->SetDepthStencilSurface(nullptr);
  device_->Clear(D3DCLEAR_TARGET, 0x80102030, 1, 0);
  DrawRect(0, 0, 4, 2, 0xFFFFFFFF);
  device_->SetRenderTarget(0, saved);
  EXPECT_EQ(device_->GetViewport().Width, kWidth);
  const Image img = rt->ReadLevel(0);
  EXPECT_EQ(img.Pixel(0, 0)[0], 255) << "row 0 is the top of the target";
  EXPECT_EQ(img.Pixel(3, 1)[0], 255);
  EXPECT_EQ(img.Pixel(4, 1)[0], 0x10);
  EXPECT_EQ(img.Pixel(0, 2)[3], 0x80);
  EXPECT_EQ(Pixel(0, 0), 0x000000FFu) << "the back buffer was not drawn";
}

TEST_F(Raster, TargetTextureSamplesRightWayUp) {
  TexturePtr rt =
      device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  SurfacePtr saved = device_->GetRenderTarget(0);
  device_->SetRenderTarget(0, rt->GetSurfaceLevel(0));
  device_->Clear(D3DCLEAR_TARGET, 0xFF0000FF, 1, 0);
  DrawRect(0, 0, 8, 4, 0xFFFF0000);  // top half red
  device_->SetRenderTarget(0, saved);
  device_->SetTexture(0, rt);
  DrawRect(0, 0, 8, 8, 0xFFFFFFFF);
  EXPECT_TRUE(NearColor(Pixel(4, 1), 0xFF0000FF, 0)) << "the top of the texture at the top";
  EXPECT_TRUE(NearColor(Pixel(4, 6), 0x0000FFFF, 0));
}

TEST_F(Raster, LineListsAndFans) {
  device_->SetFVF(kTlFvf);
  const TlVertex line[2] = {{5, 10.0f, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                            {40, 10.0f, 0.5f, 1, 0xFFFFFFFF, 0, 0}};
  device_->DrawPrimitiveUP(D3DPT_LINELIST, 1, line, sizeof(TlVertex));
  EXPECT_NE(Pixel(20, 10), 0x000000FFu);
  const TlVertex fan[4] = {{30, 30, 0.5f, 1, 0xFF00FF00, 0, 0},
                           {40, 30, 0.5f, 1, 0xFF00FF00, 0, 0},
                           {40, 40, 0.5f, 1, 0xFF00FF00, 0, 0},
                           {30, 40, 0.5f, 1, 0xFF00FF00, 0, 0}};
  device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, fan, sizeof(TlVertex));
  EXPECT_TRUE(NearColor(Pixel(35, 35), 0x00FF00FF, 0));
}

}  // namespace
}  // namespace glimmer::testing
