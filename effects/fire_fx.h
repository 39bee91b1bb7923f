#pragma once
// ZT_FireFX: flames licking up over the picture inside the effect quad,
// coloured from the first colour at their roots to the second at their
// tips.

#include <cstdint>

#include "effects/screen_effect.h"
#include "params/colour_params.h"

namespace glimmer {

class ZT_FireFX : public ZT_FX_Constructor {
  GLIMMER_LAYER_KIND(ZT_FireFX)

 public:
  ZT_FireFX();
  // Version 3: second colour, first colour, an int, two image links,
  // density, brightness, tiling. Version 2 adds a legacy int32 first and an
  // int32 after the links; version 1 stores nothing of its own.
  void Serialize(Archive& ar, int32_t version) override;
  void SetPictureLinks(const ZT_ImageFileLink& first, const ZT_ImageFileLink& second) override {
    image1 = first;
    image2 = second;
  }

  SmartCOLORREF secondColour{0x0020C0};  // tips: deep red
  SmartCOLORREF firstColour{0x40E0FF};   // roots: yellow
  MediaParamT<int32_t> reserved;
  ZT_ImageFileLink image1, image2;
  UINTSclaleTo<float> density{50, 0.01f, 0.0f};     // 0: thin wisps, 1: a wall of fire
  UINTSclaleTo<float> brightness{50, 0.02f, 0.0f};  // 1 at 50
  UINTSclaleTo<float> tiling{100, 0.01f, 0.0f};     // flame size; 1 at 100
};

class FireFX : public FxKind<ZT_FireFX>, public EmbeddedFxRuntime {
 public:
  using FxKind::FxKind;

  float EffectTime() const override { return fxTime_; }
  std::shared_ptr<Effect> LoadedEffect() override;
  TexturePtr Picture(int which) override;

 protected:
  void Prepare() override;
  uint32_t GridCells() const override { return 8; }
  // Always the flames on the effect quad: no scene copies are taken.
  FxMode DrawMode() const override { return FxMode::Quad; }
  void SetParameters(ZT_ABRender& renderer) override;
  void DrawEffect(ZT_ABRender& renderer) override;

 private:
  TexturePtr flames1_, flames2_;
  // The built-in noise and flame pictures, for a slide whose fire links none.
  TexturePtr builtin_[2];
};

}  // namespace glimmer
