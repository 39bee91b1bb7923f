#include "render/render_targets.h"

#include <algorithm>

#include "common/guid.h"
#include "platform/gpu/texture_loader.h"

namespace glimmer {
namespace {

void ClearTarget(GpuDevice& device) {
  device.Clear(D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
}

// Render target 0 = level 0 of `texture`, no depth-stencil surface.
void RedirectInto(GpuDevice& device, const TexturePtr& texture) {
  if (!texture) return;
  device.SetRenderTarget(0, texture->GetSurfaceLevel(0));
  device.SetDepthStencilSurface(nullptr);
}

}  // namespace

TexturePtr CreateRenderTarget(GpuDevice& device, uint32_t width, uint32_t height) {
  return device.CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                              D3DPOOL_DEFAULT);
}

QVX_LosableObj::QVX_LosableObj()
    : key_{Guid::Fresh().ToString(), 0}, registry_(CurrentLosableRegistry()) {
  if (registry_) registry_->AddLosable(key_, this);
}

QVX_LosableObj::~QVX_LosableObj() {
  if (registry_) registry_->RemoveLosable(key_);
}

void SavedTargets::Save(GpuDevice& device) {
  Target = device.GetRenderTarget(0);
  Depth = device.GetDepthStencilSurface();
}

void SavedTargets::Restore(GpuDevice& device) {
  if (Target) device.SetRenderTarget(0, Target);
  device.SetDepthStencilSurface(Depth);
  Target.reset();
  Depth.reset();
}

// ---------------------------------------------------------------- pre-render

void QVX_PrerenderSurface::OnResetDevice() {
  OnLostDevice();
  if (Width && Height) Texture = CreateRenderTarget(device_, Width, Height);
}

void QVX_PrerenderSurface::BeginRender(OffscreenRenderer& renderer) {
  Saved.Save(device_);
  RedirectInto(device_, Texture);
  renderer.BeginOffscreen(Width, Height, 3);
  if (Texture) ClearTarget(device_);
}

TexturePtr QVX_PrerenderSurface::EndRender(OffscreenRenderer& renderer) {
  Saved.Restore(device_);
  renderer.EndOffscreen();
  return Texture;
}

// ---------------------------------------------------------------- sets

bool RenderTargetSet::Create(uint32_t width, uint32_t height) {
  Width = width;
  Height = height;
  if (width == 0 || height == 0) return false;
  Release();
  for (TexturePtr& t : Targets) {
    t = CreateRenderTarget(device_, width, height);
    if (!t) return false;
  }
  Current = Targets[size_t(Index)];
  const D3DSURFACE_DESC d = Current->GetLevelDesc(0);
  Width = d.Width;
  Height = d.Height;
  return true;
}

bool RenderTargetSet::CreateFrom(const TexturePtr& picture, uint32_t width, uint32_t height) {
  const bool made = Create(width, height);
  if (made && picture) {
    Width = width;
    Height = height;
    LoadSurfaceFromSurface(Current->GetSurfaceLevel(0), picture->GetSurfaceLevel(0),
                           D3DX_FILTER_TRIANGLE);
  }
  return made;
}

void RenderTargetSet::Select(int i) {
  Index = i;
  Current = Targets[size_t(i)];
  if (Current) device_.SetRenderTarget(0, Current->GetSurfaceLevel(0));
}

void RenderTargetSet::BeginRender() {
  Saved.Save(device_);
  RedirectInto(device_, Current);
}

void RenderTargetSet::EndRender() {
  Saved.Restore(device_);
}

TexturePtr* RenderTargetSet::Flip(bool keep) {
  const int i = Index, o = (Index + 1) % 2;
  if (keep) {
    std::swap(Targets[size_t(i)], Targets[2]);
    Select(i);
    if (Current) ClearTarget(device_);
    // The spare now holds the scene drawn so far: that is the copy callers
    // sample while they draw on into the fresh target.
    return &Targets[2];
  }
  std::swap(Targets[size_t(o)], Targets[2]);
  return &Targets[size_t(o)];
}

void RenderTargetSet::Release() {
  Current.reset();
  for (TexturePtr& t : Targets) t.reset();
}

// ---------------------------------------------------------------- blur

QVX_BlurSurface::QVX_BlurSurface(GpuDevice& device) : device_(device) {}

void QVX_BlurSurface::OnLostDevice() {
  TargetA.reset();
  TargetB.reset();
}

void QVX_BlurSurface::OnResetDevice() {
  if (SourceWidth && SourceHeight) Rescale();
}

void QVX_BlurSurface::CreateForScreen() {
  // Stays on the device it was made for: the renderer's picture size is
  // given by the owner through SourceWidth and SourceHeight.
  if (SourceWidth && SourceHeight) Rescale();
}

void QVX_BlurSurface::SetStrength(uint32_t strength) {
  if (strength == strength_) return;
  strength_ = strength;
  Rescale();
}

void QVX_BlurSurface::Rescale() {
  const uint32_t r = 100 - std::min(strength_, 80u);
  Width = std::max(1u, static_cast<uint32_t>(static_cast<float>(SourceWidth * r) / 100.0f));
  Height = std::max(1u, static_cast<uint32_t>(static_cast<float>(SourceHeight * r) / 100.0f));
  TargetA.reset();
  TargetB.reset();
  TargetA = CreateRenderTarget(device_, Width, Height);
  TargetB = CreateRenderTarget(device_, Width, Height);
}

void QVX_BlurSurface::BeginBlur(OffscreenRenderer& renderer) {
  Saved.Save(device_);
  RedirectInto(device_, TargetA);
  renderer.BeginOffscreen(Width, Height, 3);
  if (TargetA) ClearTarget(device_);
}

void QVX_BlurSurface::BlurPass(OffscreenRenderer& renderer, const TexturePtr& destination,
                               const TexturePtr& source, const char* technique) {
  lastPasses_.push_back(technique);
  if (!destination || !BlurEffect) return;
  RedirectInto(device_, destination);
  ClearTarget(device_);
  BlurEffect->SetTexture("Texture", source);
  BlurEffect->SetTechnique(technique);
  renderer.DrawFx(renderer.GetPictureQuad(), *BlurEffect);
}

TexturePtr* QVX_BlurSurface::EndBlur(OffscreenRenderer& renderer, int iterations) {
  lastPasses_.clear();
  if (BlurEffect) {
    BlurEffect->SetFloat("TexW", static_cast<float>(Width));
    BlurEffect->SetFloat("TexH", static_cast<float>(Height));
  }
  BlurPass(renderer, TargetB, TargetA, "GaussianBlurVFirst");
  BlurPass(renderer, TargetA, TargetB, "GaussianBlurH");
  for (int i = 0; i < iterations; ++i) {
    BlurPass(renderer, TargetB, TargetA, "GaussianBlurV");
    BlurPass(renderer, TargetA, TargetB, "GaussianBlurH");
  }
  Saved.Restore(device_);
  renderer.EndOffscreen();
  return &TargetA;
}

}  // namespace glimmer
