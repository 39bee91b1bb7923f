#include "effects/move_fx.h"

#include <cmath>

#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"
#include "store/archive.h"

namespace glimmer {

ZT_MoveFX::ZT_MoveFX() {
  speed.SetScale(0.02f, 0.0f);
  strength.SetScale(0.004f, 0.0f);
  effect = ZT_HLSLEffectFile(u"common_res.dll", 1003);
}

void ZT_MoveFX::Serialize(Archive& ar, int32_t version) {
  if (version >= 2) Field(ar, "swing", swing);
  if (version >= 3) Field(ar, "smear", smear);
  SerializeBase<ZT_DirectionBased>(ar, *this);
}

void MoveFX::SetParameters(ZT_ABRender&) {
  const ZT_MoveFX& s = settings();
  const D3DXVECTOR3 d = s.DirectionVector();
  // The distance travelled, kept within two slides (a mirrored repeat's
  // period) so that it stays exact however long the show runs; a swing
  // turns back at one slide.
  float travelled = std::fmod(fxTime_ * s.strength.Scaled(), 2.0f);
  if (!std::isfinite(travelled)) travelled = 0;
  if (s.swing.Value() != 0) travelled = 1 - std::fabs(travelled - 1);
  const float smear = s.smear.Scaled();
  effect_->SetVector("Direction", {d.x * travelled, d.y * travelled, d.x * smear, d.y * smear});
}

GLIMMER_REGISTER_LAYER_KIND(ZT_MoveFX, MoveFX)

namespace {
std::shared_ptr<const EffectDesc> MakeMoveEffect() {
  return MakeScreenEffect("moving picture (1003)", "effects/move_fx.glsl",
                          {{"Direction", EffectParamType::Float4}});
}
}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", 1003, MakeMoveEffect)

}  // namespace glimmer
