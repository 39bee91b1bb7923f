#include "effects/rotation_fx.h"

#include <algorithm>
#include <cmath>

#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"
#include "store/archive.h"

namespace glimmer {

ZT_RotationFX::ZT_RotationFX() {
  speed.SetScale(0.005f, 0.0f);
  effect = ZT_HLSLEffectFile(u"common_res.dll", 1007);
}

void ZT_RotationFX::Serialize(Archive& ar, int32_t) {
  Field(ar, "zoom", zoom);
  Field(ar, "opacity", opacity);
  Field(ar, "clockwise", clockwise);
  SerializeBase<ZT_CentralBased>(ar, *this);
}

void RotationFX::AdvanceFx(float t) {
  ScreenEffectRuntime::AdvanceFx(t);
  angle_ = settings().clockwise.Value() != 0 ? -fxTime_ : fxTime_;
}

void RotationFX::SetParameters(ZT_ABRender& renderer) {
  float w = 0, h = 0;
  SlideSize(renderer, w, h);
  ZT_RotationFX& s = settings();
  const D3DXVECTOR4 c = PlacedCentre(s, w, h);
  // From a point of the screen to the point of the picture it shows, in
  // square units (x × W ÷ H): turned back by the angle, divided by the zoom.
  // The screen's y grows downwards, so an anticlockwise turn on the screen
  // is a clockwise one in these units.
  const float z = std::max(s.zoom.Scaled(), 0.05f);
  const float a = std::isfinite(angle_) ? std::fmod(angle_, 6.28318530717958647692f) : 0.0f;
  const float cs = std::cos(a) / z, sn = std::sin(a) / z;
  effect_->SetVector("coord_transf", {cs, -sn, sn, cs});
  effect_->SetVector("offset", {c.x, c.y, w / h, 0});
  effect_->SetVector("mix_color",
                     {1, 1, 1, std::clamp(s.opacity.Scaled(), 0.0f, 1.0f) * Visibility()});
}

GLIMMER_REGISTER_LAYER_KIND(ZT_RotationFX, RotationFX)

namespace {
std::shared_ptr<const EffectDesc> MakeRotationEffect() {
  using P = EffectParamType;
  return MakeScreenEffect(
      "rotation (1007)", "effects/rotation_fx.glsl",
      {{"coord_transf", P::Float4}, {"offset", P::Float4}, {"mix_color", P::Float4}});
}
}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", 1007, MakeRotationEffect)

}  // namespace glimmer
