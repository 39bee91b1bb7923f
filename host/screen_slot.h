#pragma once
// Everything one device shows: the loading picture on its first frame, its
// own copy of the show from the second, and the render context and resource
// manager that are made current with the device.

#include <memory>
#include <span>

#include "platform/gpu/gpu_device.h"
#include "platform/window/saver_window.h"
#include "scene/render_context.h"
#include "show/show_document.h"

namespace glimmer {

class ScreenSlot {
 public:
  // `draws` false: a display left black, cleared every frame.
  ScreenSlot(std::unique_ptr<SaverWindow> window, std::unique_ptr<GpuDevice> device, bool draws);
  ~ScreenSlot();

  // This slot's device, render context, and its show's resources and live
  // objects once loaded: what a ScreenScope installs while working for it.
  ScreenContext Screen();
  // The first frame draws the loading picture, the second loads the show
  // from `document` and starts it, every later one advances and draws it at
  // `appTime`. A show that cannot load throws GlimmerError 0x8200000B.
  void RenderFrame(float appTime, std::span<const uint8_t> document, int picturePosition);
  // Device loss and reset.
  void ReleaseDeviceObjects();
  void RestoreDeviceObjects();

  SaverWindow& Window() { return *window_; }
  GpuDevice& Device() { return *device_; }
  bool Draws() const { return draws_; }
  bool SplashShown() const { return splashShown_; }
  bool ShowStarted() const { return showStarted_; }
  ShowDocument* Show() { return show_ ? show_.get() : nullptr; }
  bool restored = true;
  // Whether this slot's show sounds (one slot of the process does).
  bool PlaysSound() const { return playsSound_; }
  void SetPlaysSound(bool plays) { playsSound_ = plays; }

 private:
  void DrawSplash();

  std::unique_ptr<SaverWindow> window_;
  std::unique_ptr<GpuDevice> device_;
  bool draws_;
  RenderContext renderContext_;
  std::unique_ptr<ShowDocument> show_;
  TexturePtr splash_;
  bool splashShown_ = false, showStarted_ = false, firstPictureReady_ = false;
  bool playsSound_ = true;
};

}  // namespace glimmer
