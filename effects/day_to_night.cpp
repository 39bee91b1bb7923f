#include "effects/day_to_night.h"

#include <cmath>

#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"
#include "store/archive.h"

namespace glimmer {

ZT_DayToNight::ZT_DayToNight() {
  effect = ZT_HLSLEffectFile(u"common_res.dll", 1014);
  softLight.SetHsb(220, 60, 40);
}

void ZT_DayToNight::Serialize(Archive& ar, int32_t) {
  Field(ar, "colour", colour);
  ar.BeginStruct("softLight");
  Field(ar, "hue", softLight.Hue);
  Field(ar, "saturation", softLight.Saturation);
  Field(ar, "brightness", softLight.Brightness);
  ar.EndStruct();
  Field(ar, "desaturation", desaturation);
  SerializeBase<ZT_FX_Constructor>(ar, *this);
}

void DayToNight::SetParameters(ZT_ABRender&) {
  const ZT_DayToNight& s = settings();
  effect_->SetVector("mul_color", {float(s.colour.Red()) / 255, float(s.colour.Green()) / 255,
                                   float(s.colour.Blue()) / 255, 1.0f});
  effect_->SetVector("soft_light_color", s.softLight.Rgba());
  effect_->SetFloat("Fade", std::sin(Visibility() * 3.14159265358979f / 2));
  effect_->SetFloat("Disaturate", s.desaturation.Scaled());
}

GLIMMER_REGISTER_LAYER_KIND(ZT_DayToNight, DayToNight)

namespace {
std::shared_ptr<const EffectDesc> MakeNightEffect() {
  using P = EffectParamType;
  return MakeScreenEffect("day to night", "effects/day_to_night.glsl",
                          {{"mul_color", P::Float4},
                           {"soft_light_color", P::Float4},
                           {"Fade", P::Float},
                           {"Disaturate", P::Float}});
}
}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", 1014, MakeNightEffect)

}  // namespace glimmer
