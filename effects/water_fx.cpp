#include "effects/water_fx.h"

#include <algorithm>
#include <cmath>

#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"
#include "store/archive.h"

namespace glimmer {

ZT_WaterFX::ZT_WaterFX() {
  speed.SetScale(0.02f, 0.0f);
  effect = ZT_HLSLEffectFile(u"common_res.dll", 1002);
}

void ZT_WaterFX::Serialize(Archive& ar, int32_t) {
  Field(ar, "amplitude", amplitude);
  Field(ar, "tiling", tiling);
  Field(ar, "direction1", direction1);
  Field(ar, "direction2", direction2);
  Field(ar, "caustics", caustics);
  Field(ar, "shadows", shadows);
  Field(ar, "horizon", horizon);
  Field(ar, "colour", colour);
  Field(ar, "bump", bump);
  SerializeBase<ZT_FX_Constructor>(ar, *this);
}

void WaterFX::Prepare() {
  ScreenEffectRuntime::Prepare();
  bump_ = LoadPicture(settings().bump, 62);
}

namespace {
// (cos a, −sin a) for a in degrees: screen y grows downwards.
D3DXVECTOR4 Heading(uint32_t degrees) {
  const float a = float(degrees % 360) * 3.14159265358979f / 180.0f;
  return {std::cos(a), -std::sin(a), 0, 0};
}
}  // namespace

void WaterFX::SetParameters(ZT_ABRender& renderer) {
  float w = 0, h = 0;
  SlideSize(renderer, w, h);
  const ZT_WaterFX& s = settings();
  const float t = std::max(s.tiling.Scaled(), 0.01f);
  effect_->SetTexture("BumpMap", bump_);
  effect_->SetVector("BampTrans", {t * w / h, t, 0, 0});
  effect_->SetVector("P1", {s.amplitude.Scaled(), 1, 0, 0});
  // The second layer: finer (1.9 times the tiling) and weaker (0.6).
  effect_->SetVector("P2", {s.amplitude.Scaled() * 0.6f, 1.9f, 0, 0});
  effect_->SetFloat("Time", fxTime_);
  effect_->SetVector("Direction1", Heading(s.direction1.Value()));
  effect_->SetVector("Direction2", Heading(s.direction2.Value()));
  effect_->SetVector("Shadows", {s.shadows.Scaled(), s.caustics.Scaled(), 0, 0});
  effect_->SetFloat("Vhalf", std::clamp(s.horizon.Scaled(), 0.0f, 0.95f));
  effect_->SetVector("Color", Colour(s.colour.Value()));
}

GLIMMER_REGISTER_LAYER_KIND(ZT_WaterFX, WaterFX)

namespace {
std::shared_ptr<const EffectDesc> MakeWaterEffect() {
  using P = EffectParamType;
  return MakeScreenEffect("water (1002)", "effects/water_fx.glsl",
                          {{"BampTrans", P::Float2},
                           {"P1", P::Float2},
                           {"P2", P::Float2},
                           {"Time", P::Float},
                           {"Direction1", P::Float2},
                           {"Direction2", P::Float2},
                           {"Shadows", P::Float2},
                           {"Vhalf", P::Float},
                           {"Color", P::Float4}},
                          {"BumpMap"});
}
}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", 1002, MakeWaterEffect)

}  // namespace glimmer
