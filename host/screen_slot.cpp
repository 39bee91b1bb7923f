#include "host/screen_slot.h"

#include "document/doc_res_manager.h"
#include "document/resource_manager.h"
#include "platform/gpu/texture_loader.h"
#include "render/vertex_pct.h"
#include "scene/slide_show.h"

namespace glimmer {

ScreenSlot::ScreenSlot(std::unique_ptr<SaverWindow> window, std::unique_ptr<GpuDevice> device,
                       bool draws)
    : window_(std::move(window)), device_(std::move(device)), draws_(draws) {}

ScreenSlot::~ScreenSlot() {
  // The show's objects go before the device they were made on.
  ScreenScope scope(Screen());
  show_.reset();
  splash_.reset();
}

ScreenContext ScreenSlot::Screen() {
  if (!show_ || !show_->resources)
    return {.device = device_.get(), .renderContext = &renderContext_, .playsSound = playsSound_};
  ScreenContext screen = show_->resources->ScreenFor(device_.get(), &renderContext_);
  screen.liveObjects = &show_->show->LiveObjects();
  screen.playsSound = playsSound_;
  return screen;
}

void ScreenSlot::DrawSplash() {
  GpuDevice& d = *device_;
  d.Clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  if (!splash_) {
    splash_ = CreateTextureFromFileInMemoryEx(d, BuiltinPicture(5), 0, 0, 1, 0, D3DFMT_A8R8G8B8,
                                              D3DPOOL_MANAGED, 4, 4, 0, nullptr);
  }
  const D3DSURFACE_DESC back = d.GetBackBufferDesc();
  const float side = float(back.Height) * 2 / 3;
  const float x0 = (float(back.Width) - side) / 2, y0 = (float(back.Height) - side) / 2;
  const DX_V::TL quad[4] = {{x0, y0 + side, 0.5f, 1, 0xFFFFFFFF, 0, 1},
                            {x0, y0, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                            {x0 + side, y0 + side, 0.5f, 1, 0xFFFFFFFF, 1, 1},
                            {x0 + side, y0, 0.5f, 1, 0xFFFFFFFF, 1, 0}};
  d.SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  d.SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  d.SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
  d.SetRenderState(D3DRS_ZENABLE, 0);
  d.SetTexture(0, splash_);
  d.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  d.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  d.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  d.SetFVF(DX_V::kTlFvf);
  d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(DX_V::TL));
  d.SetTexture(0, nullptr);
}

void ScreenSlot::RenderFrame(float appTime, std::span<const uint8_t> document,
                             int picturePosition) {
  if (!draws_) {
    device_->Clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    return;
  }
  if (showStarted_) {
    if (!firstPictureReady_) {
      // The loading picture stays until the first slide's picture is up.
      firstPictureReady_ = show_->show->PrepareFirstPicture();
      if (!firstPictureReady_) {
        DrawSplash();
        return;
      }
    }
    show_->show->AdvanceShow(appTime);
    device_->BeginScene();
    show_->show->RenderShow();
    device_->EndScene();
    return;
  }
  if (!splashShown_) {
    DrawSplash();
    splashShown_ = true;
    return;
  }
  // Second frame: this device's own copy of the show.
  showStarted_ = true;
  if (show_) {
    show_->show->RestoreDeviceObjects();
    return;
  }
  auto loaded = std::make_unique<ShowDocument>(LoadShow(document));
  loaded->resources->Attach(*device_);
  show_ = std::move(loaded);
  ScreenScope scope(Screen());
  show_->show->Instantiate(picturePosition);
}

void ScreenSlot::ReleaseDeviceObjects() {
  if (show_) show_->show->ReleaseDeviceObjects();
  if (show_ && show_->resources) show_->resources->OnLostDevice();
  restored = false;
}

void ScreenSlot::RestoreDeviceObjects() {
  if (show_ && showStarted_) show_->show->RestoreDeviceObjects();
  restored = true;
}

}  // namespace glimmer
