#include "scene/slides/glass_ball.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

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

// A pre-transformed vertex with one texture coordinate set (the background).
struct BackgroundVertex {
  float x, y, z, rhw, u, v;
};
constexpr uint32_t kScreenFvf = D3DFVF_XYZRHW | D3DFVF_TEX1;

// A vertex of the ball's quads: position and two texture coordinate sets.
struct BallVertex {
  float x, y, z, u0, v0, u1, v1;
};
constexpr uint32_t kBallFvf = D3DFVF_XYZ | D3DFVF_TEX2;

// A quad from (l, b) to (r, t) in the ball's plane (y up) as a strip,
// texture 0 … 1 from its top left.
std::array<BallVertex, 4> Quad(float l, float b, float r, float t) {
  return {
      {{l, b, 0, 0, 1, 0, 1}, {l, t, 0, 0, 0, 0, 0}, {r, b, 0, 1, 1, 1, 1}, {r, t, 0, 1, 0, 1, 0}}};
}

// The camera's distance from the ball's plane and its field of view.
constexpr float kEyeDistance = 2001;
constexpr float kFieldOfView = std::numbers::pi_v<float> / 4;
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
  if (!(W > 0 && H > 0)) return;
  const TexturePtr background = backgroundImage_ ? backgroundImage_ : gradient_;
  // The background fills the screen.
  kSlideState.Apply(d);
  d.SetFVF(kScreenFvf);
  d.SetTexture(0, background);
  const BackgroundVertex full[4] = {{-0.5f, H - 0.5f, 0, 1, 0, 1},
                                    {-0.5f, -0.5f, 0, 1, 0, 0},
                                    {W - 0.5f, H - 0.5f, 0, 1, 1, 1},
                                    {W - 0.5f, -0.5f, 0, 1, 1, 0}};
  d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, full, sizeof(BackgroundVertex));

  // The 3D view: the eye on the axis looking at the ball's plane through a
  // square frustum stretched over the screen. World units per screen pixel
  // in that plane, across and down.
  const float unitsDown = 2 * kEyeDistance * std::tan(kFieldOfView / 2) / H;
  const float unitsAcross = unitsDown * H / W;
  D3DXMATRIX view, projection;
  const D3DXVECTOR3 eye{0, 0, -kEyeDistance}, at{0, 0, 0}, up{0, 1, 0};
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  D3DXMatrixPerspectiveFovLH(&projection, kFieldOfView, 1, 1, 3000);
  // The ball: centred, shifted by the offset (screen pixels, y down), its
  // radius from BallSize; the quad is 512 units square, scaled by half and
  // then to the radius, squeezed across so it stays round on the screen.
  const float size = float(std::min(BallSize.Value(), 400u));
  const float radius = 0.42f * std::min(W, H) * (size * 0.0075f + 0.25f);
  const float k = radius * unitsDown / 128;
  const float cx = float(BallOffset.x) * unitsAcross, cy = -float(BallOffset.y) * unitsDown;
  D3DXMATRIX world, scaling, placing;
  D3DXMatrixScaling(&scaling, 0.5f * k * unitsAcross / unitsDown, 0.5f * k, 1);
  D3DXMatrixTranslation(&placing, cx, cy, 0);
  world = scaling * placing;
  d.SetTransform(D3DTS_WORLD, world);
  d.SetTransform(D3DTS_VIEW, view);
  d.SetTransform(D3DTS_PROJECTION, projection);
  const auto ball = Quad(-256, -256, 256, 256);

  // The slide projected from the eye onto the ball: stage 1 takes the
  // camera-space position and divides by its depth, so the ball's square
  // shows the whole slide; the wobble swings the slide about the ball's
  // vertical axis (in perspective), scrolling slides it round, wrapping.
  const float halfW = 128 * k * unitsAcross / unitsDown, halfH = 128 * k;
  const float lens = 1 + float(std::min(Lens.Value(), 400u)) / 100;
  const bool scrolling = Motion.Value() == 1 || Motion.Value() == 2;
  float shift = 0;
  if (scrolling) {
    const float T = total_ * (Motion.Value() == 1 ? -0.5f : 0.5f);
    shift = T - std::floor(T);
  }
  D3DXMATRIX toCentre, swing, back3, onto;
  D3DXMatrixTranslation(&toCentre, -cx, -cy, -kEyeDistance);
  const float wobbleRange = float(std::min(Lens.Value(), 400u)) * 0.5f * 0.125f / 100 + 0.125f;
  D3DXMatrixRotationY(&swing, wobble_ * wobbleRange);
  D3DXMatrixTranslation(&back3, cx, cy, kEyeDistance);
  D3DXMatrixIdentity(&onto);
  const float z = kEyeDistance;
  onto.m[0][0] = 1 / (2 * halfW);
  onto.m[1][1] = -1 / (2 * halfH);
  onto.m[2][0] = (0.5f + shift - cx / (2 * halfW)) / z;
  onto.m[2][1] = (0.5f + cy / (2 * halfH)) / z;
  onto.m[2][2] = 0;
  onto.m[2][3] = 1 / z;
  onto.m[3][3] = 0;
  d.SetTransform(D3DTS_TEXTURE1, toCentre * swing * back3 * onto);
  const BumpBlock bent{.base = kSlideState,
                       .matrix = {0.2f * lens, 0, 0, 0.25f * lens},
                       .bumpAddress = D3DTADDRESS_CLAMP,
                       .stage1Address = scrolling ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP,
                       .stage1Coords = D3DTSS_TCI_CAMERASPACEPOSITION | 1,
                       .stage1Transform = D3DTTFF_COUNT4 | D3DTTFF_PROJECTED};
  bent.Apply(d);
  d.SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  d.SetFVF(kBallFvf);
  d.SetTexture(0, ballBump_);
  d.SetTexture(1, slide);
  d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, ball.data(), sizeof(BallVertex));
  d.SetTexture(1, nullptr);

  // The glass: the overlays that are shown, without the wobble.
  kNormalAlpha.Apply(d);
  d.SetFVF(kBallFvf);
  for (const TexturePtr& over : {ShowOverlay1.Value() ? overlay1_ : TexturePtr{},
                                 ShowOverlay2.Value() ? overlay2_ : TexturePtr{}}) {
    if (!over) continue;
    d.SetTexture(0, over);
    d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, ball.data(), sizeof(BallVertex));
  }
  // The background again outside the circle (the square's corners and a
  // thin ring inside its outline), through the mask's alpha: stage 1 maps
  // camera-space positions through the projection to the screen, so the
  // background lines up with the one behind.
  D3DXMATRIX toScreen;
  D3DXMatrixIdentity(&toScreen);
  toScreen.m[0][0] = 0.5f;
  toScreen.m[1][1] = -0.5f;
  toScreen.m[2][2] = 0;
  toScreen.m[3][0] = 0.5f;
  toScreen.m[3][1] = 0.5f;
  d.SetTransform(D3DTS_TEXTURE1, projection * toScreen);
  constexpr StateBlock kMasked{.blend = true};
  kMasked.Apply(d);
  d.SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION | 1);
  d.SetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT4 | D3DTTFF_PROJECTED);
  d.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  d.SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  d.SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  d.SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
  d.SetSamplerState(1, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  d.SetSamplerState(1, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
  d.SetTexture(0, ballMask_);
  d.SetTexture(1, background);
  d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, ball.data(), sizeof(BallVertex));
  d.SetTexture(1, nullptr);
  if (ShowBelow.Value() && below_) {
    // Below the ball, in the ball's plane.
    const auto belowQuad = Quad(-230.4f, -372.19f, 232.9f, -185.6f);
    kNormalAlpha.Apply(d);
    d.SetFVF(kBallFvf);
    d.SetTexture(0, below_);
    d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, belowQuad.data(), sizeof(BallVertex));
  }
  kSlideState.Apply(d);
}

}  // namespace glimmer
