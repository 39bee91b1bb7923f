#include "texts/scrolling_text.h"

#include <cmath>

#include "params/param_serialization.h"
#include "platform/gpu/effect.h"
#include "scene/renderer_interface.h"
#include "store/archive.h"

namespace glimmer {
namespace {

// `x` brought into [0, 1): offsets wrap with the repeating picture and
// keep their precision however long the text scrolls.
float Wrap(float x) {
  const float f = x - std::floor(x);
  return f >= 1.0f ? 0.0f : f;
}

}  // namespace

void ZT_ScrollingTextConstructor::Serialize(Archive& ar, int32_t version) {
  Field(ar, "scrollSpeed", scrollSpeed, ReadMode::Direct);
  Field(ar, "scrollDirection", scrollDirection);
  if (version >= 2) {
    Field(ar, "textureHeight", textureHeight);
    Field(ar, "textureWidth", textureWidth);
  }
  SerializeBase<ZT_StaticTextConstructor>(ar, *this);
}

void ZT_ScrollingTextConstructor::Restart() {
  ZT_StaticTextConstructor::Restart();
  offsetU = offsetV = 0;
}

void ZT_ScrollingTextConstructor::TakePictureSize(uint32_t width, uint32_t height) {
  ZT_StaticTextConstructor::TakePictureSize(width, height);
  if (!(textureWidth > 0) || !(textureHeight > 0)) {
    textureWidth = float(width);
    textureHeight = float(height);
  }
}

void ZT_ScrollingTextConstructor::MoveSprite(SpriteRecord& r) {
  ZT_StaticTextConstructor::MoveSprite(r);
  if (LineState(*this) == TimeLineState::Hidden) {
    offsetU = offsetV = 0;
  } else if (scrollSpeed.Value() != 0) {
    const int32_t d = scrollDirection.Value();
    const float step = frameStep / float(scrollSpeed.Value());
    const float signed_ = (d == 1 || d == 3) ? -step : step;
    if (d == 0 || d == 1) offsetU = Wrap(offsetU + signed_);
    if (d == 2 || d == 3) offsetV = Wrap(offsetV + signed_);
  }
  // The window at the picture's own scale; without a known picture size
  // the whole picture.
  r.uA = 0;
  r.vA = 0;
  r.uB = textureWidth > 0 ? float(quadWidth.Value()) / textureWidth : 1.0f;
  r.vB = textureHeight > 0 ? float(quadHeight.Value()) / textureHeight : 1.0f;
  if (!std::isfinite(r.uB)) r.uB = 1;
  if (!std::isfinite(r.vB)) r.vB = 1;
}

bool ZT_ScrollingTextConstructor::SetEffectParameters(ZT_ABRender& renderer,
                                                      const ZT_SpriteArrayT<DX_V::PCT>& geometry) {
  if (!loadedEffect || !textTexture) return false;
  Effect& e = *loadedEffect;
  e.SetTechnique("ScrollText");
  e.SetTexture("Texture1", textTexture);
  e.SetVector("ScrollOffset", {offsetU, offsetV, 0, 0});
  renderer.DrawColoredFx(geometry, e);
  return false;
}

GLIMMER_REGISTER_FX_KIND(ZT_ScrollingTextConstructor)

}  // namespace glimmer
