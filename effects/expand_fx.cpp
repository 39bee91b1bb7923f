#include "effects/expand_fx.h"

#include <algorithm>

#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"
#include "store/archive.h"

namespace glimmer {

ZT_ExpandFX::ZT_ExpandFX() {
  speed.SetScale(0.02f, 0.0f);
  effect = ZT_HLSLEffectFile(u"common_res.dll", 1005);
}

void ZT_ExpandFX::Serialize(Archive& ar, int32_t version) {
  Field(ar, "amplitude", amplitude);
  Field(ar, "radius", radius);
  if (version >= 2) Field(ar, "motion", motion);
  SerializeBase<ZT_CentralBased>(ar, *this);
}

void ExpandFX::SetParameters(ZT_ABRender& renderer) {
  float w = 0, h = 0;
  SlideSize(renderer, w, h);
  ZT_ExpandFX& s = settings();
  D3DXVECTOR4 c = PlacedCentre(s, w, h);
  c.z = std::max(s.radius.Scaled(), 0.01f);
  c.w = w / h;
  effect_->SetVector("Center", c);
  const float share = WaveShare(s.motion.Value(), fxTime_, s.phase.Scaled());
  // Below 1, so the middle never draws from a point beyond the centre.
  effect_->SetFloat("amplitude", std::clamp(s.amplitude.Scaled() * share, 0.0f, 0.95f));
}

GLIMMER_REGISTER_LAYER_KIND(ZT_ExpandFX, ExpandFX)

namespace {
std::shared_ptr<const EffectDesc> MakeExpandEffect() {
  return MakeScreenEffect(
      "expansion (1005)", "effects/expand_fx.glsl",
      {{"Center", EffectParamType::Float4}, {"amplitude", EffectParamType::Float}});
}
}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", 1005, MakeExpandEffect)

}  // namespace glimmer
