#include "effects/waves_fx.h"

#include <cmath>

#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"
#include "store/archive.h"

namespace glimmer {

ZT_WavesFX::ZT_WavesFX() {
  effect = ZT_HLSLEffectFile(u"common_res.dll", 77);
  speed.SetValue(25);
}

void ZT_WavesFX::Serialize(Archive& ar, int32_t) {
  Field(ar, "amplitude", amplitude);
  Field(ar, "wavelength", wavelength);
  Field(ar, "direction", direction);
  Field(ar, "side", side);
  SerializeBase<ZT_FX_Constructor>(ar, *this);
}

void ZT_WavesFX::Vectors(D3DXVECTOR3& d, D3DXVECTOR3& n) const {
  // RotationZ((360 − direction)°) applied to (1, 0) and to (−1, 0) or (0, 1).
  const float a = (360.0f - float(direction.Value() % 360)) * 3.14159265358979f / 180.0f;
  const float c = std::cos(a), s = std::sin(a);
  d = {c, s, 0};
  n = side.Value() != 0 ? D3DXVECTOR3{-c, -s, 0} : D3DXVECTOR3{-s, c, 0};
}

void WavesFX::SetParameters(ZT_ABRender&) {
  const ZT_WavesFX& s = settings();
  D3DXVECTOR3 d, n;
  s.Vectors(d, n);
  effect_->SetVector("direction", {-d.x, -d.y, 0, 0});
  effect_->SetVector("direction_n", {n.x, n.y, 0, 0});
  effect_->SetFloat("frequency", 1.0f / s.wavelength.Scaled());
  effect_->SetFloat("amplitude", Visibility() * s.amplitude.Scaled());
  effect_->SetFloat("time", fxTime_ * 0.08f);
}

GLIMMER_REGISTER_LAYER_KIND(ZT_WavesFX, WavesFX)

namespace {
std::shared_ptr<const EffectDesc> MakeWavesEffect() {
  using P = EffectParamType;
  return MakeScreenEffect("waves (77)", "effects/waves_fx.glsl",
                          {{"direction", P::Float2},
                           {"direction_n", P::Float2},
                           {"frequency", P::Float},
                           {"amplitude", P::Float},
                           {"time", P::Float}});
}
}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", 77, MakeWavesEffect)

}  // namespace glimmer
