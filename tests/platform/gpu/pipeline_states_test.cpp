// Blending, texture stages, samplers, formats, lighting and the other
// fixed-function states, checked pixel by pixel against CPU expectations.

#include <cmath>
#include <cstring>

#include "platform/gpu/d3dx_math.h"
#include "tests/platform/gpu/gpu_test_support.h"

namespace glimmer::testing {
namespace {

using Pipeline = GpuTest;

uint32_t Bits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

// 0xRRGGBBAA from floats in 0..1.
uint32_t Rgba(float r, float g, float b, float a) {
  auto c = [](float v) { return uint32_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
  return (c(r) << 24) | (c(g) << 16) | (c(b) << 8) | c(a);
}

struct Color4 {
  float r, g, b, a;
};

float Factor(uint32_t f, const Color4& s, const Color4& d, int channel) {
  const float sc[4] = {s.r, s.g, s.b, s.a}, dc[4] = {d.r, d.g, d.b, d.a};
  switch (f) {
    case D3DBLEND_ZERO:
      return 0;
    case D3DBLEND_ONE:
      return 1;
    case D3DBLEND_SRCCOLOR:
      return sc[channel];
    case D3DBLEND_INVSRCCOLOR:
      return 1 - sc[channel];
    case D3DBLEND_SRCALPHA:
      return s.a;
    case D3DBLEND_INVSRCALPHA:
      return 1 - s.a;
    case D3DBLEND_DESTALPHA:
      return d.a;
    case D3DBLEND_INVDESTALPHA:
      return 1 - d.a;
    case D3DBLEND_DESTCOLOR:
      return dc[channel];
    case D3DBLEND_INVDESTCOLOR:
      return 1 - dc[channel];
    case D3DBLEND_SRCALPHASAT:
      return channel == 3 ? 1 : std::min(s.a, 1 - d.a);
  }
  return 0;
}

TEST_F(Pipeline, EveryBlendFactorAndOperation) {
  const Color4 dst{0.2f, 0.4f, 0.6f, 0.8f};
  const Color4 src{0.9f, 0.5f, 0.1f, 0.6f};
  const D3DCOLOR dstColor = D3DCOLOR_ARGB(204, 51, 102, 153);
  const D3DCOLOR srcColor = D3DCOLOR_ARGB(153, 230, 128, 26);
  const Color4 s{230 / 255.f, 128 / 255.f, 26 / 255.f, 153 / 255.f};
  const Color4 d{51 / 255.f, 102 / 255.f, 153 / 255.f, 204 / 255.f};
  (void)dst;
  (void)src;
  // Colour and alpha straight from the vertices.
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  int x = 0, y = 0;
  for (uint32_t op = D3DBLENDOP_ADD; op <= D3DBLENDOP_MAX; ++op) {
    for (uint32_t sf = D3DBLEND_ZERO; sf <= D3DBLEND_SRCALPHASAT; sf += 3) {
      for (uint32_t df = D3DBLEND_ZERO; df <= D3DBLEND_INVDESTCOLOR; df += 2) {
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
        DrawRect(float(x), float(y), float(x + 1), float(y + 1), dstColor);
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
        device_->SetRenderState(D3DRS_BLENDOP, op);
        device_->SetRenderState(D3DRS_SRCBLEND, sf);
        device_->SetRenderState(D3DRS_DESTBLEND, df);
        DrawRect(float(x), float(y), float(x + 1), float(y + 1), srcColor);
        float out[4];
        const float sc[4] = {s.r, s.g, s.b, s.a}, dc[4] = {d.r, d.g, d.b, d.a};
        for (int c = 0; c < 4; ++c) {
          const float a = sc[c] * Factor(sf, s, d, c), b = dc[c] * Factor(df, s, d, c);
          switch (op) {
            case D3DBLENDOP_ADD:
              out[c] = a + b;
              break;
            case D3DBLENDOP_SUBTRACT:
              out[c] = a - b;
              break;
            case D3DBLENDOP_REVSUBTRACT:
              out[c] = b - a;
              break;
            case D3DBLENDOP_MIN:
              out[c] = std::min(sc[c], dc[c]);
              break;  // factors ignored
            default:
              out[c] = std::max(sc[c], dc[c]);
              break;
          }
        }
        EXPECT_TRUE(NearColor(Pixel(x, y), Rgba(out[0], out[1], out[2], out[3]), 2))
            << "op " << op << " src " << sf << " dst " << df;
        if (++x == int(kWidth)) {
          x = 0;
          ++y;
        }
      }
    }
  }
}

TEST_F(Pipeline, ColorWriteEnableMasksChannels) {
  device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  device_->SetRenderState(D3DRS_COLORWRITEENABLE,
                          D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_ALPHA);
  DrawRect(0, 0, 4, 4, 0x80FFFFFF);
  EXPECT_EQ(Pixel(1, 1), 0xFF000080u);
}

TEST_F(Pipeline, AlphaTestDiscards) {
  device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  device_->SetRenderState(D3DRS_ALPHATESTENABLE, 1);
  device_->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
  device_->SetRenderState(D3DRS_ALPHAREF, 0x80);
  DrawRect(0, 0, 2, 2, 0x7FFFFFFF);
  DrawRect(2, 0, 4, 2, 0x81FFFFFF);
  EXPECT_EQ(Pixel(0, 0), 0x000000FFu);
  EXPECT_EQ(Pixel(2, 0), 0xFFFFFF81u);
}

TEST_F(Pipeline, StageOperationsAndArguments) {
  const TexturePtr tex = MakeTexture(1, 1, {0x40806080});  // r .25 g .5 b .375 a .5
  device_->SetTexture(0, tex);
  const D3DCOLOR diffuse = D3DCOLOR_ARGB(255, 128, 255, 64);
  const Color4 t{0x40 / 255.f, 0x80 / 255.f, 0x60 / 255.f, 0x80 / 255.f};
  const Color4 df{128 / 255.f, 1.0f, 64 / 255.f, 1.0f};
  struct Case {
    uint32_t op, arg1, arg2;
    uint32_t expected;
  } cases[] = {
      {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, Rgba(t.r, t.g, t.b, 1)},
      {D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, Rgba(df.r, df.g, df.b, 1)},
      {D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, Rgba(t.r * df.r, t.g * df.g, t.b * df.b, 1)},
      {D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE, Rgba(t.r + df.r, 1, t.b + df.b, 1)},
      {D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_TEXTURE, Rgba(df.r, df.g, df.b, 1)},
  };
  int x = 0;
  for (const Case& c : cases) {
    device_->SetTextureStageState(0, D3DTSS_COLOROP, c.op);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, c.arg1);
    device_->SetTextureStageState(0, D3DTSS_COLORARG2, c.arg2);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device_->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    DrawRect(float(x), 0, float(x + 1), 1, diffuse);
    EXPECT_TRUE(NearColor(Pixel(x, 0), c.expected, 1)) << "op " << c.op;
    ++x;
  }
  // Alpha from the texture, colour from the diffuse.
  device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  DrawRect(10, 0, 11, 1, diffuse);
  EXPECT_TRUE(NearColor(Pixel(10, 0), Rgba(df.r, df.g, df.b, t.a), 1));
  // A second stage modulating what the first produced.
  const TexturePtr half = MakeTexture(1, 1, {0x808080FF});
  device_->SetTexture(1, half);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device_->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device_->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
  device_->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
  device_->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
  DrawRect(12, 0, 13, 1, diffuse);
  const float h = 128 / 255.f;
  EXPECT_TRUE(NearColor(Pixel(12, 0), Rgba(df.r * h, df.g * h, df.b * h, t.a), 1));
  // Disabling stage 0 disables everything after it: the diffuse colour.
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE);
  DrawRect(14, 0, 15, 1, diffuse);
  EXPECT_TRUE(NearColor(Pixel(14, 0), Rgba(df.r, df.g, df.b, 1), 1));
}

TEST_F(Pipeline, MissingTextureReadsOpaqueWhite) {
  DrawRect(0, 0, 2, 2, 0xFF336699);  // default stage 0: texture × diffuse
  EXPECT_TRUE(NearColor(Pixel(0, 0), 0x336699FF, 0));
}

TEST_F(Pipeline, FormatsA8AndX8) {
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device_->SetTexture(0, MakeTexture(1, 1, {0xFFFFFF40}, D3DFMT_A8));
  DrawRect(0, 0, 1, 1, 0xFFFFFFFF);
  EXPECT_TRUE(NearColor(Pixel(0, 0), 0x00000040, 0)) << "A8 colour reads 0";
  device_->SetTexture(0, MakeTexture(1, 1, {0x11223300}, D3DFMT_X8R8G8B8));
  DrawRect(1, 0, 2, 1, 0xFFFFFFFF);
  EXPECT_TRUE(NearColor(Pixel(1, 0), 0x112233FF, 0)) << "X8R8G8B8 alpha reads 1";
}

TEST_F(Pipeline, AddressModesWithPointSampling) {
  const TexturePtr tex = MakeTexture(2, 1, {0xFF0000FF, 0x00FF00FF});
  device_->SetTexture(0, tex);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  struct V : TlVertex {};
  auto draw = [&](float x0, float u0, float u1) {
    const TlVertex v[4] = {{x0 - 0.5f, 0.5f, 0.5f, 1, 0xFFFFFFFF, u0, 1},
                           {x0 - 0.5f, -0.5f, 0.5f, 1, 0xFFFFFFFF, u0, 0},
                           {x0 + 7.5f, 0.5f, 0.5f, 1, 0xFFFFFFFF, u1, 1},
                           {x0 + 7.5f, -0.5f, 0.5f, 1, 0xFFFFFFFF, u1, 0}};
    device_->SetFVF(kTlFvf);
    device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TlVertex));
  };
  // u from 0 to 4 over 8 pixels: texel sequence per pixel centre.
  const uint32_t R = 0xFF0000FF, G = 0x00FF00FF;
  struct Case {
    uint32_t mode;
    uint32_t expected[8];
  } cases[] = {{D3DTADDRESS_WRAP, {R, G, R, G, R, G, R, G}},
               {D3DTADDRESS_MIRROR, {R, G, G, R, R, G, G, R}},
               {D3DTADDRESS_CLAMP, {R, G, G, G, G, G, G, G}}};
  int row = 0;
  for (const Case& c : cases) {
    device_->SetSamplerState(0, D3DSAMP_ADDRESSU, c.mode);
    device_->Clear(D3DCLEAR_TARGET, 0, 1, 0);
    draw(0, 0.0f, 4.0f);
    for (int i = 0; i < 8; ++i)
      EXPECT_EQ(Pixel(i, 0), c.expected[i]) << "mode " << c.mode << " pixel " << i;
    ++row;
  }
}

TEST_F(Pipeline, LinearFilteringBlendsTexels) {
  device_->SetTexture(0, MakeTexture(2, 1, {0x000000FF, 0xFFFFFFFF}));
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  device_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  // One pixel sampling u = 0.5, midway between the two texel centres.
  const TlVertex v[4] = {{-0.5f, 0.5f, 0.5f, 1, 0xFFFFFFFF, 0.25f, 0.5f},
                         {-0.5f, -0.5f, 0.5f, 1, 0xFFFFFFFF, 0.25f, 0.5f},
                         {0.5f, 0.5f, 0.5f, 1, 0xFFFFFFFF, 0.75f, 0.5f},
                         {0.5f, -0.5f, 0.5f, 1, 0xFFFFFFFF, 0.75f, 0.5f}};
  device_->SetFVF(kTlFvf);
  device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TlVertex));
  EXPECT_TRUE(NearColor(Pixel(0, 0), 0x808080FF, 2));
}

TEST_F(Pipeline, BumpEnvMapOffsetsTheNextStage) {
  // Stage 1 picture: left half red, right half blue (point sampled, 4 texels).
  const TexturePtr picture = MakeTexture(4, 1, {0xFF0000FF, 0xFF0000FF, 0x0000FFFF, 0x0000FFFF});
  // Stage 0 bump map V8U8: du = +0.5 everywhere (byte 64 → 64/127).
  const TexturePtr bump = device_->CreateTexture(1, 1, 1, 0, D3DFMT_V8U8, D3DPOOL_MANAGED);
  const int8_t duv[2] = {64, 0};
  bump->UploadLevel(0, duv);
  device_->SetTexture(0, bump);
  device_->SetTexture(1, picture);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_BUMPENVMAP);
  device_->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, Bits(1.0f));
  device_->SetTextureStageState(0, D3DTSS_BUMPENVMAT11, Bits(1.0f));
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device_->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device_->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
  // A pixel at u = 0.125 (red) moves by about +0.5 to u = 0.63 (blue).
  const TlVertex v[4] = {{-0.5f, 0.5f, 0.5f, 1, 0xFFFFFFFF, 0.125f, 0.5f},
                         {-0.5f, -0.5f, 0.5f, 1, 0xFFFFFFFF, 0.125f, 0.5f},
                         {0.5f, 0.5f, 0.5f, 1, 0xFFFFFFFF, 0.125f, 0.5f},
                         {0.5f, -0.5f, 0.5f, 1, 0xFFFFFFFF, 0.125f, 0.5f}};
  device_->SetFVF(kTlFvf);
  device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TlVertex));
  EXPECT_EQ(Pixel(0, 0), 0x0000FFFFu);
  // With a zero matrix there is no offset: red.
  device_->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, Bits(0.0f));
  device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TlVertex));
  EXPECT_EQ(Pixel(0, 0), 0xFF0000FFu);
  const Image read = bump->ReadLevel(0);
  EXPECT_NEAR(read.Pixel(0, 0)[0], 191, 1) << "V8U8 reads back mapped to 0..255";
}

TEST_F(Pipeline, DirectionalLightWithMaterial) {
  struct V {
    float x, y, z, nx, ny, nz;
  };
  D3DXMATRIX proj;
  D3DXMatrixOrthoOffCenterLH(&proj, -0.5f, kWidth - 0.5f, kHeight - 0.5f, -0.5f, 0, 10);
  device_->SetTransform(D3DTS_PROJECTION, proj);
  device_->SetRenderState(D3DRS_LIGHTING, 1);
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device_->SetRenderState(D3DRS_AMBIENT, D3DCOLOR_ARGB(255, 51, 51, 51));
  D3DLIGHT9 light;
  light.Diffuse = {1, 1, 1, 1};
  light.Direction[0] = 0, light.Direction[1] = 0,
  light.Direction[2] = 1;  // pointing into the screen
  device_->SetLight(0, light);
  device_->LightEnable(0, true);
  D3DMATERIAL9 mat;
  mat.Diffuse = {1, 0.5f, 0.25f, 1};
  mat.Ambient = {1, 1, 1, 1};
  device_->SetMaterial(mat);
  device_->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL);
  auto quad = [&](float x, float nz, float nx) {
    const V v[4] = {{x, 9.5f, 1, nx, 0, nz},
                    {x, -0.5f, 1, nx, 0, nz},
                    {x + 10, 9.5f, 1, nx, 0, nz},
                    {x + 10, -0.5f, 1, nx, 0, nz}};
    device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(V));
  };
  quad(-0.5f, -1, 0);  // facing the light
  quad(19.5f, 0, 1);   // edge-on: ambient only
  const float amb = 51 / 255.f;
  EXPECT_TRUE(NearColor(Pixel(5, 5), Rgba(1, 0.5f + amb, 0.25f + amb, 1), 2));
  EXPECT_TRUE(NearColor(Pixel(25, 5), Rgba(amb, amb, amb, 1), 2));
  // Specular highlight straight back at the viewer.
  device_->SetRenderState(D3DRS_SPECULARENABLE, 1);
  light.Specular = {1, 1, 1, 1};
  device_->SetLight(0, light);
  mat.Specular = {0.5f, 0.5f, 0.5f, 1};
  mat.Power = 10;
  mat.Diffuse = {0.2f, 0.2f, 0.2f, 1};
  mat.Ambient = {0, 0, 0, 1};
  device_->SetMaterial(mat);
  quad(39.5f, -1, 0);
  // A local viewer at the camera-space origin: the half vector between the
  // light and the direction from the point (45, 5, 1) back to the eye.
  const D3DXVECTOR3 view = Normalize(D3DXVECTOR3{-45, -5, -1});
  const D3DXVECTOR3 half = Normalize(D3DXVECTOR3{0, 0, -1} + view);
  const float highlight = 0.5f * std::pow(-half.z, 10.0f);
  EXPECT_TRUE(
      NearColor(Pixel(45, 5), Rgba(0.2f + highlight, 0.2f + highlight, 0.2f + highlight, 1), 2));
  // Lighting is per vertex: a small quad far along the view axis has every
  // vertex nearly straight ahead, so the highlight is almost full.
  D3DXMATRIX shift;
  D3DXMatrixTranslation(&shift, -45, -5, 0);
  device_->SetTransform(D3DTS_VIEW, shift);
  D3DXMATRIX centred;
  D3DXMatrixOrthoOffCenterLH(&centred, -45.5f, kWidth - 45.5f, kHeight - 5.5f, -5.5f, 0, 200);
  device_->SetTransform(D3DTS_PROJECTION, centred);
  const V axis[4] = {{44, 6, 100, 0, 0, -1},
                     {44, 4, 100, 0, 0, -1},
                     {46, 6, 100, 0, 0, -1},
                     {46, 4, 100, 0, 0, -1}};
  device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, axis, sizeof(V));
  const D3DXVECTOR3 cornerHalf =
      Normalize(D3DXVECTOR3{0, 0, -1} + Normalize(D3DXVECTOR3{-1, -1, -100}));
  const float full = 0.5f * std::pow(-cornerHalf.z, 10.0f);
  EXPECT_GT(full, 0.49f);
  EXPECT_TRUE(NearColor(Pixel(45, 5), Rgba(0.2f + full, 0.2f + full, 0.2f + full, 1), 2));
}

TEST_F(Pipeline, TextureTransformAndCameraSpaceCoordinates) {
  const TexturePtr tex = MakeTexture(2, 1, {0xFF0000FF, 0x00FF00FF});
  device_->SetTexture(0, tex);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  // Transformed quad with texture coordinates all 0; the texture matrix
  // translates u by 0.75 (2D coordinates take their translation from row 2).
  struct V {
    float x, y, z, u, v;
  };
  D3DXMATRIX proj;
  D3DXMatrixOrthoOffCenterLH(&proj, -0.5f, kWidth - 0.5f, kHeight - 0.5f, -0.5f, 0, 10);
  device_->SetTransform(D3DTS_PROJECTION, proj);
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  D3DXMATRIX tm;
  tm.m[2][0] = 0.75f;
  device_->SetTransform(D3DTS_TEXTURE0, tm);
  device_->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  const V v[4] = {{-0.5f, 3.5f, 1, 0, 0},
                  {-0.5f, -0.5f, 1, 0, 0},
                  {3.5f, 3.5f, 1, 0, 0},
                  {3.5f, -0.5f, 1, 0, 0}};
  device_->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
  device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(V));
  EXPECT_EQ(Pixel(1, 1), 0x00FF00FFu);
  // Coordinates from the camera-space position, projected: u = x / z with
  // the matrix scaling x by 1/64, so the left of the screen samples red.
  D3DXMATRIX gen;
  D3DXMatrixScaling(&gen, 1.0f / 64.0f, 1.0f, 1.0f);
  device_->SetTransform(D3DTS_TEXTURE0, gen);
  device_->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION);
  device_->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS,
                                D3DTTFF_COUNT3 | D3DTTFF_PROJECTED);
  const V wide[4] = {{-0.5f, 3.5f, 1, 0, 0},
                     {-0.5f, -0.5f, 1, 0, 0},
                     {63.5f, 3.5f, 1, 0, 0},
                     {63.5f, -0.5f, 1, 0, 0}};
  device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, wide, sizeof(V));
  EXPECT_EQ(Pixel(5, 1), 0xFF0000FFu);
  EXPECT_EQ(Pixel(50, 1), 0x00FF00FFu);
}

TEST_F(Pipeline, BumpedProjectiveCameraSpaceCoordinatesOnStageOne) {
  // Stage 1 reads the camera-space position through a four-component
  // projective transform: u = (x / 64) / (z × 0.5) at depth z = 2, so the
  // left of the screen samples red and the right blue; the third component
  // is 0, so dividing by it instead would sample nothing sensible.
  device_->SetTexture(1, MakeTexture(2, 1, {0xFF0000FF, 0x0000FFFF}));
  const TexturePtr bump = device_->CreateTexture(1, 1, 1, 0, D3DFMT_V8U8, D3DPOOL_MANAGED);
  const int8_t duv[2] = {64, 0};
  bump->UploadLevel(0, duv);
  device_->SetTexture(0, bump);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_BUMPENVMAP);
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device_->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device_->SetSamplerState(1, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  device_->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION | 1);
  device_->SetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS,
                                D3DTTFF_COUNT4 | D3DTTFF_PROJECTED);
  D3DXMATRIX gen;
  D3DXMatrixIdentity(&gen);
  gen.m[0][0] = 1.0f / 64.0f;
  gen.m[2][2] = 0;
  gen.m[2][3] = 0.5f;
  gen.m[3][3] = 0;
  device_->SetTransform(D3DTS_TEXTURE1, gen);
  D3DXMATRIX proj;
  D3DXMatrixOrthoOffCenterLH(&proj, -0.5f, kWidth - 0.5f, kHeight - 0.5f, -0.5f, 0, 10);
  device_->SetTransform(D3DTS_PROJECTION, proj);
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  struct V {
    float x, y, z, u, v;
  };
  const V wide[4] = {{-0.5f, 3.5f, 2, 0, 0},
                     {-0.5f, -0.5f, 2, 0, 0},
                     {63.5f, 3.5f, 2, 0, 0},
                     {63.5f, -0.5f, 2, 0, 0}};
  device_->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
  device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, wide, sizeof(V));
  EXPECT_EQ(Pixel(5, 1), 0xFF0000FFu) << "no bump matrix: no offset";
  EXPECT_EQ(Pixel(50, 1), 0x0000FFFFu);
  // The bump's du = 0.5 moves the left pixels' lookup into the blue half.
  device_->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, Bits(1.0f));
  device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, wide, sizeof(V));
  EXPECT_EQ(Pixel(5, 1), 0x0000FFFFu);
}

}  // namespace
}  // namespace glimmer::testing
