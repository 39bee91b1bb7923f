#pragma once
// ZT_SlideContainer: one slide of the show: its timing, its slide (picture,
// camera and renderer), and its visual and sound layers.

#include <vector>

#include "common/safe_ptr.h"
#include "params/media_param.h"
#include "scene/scene_object.h"
#include "scene/slide.h"
#include "store/stored_item.h"

namespace glimmer {

class ZT_SlideContainer : public ZT_IOF_Item {
  GLIMMER_STORED_CLASS(ZT_SlideContainer)

 public:
  // Times as floats from version 5 (as unsigned integers before); the layer
  // time of versions 3 to 5 goes to every visual layer's time line.
  void Serialize(Archive& ar, int32_t version) override;

  // Once after loading: the slide's resources, then the runtime objects of
  // the layers (the stored constructors are dropped).
  void Instantiate();
  // Restart of every visual object, then the slide's device state.
  void RestartLayers();
  void SetSoundsActive(bool active);
  // The camera and every object to the slide's local time u.
  void AdvanceSlide(float u);
  void RenderSlide(int pass);
  void SetPicturePosition(int mode);
  void ReleaseDeviceObjects();

  // The slide's whole length: fade-in, display time and fade-out.
  float Length() const { return fadeIn.Value() + duration.Value() + fadeOut.Value(); }

  MediaParamT<int32_t> stay;
  MediaParamT<float> fadeIn{1.0f};
  MediaParamT<float> fadeOut{1.0f};
  MediaParamT<float> duration{10.0f};
  MediaParamT<int32_t> reserved;
  MediaParamTB<std::u16string> name;
  ZT_SafePtr<ZT_2D_Light> slide;
  std::vector<ZT_SafePtr<ZT_ABObj>> visualObjects;
  std::vector<ZT_SafePtr<ZT_ABObj>> soundObjects;
  std::vector<ZT_SafePtr<ZT_ABObj_Constructor>> visualLayers;
  std::vector<ZT_SafePtr<ZT_ABObj_Constructor>> soundLayers;
};

}  // namespace glimmer
