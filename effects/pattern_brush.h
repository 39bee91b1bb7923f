#pragma once
// ZT_PatternBrush (and its twin ZT_PatternBrushC): a picture, possibly
// animated, tiled over the slide — zoomed, turned, flipped and offset —
// and drawn through the effect over the whole image.

#include <cstdint>
#include <vector>

#include "effects/screen_effect.h"

namespace glimmer {

class ZT_PatternBrush : public ZT_FX_Constructor {
  GLIMMER_LAYER_KIND(ZT_PatternBrush)

 public:
  ZT_PatternBrush();
  // The pattern image, flips, rotation, zoom and offsets; then the
  // screen-effect part.
  void Serialize(Archive& ar, int32_t version) override;

  ZT_ImageFileLink pattern;
  MediaParamT<int32_t> flipV, flipH;
  MediaParamT<uint32_t> rotation;              // degrees
  UINTSclaleTo<float> zoom{100, 0.01f, 0.0f};  // 1 at 100
  UINTSclaleTo<float> offsetX{0, -0.01f, 0.0f};
  UINTSclaleTo<float> offsetY{0, 0.01f, 0.0f};
};

// The same kind under its own stored name.
class ZT_PatternBrushC : public ZT_PatternBrush {
  GLIMMER_LAYER_KIND(ZT_PatternBrushC)

 public:
  void Serialize(Archive& ar, int32_t version) override;
};

template <class Ctor>
class PatternBrushRuntime : public FxKind<Ctor> {
 public:
  using FxKind<Ctor>::FxKind;
  // "coord_transf": the 2 × 2 of Scaling(sx, sy) × RotationZ(rotation),
  // row by row.
  D3DXVECTOR4 CoordTransform(float w, float h) const;

 protected:
  void Prepare() override;
  void AdvanceFx(float t) override;
  bool ShortScale() const override { return true; }
  void SetParameters(ZT_ABRender& renderer) override;
  // Always the whole slide, whatever the mode.
  void DrawEffect(ZT_ABRender& renderer) override;

 private:
  std::vector<TexturePtr> frames_;
  std::vector<float> delays_;
  float patternW_ = 0, patternH_ = 0, lastSwitch_ = 0;
  size_t frame_ = 0;
};

}  // namespace glimmer
