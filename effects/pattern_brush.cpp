#include "effects/pattern_brush.h"

#include <algorithm>
#include <cmath>

#include "document/resource_manager.h"
#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"
#include "store/archive.h"

namespace glimmer {

ZT_PatternBrush::ZT_PatternBrush() {
  effect = ZT_HLSLEffectFile(u"common_res.dll", 78);
}

void ZT_PatternBrush::Serialize(Archive& ar, int32_t) {
  Field(ar, "pattern", pattern);
  Field(ar, "flipV", flipV);
  Field(ar, "flipH", flipH);
  Field(ar, "rotation", rotation);
  Field(ar, "zoom", zoom);
  Field(ar, "offsetX", offsetX);
  Field(ar, "offsetY", offsetY);
  SerializeBase<ZT_FX_Constructor>(ar, *this);
}

void ZT_PatternBrushC::Serialize(Archive& ar, int32_t) {
  SerializeBase<ZT_PatternBrush>(ar, *this);
}

template <class Ctor>
void PatternBrushRuntime<Ctor>::Prepare() {
  ScreenEffectRuntime::Prepare();
  QVX_DocResManager* resources = QVX_DocResManager::Current();
  const ZT_ImageFileLink& link = this->settings().pattern;
  if (!resources || link.Path().empty()) return;
  const TextureSet set = resources->FindTextures(link, 4);
  frames_ = set.Textures;
  delays_ = set.Delays;
  patternW_ = float(set.ImageWidth);
  patternH_ = float(set.ImageHeight);
  frame_ = 0;
}

template <class Ctor>
void PatternBrushRuntime<Ctor>::AdvanceFx(float t) {
  ScreenEffectRuntime::AdvanceFx(t);
  const float now = this->fxTime_;
  if (now < lastSwitch_) lastSwitch_ = now;
  if (frames_.size() > 1 && frame_ < delays_.size() && now - lastSwitch_ > delays_[frame_]) {
    lastSwitch_ = now;
    frame_ = (frame_ + 1) % frames_.size();
  }
}

template <class Ctor>
D3DXVECTOR4 PatternBrushRuntime<Ctor>::CoordTransform(float w, float h) const {
  const ZT_PatternBrush& s = this->settings();
  const float z = std::max(s.zoom.Scaled(), 0.01f);
  float sx = patternW_ > 0 ? w / (patternW_ * z) : 1, sy = patternH_ > 0 ? h / (patternH_ * z) : 1;
  if (s.flipH.Value()) sx = -sx;
  if (s.flipV.Value()) sy = -sy;
  const float a = float(s.rotation.Value() % 360) * 3.14159265358979f / 180.0f;
  const float c = std::cos(a), sn = std::sin(a);
  // Scaling × RotationZ (row vectors): rows (sx·c, sx·s) and (−sy·s, sy·c).
  return {sx * c, sx * sn, -sy * sn, sy * c};
}

template <class Ctor>
void PatternBrushRuntime<Ctor>::SetParameters(ZT_ABRender& renderer) {
  Effect& e = *this->effect_;
  const float v = this->GetTiming().FadesOpacity() ? this->Visibility() : 1.0f;
  e.SetVector("mix_color", {1, 1, 1, v});
  if (!(patternW_ > 0) || !(patternH_ > 0) || frames_.empty()) return;
  float w = 0, h = 0;
  this->SlideSize(renderer, w, h);
  const ZT_PatternBrush& s = this->settings();
  e.SetTexture("Pattern", frames_[std::min(frame_, frames_.size() - 1)]);
  e.SetVector("scale", {patternW_ / patternH_, 1, 0, 0});
  e.SetVector("offset", {s.offsetX.Scaled(), s.offsetY.Scaled(), 0, 0});
  e.SetVector("coord_transf", CoordTransform(w, h));
}

template <class Ctor>
void PatternBrushRuntime<Ctor>::DrawEffect(ZT_ABRender& renderer) {
  // Nothing to tile without a pattern.
  if (!(patternW_ > 0) || frames_.empty()) return;
  renderer.DrawFx(renderer.GetPictureQuad(), *this->effect_);
}

template class PatternBrushRuntime<ZT_PatternBrush>;
template class PatternBrushRuntime<ZT_PatternBrushC>;

GLIMMER_REGISTER_LAYER_KIND(ZT_PatternBrush, PatternBrushRuntime<ZT_PatternBrush>)
GLIMMER_REGISTER_LAYER_KIND(ZT_PatternBrushC, PatternBrushRuntime<ZT_PatternBrushC>)

namespace {
std::shared_ptr<const EffectDesc> MakePatternEffect() {
  using P = EffectParamType;
  return MakeScreenEffect("pattern (78)", "effects/pattern_brush.glsl",
                          {{"mix_color", P::Float4},
                           {"scale", P::Float2},
                           {"offset", P::Float2},
                           {"coord_transf", P::Float4}},
                          {"Pattern"});
}
}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", 78, MakePatternEffect)

}  // namespace glimmer
