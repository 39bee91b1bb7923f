#include "effects/waterfall_fx.h"

#include <algorithm>
#include <cmath>

#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"
#include "store/archive.h"

namespace glimmer {

ZT_WaterfallFX::ZT_WaterfallFX() {
  speed.SetScale(0.02f, 0.0f);
  strength.SetScale(0.012f, 0.0f);
  direction.StoreValue(270);
  effect = ZT_HLSLEffectFile(u"common_res.dll", 1004);
}

void ZT_WaterfallFX::Serialize(Archive& ar, int32_t) {
  Field(ar, "columns", columns);
  Field(ar, "length", length);
  Field(ar, "refraction", refraction);
  Field(ar, "whiteness", whiteness);
  Field(ar, "foam", foam);
  Field(ar, "water", water);
  Field(ar, "colour", colour);
  Field(ar, "reverse", reverse);
  SerializeBase<ZT_DirectionBased>(ar, *this);
}

void WaterfallFX::Prepare() {
  ScreenEffectRuntime::Prepare();
  picture_ = LoadPicture(settings().water, 57);
  if (GpuDevice* device = CurrentDevice()) {
    stateTexture_ = device->CreateTexture(6, 1, 1, 0, D3DFMT_V16U16, D3DPOOL_MANAGED);
  }
}

void WaterfallFX::SetParameters(ZT_ABRender&) {
  const ZT_WaterfallFX& s = settings();
  const D3DXVECTOR3 d = s.DirectionVector();
  const D3DXVECTOR4 c = Colour(s.colour.Value());
  const float sign = s.reverse.Value() != 0 ? -1.0f : 1.0f;
  const float length = std::max(s.length.Scaled(), 0.01f);
  // The phase over one streak length, so that it stays exact however long
  // the show runs.
  float phase = std::fmod(fxTime_ * s.strength.Scaled() / length, 1.0f);
  if (!std::isfinite(phase)) phase = 0;
  state_ = {phase,
            s.refraction.Scaled() / 0.05f,
            d.x * sign,
            d.y * sign,
            s.whiteness.Scaled(),
            s.foam.Scaled(),
            s.columns.Scaled() / 32.0f,
            length,
            c.x,
            c.y,
            c.z,
            0};
  for (size_t i = 0; i < state_.size(); ++i) {
    texels_[i] = int16_t(std::lround(std::clamp(state_[i], -1.0f, 1.0f) * 32767.0f));
  }
  if (stateTexture_) stateTexture_->UploadLevel(0, texels_.data());
  effect_->SetTexture("Water", picture_);
  effect_->SetTexture("State", stateTexture_);
}

GLIMMER_REGISTER_LAYER_KIND(ZT_WaterfallFX, WaterfallFX)

namespace {
std::shared_ptr<const EffectDesc> MakeWaterfallEffect() {
  return MakeScreenEffect("waterfall (1004)", "effects/waterfall_fx.glsl", {}, {"Water", "State"});
}
}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", 1004, MakeWaterfallEffect)

}  // namespace glimmer
