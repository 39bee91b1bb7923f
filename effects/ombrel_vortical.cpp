#include "effects/ombrel_vortical.h"

#include <algorithm>
#include <cmath>

#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"
#include "platform/gpu/d3dx_math.h"
#include "store/archive.h"

namespace glimmer {

ZT_OmbrelVortical::ZT_OmbrelVortical() {
  speed.SetScale(0.1f, 0.0f);
  effect = ZT_HLSLEffectFile(u"common_res.dll", 1013);
}

void ZT_OmbrelVortical::Serialize(Archive& ar, int32_t) {
  Field(ar, "strength", strength);
  Field(ar, "ellipse", ellipse);
  Field(ar, "clockwise", clockwise);
  Field(ar, "ellipseAngle", ellipseAngle);
  SerializeBase<ZT_CentralBased>(ar, *this);
}

void OmbrelVortical::SetParameters(ZT_ABRender& renderer) {
  float w = 0, h = 0;
  SlideSize(renderer, w, h);
  ZT_OmbrelVortical& s = settings();
  const D3DXVECTOR4 c = PlacedCentre(s, w, h);
  effect_->SetVector("Center", c);
  const float angle = float(s.ellipseAngle.Value() % 360) * 3.14159265358979f / 180.0f;
  // From a slide point (x, y, 0, 1) to the ellipse's frame: about the
  // centre, in square units, turned back by the ellipse's angle.
  D3DXMATRIX to, square, turn, m;
  D3DXMatrixTranslation(&to, -c.x, -c.y, 0);
  D3DXMatrixScaling(&square, w / h, 1, 1);
  D3DXMatrixRotationZ(&turn, -angle);
  D3DXMatrixMultiply(&m, &to, &square);
  D3DXMatrixMultiply(&m, &m, &turn);
  effect_->SetMatrix("r_matrix3", m);
  // And from the frame back to the screen's directions (row-vector form).
  effect_->SetVector("r_matrix2",
                     {std::cos(angle), std::sin(angle), -std::sin(angle), std::cos(angle)});
  effect_->SetVector("ElipsDeform", {1, std::max(s.ellipse.Scaled(), 0.05f), 0, 0});
  effect_->SetFloat("Amplitude", s.strength.Scaled());
  const float turns = fxTime_ / 6.28318530717958647692f;
  const float shift = std::isfinite(turns) ? turns - std::floor(turns) : 0.0f;
  effect_->SetFloat("Shift", s.clockwise.Value() != 0 ? -shift : shift);
}

GLIMMER_REGISTER_LAYER_KIND(ZT_OmbrelVortical, OmbrelVortical)

namespace {
std::shared_ptr<const EffectDesc> MakeVorticalEffect() {
  using P = EffectParamType;
  return MakeScreenEffect("spiral ripples (1013)", "effects/ombrel_vortical.glsl",
                          {{"Center", P::Float2},
                           {"r_matrix2", P::Float4},
                           {"r_matrix3", P::Matrix},
                           {"ElipsDeform", P::Float2},
                           {"Amplitude", P::Float},
                           {"Shift", P::Float}});
}
}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", 1013, MakeVorticalEffect)

}  // namespace glimmer
