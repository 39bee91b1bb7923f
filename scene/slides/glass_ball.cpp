#include "scene/slides/glass_ball.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "document/resource_manager.h"
#include "params/animated_params.h"
#include "params/param_serialization.h"
#include "render/state_blocks.h"
#include "scene/slides/slide_support.h"
#include "store/archive.h"
#include "store/class_registry.h"

namespace glimmer {

GLIMMER_REGISTER_CLASS(SlideRegistry, ZT_GlassBallLight)

void ZT_GlassBallLight::Serialize(Archive& ar, int32_t version) {
  Field(ar, "OverlayImage1", OverlayImage1);
  Field(ar, "OverlayImage2", OverlayImage2);
  Field(ar, "BelowImage", BelowImage);
  Field(ar, "BackgroundImage", BackgroundImage);
  Field(ar, "Speed", Speed);
  Field(ar, "BallOffset", BallOffset);
  Field(ar, "BallSize", BallSize);
  Field(ar, "Lens", Lens);
  Field(ar, "ShowOverlay1", ShowOverlay1);
  Field(ar, "ShowOverlay2", ShowOverlay2);
  Field(ar, "ShowBelow", ShowBelow);
  Field(ar, "UseBackgroundImage", UseBackgroundImage);
  Field(ar, "Motion", Motion);
  Field(ar, "Colour1", Colour1);
  Field(ar, "Colour2", Colour2);
  if (ar.IsReading() && version < 2) Speed.SetValue(2 * Speed.Value() / 3 + 33);
  SerializeBase<ZT_2D_Light>(ar, *this);
}

std::vector<int16_t> ZT_GlassBallLight::BallBumpTexels() {
  constexpr int n = 256;
  const auto z = [](int r, int c) {
    const double q = double((r - 128) * (r - 128) + (c - 128) * (c - 128));
    return q <= 16384 ? std::sqrt(16384 - q) : 0.0;
  };
  std::vector<int16_t> texels(size_t(n) * n * 2);
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      // The last column and row take the texel itself as their neighbour.
      const int cr = c + 1 < n ? c + 1 : c, rr = r + 1 < n ? r + 1 : r;
      const int du = c + 1 < n ? int(std::atan(z(r, c) - z(r, cr)) * 16297.466) : 0;
      const int dv = c + 1 < n ? int(std::atan(z(r, c) - z(rr, c)) * 16297.466) : 0;
      texels[(size_t(r) * n + size_t(c)) * 2] = int16_t(du);
      texels[(size_t(r) * n + size_t(c)) * 2 + 1] = int16_t(dv);
    }
  }
  return texels;
}

std::vector<uint8_t> ZT_GlassBallLight::BallMaskTexels() {
  constexpr int n = 1024;
  std::vector<uint8_t> texels(size_t(n) * n);
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      const int a = y - 512, b = x - 512;
      texels[size_t(y) * n + size_t(x)] = a * a + b * b > 258064 ? 255 : 0;
    }
  }
  return texels;
}

std::vector<uint8_t> ZT_GlassBallLight::GradientTexels() const {
  std::vector<uint8_t> texels(256 * 256 * 4);
  for (int i = 0; i < 256; ++i) {
    const float x = float(i) / 255;
    const auto channel = [&](uint8_t c1, uint8_t c2) {
      return uint8_t(int((float(c2) - float(c1)) * x + float(c1)));
    };
    const uint8_t row[4] = {channel(Colour1.Blue(), Colour2.Blue()),
                            channel(Colour1.Green(), Colour2.Green()),
                            channel(Colour1.Red(), Colour2.Red()), 255};
    for (int c = 0; c < 256; ++c) std::copy_n(row, 4, &texels[(size_t(i) * 256 + size_t(c)) * 4]);
  }
  return texels;
}

namespace {
// A white highlight up left and a darker rim: the glass's own shading,
// laid over the ball with its alpha.
Image ShineImage() {
  constexpr uint32_t n = 256;
  Image image{n, n, std::vector<uint8_t>(size_t{n} * n * 4)};
  for (uint32_t y = 0; y < n; ++y) {
    for (uint32_t x = 0; x < n; ++x) {
      const float px = (float(x) + 0.5f) / n * 2 - 1, py = (float(y) + 0.5f) / n * 2 - 1;
      const float r = std::sqrt(px * px + py * py);
      uint8_t* p = image.Pixel(x, y);
      if (r > 1) {
        p[0] = p[1] = p[2] = p[3] = 0;
        continue;
      }
      const float hx = px + 0.38f, hy = py + 0.42f;
      const float highlight = std::exp(-(hx * hx + hy * hy) * 14) * 0.85f;
      const float rim = std::pow(r, 6.0f) * 0.55f;
      const float a = std::clamp(highlight + rim, 0.0f, 1.0f);
      const float white = a > 0 ? highlight / a : 0;
      p[0] = p[1] = p[2] = uint8_t(std::clamp(white, 0.0f, 1.0f) * 255);
      p[3] = uint8_t(a * 255);
    }
  }
  return image;
}

// A pre-transformed vertex with two texture coordinate sets.
struct BallVertex {
  float x, y, z, rhw, u0, v0, u1, v1;
};
constexpr uint32_t kBallFvf = D3DFVF_XYZRHW | D3DFVF_TEX2;

// A screen rectangle as a strip, stage 0 spanning 0 … 1 and stage 1 the given range.
std::array<BallVertex, 4> Rectangle(float l, float t, float r, float b, float u0, float v0,
                                    float u1, float v1) {
  return {{{l - 0.5f, b - 0.5f, 0, 1, 0, 1, u0, v1},
           {l - 0.5f, t - 0.5f, 0, 1, 0, 0, u0, v0},
           {r - 0.5f, b - 0.5f, 0, 1, 1, 1, u1, v1},
           {r - 0.5f, t - 0.5f, 0, 1, 1, 0, u1, v0}}};
}
}  // namespace

void ZT_GlassBallLight::PrepareResources() {
  ZT_2D_Light::PrepareResources();
  GpuDevice* d = CurrentDevice();
  if (!d) return;
  QVX_DocResManager* resources = QVX_DocResManager::Current();
  const auto load = [&](const ZT_ImageFileLink& link) {
    if (!resources) return TexturePtr{};
    const TextureSet set = resources->GetLinkTextures(link);
    return set.empty() ? TexturePtr{} : set.Textures.front();
  };
  overlay1_ = load(OverlayImage1);
  overlay2_ = load(OverlayImage2);
  below_ = load(BelowImage);
  backgroundImage_ = UseBackgroundImage.Value() == 1 ? load(BackgroundImage) : nullptr;
  ballBump_ = d->CreateTexture(256, 256, 1, 0, D3DFMT_V16U16, D3DPOOL_MANAGED);
  if (ballBump_) ballBump_->UploadLevel(0, BallBumpTexels().data());
  ballMask_ = d->CreateTexture(1024, 1024, 1, 0, D3DFMT_A8, D3DPOOL_MANAGED);
  if (ballMask_) ballMask_->UploadLevel(0, BallMaskTexels().data());
  // The gradient with every level filled, so a minified background is the
  // gradient too.
  gradient_ = d->CreateTexture(256, 256, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  if (gradient_) {
    gradient_->UploadLevel(0, GradientTexels().data());
    gradient_->GenerateMips();
  }
  shine_ = MakeTexture(*d, ShineImage());
}

void ZT_GlassBallLight::RestoreDeviceObjects() {
  ZT_2D_Light::RestoreDeviceObjects();
  // The motion clock is the slide's own and starts with it.
  total_ = last_ = 0;
}

void ZT_GlassBallLight::AdvanceCamera(float t) {
  ZT_2D_Light::AdvanceCamera(t);
  if (t < last_) last_ = t;
  total_ += std::min(t - last_, kMaxClockStep) * Speed.Scaled() * 0.0625f;
  last_ = t;
  wobble_ = 0;
  if (Motion.Value() == 3) {
    const float f = total_ * 0.5f - std::floor(total_ * 0.5f);
    wobble_ = std::fabs(f * 2 - 1) * 2 - 1;
  }
}

void ZT_GlassBallLight::EndFrame(int flag) {
  (void)flag;
  EndCapture(true);
  const TexturePtr slide = sceneTexture_;
  GpuDevice& d = Device();
  const D3DSURFACE_DESC back = d.GetBackBufferDesc();
  const float W = float(back.Width), H = float(back.Height);
  const TexturePtr background = backgroundImage_ ? backgroundImage_ : gradient_;
  // The background fills the screen.
  kSlideState.Apply(d);
  d.SetFVF(kBallFvf);
  d.SetTexture(0, background);
  const auto full = Rectangle(0, 0, W, H, 0, 0, 1, 1);
  d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, full.data(), sizeof(BallVertex));

  // The ball: centred, shifted by the offset, its size from BallSize; Lens
  // strengthens the bend.
  const float size = float(std::min(BallSize.Value(), 400u));
  const float radius = 0.42f * std::min(W, H) * (size * 0.0075f + 0.25f);
  const float cx = W / 2 + float(BallOffset.x), cy = H / 2 + float(BallOffset.y);
  const float lens = 1 + float(std::min(Lens.Value(), 400u)) / 100;
  const float l = cx - radius, t = cy - radius, r = cx + radius, b = cy + radius;
  // The whole slide on the ball: the wobble sways it sideways, scrolling
  // slides it round (wrapping).
  float shift = wobble_ * 0.125f * lens;
  if (Motion.Value() == 1 || Motion.Value() == 2) {
    const float T = total_ * (Motion.Value() == 1 ? -0.5f : 0.5f);
    shift = T - std::floor(T);
  }
  const auto ball = Rectangle(l, t, r, b, shift, 0, 1 + shift, 1);
  d.SetTexture(0, ballBump_);
  d.SetTexture(1, slide);
  d.SetTextureStageState(0, D3DTSS_BUMPENVMAT00, FloatBits(0.2f * lens));
  d.SetTextureStageState(0, D3DTSS_BUMPENVMAT01, FloatBits(0));
  d.SetTextureStageState(0, D3DTSS_BUMPENVMAT10, FloatBits(0));
  d.SetTextureStageState(0, D3DTSS_BUMPENVMAT11, FloatBits(0.25f * lens));
  d.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_BUMPENVMAP);
  d.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  d.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
  d.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  d.SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  d.SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
  d.SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
  d.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  d.SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  d.SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  // Scrolling wraps round the ball; a still or wobbling slide keeps to its edges.
  const bool scrolling = Motion.Value() == 1 || Motion.Value() == 2;
  d.SetSamplerState(1, D3DSAMP_ADDRESSU, scrolling ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP);
  d.SetSamplerState(1, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
  d.SetSamplerState(1, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  d.SetSamplerState(1, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, ball.data(), sizeof(BallVertex));
  d.SetTexture(1, nullptr);

  // The glass: its shine, then the overlays that are there.
  kNormalAlpha.Apply(d);
  d.SetFVF(kBallFvf);
  for (const TexturePtr& over : {shine_, ShowOverlay1.Value() ? overlay1_ : TexturePtr{},
                                 ShowOverlay2.Value() ? overlay2_ : TexturePtr{}}) {
    if (!over) continue;
    d.SetTexture(0, over);
    d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, ball.data(), sizeof(BallVertex));
  }
  // The background again outside the circle (the square's corners and a
  // thin ring inside its outline), through the mask's alpha.
  const auto masked = Rectangle(l, t, r, b, l / W, t / H, r / W, b / H);
  d.SetTexture(0, ballMask_);
  d.SetTexture(1, background);
  d.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  d.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  d.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  d.SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
  d.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  d.SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  d.SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  d.SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
  d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, masked.data(), sizeof(BallVertex));
  d.SetTexture(1, nullptr);
  if (ShowBelow.Value() && below_) {
    const auto belowQuad = Rectangle(cx - radius * 0.9f, b - radius * 0.1f, cx + radius * 0.9f,
                                     b + radius * 0.6f, 0, 0, 1, 1);
    kNormalAlpha.Apply(d);
    d.SetFVF(kBallFvf);
    d.SetTexture(0, below_);
    d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, belowQuad.data(), sizeof(BallVertex));
  }
  kSlideState.Apply(d);
}

}  // namespace glimmer
