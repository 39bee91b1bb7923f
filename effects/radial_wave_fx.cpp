#include "effects/radial_wave_fx.h"

#include <algorithm>
#include <cmath>

#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"
#include "store/archive.h"

namespace glimmer {

ZT_RadialWaveFX::ZT_RadialWaveFX() {
  effect = ZT_HLSLEffectFile(u"common_res.dll", 1006);
}

void ZT_RadialWaveFX::Serialize(Archive& ar, int32_t version) {
  Field(ar, "amplitude", amplitude);
  Field(ar, "wavelength", wavelength);
  if (version >= 2) Field(ar, "damping", damping);
  if (version >= 3) Field(ar, "inwards", inwards);
  SerializeBase<ZT_CentralBased>(ar, *this);
}

void RadialWaveFX::SetParameters(ZT_ABRender& renderer) {
  float w = 0, h = 0;
  SlideSize(renderer, w, h);
  ZT_RadialWaveFX& s = settings();
  const D3DXVECTOR4 c = PlacedCentre(s, w, h);
  effect_->SetVector("bg_scale_factor", {1 / w, 1 / h, 0, 0});
  effect_->SetVector("center", {c.x * w, c.y * h, 0, 0});
  effect_->SetFloat("frequency", 1 / std::max(s.wavelength.Scaled(), 0.005f));
  effect_->SetVector("amplitude", {s.amplitude.Scaled(), std::max(s.damping.Scaled(), 0.0f), 0, 0});
  // The clock over one crest's passing, kept small so that it stays exact.
  const float crests = std::fmod(fxTime_, 1024.0f);
  effect_->SetFloat("time", s.inwards.Value() != 0 ? -crests : crests);
}

GLIMMER_REGISTER_LAYER_KIND(ZT_RadialWaveFX, RadialWaveFX)

namespace {
std::shared_ptr<const EffectDesc> MakeRadialWaveEffect() {
  using P = EffectParamType;
  return MakeScreenEffect("radial waves (1006)", "effects/radial_wave_fx.glsl",
                          {{"bg_scale_factor", P::Float2},
                           {"center", P::Float2},
                           {"frequency", P::Float},
                           {"amplitude", P::Float2},
                           {"time", P::Float}});
}
}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", 1006, MakeRadialWaveEffect)

}  // namespace glimmer
