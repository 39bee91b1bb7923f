#include "effects/background_copy.h"

#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"
#include "store/archive.h"

namespace glimmer {

ZT_BackgroundCopy::ZT_BackgroundCopy() {
  effect = ZT_HLSLEffectFile(u"common_res.dll", 75);
}

void ZT_BackgroundCopy::Serialize(Archive& ar, int32_t) {
  Field(ar, "rectangle", rectangle);
  Field(ar, "flipY", flipY);
  Field(ar, "flipX", flipX);
  SerializeBase<ZT_FX_Constructor>(ar, *this);
}

void BackgroundCopy::SetParameters(ZT_ABRender& renderer) {
  float w = 0, h = 0;
  SlideSize(renderer, w, h);
  const ZT_BackgroundCopy& s = settings();
  // The rectangle's centre is its fifth and sixth value.
  float x = float(s.rectangle.ExtraA.Value()) / w, y = float(s.rectangle.ExtraB.Value()) / h;
  if (s.flipX.Value()) x += 1;
  if (s.flipY.Value()) y += 1;
  effect_->SetVector("offset", {x, y, 0, 0});
}

GLIMMER_REGISTER_LAYER_KIND(ZT_BackgroundCopy, BackgroundCopy)

namespace {
std::shared_ptr<const EffectDesc> MakeCopyEffect() {
  return MakeScreenEffect("background copy (75)", "effects/background_copy.glsl",
                          {{"offset", EffectParamType::Float2}});
}
}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", 75, MakeCopyEffect)

}  // namespace glimmer
