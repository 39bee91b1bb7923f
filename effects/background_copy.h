#pragma once
// ZT_BackgroundCopy: a copy of the picture, shifted so that the centre of
// its rectangle lands on the slide's origin (and flipped), laid over the
// scene within the mask: a reflection or a repeated piece of the picture.

#include <cstdint>

#include "effects/screen_effect.h"

namespace glimmer {

class ZT_BackgroundCopy : public ZT_FX_Constructor {
  GLIMMER_LAYER_KIND(ZT_BackgroundCopy)

 public:
  ZT_BackgroundCopy();
  // The rectangle (its centre is used), flip y, flip x; then the
  // screen-effect part.
  void Serialize(Archive& ar, int32_t version) override;

  MediaRectangle rectangle;
  MediaParamT<int32_t> flipY, flipX;
};

class BackgroundCopy : public FxKind<ZT_BackgroundCopy> {
 public:
  using FxKind::FxKind;

 protected:
  bool ShortScale() const override { return true; }
  void SetParameters(ZT_ABRender& renderer) override;
  // Always the whole slide, whatever the mode.
  void DrawEffect(ZT_ABRender& renderer) override {
    renderer.DrawFx(renderer.GetPictureQuad(), *effect_);
  }
};

}  // namespace glimmer
