#include "effects/cloud_fx.h"

#include <algorithm>
#include <cmath>

#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"
#include "store/archive.h"

namespace glimmer {

ZT_CloudFX::ZT_CloudFX() {
  speed.SetScale(0.001f, 0.0f);
  strength.SetScale(0.05f, 0.0f);
  effect = ZT_HLSLEffectFile(u"common_res.dll", 1009);
}

void ZT_CloudFX::Serialize(Archive& ar, int32_t) {
  Field(ar, "lightColour", lightColour);
  Field(ar, "shadowColour", shadowColour);
  Field(ar, "shape", shape);
  Field(ar, "detail", detail);
  Field(ar, "threshold", threshold);
  Field(ar, "density", density);
  Field(ar, "path", path);
  if (ar.IsReading()) path.Rebuild();
  SerializeBase<ZT_DirectionBased>(ar, *this);
}

D3DXVECTOR3 CloudFX::AlongPath(const std::vector<D3DXVECTOR3>& points, float distance) {
  if (points.size() < 2 || !std::isfinite(distance)) return {};
  float total = 0;
  for (size_t i = 1; i < points.size(); ++i) total += Length(points[i] - points[i - 1]);
  if (!(total > 0)) return {};
  // There and back: a triangle over twice the length.
  float s = std::fmod(std::fabs(distance), 2 * total);
  if (s > total) s = 2 * total - s;
  for (size_t i = 1; i < points.size(); ++i) {
    const D3DXVECTOR3 step = points[i] - points[i - 1];
    const float l = Length(step);
    if (s <= l && l > 0) return points[i - 1] + step * (s / l) - points.front();
    s -= l;
  }
  return points.back() - points.front();
}

void CloudFX::Prepare() {
  ScreenEffectRuntime::Prepare();
  shape_ = LoadPicture(settings().shape, 70);
  detail_ = LoadPicture(settings().detail, 72);
  settings().path.Rebuild();
}

void CloudFX::SetParameters(ZT_ABRender& renderer) {
  float w = 0, h = 0;
  SlideSize(renderer, w, h);
  const ZT_CloudFX& s = settings();
  const D3DXVECTOR3 d = s.DirectionVector();
  // The drift in slide heights, kept within a range where the noise stays
  // exact.
  float drift = std::fmod(fxTime_ * s.strength.Scaled(), 4096.0f);
  if (!std::isfinite(drift)) drift = 0;
  effect_->SetTexture("Shape", shape_);
  effect_->SetTexture("Detail", detail_);
  effect_->SetFloat("Threshold", std::clamp(s.threshold.Scaled(), 0.0f, 1.0f));
  effect_->SetFloat("Density", std::clamp(s.density.Scaled(), 0.0f, 1.0f) * Visibility());
  const D3DXVECTOR4 light = Colour(s.lightColour.Value()), shadow = Colour(s.shadowColour.Value());
  effect_->SetVector("ColorK1", light);
  effect_->SetVector("ColorK2", {shadow.x - light.x, shadow.y - light.y, shadow.z - light.z, 0});
  effect_->SetVector("Velocity", {d.x * drift, d.y * drift, 0, 0});
  const D3DXVECTOR3 moved = AlongPath(s.path.Polyline, drift * h);
  effect_->SetVector("mask_tex_shift", {moved.x / w, moved.y / h, 0, 0});
}

GLIMMER_REGISTER_LAYER_KIND(ZT_CloudFX, CloudFX)

namespace {
std::shared_ptr<const EffectDesc> MakeCloudEffect() {
  using P = EffectParamType;
  return MakeScreenEffect("clouds (1009)", "effects/cloud_fx.glsl",
                          {{"Threshold", P::Float},
                           {"Density", P::Float},
                           {"ColorK1", P::Float4},
                           {"ColorK2", P::Float4},
                           {"Velocity", P::Float2},
                           {"mask_tex_shift", P::Float2}},
                          {"Shape", "Detail"});
}
}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", 1009, MakeCloudEffect)

}  // namespace glimmer
