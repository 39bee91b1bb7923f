#include "texts/particle_text.h"

#include <algorithm>
#include <cmath>

#include "document/doc_res_manager.h"
#include "document/resource_manager.h"
#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"
#include "platform/gpu/effect.h"
#include "scene/renderer_interface.h"
#include "store/archive.h"

namespace glimmer {
namespace {

uint64_t BytesStamp(const std::vector<uint8_t>& bytes) {
  uint64_t h = 14695981039346656037ull;
  for (uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
  return h;
}

}  // namespace

ZT_StaticText::ZT_StaticText() {
  appearance.colours.colours.StoreValue({0xFFFFFF});
  appearance.effect = ZT_HLSLEffectFile(u"common_res.dll", kParticleTextEffectId);
  shadowDirection.Recompute();
}

void ZT_StaticText::Serialize(Archive& ar, int32_t) {
  Field(ar, "text", text);
  Field(ar, "style", style);
  Field(ar, "shadowEnabled", shadowEnabled);
  int32_t rgb = int32_t(shadowColour.Value());
  Field(ar, "shadowColour", rgb);
  if (ar.IsReading()) shadowColour.SetValue(uint32_t(rgb));
  Field(ar, "shadowTransparency", shadowTransparency);
  Field(ar, "shadowDistance", shadowDistance, ReadMode::Direct);
  Field(ar, "shadowDirection", shadowDirection);
  if (ar.IsReading()) shadowDirection.Recompute();
  SerializeBase<QVX_StaticObject>(ar, *this);
}

bool ZT_StaticText::ComposeTextPicture(ZT_DocResManager& resources) {
  ZT_NamedFileLinkData texture = appearance.texture.Value();
  if (text.Value().empty() || !texture.Images.empty() || !texture.Primary.Path.empty())
    return false;
  uint32_t w = 0, h = 0;
  std::vector<uint8_t> png = TextPng(text.Value(), style.Font(), &w, &h, style.colour.Value());
  if (png.empty()) return false;
  const LinkKey key{u"text.png", BytesStamp(png)};
  resources.PictureBlobs.push_back({key, {{0, u"", std::move(png), u""}}});
  texture.Images = {key};
  texture.Primary = key;
  appearance.texture.SetValue(texture);
  // A quad without an area: the picture's size about its centre.
  const D3DXVECTOR3 a = quad.Corners[0].Value(), b = quad.Corners[3].Value();
  if (a.x == b.x || a.y == b.y)
    quad.SetCentered(float(w), float(h), {(a.x + b.x) / 2, (a.y + b.y) / 2, 0});
  return true;
}

ParticleTextSystem::ParticleTextSystem(std::unique_ptr<ZT_StaticText> system)
    : StaticObjectSystem(std::move(system)) {
  // Particle text always draws through the text effect.
  Text().appearance.effect = ZT_HLSLEffectFile(u"common_res.dll", kParticleTextEffectId);
  // Without a colour the picture shows in its own colours, not black.
  ColourTable& c = Text().appearance.colours;
  if (c.colours.Value().empty()) c.colours.StoreValue({0xFFFFFF});
}

void ParticleTextSystem::AttachResources(QVX_DocResManager* resources, GpuDevice* device) {
  StaticObjectSystem::AttachResources(resources, device);
  ZT_StaticText& t = Text();
  if (frames_.textures.empty() || !frames_.textures.front()) {
    drawnText_ = TextTexture(t.text.Value(), t.style.Font(), &pictureWidth_, &pictureHeight_,
                             t.style.colour.Value());
  } else if (resources) {
    const ZT_NamedFileLinkData& texture = t.appearance.texture.Value();
    const LinkKey key = texture.Primary.Path.empty() && !texture.Images.empty()
                            ? texture.Images.front()
                            : texture.Primary;
    const TextureSet set = resources->FindTextures(ZT_FileLink3(key), 1);
    pictureWidth_ = set.ImageWidth;
    pictureHeight_ = set.ImageHeight;
  }
}

TexturePtr ParticleTextSystem::Picture() const {
  const TexturePtr& frame = frames_.Current();
  return frame ? frame : drawnText_;
}

void ParticleTextSystem::Advance(float t) {
  StaticObjectSystem::Advance(t);
  if (t < previous_) previous_ = t;
  const float step = std::min(t - previous_, kMaxClockStep);
  previous_ = t;
  const QVX_Timing* line = Text().timing.Line();
  Text().StepText(std::isfinite(step) ? step : 0, line && line->State() == TimeLineState::Hidden);
}

void ParticleTextSystem::Render(ZT_ABRender& renderer, int) {
  const TexturePtr picture = Picture();
  if (!effect_ || quadCount_ == 0 || !picture) return;
  ZT_StaticText& t = Text();
  Effect& e = *effect_;
  e.SetTexture("Texture", picture);
  const D3DXVECTOR4 shift = t.TextShift();
  if (t.shadowEnabled.Value() != 0 && pictureWidth_ > 0 && pictureHeight_ > 0) {
    const float dist = float(t.shadowDistance.Value());
    const D3DXVECTOR4& d = t.shadowDirection.Direction();
    e.SetVector("Color", ColorToFloat4(t.shadowColour.Value(), t.shadowTransparency.Scaled()));
    e.SetVector("Shift", {shift.x + dist * d.x / float(pictureWidth_),
                          shift.y - dist * d.y / float(pictureHeight_), 0, 0});
    renderer.DrawIndexedFxTechnique(quads_, e, "Shadow", 2 * quadCount_);
  }
  e.SetVector("Shift", shift);
  renderer.DrawIndexedFxTechnique(quads_, e, "Main", 2 * quadCount_);
}

GLIMMER_REGISTER_PARTICLE_TEXT(ZT_StaticText)

namespace {

std::shared_ptr<const EffectDesc> MakeParticleTextEffect() {
  using P = EffectParamType;
  auto d = std::make_shared<EffectDesc>();
  d->name = "particle text (198)";
  d->params = {{"Texture", P::Texture}, {"Color", P::Float4}, {"Shift", P::Float4}};
  auto pass = [](const char* technique) {
    EffectPassDesc p;
    p.name = "P0";
    p.renderStates = AlphaBlendPassStates();
    p.samplers = {{"TextureSampler", "Texture", D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE,
                   D3DTADDRESS_WRAP, D3DTADDRESS_WRAP}};
    p.pixelShader = TechniqueShader("texts/particle_text.glsl", technique);
    return p;
  };
  d->techniques = {{"Shadow", {pass("Shadow")}}, {"Main", {pass("Main")}}};
  return d;
}

}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", kParticleTextEffectId, MakeParticleTextEffect)

}  // namespace glimmer
