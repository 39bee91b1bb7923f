#include "effects/light_fx_ii.h"

#include <algorithm>
#include <cmath>

#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"
#include "store/archive.h"

namespace glimmer {

ZT_LightFX_II::ZT_LightFX_II() {
  effect = ZT_HLSLEffectFile(u"common_res.dll", 1001);
}

void ZT_LightFX_II::Serialize(Archive& ar, int32_t version) {
  Field(ar, "strength", strength);
  Field(ar, "colour", colour);
  Field(ar, "blend", blend);
  if (version >= 2) Field(ar, "pulse", pulse);
  SerializeBase<ZT_FX_Constructor>(ar, *this);
}

namespace {
constexpr const char* kBlendTechniques[] = {"Blend_Normal", "Blend_Screen", "Blend_ColorDodge",
                                            "Linear_Dodge", "Blend_Sum"};
}  // namespace

const char* LightFX_II::BlendTechnique(int32_t blend) {
  return blend >= 0 && blend < 5 ? kBlendTechniques[blend] : kBlendTechniques[0];
}

void LightFX_II::SetParameters(ZT_ABRender&) {
  const ZT_LightFX_II& s = settings();
  float b = 1;
  if (s.pulse.Value() == 1) {
    b = (std::sin(fxTime_) + 1) * 0.5f;
  } else if (s.pulse.Value() >= 2) {
    b = std::clamp((OctaveNoise(fxTime_ * 10, 2, 75, 0.5f) + 1) * 0.5f, 0.0f, 1.0f);
  }
  D3DXVECTOR4 c = Colour(s.colour.Value());
  c.w = std::clamp(s.strength.Scaled(), 0.0f, 1.0f) * b * Visibility();
  effect_->SetVector("BlendColor", c);
  // Over the effect quad the blend techniques draw with the mask as alpha;
  // for the whole image (which replaces the target) they apply it themselves.
  effect_->SetFloat("WholeImage", DrawMode() == FxMode::Quad ? 0.0f : 1.0f);
  effect_->SetTechnique(BlendTechnique(s.blend.Value()));
}

GLIMMER_REGISTER_LAYER_KIND(ZT_LightFX_II, LightFX_II)

namespace {
std::shared_ptr<const EffectDesc> MakeLightEffect() {
  auto d = std::make_shared<EffectDesc>(*MakeScreenEffect(
      "coloured light (1001)", "effects/light_fx_ii.glsl",
      {{"BlendColor", EffectParamType::Float4}, {"WholeImage", EffectParamType::Float}}));
  const EffectPassDesc blended = d->techniques.front().passes.front();
  for (const char* name : kBlendTechniques) {
    EffectPassDesc p = blended;
    p.pixelShader = TechniqueShader("effects/light_fx_ii.glsl", name);
    d->techniques.push_back({name, {p}});
  }
  return d;
}
}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", 1001, MakeLightEffect)

}  // namespace glimmer
