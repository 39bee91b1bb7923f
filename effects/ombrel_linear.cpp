#include "effects/ombrel_linear.h"

#include <cmath>

#include "platform/gpu/builtin_effects.h"
#include "store/archive.h"

namespace glimmer {

ZT_OmbrelLinear::ZT_OmbrelLinear() {
  speed.SetScale(0.1f, 0.0f);
  effect = ZT_HLSLEffectFile(u"common_res.dll", 199);
}

void ZT_OmbrelLinear::Serialize(Archive& ar, int32_t) {
  SerializeBase<ZT_DirectionBased>(ar, *this);
}

void OmbrelLinear::SetParameters(ZT_ABRender&) {
  const ZT_OmbrelLinear& s = settings();
  const D3DXVECTOR3 d = s.DirectionVector();
  const float strength = s.strength.Scaled();
  effect_->SetVector("Direction", {d.x * strength, d.y * strength, 0, 0});
  const float turns = fxTime_ / 6.28318530717958647692f;
  effect_->SetFloat("Shift", turns - std::floor(turns));
}

GLIMMER_REGISTER_LAYER_KIND(ZT_OmbrelLinear, OmbrelLinear)

namespace {
std::shared_ptr<const EffectDesc> MakeLinearEffect() {
  return MakeScreenEffect(
      "linear ripples (199)", "effects/ombrel_linear.glsl",
      {{"Direction", EffectParamType::Float2}, {"Shift", EffectParamType::Float}});
}
}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", 199, MakeLinearEffect)

}  // namespace glimmer
