#include "effects/background_copy.h"

#include <algorithm>

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
  // The rectangle's centre is its fifth and sixth value. A flip adds 1 to
  // its axis, so the centre is kept within [0, 1) there: a centre on or
  // past the far edge would otherwise read as flipped (and one before the
  // near edge, flipped, as unflipped).
  const auto axis = [](int32_t centre, float size, bool flip) {
    const float f = std::clamp(float(centre) / size, 0.0f, 0.99999f);
    return flip ? f + 1 : f;
  };
  const float x = axis(s.rectangle.ExtraA.Value(), w, s.flipX.Value() != 0);
  const float y = axis(s.rectangle.ExtraB.Value(), h, s.flipY.Value() != 0);
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
