#include "effects/bend_fx.h"

#include <algorithm>

#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"
#include "store/archive.h"

namespace glimmer {

ZT_BendFX::ZT_BendFX() {
  speed.SetScale(0.02f, 0.0f);
  effect = ZT_HLSLEffectFile(u"common_res.dll", 1008);
}

void ZT_BendFX::Serialize(Archive& ar, int32_t version) {
  Field(ar, "angle", angle);
  Field(ar, "radius", radius);
  Field(ar, "sharpness", sharpness);
  if (version >= 2) Field(ar, "motion", motion);
  SerializeBase<ZT_CentralBased>(ar, *this);
}

void BendFX::SetParameters(ZT_ABRender& renderer) {
  float w = 0, h = 0;
  SlideSize(renderer, w, h);
  ZT_BendFX& s = settings();
  D3DXVECTOR4 c = PlacedCentre(s, w, h);
  c.z = w / h;
  effect_->SetVector("Center", c);
  const int32_t motion = s.motion.Value();
  const float sway = motion >= 2 && motion <= 4 ? WaveShape(motion, fxTime_, s.phase.Scaled()) : 1;
  effect_->SetFloat("Angle", s.angle.Scaled() * std::clamp(sway, -1.0f, 1.0f));
  effect_->SetVector(
      "Bend", {std::max(s.radius.Scaled(), 0.01f), std::max(s.sharpness.Scaled(), 0.1f), 0, 0});
}

GLIMMER_REGISTER_LAYER_KIND(ZT_BendFX, BendFX)

namespace {
std::shared_ptr<const EffectDesc> MakeBendEffect() {
  using P = EffectParamType;
  return MakeScreenEffect("bend (1008)", "effects/bend_fx.glsl",
                          {{"Center", P::Float4}, {"Angle", P::Float}, {"Bend", P::Float2}});
}
}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", 1008, MakeBendEffect)

}  // namespace glimmer
