#include "texts/static_text.h"

#include <algorithm>

#include "document/doc_res_manager.h"
#include "document/resource_manager.h"
#include "params/param_serialization.h"
#include "params/smart_timing.h"
#include "platform/gpu/builtin_effects.h"
#include "platform/gpu/effect.h"
#include "scene/renderer_interface.h"
#include "store/archive.h"

namespace glimmer {

ZT_StaticTextConstructor::ZT_StaticTextConstructor() {
  effect = ZT_HLSLEffectFile(u"common_res.dll", kSpriteTextEffectId);
  colour.StoreValue(0x0000FF);
}

void ZT_StaticTextConstructor::Serialize(Archive& ar, int32_t version) {
  Field(ar, "setting1", setting1);
  Field(ar, "setting2", setting2);
  Field(ar, "text", text);
  FontData f = font.Value();
  Field(ar, "font", f);
  if (ar.IsReading()) font.SetValue(f);
  if (version == 1) {
    for (size_t i = 0; i < legacyTiming.size(); ++i)
      Field(ar, "legacyTiming" + std::to_string(i + 1), legacyTiming[i]);
  }
  if (version >= 3) {
    Field(ar, "textureKey", textureKey);
    Field(ar, "textureName", textureName);
    Field(ar, "textureFlag", textureFlag);
  }
  SerializeBase<ZT_StatBaseFXCtrl>(ar, *this);
  if (!ar.IsReading() || version != 1 || legacyTiming[2] == 0) return;
  // The first texts timed themselves: a random line in tenths.
  const auto& l = legacyTiming;
  auto line = std::make_shared<QVX_RandomTimeLine>();
  line->HiddenRange.Min.SetValue(l[3] / 10);
  line->HiddenRange.Max.SetValue(l[3] / 10);
  line->VisibleRange.Min.SetValue(l[2] / 10);
  line->VisibleRange.Max.SetValue(l[2] / 10);
  line->FadeIn.SetValue(l[0] / 10);
  line->FadeOut.SetValue(l[1] / 10);
  timing.StoreValue(int32_t(TimingKind::Random));
  timing.SetCurrent(line);
}

void ZT_StaticTextConstructor::MoveSprite(SpriteRecord& r) {
  r.position = position.Value();
  r.halfWidth = float(quadWidth.Value()) * 0.5f;
  r.halfHeight = float(quadHeight.Value()) * 0.5f;
  r.colour = ColourFor(r.alphaFactor);
}

void ZT_StaticTextConstructor::TakePictureSize(uint32_t width, uint32_t height) {
  if (quadWidth.Value() == 0 || quadHeight.Value() == 0) {
    quadWidth.StoreValue(width);
    quadHeight.StoreValue(height);
  }
}

void ZT_StaticTextConstructor::LoadEffectResources() {
  ZT_FXParticleSystemCtrl::LoadEffectResources();
  QVX_DocResManager* resources = QVX_DocResManager::Current();
  if (!resources) return;
  // No picture carried: the string drawn now, kept under the key as a
  // carried one would be.
  if (!resources->GuidBlobs.count(textureKey) && !text.Value().empty()) {
    std::vector<uint8_t> png = TextPng(text.Value(), FontOf(font.Value()));
    if (!png.empty()) resources->GuidBlobs[textureKey] = {textureName, textureFlag, {u"", png}};
  }
  const GuidTexture picture = resources->GetGuidTexture(textureKey);
  textTexture = picture.Texture;
  textWidth = picture.Width;
  textHeight = picture.Height;
  if (textTexture) TakePictureSize(textWidth, textHeight);
}

bool ZT_StaticTextConstructor::SetEffectParameters(ZT_ABRender& renderer,
                                                   const ZT_SpriteArrayT<DX_V::PCT>& geometry) {
  if (!loadedEffect || !textTexture) return false;
  Effect& e = *loadedEffect;
  e.SetTechnique("CommonVretexColor");
  e.SetTexture("Texture1", textTexture);
  renderer.DrawColoredFx(geometry, e);
  return false;
}

bool ZT_StaticTextConstructor::ComposeTextPicture(ZT_DocResManager& resources) {
  if (text.Value().empty()) return false;
  for (const GuidBlobEntry& e : resources.GuidEntries) {
    if (e.Id == textureKey) return false;
  }
  uint32_t w = 0, h = 0;
  std::vector<uint8_t> png = TextPng(text.Value(), FontOf(font.Value()), &w, &h);
  if (png.empty()) return false;
  resources.GuidEntries.push_back({textureKey, textureName, textureFlag, {u"", std::move(png)}});
  TakePictureSize(w, h);
  return true;
}

GLIMMER_REGISTER_FX_KIND(ZT_StaticTextConstructor)

namespace {

std::shared_ptr<const EffectDesc> MakeSpriteTextEffect() {
  using P = EffectParamType;
  auto d = std::make_shared<EffectDesc>();
  d->name = "sprite text";
  d->params = {{"Texture1", P::Texture}, {"ScrollOffset", P::Float2}};
  const auto& blended = AlphaBlendPassStates();
  // "CommonVretexColor": the text picture × the vertex colour, colour and
  // alpha, blended over the target.
  EffectPassDesc common;
  common.name = "P0";
  common.renderStates = blended;
  common.stageStates = {{0, D3DTSS_COLOROP, D3DTOP_MODULATE}, {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
                        {0, D3DTSS_COLORARG2, D3DTA_DIFFUSE}, {0, D3DTSS_ALPHAOP, D3DTOP_MODULATE},
                        {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE}, {0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
                        {1, D3DTSS_COLOROP, D3DTOP_DISABLE},  {1, D3DTSS_ALPHAOP, D3DTOP_DISABLE}};
  common.stageTextures = {{0, "Texture1"}};
  common.samplerStates = {{0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR},
                          {0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR},
                          {0, D3DSAMP_MIPFILTER, D3DTEXF_NONE},
                          {0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP},
                          {0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP}};
  // "ScrollText": the same through a window moved by "ScrollOffset", the
  // picture repeating along the scroll.
  EffectPassDesc scroll;
  scroll.name = "P0";
  scroll.renderStates = blended;
  scroll.samplers = {{"Texture1Sampler", "Texture1", D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE,
                      D3DTADDRESS_WRAP, D3DTADDRESS_WRAP}};
  scroll.pixelShader = TechniqueShader("texts/sprite_text.glsl", "ScrollText");
  d->techniques = {{"CommonVretexColor", {common}}, {"ScrollText", {scroll}}};
  return d;
}

}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", kSpriteTextEffectId, MakeSpriteTextEffect)

}  // namespace glimmer
