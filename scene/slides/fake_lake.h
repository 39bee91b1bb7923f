#pragma once
// FakeLake2D: the lower part of the picture becomes a lake mirroring the band
// above its shore line, rippled by bump mapping that turns slowly, tinted
// towards the bottom with a haze band above the shore.

#include <array>
#include <cstdint>
#include <string>

#include "common/guid.h"
#include "params/animated_params.h"
#include "params/colour_params.h"
#include "params/media_param.h"
#include "params/scaled_slider.h"
#include "scene/slide.h"

namespace glimmer {

class FakeLake2D : public ZT_2D_Light {
  GLIMMER_STORED_CLASS(FakeLake2D)

 public:
  FakeLake2D();
  // From version 2 the sliders (Tiling before Speed), then in every version
  // the bump map's GUID, name and flag; then the picture slide.
  void Serialize(Archive& ar, int32_t version) override;

  void PrepareResources() override;
  void RestoreDeviceObjects() override;
  void AdvanceCamera(float t) override;
  void DrawPicture(int flag) override;

  // The lake's height as a fraction of the picture, 0 … 0.5.
  float WaterlineFraction() const;
  // The side of the reflection texture: 128 × 2^quality, within the device's limit.
  static uint32_t ReflectionSide(int32_t quality, uint32_t maxTextureSize);
  const std::array<float, 4>& BumpMatrix() const { return bumpMatrix_; }

  MediaSpeedParam Speed{50, 0.02f, 0.0f};
  UINTSclaleTo<float> Tiling{100, 0.01f, 0.0f};
  UINTSclaleTo<float> Waterline{25, -0.005f, 0.5f};
  UINTSclaleTo<float> RippleOpacity{100, 0.01f, 0.0f};
  UINTSclaleTo<float> TintAlpha{31, 0.008f, 0.0f};
  UINTSclaleTo<float> TintFade{58, 0.01f, 0.0f};
  MediaParamT<uint32_t> RippleHeight{25};
  MediaParamT<uint32_t> HazeHeight{7};
  MediaParamT<int32_t> ReflectionQuality{1};
  SmartCOLORREF TintColour{0x408000};
  Guid BumpId;
  std::u16string BumpName;
  bool BumpFlag = true;

  // Vertices of the lake (28 bytes: position, bump and reflection coordinates).
  struct LakeVertex {
    float x, y, z, bu, bv, ru, rv;
  };
  struct ColourVertex {
    float x, y, z;
    D3DCOLOR color;
  };
  const std::array<LakeVertex, 6>& LakeMesh() const { return lake_; }
  const std::array<ColourVertex, 4>& HazeQuad() const { return haze_; }
  const std::array<ColourVertex, 4>& TintQuad() const { return tint_; }

 private:
  void PlaceLake();
  void MakeReflection();

  TexturePtr reflection_, bump_;
  std::array<LakeVertex, 6> lake_{};
  std::array<ColourVertex, 4> tint_{}, haze_{};
  std::array<float, 4> bumpMatrix_{0.04f, 0, 0, 0.04f};
};

}  // namespace glimmer
