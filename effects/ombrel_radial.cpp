#include "effects/ombrel_radial.h"

#include <cmath>

#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"
#include "store/archive.h"

namespace glimmer {

ZT_OmbrelRadial::ZT_OmbrelRadial() {
  speed.SetScale(0.1f, 0.0f);
  effect = ZT_HLSLEffectFile(u"common_res.dll", 1012);
}

void ZT_OmbrelRadial::Serialize(Archive& ar, int32_t version) {
  Field(ar, "strength", strength);
  if (version >= 2) Field(ar, "inwards", inwards);
  SerializeBase<ZT_CentralBased>(ar, *this);
}

void OmbrelRadial::SetParameters(ZT_ABRender& renderer) {
  float w = 0, h = 0;
  SlideSize(renderer, w, h);
  ZT_OmbrelRadial& s = settings();
  effect_->SetVector("Center", PlacedCentre(s, w, h));
  effect_->SetFloat("Amplitude", s.strength.Scaled());
  // One ripple's passing per turn of the clock; inwards runs it backwards.
  const float turns = fxTime_ / 6.28318530717958647692f;
  const float shift = std::isfinite(turns) ? turns - std::floor(turns) : 0.0f;
  effect_->SetFloat("Shift", s.inwards.Value() != 0 ? 1 - shift : shift);
}

GLIMMER_REGISTER_LAYER_KIND(ZT_OmbrelRadial, OmbrelRadial)

namespace {
std::shared_ptr<const EffectDesc> MakeRadialEffect() {
  using P = EffectParamType;
  return MakeScreenEffect("round ripples (1012)", "effects/ombrel_radial.glsl",
                          {{"Center", P::Float2}, {"Amplitude", P::Float}, {"Shift", P::Float}});
}
}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", 1012, MakeRadialEffect)

}  // namespace glimmer
