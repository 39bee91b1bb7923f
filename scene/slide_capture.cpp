// ZT_2D_Light's scene copies: the capture targets a frame draws into while
// layers sample the scene, flipping between them, the copy groups of layers
// drawn apart behind a copy boundary, and the device objects that size them.

#include <algorithm>
#include <stdexcept>

#include "document/resource_manager.h"
#include "render/state_blocks.h"
#include "scene/slide.h"

namespace glimmer {

namespace {
int g_captureScaleLimit = 3;
// A captured group laid over the scene as its layer would have drawn it.
constexpr StateBlock kCapturedOver{.blend = true};
}  // namespace

void ZT_2D_Light::SetCaptureScaleLimit(int k) {
  g_captureScaleLimit = std::clamp(k, 1, 3);
}

bool ZT_2D_Light::MakeCaptureTargets() {
  if (capture_.targets[0]) return true;
  if (capture_.width == 0) return false;
  GpuDevice& d = Device();
  // The size chosen when the device was restored, or smaller multiples of
  // the back buffer should the device refuse it.
  const D3DSURFACE_DESC back = d.GetBackBufferDesc();
  const uint32_t chosen = back.Width ? capture_.width / back.Width : 1;
  for (uint32_t k = chosen; k >= 1; --k) {
    std::array<TexturePtr, 3> made;
    bool ok = true;
    for (TexturePtr& t : made) {
      t = d.CreateTexture(back.Width * k, back.Height * k, 1, D3DUSAGE_RENDERTARGET,
                          D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
      ok = ok && t;
    }
    if (!ok) continue;
    capture_.targets = made;
    const D3DSURFACE_DESC level = made[0]->GetLevelDesc(0);
    capture_.width = level.Width;
    capture_.height = level.Height;
    return true;
  }
  capture_.width = capture_.height = 0;
  return false;
}

void ZT_2D_Light::BeginCapture() {
  GpuDevice& d = Device();
  MakeCaptureTargets();
  TexturePtr& target = capture_.targets[size_t(capture_.index)];
  if (!target) return;
  capture_.savedPosition = picturePosition;
  capture_.savedTarget = d.GetRenderTarget(0);
  capture_.savedDepth = d.GetDepthStencilSurface();
  d.SetRenderTarget(0, target->GetSurfaceLevel(0));
  d.SetDepthStencilSurface(nullptr);
  capture_.savedScreen = screen_;
  screen_ = {0, 0, float(capture_.width), float(capture_.height)};
  capturing_ = true;
  picturePosition = 3;
  PlacePicture();
}

void ZT_2D_Light::FlipCapture(bool clear) {
  GpuDevice& d = Device();
  MakeCaptureTargets();
  sceneTexture_ = capture_.targets[size_t(capture_.index)];
  capture_.index = (capture_.index + 1) % 2;
  TexturePtr& next = capture_.targets[size_t(capture_.index)];
  if (!next) return;
  d.SetRenderTarget(0, next->GetSurfaceLevel(0));
  d.SetDepthStencilSurface(nullptr);
  if (clear) {
    d.Clear(D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
  } else {
    // The drawing goes on over the scene so far, not over what the target
    // held a frame ago.
    DrawCaptured(sceneTexture_, kSlideState);
  }
}

void ZT_2D_Light::DrawCaptured(const TexturePtr& texture, const StateBlock& state) {
  GpuDevice& d = Device();
  RenderContext& c = Context();
  // Drawn as the picture is: through the camera, without any layer's parallax.
  const D3DXMATRIX parallax = c.ParallaxMatrix;
  D3DXMatrixIdentity(&c.ParallaxMatrix);
  d.SetTransform(D3DTS_VIEW, c.View);
  d.SetTransform(D3DTS_PROJECTION, c.Projection);
  d.SetTransform(D3DTS_WORLD, c.GetWorld(D3DXMATRIX{}));
  c.ParallaxMatrix = parallax;
  d.SetTexture(0, texture);
  state.Apply(d);
  d.SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
  const float w = float(pictureWidth_), h = float(pictureHeight_);
  const PictureVertex quad[4] = {
      {0, h, 0, 0, 1}, {0, 0, 0, 0, 0}, {w, h, 0, 1, 1}, {w, 0, 0, 1, 0}};
  d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(PictureVertex));
}

void ZT_2D_Light::EndCapture(bool keep) {
  if (!capturing_) return;
  GpuDevice& d = Device();
  const TexturePtr captured = capture_.targets[size_t(capture_.index)];
  if (capture_.savedTarget) d.SetRenderTarget(0, capture_.savedTarget);
  d.SetDepthStencilSurface(capture_.savedDepth);
  capture_.savedTarget.reset();
  capture_.savedDepth.reset();
  if (keep) d.Clear(D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
  capturing_ = false;
  screen_ = capture_.savedScreen;
  picturePosition = capture_.savedPosition;
  PlacePicture();
  // The captured scene becomes the picture, seen through the camera.
  if (!keep) DrawCaptured(captured, kSlideState);
  // An object that keeps the copy draws the final image from it itself.
  sceneTexture_ = captured;
}

void ZT_2D_Light::CopyScene(int, bool keep) {
  // The copies still to take are counted down across the frame's layers.
  const int remaining = --remainingCopies_;
  if (remaining >= 1) {
    FlipCapture(keep);
  } else {
    EndCapture(keep);
  }
  if (keep) {
    flags_ |= 2;
  } else {
    flags_ &= ~1u;
  }
}

void ZT_2D_Light::ReleaseCaptureTargets() {
  if (capturing_) return;
  capture_.targets = {};
}

void ZT_2D_Light::RestoreDeviceObjects() {
  GpuDevice& d = Device();
  kSlideState.Apply(d);
  if (QVX_DocResManager* resources = QVX_DocResManager::Current()) resources->OnResetDevice();
  // Capture targets at 3, 2 or 1 times the back buffer: the largest the
  // device takes. They are made when a frame first captures, so a slide
  // without scene copies never holds them.
  const D3DSURFACE_DESC back = d.GetBackBufferDesc();
  capture_.targets = {};
  capture_.width = capture_.height = 0;
  const uint32_t limit = d.MaxTextureSize();
  for (uint32_t k = uint32_t(g_captureScaleLimit); k >= 1; --k) {
    const uint32_t w = back.Width * k, h = back.Height * k;
    if (w == 0 || h == 0 || w > limit || h > limit) continue;
    capture_.width = w;
    capture_.height = h;
    break;
  }
  capture_.index = 0;
  sceneTexture_ = pictureTexture_;
}

void ZT_2D_Light::ReleaseDeviceObjects() {
  capture_.targets = {};
  capture_.width = capture_.height = 0;
  sceneTexture_.reset();
}

bool ZT_2D_Light::BeginGroup() {
  const TexturePtr& target = capture_.targets[2];
  if (!capturing_ || !target) return false;
  GpuDevice& d = Device();
  d.SetRenderTarget(0, target->GetSurfaceLevel(0));
  d.Clear(D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
  return true;
}

void ZT_2D_Light::EndGroup() {
  GpuDevice& d = Device();
  d.SetRenderTarget(0, capture_.targets[size_t(capture_.index)]->GetSurfaceLevel(0));
  sceneTexture_ = capture_.targets[2];
  // The group joins the scene it was drawn apart from, so the copy the
  // boundary takes next holds it.
  DrawCaptured(sceneTexture_, kCapturedOver);
}
}  // namespace glimmer
