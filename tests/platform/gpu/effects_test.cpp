// Effects: the blur kernel of 202 and the blend techniques of 97, against
// the formulas they implement.

#include <cmath>

#include "platform/gpu/builtin_effects.h"
#include "render/blur_effect.h"
#include "tests/platform/gpu/gpu_test_support.h"

namespace glimmer::testing {
namespace {

using Effects = GpuTest;

// Draws a quad from (0, 0) to the target's size with texture coordinates
// 0..1, as the renderer's picture quad does: pixel i then samples u = i / W,
// the left edge of texel i, which the blur's base offset moves to its centre.
void FullTarget(GpuDevice& device) {
  const D3DVIEWPORT9 vp = device.GetViewport();
  const float w = float(vp.Width), h = float(vp.Height);
  const TlVertex v[4] = {{0, h, 0.5f, 1, 0xFFFFFFFF, 0, 1},
                         {0, 0, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                         {w, h, 0.5f, 1, 0xFFFFFFFF, 1, 1},
                         {w, 0, 0.5f, 1, 0xFFFFFFFF, 1, 0}};
  device.SetFVF(kTlFvf);
  device.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TlVertex));
}

double Binomial(int n, int k) {
  double r = 1;
  for (int i = 1; i <= k; ++i) r = r * (n - k + i) / i;
  return r;
}

TEST_F(Effects, RegistryKnowsTheModuleIds) {
  EXPECT_NE(CreateBuiltinEffect(*device_, u"common_res.dll", 202), nullptr);
  EXPECT_NE(CreateBuiltinEffect(*device_, u"C:\\Program Files\\Show\\COMMON_RES.DLL", 97), nullptr);
  EXPECT_EQ(CreateBuiltinEffect(*device_, u"common_res.dll", 12345), nullptr);
  EXPECT_EQ(CreateBuiltinEffect(*device_, u"other.dll", 202), nullptr);
  auto blur = CreateBuiltinEffect(*device_, u"common_res.dll", 202);
  for (const char* t : {"GaussianBlurVFirst", "GaussianBlurV", "GaussianBlurH"})
    EXPECT_TRUE(blur->HasTechnique(t));
  EXPECT_FALSE(blur->SetTechnique("NoSuchTechnique"));
  float sum = 0;
  for (int i = 0; i < 4; ++i) sum += (i == 0 ? 1 : 2) * kBlurWeights[i];
  EXPECT_NEAR(sum, 1.0f, 1e-6);
}

TEST_F(Effects, ATechniqueTheEffectLacksDrawsNothingRatherThanTheOneBefore) {
  auto blur = CreateBuiltinEffect(*device_, u"common_res.dll", 202);
  ASSERT_TRUE(blur->SetTechnique("GaussianBlurH"));
  EXPECT_GT(blur->Begin(), 0u);
  blur->End();
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(blur->SetTechnique("Untranslated"));
  blur->SetTechnique("Untranslated");
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(blur->Begin(), 0u) << "no passes: nothing is drawn";
  blur->BeginPass(0);
  blur->CommitChanges();
  blur->EndPass();
  blur->End();
  EXPECT_EQ(blur->Technique(), "");
  EXPECT_NE(said.find("has no technique \"Untranslated\""), std::string::npos) << said;
  EXPECT_EQ(said.find("Untranslated", said.find("Untranslated") + 20), std::string::npos)
      << "said once";
  ASSERT_TRUE(blur->SetTechnique("GaussianBlurV"));
  EXPECT_GT(blur->Begin(), 0u) << "a technique it has draws again";
  blur->End();
}

TEST_F(Effects, HorizontalBlurOfOneTexelGivesTheBinomialRow) {
  constexpr uint32_t W = 32, H = 4;
  TexturePtr src =
      device_->CreateTexture(W, H, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  TexturePtr dst =
      device_->CreateTexture(W, H, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  Image white{W, H, std::vector<uint8_t>(W * H * 4, 0)};
  for (uint32_t y = 0; y < H; ++y) std::fill_n(white.Pixel(16, y), 4, 255);
  src->UploadImage(0, white);

  auto blur = CreateBuiltinEffect(*device_, u"common_res.dll", 202);
  device_->SetRenderTarget(0, dst->GetSurfaceLevel(0));
  device_->SetDepthStencilSurface(nullptr);
  device_->Clear(D3DCLEAR_TARGET, 0, 1, 0);
  blur->SetFloat("TexW", float(W));
  blur->SetFloat("TexH", float(H));
  blur->SetTexture("Texture", src);
  ASSERT_TRUE(blur->SetTechnique("GaussianBlurH"));
  const uint32_t passes = blur->Begin();
  ASSERT_EQ(passes, 1u);
  blur->BeginPass(0);
  FullTarget(*device_);
  blur->EndPass();
  blur->End();

  const Image out = dst->ReadLevel(0);
  for (int j = -7; j <= 7; ++j) {
    const double expected = std::abs(j) <= 6 ? Binomial(16, 8 + j) / 65502.0 * 255.0 : 0.0;
    for (int c = 0; c < 4; ++c) {
      EXPECT_NEAR(out.Pixel(uint32_t(16 + j), 1)[c], expected, 1.5)
          << "texel " << j << " channel " << c;
    }
  }
  EXPECT_EQ(device_->GetPixelShader(), nullptr) << "End restores the fixed-function stages";
}

TEST_F(Effects, VerticalBlursSpreadAlongY) {
  constexpr uint32_t W = 4, H = 32;
  TexturePtr src =
      device_->CreateTexture(W, H, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  TexturePtr dst =
      device_->CreateTexture(W, H, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  Image line{W, H, std::vector<uint8_t>(W * H * 4, 0)};
  for (uint32_t x = 0; x < W; ++x) std::fill_n(line.Pixel(x, 16), 4, 255);
  src->UploadImage(0, line);
  auto blur = CreateBuiltinEffect(*device_, u"common_res.dll", 202);
  blur->SetFloat("TexW", float(W));
  blur->SetFloat("TexH", float(H));
  blur->SetTexture("Texture", src);
  for (const char* technique : {"GaussianBlurV", "GaussianBlurVFirst"}) {
    device_->SetRenderTarget(0, dst->GetSurfaceLevel(0));
    device_->Clear(D3DCLEAR_TARGET, 0, 1, 0);
    blur->SetTechnique(technique);
    blur->Begin();
    blur->BeginPass(0);
    FullTarget(*device_);
    blur->EndPass();
    blur->End();
    const Image out = dst->ReadLevel(0);
    if (std::string(technique) == "GaussianBlurV") {
      EXPECT_GT(out.Pixel(1, 16)[0], 40) << "peak on the line";
      EXPECT_EQ(out.Pixel(1, 15)[0], out.Pixel(1, 17)[0]) << "symmetric about it";
    } else {
      // VFirst samples half a texel further on: symmetric about 15.5.
      EXPECT_GT(out.Pixel(1, 15)[0], 20);
      EXPECT_NEAR(out.Pixel(1, 15)[0], out.Pixel(1, 16)[0], 1);
      EXPECT_NEAR(out.Pixel(1, 14)[0], out.Pixel(1, 17)[0], 1);
    }
    EXPECT_EQ(out.Pixel(1, 2)[0], 0) << technique;
    EXPECT_EQ(out.Pixel(0, 16)[0], out.Pixel(3, 16)[0]) << technique << ": nothing along x";
  }
}

class BlendTechniques : public GpuTest {
 protected:
  // Runs `technique` of effect 97 over a 1 × 1 target holding `target`
  // with the given textures and blend colour; returns the pixel.
  uint32_t Run(const char* technique, uint32_t target, uint32_t s, uint32_t l, D3DXVECTOR4 k,
               D3DCOLOR vertex = 0xFFFFFFFF) {
    auto fx = CreateBuiltinEffect(*device_, u"common_res.dll", 97);
    EXPECT_TRUE(fx->SetTechnique(technique));
    fx->SetTexture("Texture1", MakeTexture(1, 1, {s}));
    fx->SetTexture("Texture2", MakeTexture(1, 1, {l}));
    fx->SetVector("BlendColor", k);
    DrawFlat(target);
    fx->Begin();
    fx->BeginPass(0);
    DrawRect(0, 0, 1, 1, vertex);
    fx->EndPass();
    fx->End();
    return Pixel(0, 0);
  }
  void DrawFlat(uint32_t rgba) {
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    device_->SetTexture(0, nullptr);
    DrawRect(0, 0, 1, 1, (rgba & 0xFF) << 24 | rgba >> 8);
  }
};

uint32_t Pack(float r, float g, float b, float a) {
  auto c = [](float v) { return uint32_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); };
  return c(r) << 24 | c(g) << 16 | c(b) << 8 | c(a);
}

TEST_F(BlendTechniques, MaxKeepsTheLargerOfEveryChannel) {
  EXPECT_TRUE(NearColor(Run("Blend_Max", 0x80208040, 0x4060A0C0, 0, {}), 0x8060A0C0, 1));
}

TEST_F(BlendTechniques, NormalAndScreenFollowTheirFormulas) {
  const float S[4] = {0.8f, 0.4f, 0.2f, 0.6f}, L[4] = {0.2f, 0.6f, 1.0f, 0.8f};
  const D3DXVECTOR4 K{0.5f, 1.0f, 0.75f, 0.5f};
  const uint32_t s = Pack(S[0], S[1], S[2], S[3]), l = Pack(L[0], L[1], L[2], L[3]);
  // Quantise to the bytes the textures hold.
  auto q = [](float v) { return std::lround(v * 255) / 255.0f; };
  const float k[3] = {K.x, K.y, K.z};
  const float a = q(L[3]) * K.w;
  float normal[3], screen[3];
  for (int c = 0; c < 3; ++c) {
    normal[c] = q(S[c]) * (1 - a) + q(L[c]) * k[c] * a;
    screen[c] = q(S[c]) * (1 - a) + (1 - (1 - q(S[c])) * (1 - q(L[c]) * k[c])) * a;
  }
  const float alpha = q(S[3]) * (1 - a) + a * a;
  EXPECT_TRUE(NearColor(Run("Blend_Normal", 0x000000FF, s, l, K),
                        Pack(normal[0], normal[1], normal[2], alpha), 1));
  EXPECT_TRUE(NearColor(Run("Blend_Screen", 0x000000FF, s, l, K),
                        Pack(screen[0], screen[1], screen[2], alpha), 1));
}

TEST_F(BlendTechniques, CommonDrawsTextureTimesVertexWithAlphaBlending) {
  // Texture (1, .5, 0, 1) × vertex (1, 1, 1, .5) over a blue target.
  const uint32_t out =
      Run("Common", 0x0000FFFF, 0xFF8000FF, 0, {}, D3DCOLOR_ARGB(128, 255, 255, 255));
  const float a = 128 / 255.f;
  EXPECT_TRUE(NearColor(out, Pack(1 * a, 0.5f * a, 1 - a, a * a + 1 * (1 - a)), 2));
}

}  // namespace
}  // namespace glimmer::testing
