#pragma once
// ZT_ScrollingTextConstructor: a sprite text whose quad shows a window of
// its text picture at the picture's own scale, the window moving along one
// axis and wrapping round. Hidden, it starts again from the beginning.

#include "texts/static_text.h"

namespace glimmer {

class ZT_ScrollingTextConstructor : public ZT_StaticTextConstructor {
  GLIMMER_LAYER_KIND(ZT_ScrollingTextConstructor)

 public:
  // Scroll speed, direction, from version 2 the picture's height and
  // width; then the sprite-text part.
  void Serialize(Archive& ar, int32_t version) override;
  void Restart() override;
  void MoveSprite(SpriteRecord& r) override;
  bool SetEffectParameters(ZT_ABRender& renderer,
                           const ZT_SpriteArrayT<DX_V::PCT>& geometry) override;

  // Seconds of motion time for the window to travel one picture length;
  // 0 stands still.
  MediaParamT<uint32_t> scrollSpeed{10};
  MediaParamT<int32_t> scrollDirection{0};    // 0 +u, 1 −u, 2 +v, 3 −v
  float textureHeight = 0, textureWidth = 0;  // pixels; 0: the loaded picture's
  // Not stored: the window's offsets in picture lengths, each within [0, 1).
  float offsetU = 0, offsetV = 0;

 protected:
  void TakePictureSize(uint32_t width, uint32_t height) override;
};

}  // namespace glimmer
