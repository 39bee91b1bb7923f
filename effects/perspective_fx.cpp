#include "effects/perspective_fx.h"

#include <algorithm>

#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"
#include "store/archive.h"

namespace glimmer {

ZT_PerspectiveFX::ZT_PerspectiveFX() {
  effect = ZT_HLSLEffectFile(u"common_res.dll", 1010);
}

void ZT_PerspectiveFX::Serialize(Archive& ar, int32_t version) {
  Field(ar, "tilt", tilt);
  Field(ar, "shading", shading);
  if (version >= 2) Field(ar, "motion", motion);
  if (version >= 3) Field(ar, "swing", swing);
  SerializeBase<ZT_LineBased>(ar, *this);
}

void PerspectiveFX::SetParameters(ZT_ABRender& renderer) {
  float w = 0, h = 0;
  SlideSize(renderer, w, h);
  ZT_PerspectiveFX& s = settings();
  PlacedCentre(s, w, h);
  const int32_t motion = s.motion.Value();
  const float wave = motion >= 2 && motion <= 4 ? WaveShape(motion, fxTime_, s.phase.Scaled()) : 1;
  const float share = std::clamp(s.swing.Scaled(), 0.0f, 1.0f);
  const float tilt = s.tilt.Scaled() * (1 - share + share * std::clamp(wave, -1.0f, 1.0f));
  const D3DXVECTOR3 hinge = s.Line(0, w, h), across = s.Line(1, w, h);
  effect_->SetVector("amplitude", {hinge.x, hinge.y, hinge.z, tilt});
  effect_->SetVector("p_amplitude",
                     {across.x, across.y, across.z, std::clamp(s.shading.Scaled(), 0.0f, 1.0f)});
}

GLIMMER_REGISTER_LAYER_KIND(ZT_PerspectiveFX, PerspectiveFX)

namespace {
std::shared_ptr<const EffectDesc> MakePerspectiveEffect() {
  return MakeScreenEffect(
      "perspective (1010)", "effects/perspective_fx.glsl",
      {{"amplitude", EffectParamType::Float4}, {"p_amplitude", EffectParamType::Float4}});
}
}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", 1010, MakePerspectiveEffect)

}  // namespace glimmer
