#include "effects/stretch_fx.h"

#include <algorithm>
#include <cmath>

#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"
#include "store/archive.h"

namespace glimmer {

ZT_StretchFX::ZT_StretchFX() {
  effect = ZT_HLSLEffectFile(u"common_res.dll", 1011);
}

void ZT_StretchFX::Serialize(Archive& ar, int32_t) {
  Field(ar, "axis", axis);
  Field(ar, "stretch", stretch);
  Field(ar, "breathing", breathing);
  SerializeBase<ZT_LineBased>(ar, *this);
}

void StretchFX::SetParameters(ZT_ABRender& renderer) {
  float w = 0, h = 0;
  SlideSize(renderer, w, h);
  ZT_StretchFX& s = settings();
  PlacedCentre(s, w, h);
  const float share = std::clamp(s.breathing.Scaled(), 0.0f, 1.0f);
  const float now = 1 - share + share * (std::sin(fxTime_) + 1) * 0.5f;
  const float factor = 1 + std::max(s.stretch.Scaled(), 0.0f) * now;
  const D3DXVECTOR3 line = s.Line(s.axis.Value() != 0 ? 1 : 0, w, h);
  // A point v from the line shows the picture's point v ÷ factor from it.
  effect_->SetVector("amplitude", {line.x, line.y, line.z, 1 - 1 / factor});
}

GLIMMER_REGISTER_LAYER_KIND(ZT_StretchFX, StretchFX)

namespace {
std::shared_ptr<const EffectDesc> MakeStretchEffect() {
  return MakeScreenEffect("stretch (1011)", "effects/stretch_fx.glsl",
                          {{"amplitude", EffectParamType::Float4}});
}
}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", 1011, MakeStretchEffect)

}  // namespace glimmer
