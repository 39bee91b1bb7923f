#pragma once
// ZT_GlassBallLight: the finished slide seen through a glass ball in front of
// a background (a colour gradient or a picture). The slide is laid on the ball
// and bent by the bump map of a hemisphere; its content can scroll sideways
// or wobble.

#include <cstdint>
#include <vector>

#include "document/file_links.h"
#include "params/colour_params.h"
#include "params/media_param.h"
#include "params/scaled_slider.h"
#include "scene/slide.h"
#include "store/records.h"

namespace glimmer {

class ZT_GlassBallLight : public ZT_2D_Light {
  GLIMMER_STORED_CLASS(ZT_GlassBallLight)

 public:
  // The four image links, speed, ball offset, size, lens, the five flags,
  // the two colours; a version-1 speed is converted. Then the picture slide.
  void Serialize(Archive& ar, int32_t version) override;

  void PrepareResources() override;
  void RestoreDeviceObjects() override;
  void AdvanceCamera(float t) override;
  void EndFrame(int flag) override;
  bool NeedsCapture() const override { return true; }

  // The hemisphere's slopes: 256 × 256 pairs (du, dv) of signed 16-bit values.
  static std::vector<int16_t> BallBumpTexels();
  // 1024 × 1024 alpha bytes: opaque outside radius 508.
  static std::vector<uint8_t> BallMaskTexels();
  // 256 rows from Colour1 to Colour2, B, G, R, A bytes (opaque).
  std::vector<uint8_t> GradientTexels() const;
  float Wobble() const { return wobble_; }
  float MotionClock() const { return total_; }

  ZT_ImageFileLink OverlayImage1{u"common_res.dll", 58};
  ZT_ImageFileLink OverlayImage2{u"common_res.dll", 59};
  ZT_ImageFileLink BelowImage{u"common_res.dll", 184};
  ZT_ImageFileLink BackgroundImage{u"common_res.dll", 5};
  UINTSclaleTo<float> Speed{33, 0.03f, 0.0f};
  Point32 BallOffset{0, 0};
  MediaParamT<uint32_t> BallSize{100};
  MediaParamT<uint32_t> Lens{0};
  MediaParamT<int32_t> ShowOverlay1{1};
  MediaParamT<int32_t> ShowOverlay2{1};
  MediaParamT<int32_t> ShowBelow{0};
  MediaParamT<int32_t> UseBackgroundImage{0};
  MediaParamT<int32_t> Motion{3};
  SmartCOLORREF Colour1{0};
  SmartCOLORREF Colour2{0};

 private:
  TexturePtr ballBump_, ballMask_, gradient_, overlay1_, overlay2_, below_, backgroundImage_;
  float wobble_ = 0, total_ = 0, last_ = 0;
};

}  // namespace glimmer
