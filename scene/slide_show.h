#pragma once
// ZT_SlideShow_Light: the show root. It owns the slides in stored order and
// the show's music list.

#include <array>
#include <optional>
#include <vector>

#include "common/safe_ptr.h"
#include "document/audio_file.h"
#include "scene/slide_container.h"
#include "store/stored_item.h"

namespace glimmer {

class ZT_SlideShow_Light : public ZT_IOF_Item {
  GLIMMER_STORED_CLASS(ZT_SlideShow_Light, 1)

 public:
  // The root's version is not consulted: every stored root has one layout.
  void Serialize(Archive& ar, int32_t version) override;

  // Every slide container's runtime objects; then the picture position.
  void Instantiate(int picturePosition);
  // Starts decoding the first slide's picture; true once it is decoded and
  // uploaded (a slice of it a call), so a host can show its loading
  // picture meanwhile.
  bool PrepareFirstPicture();
  // Decides the current slide at show time t, fades, and advances it.
  void AdvanceShow(float t);
  // The current slide, then the fade overlay over everything.
  void RenderShow();
  void ReleaseDeviceObjects();
  void RestoreDeviceObjects();

  // How the show repeats when advanced every `step` seconds from time 0:
  // a slide ends on the first frame past its length, so each lasts its
  // length rounded up to whole steps (the first one less its fade-in, as it
  // begins faded in). From `firstReturn` (the first slide's second start)
  // on, the show at time t is the show at t + period. `loops` is false for
  // one slide or a slide that stays; `firstReturn` is then the time until
  // that slide starts, plus its length.
  struct LoopTiming {
    bool loops = false;
    double firstReturn = 0;
    double period = 0;
  };
  LoopTiming Loop(double step) const;

  // The fade overlay's alpha after the last AdvanceShow (0 clear, 1 black).
  float OverlayAlpha() const { return overlayAlpha_; }
  const ZT_SafePtr<ZT_SlideContainer>& Current() const { return current_; }
  size_t NextIndex() const { return nextIndex_; }
  float SlideStart() const { return slideStart_; }

  // The show's live objects by identity (declared before the slides, so it
  // outlives every runtime object in them).
  LiveObjectMap& LiveObjects() { return liveObjects_; }

 private:
  LiveObjectMap liveObjects_;

 public:
  // Slide containers, each created through the slide-container registry.
  std::vector<ZT_SafePtr<ZT_SlideContainer>> slides;
  std::vector<ZT_SafePtr<ZT_AudioFile>> music;

 private:
  void StartCurrentSlide();
  // After the back buffer changed: the current and next slides' pictures at
  // the limits of the new size.
  void RefinePictures();
  void FillOverlay();

  ZT_SafePtr<ZT_SlideContainer> current_;
  float slideStart_ = 0;
  size_t nextIndex_ = 1;
  std::array<OverlayVertex, 4> overlay_{};
  bool overlayMade_ = false;
  bool refinePictures_ = false;
  // The current slide's limit at the new size, worked out once a refinement.
  std::optional<PictureLimit> refineLimit_;
  float overlayAlpha_ = 0;
  float lastTime_ = 0;
};

}  // namespace glimmer
