#include "effects/light_fx.h"

#include <cmath>

#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"
#include "store/archive.h"

namespace glimmer {

ZT_LightFX::ZT_LightFX() {
  effect = ZT_HLSLEffectFile(u"common_res.dll", 76);
  speed.SetValue(40);
}

void ZT_LightFX::Serialize(Archive& ar, int32_t) {
  Field(ar, "strength", strength);
  Field(ar, "mode", mode);
  SerializeBase<ZT_FX_Constructor>(ar, *this);
}

float LightFX::Level() const {
  const int32_t mode = settings().mode.Value();
  if (mode >= 2) return (OctaveNoise(fxTime_ * 10, 2, 75, 0.5f) + 1) * 0.5f;
  const float b = (std::sin(fxTime_ * 0.2f) + 1) * 0.5f;
  if (mode == 1) return b > 0.5f ? 1.0f : 0.0f;
  return b;
}

void LightFX::SetParameters(ZT_ABRender&) {
  effect_->SetFloat("multiplier", Visibility() * settings().strength.Scaled() * Level());
}

GLIMMER_REGISTER_LAYER_KIND(ZT_LightFX, LightFX)

namespace {
std::shared_ptr<const EffectDesc> MakeLightEffect() {
  return MakeScreenEffect("light (76)", "effects/light_fx.glsl",
                          {{"multiplier", EffectParamType::Float}});
}
}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", 76, MakeLightEffect)

}  // namespace glimmer
