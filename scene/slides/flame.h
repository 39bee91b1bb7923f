#pragma once
// ZT_FlameLight: an embedded fire burns over the lower part of the picture,
// and the finished slide is shown through a heat haze.

#include <cstdint>
#include <memory>
#include <utility>

#include "document/file_links.h"
#include "params/animated_params.h"
#include "params/media_param.h"
#include "params/scaled_slider.h"
#include "scene/scene_object.h"
#include "scene/slide.h"

namespace glimmer {

class Effect;

class ZT_FlameLight : public ZT_2D_Light {
  GLIMMER_STORED_CLASS(ZT_FlameLight)

 public:
  ZT_FlameLight();
  // The flags and the drop; before version 2 the fire's speed; the haze's
  // links and sliders; from version 2 the whole "ZT_FireFX" by fixed class
  // (before it two image links, read and dropped). Then the picture slide.
  void Serialize(Archive& ar, int32_t version) override;

  void PrepareResources() override;
  void RestoreDeviceObjects() override;
  void AdvanceCamera(float t) override;
  void DrawPicture(int flag) override;
  void EndFrame(int flag) override;
  bool NeedsCapture() const override { return HeatHaze.Value() != 0; }

  // The fire's upper and lower edge for a picture of height h.
  std::pair<float, float> FireBand(float h) const;
  ZT_ABObj_Constructor* Fire() const { return fire_.get(); }
  bool HasHaze() const { return hazeEffect_ != nullptr; }
  // The quad the fire burns on (picture pixels; texture v 0 at the top).
  const Mesh& FireQuad() const { return fireQuad_; }

  MediaParamT<int32_t> FireOn{1};
  MediaParamT<int32_t> HeatHaze{1};
  MediaParamT<uint32_t> FireDrop{0};
  // The haze.
  ZT_ImageFileLink HazeBumpImage{u"common_res.dll", 62};
  ZT_HLSLEffectFile HazeEffect{u"common_res.dll", 63};
  MediaSpeedParam HazeSpeed{50, 0.001f, 0.0f};
  UINTSclaleTo<float> HazeStrength{25, 0.002f, 0.0f};
  UINTSclaleTo<float> HazeBumpScale{88, -0.009f, 1.0f};

 private:
  std::unique_ptr<ZT_ABObj_Constructor> fire_;
  std::shared_ptr<ZT_ABObj> fireRuntime_;
  void PlaceQuads();
  void DrawFire();

  std::shared_ptr<Effect> hazeEffect_;
  TexturePtr hazeBump_;
  Mesh hazeQuad_{nullptr}, fireQuad_{nullptr};
};

}  // namespace glimmer
