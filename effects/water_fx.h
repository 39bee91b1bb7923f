#pragma once
// ZT_WaterFX: the picture seen through moving water: two layers of ripples
// drifting in their own directions refract it, light gathers in caustic
// lines and troughs darken; towards an optional horizon the ripples shrink.

#include <cstdint>

#include "document/file_links.h"
#include "effects/screen_effect.h"

namespace glimmer {

class ZT_WaterFX : public ZT_FX_Constructor {
  GLIMMER_LAYER_KIND(ZT_WaterFX)

 public:
  ZT_WaterFX();
  // Amplitude, tiling, two directions, caustics, shadows, horizon, colour,
  // bump image; then the screen-effect part.
  void Serialize(Archive& ar, int32_t version) override;

  // How far the ripples push the picture: u × 0.0004 of the slide (50: 2 %).
  UINTSclaleTo<float> amplitude{50, 0.0004f, 0.0f};
  // Ripples across the slide's height: u × 0.04 + 0.5 (0.5 to 4.5).
  UINTSclaleTo<float> tiling{50, 0.04f, 0.5f};
  // The two ripple layers' drift, degrees (0 to the right, 90 up).
  MediaParamT<uint32_t> direction1{0};
  MediaParamT<uint32_t> direction2{120};
  // Brightness of the caustic light: u × 0.01.
  UINTSclaleTo<float> caustics{50, 0.01f, 0.0f};
  // Darkening in the ripples' troughs: u × 0.01.
  UINTSclaleTo<float> shadows{30, 0.01f, 0.0f};
  // The horizon, a fraction of the height from the top (u × 0.01): above
  // it no water, below it ripples grow towards the viewer; 0: flat water.
  UINTSclaleTo<float> horizon{0, 0.01f, 0.0f};
  // The caustic light's colour, a COLORREF (0x00BBGGRR).
  MediaParamT<int32_t> colour{0x00FFF0D8};
  // A height picture added to the ripples; built-in spot 62 when missing.
  ZT_ImageFileLink bump{u"common_res.dll"};
};

class WaterFX : public GridlessFxKind<ZT_WaterFX> {
 public:
  using GridlessFxKind::GridlessFxKind;

 protected:
  void Prepare() override;
  void SetParameters(ZT_ABRender& renderer) override;

 private:
  TexturePtr bump_;
};

}  // namespace glimmer
