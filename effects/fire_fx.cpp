#include "effects/fire_fx.h"

#include <algorithm>

#include "document/resource_manager.h"
#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"
#include "store/archive.h"

namespace glimmer {

ZT_FireFX::ZT_FireFX() {
  effect = ZT_HLSLEffectFile(u"common_res.dll", 1015);
}

void ZT_FireFX::Serialize(Archive& ar, int32_t version) {
  if (version >= 2) {
    int32_t legacy = 0, extra = 0;
    if (version == 2) Field(ar, "legacy", legacy);
    Field(ar, "secondColour", secondColour);
    Field(ar, "firstColour", firstColour);
    Field(ar, "reserved", reserved);
    Field(ar, "image1", image1);
    Field(ar, "image2", image2);
    if (version == 2) Field(ar, "extra", extra);
    Field(ar, "density", density);
    Field(ar, "brightness", brightness);
    Field(ar, "tiling", tiling);
  }
  SerializeBase<ZT_FX_Constructor>(ar, *this);
}

void FireFX::Prepare() {
  ScreenEffectRuntime::Prepare();
  QVX_DocResManager* resources = QVX_DocResManager::Current();
  if (!resources) return;
  const auto load = [&](const ZT_ImageFileLink& link) {
    if (link.Path().empty()) return TexturePtr{};
    const TextureSet set = resources->FindTextures(link, 4);
    return set.empty() ? TexturePtr{} : set.Textures.front();
  };
  flames1_ = load(settings().image1);
  flames2_ = load(settings().image2);
}

void FireFX::SetParameters(ZT_ABRender& renderer) {
  float w = 0, h = 0;
  SlideSize(renderer, w, h);
  const ZT_FireFX& s = settings();
  const auto rgb = [](const SmartCOLORREF& c) {
    return D3DXVECTOR4{float(c.Red()) / 255, float(c.Green()) / 255, float(c.Blue()) / 255, 1};
  };
  const D3DXVECTOR4 k1 = rgb(s.firstColour), second = rgb(s.secondColour);
  const float v = Visibility();
  effect_->SetVector("bg_scale_factor", {1 / w, 1 / h, 0, 0});
  effect_->SetVector("ColorK1", k1);
  effect_->SetVector("ColorK2", {second.x - k1.x, second.y - k1.y, second.z - k1.z, 0});
  effect_->SetFloat("Brightness", v * v * s.brightness.Scaled());
  effect_->SetFloat("Density", v * (s.density.Scaled() + 1) - 1);
  const float tiling = std::max(s.tiling.Scaled(), 0.01f);
  effect_->SetFloat("Tiling", 1 / tiling);
  effect_->SetFloat("Time", fxTime_);
  effect_->SetTexture("Flames1", flames1_);
  effect_->SetTexture("Flames2", flames2_);
  effect_->SetTechnique("Main");
}

std::shared_ptr<Effect> FireFX::LoadedEffect() {
  Ready();
  return effect_;
}

TexturePtr FireFX::Picture(int which) {
  Ready();
  const TexturePtr& linked = which == 0 ? flames1_ : flames2_;
  if (linked) return linked;
  TexturePtr& builtin = builtin_[which == 0 ? 0 : 1];
  if (!builtin) builtin = LoadPicture(ZT_FileLink3{}, uint16_t(which == 0 ? 7 : 8));
  return builtin;
}

void FireFX::DrawEffect(ZT_ABRender& renderer) {
  // No clip planes cut the flames.
  GpuDevice& d = renderer.Device();
  const uint32_t clip = d.GetRenderState(D3DRS_CLIPPLANEENABLE);
  d.SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
  ScreenEffectRuntime::DrawEffect(renderer);
  d.SetRenderState(D3DRS_CLIPPLANEENABLE, clip);
}

GLIMMER_REGISTER_LAYER_KIND(ZT_FireFX, FireFX)

namespace {
std::shared_ptr<const EffectDesc> MakeFireEffect() {
  using P = EffectParamType;
  return MakeScreenEffect("fire", "effects/fire_fx.glsl",
                          {{"bg_scale_factor", P::Float2},
                           {"ColorK1", P::Float4},
                           {"ColorK2", P::Float4},
                           {"Brightness", P::Float},
                           {"Density", P::Float},
                           {"Tiling", P::Float},
                           {"Time", P::Float},
                           {"WorldViewProj", P::Matrix},
                           {"ViewProj", P::Matrix},
                           {"c11", P::Float2},
                           {"c12", P::Float2},
                           {"c13", P::Float2}},
                          {"Flames1", "Flames2", "Noise", "Pattern"}, {{"AsEffect", true}});
}
}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", 1015, MakeFireEffect)

}  // namespace glimmer
