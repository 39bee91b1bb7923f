#include "effects/heat_distortion.h"

#include <algorithm>

#include "document/resource_manager.h"
#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"
#include "store/archive.h"

namespace glimmer {

ZT_HeatDistortion::ZT_HeatDistortion() {
  effect = ZT_HLSLEffectFile(u"common_res.dll", 63);
}

void ZT_HeatDistortion::Serialize(Archive& ar, int32_t) {
  Field(ar, "rippleSpeed", rippleSpeed, ReadMode::Direct);
  Field(ar, "strength", strength);
  Field(ar, "bumpScale", bumpScale);
  SerializeBase<ZT_FX_Constructor>(ar, *this);
}

void HeatDistortion::Prepare() {
  ScreenEffectRuntime::Prepare();
  if (QVX_DocResManager* resources = QVX_DocResManager::Current()) {
    const TextureSet set = resources->FindTextures(ZT_FileLink3(u"common_res.dll", 62), 4);
    if (!set.empty()) bump_ = set.Textures.front();
  }
}

void HeatDistortion::Restart() {
  ScreenEffectRuntime::Restart();
  rippleTime_ = ripplePrevious_ = 0;
}

void HeatDistortion::AdvanceFx(float t) {
  ScreenEffectRuntime::AdvanceFx(t);
  if (t < ripplePrevious_) ripplePrevious_ = t;
  rippleTime_ += std::min(t - ripplePrevious_, 0.2f) * settings().rippleSpeed.Scaled();
  ripplePrevious_ = t;
}

void HeatDistortion::SetParameters(ZT_ABRender& renderer) {
  float w = 0, h = 0;
  SlideSize(renderer, w, h);
  const ZT_HeatDistortion& s = settings();
  effect_->SetFloat("stenght", s.strength.Scaled() * 0.05f);
  effect_->SetVector("Offset", {rippleTime_, -rippleTime_, 0, 0});
  const float b = s.bumpScale.Scaled();
  effect_->SetVector("bump_scale", {b, b * h / w, 0, 0});
  effect_->SetTexture("Bumpmap", bump_);
}

GLIMMER_REGISTER_LAYER_KIND(ZT_HeatDistortion, HeatDistortion)

namespace {
std::shared_ptr<const EffectDesc> MakeHeatEffect() {
  return MakeScreenEffect("heat distortion (63)", "effects/heat_distortion.glsl",
                          {{"stenght", EffectParamType::Float},
                           {"Offset", EffectParamType::Float2},
                           {"bump_scale", EffectParamType::Float2}},
                          {"Bumpmap"}, {{"BumpmapDistortLow2", false}});
}
}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", 63, MakeHeatEffect)

}  // namespace glimmer
