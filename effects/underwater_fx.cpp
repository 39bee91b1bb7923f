#include "effects/underwater_fx.h"

#include <cmath>

#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"
#include "scene/embedded_effects.h"
#include "store/archive.h"

namespace glimmer {

ZT_UnderwaterFX::ZT_UnderwaterFX() {
  effect = ZT_HLSLEffectFile(u"common_res.dll", 88);
  speed.SetValue(25);
}

void ZT_UnderwaterFX::Serialize(Archive& ar, int32_t) {
  Field(ar, "Amplitude", amplitude);
  Field(ar, "Frequency", frequency);
  SerializeBase<ZT_FX_Constructor>(ar, *this);
}

void UnderwaterFX::SetParameters(ZT_ABRender& renderer) {
  const ZT_UnderwaterFX& s = settings();
  const float w = float(renderer.GetPictureWidth()), h = float(renderer.GetPictureHeight());
  // Frequency is at least 0.001 for every stored value, so x stays finite.
  const float f = s.frequency.Scaled();
  const float x = f > 0 ? 1 / f : 1;
  effect_->SetVector("frequency", {h > 0 ? x * w / h : x, x, 0, 0});
  effect_->SetFloat("amplitude", s.amplitude.Scaled());
  effect_->SetFloat("time", fxTime_ * 0.08f);
}

std::shared_ptr<ZT_ABObj> ZT_UnderwaterFX::CreateRuntime() const {
  return std::make_shared<UnderwaterFX>(*this);
}
GLIMMER_REGISTER_CLASS(EmbeddedEffectRegistry, ZT_UnderwaterFX)

namespace {
std::shared_ptr<const EffectDesc> MakeUnderwaterEffect() {
  using P = EffectParamType;
  return MakeScreenEffect("under water (88)", "effects/underwater_fx.glsl",
                          {{"frequency", P::Float2}, {"amplitude", P::Float}, {"time", P::Float}});
}
}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", 88, MakeUnderwaterEffect)

}  // namespace glimmer
