#include "scene/slide_show.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>

#include "document/resource_manager.h"
#include "platform/gpu/gpu_device.h"
#include "store/archive.h"
#include "store/class_registry.h"

namespace glimmer {

void ZT_SlideShow_Light::Serialize(Archive& ar, int32_t) {
  Field(ar, "slides", slides, kMinHeaderBytes, [&](ZT_SafePtr<ZT_SlideContainer>& slide) {
    Field(ar, "", slide, SlideContainerRegistry());
  });
  Field(ar, "music", music, kMinHeaderBytes, [&](ZT_SafePtr<ZT_AudioFile>& entry) {
    if (!entry) entry = std::make_shared<ZT_AudioFile>();
    Field(ar, "", *entry);
  });
}

void ZT_SlideShow_Light::Instantiate(int picturePosition) {
  ScreenScope scope(WithLiveObjects(&liveObjects_));
  for (const auto& container : slides) {
    container->Instantiate();
    container->SetPicturePosition(picturePosition);
  }
}

namespace {
// The most picture bytes uploaded a frame while a slide plays.
constexpr size_t kUploadSliceBytes = size_t{4} << 20;

// A slide that draws its picture only placed through the camera (no layers,
// no drawing of its own) needs its texture no finer than the screen shows
// it; any other may sample the picture elsewhere, so gets it whole.
PictureLimit PictureLimitFor(const ZT_SlideContainer& c) {
  if (!c.slide || !c.visualObjects.empty()) return {};
  const ZT_2D_Light& slide = *c.slide;
  if (typeid(slide) != typeid(ZT_2D_Light) || slide.NeedsCapture()) return {};
  GpuDevice* d = CurrentDevice();
  if (!d) return {};
  const D3DSURFACE_DESC back = d->GetBackBufferDesc();
  return slide.PictureLimitOn(back.Width, back.Height);
}
}  // namespace

bool ZT_SlideShow_Light::PrepareFirstPicture() {
  QVX_DocResManager* resources = QVX_DocResManager::Current();
  if (slides.empty() || !resources) return true;
  slides.front()->slide->PrefetchPicture(PictureLimitFor(*slides.front()));
  return resources->PumpUploads(kUploadSliceBytes);
}

void ZT_SlideShow_Light::StartCurrentSlide() {
  // The pictures of the slide shown and the next one are kept (the next one
  // decoded meanwhile); the others let go, and only the shown slide keeps
  // scene-copy targets.
  current_->slide->EnsurePicture(PictureLimitFor(*current_));
  refineLimit_.reset();  // a refinement under way goes on for this slide
  const ZT_SlideContainer* next = slides[nextIndex_ < slides.size() ? nextIndex_ : 0].get();
  for (const auto& container : slides) {
    if (container.get() == current_.get()) continue;
    if (container.get() == next) {
      container->slide->ReleaseCaptureTargets();
      container->slide->PrefetchPicture(PictureLimitFor(*container));
    } else {
      container->slide->ReleasePicture();
    }
  }
  if (GpuDevice* d = CurrentDevice()) {
    const D3DSURFACE_DESC back = d->GetBackBufferDesc();
    if (back.Width != 0)
      current_->slide->SetScreenQuad({0, 0, float(back.Width), float(back.Height)});
  }
  current_->slide->SetCameraRunning(true);
  current_->RestartLayers();
  current_->SetSoundsActive(true);
}

void ZT_SlideShow_Light::FillOverlay() {
  float w = 0, h = 0;
  if (GpuDevice* d = CurrentDevice()) {
    const D3DSURFACE_DESC back = d->GetBackBufferDesc();
    w = float(back.Width);
    h = float(back.Height);
  }
  // The alpha byte is a × 255 truncated, over black.
  const uint32_t alpha = uint32_t(overlayAlpha_ * 255.0f);
  const D3DCOLOR color = alpha << 24;
  overlay_ = {{{0, h, 0, 1, color}, {0, 0, 0, 1, color}, {w, h, 0, 1, color}, {w, 0, 0, 1, color}}};
}

void ZT_SlideShow_Light::AdvanceShow(float t) {
  lastTime_ = t;
  if (slides.empty()) return;
  if (!current_ || !overlayMade_) {
    current_ = slides.front();
    slideStart_ = t - current_->fadeIn.Value();  // the first slide begins fully faded in
    StartCurrentSlide();
    overlayAlpha_ = 0;
    overlayMade_ = true;
  } else if (slides.size() > 1) {
    ZT_SlideContainer* c = current_.get();
    if (c->stay.Value() != 1 && t - slideStart_ > c->Length()) {
      c->SetSoundsActive(false);
      current_ = slides[nextIndex_];
      slideStart_ = t;
      nextIndex_ = nextIndex_ + 1 < slides.size() ? nextIndex_ + 1 : 0;
      StartCurrentSlide();
      c = current_.get();
    }
    const float h = t - slideStart_;
    const float fadeIn = c->fadeIn.Value(), fadeOut = c->fadeOut.Value(),
                shown = fadeIn + c->duration.Value();
    float a = 0;
    if (fadeIn > h) {
      a = (fadeIn - h) / fadeIn;
    } else if (c->stay.Value() != 1 && h > shown) {
      // A fade-out of no length is fully black for its one frame.
      a = fadeOut > 0 ? (h - shown) / fadeOut : 1.0f;
    }
    overlayAlpha_ = std::clamp(a, 0.0f, 1.0f);
  }
  FillOverlay();
  if (refinePictures_) RefinePictures();
  current_->AdvanceSlide(t - slideStart_);
  // The next slide's picture goes up a slice a frame while this one plays.
  if (QVX_DocResManager* resources = QVX_DocResManager::Current())
    resources->PumpUploads(kUploadSliceBytes);
}

ZT_SlideShow_Light::LoopTiming ZT_SlideShow_Light::Loop(double step) const {
  LoopTiming loop;
  if (slides.empty() || !(step > 0)) return loop;
  // Frames a slide lasts: the fewest whole steps that pass `seconds`.
  const auto steps = [step](double seconds) {
    return std::max(1.0, std::floor(std::max(0.0, seconds) / step) + 1.0);
  };
  const ZT_SlideContainer& first = *slides.front();
  if (slides.size() == 1 || first.stay.Value() == 1) {
    loop.firstReturn = first.Length();
    return loop;
  }
  double before = steps(first.Length() - first.fadeIn.Value()), period = steps(first.Length());
  for (size_t i = 1; i < slides.size(); ++i) {
    const ZT_SlideContainer& c = *slides[i];
    if (c.stay.Value() == 1) {
      loop.firstReturn = before * step + c.Length();
      return loop;
    }
    before += steps(c.Length());
    period += steps(c.Length());
  }
  loop.loops = true;
  loop.firstReturn = before * step;
  loop.period = period * step;
  return loop;
}

void ZT_SlideShow_Light::RenderShow() {
  if (!current_) return;
  current_->RenderSlide(0);
  // At alpha 0 the overlay leaves every pixel as it is.
  if (overlayMade_ && (overlay_[0].color >> 24) != 0) current_->slide->DrawOverlay(overlay_.data());
}

void ZT_SlideShow_Light::ReleaseDeviceObjects() {
  for (const auto& container : slides) container->ReleaseDeviceObjects();
}

void ZT_SlideShow_Light::RestoreDeviceObjects() {
  if (current_) current_->slide->RestoreDeviceObjects();
  // The back buffer may have grown: pictures made for the smaller one are
  // made again, finer, without waiting (RefinePictures).
  refinePictures_ = true;
  refineLimit_.reset();
}

void ZT_SlideShow_Light::RefinePictures() {
  if (!refineLimit_) {
    ZT_SlideContainer* next = slides[nextIndex_ < slides.size() ? nextIndex_ : 0].get();
    if (next != current_.get()) next->slide->PrefetchPicture(PictureLimitFor(*next));
    refineLimit_ = PictureLimitFor(*current_);
  }
  refinePictures_ = !current_->slide->RefinePicture(*refineLimit_);
  if (!refinePictures_) refineLimit_.reset();
}

}  // namespace glimmer
