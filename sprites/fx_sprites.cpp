#include "sprites/fx_sprites.h"

#include "document/resource_manager.h"
#include "params/param_serialization.h"
#include "platform/gpu/effect.h"
#include "platform/screen_context.h"
#include "scene/render_context.h"
#include "scene/renderer_interface.h"
#include "store/archive.h"

namespace glimmer {
namespace {

// The texture of a link's first frame, or null.
TexturePtr FirstFrame(QVX_DocResManager& resources, const ZT_FileLink3& link) {
  if (link.Path().empty()) return nullptr;
  const TextureSet set = resources.FindTextures(link, 1);
  return set.empty() ? nullptr : set.Textures.front();
}

}  // namespace

void ZT_FXParticleSystemCtrl::Serialize(Archive& ar, int32_t) {
  Field(ar, "effect", effect);
  SerializeBase<ZT_BaseSpriteProp>(ar, *this);
}

void ZT_FXParticleSystemCtrl::LoadEffectResources() {
  QVX_DocResManager* resources = QVX_DocResManager::Current();
  if (!resources) return;
  // A document's own effect file the player cannot compile: the kind's
  // built-in effect has the same techniques and parameters.
  std::shared_ptr<Effect> loaded;
  if (!effect.Path().empty() || FallbackEffect() != 0)
    loaded = resources->GetEffect(effect, FallbackEffect());
  loadedEffect = std::move(loaded);
}

void ZT_GlowEffectCtrl::Serialize(Archive& ar, int32_t) {
  int32_t rgb = int32_t(glowColour.Value());
  Field(ar, "glowColour", rgb);
  if (ar.IsReading()) glowColour.StoreValue(uint32_t(rgb));
  Field(ar, "glowStrength", glowStrength);
  SerializeBase<ZT_FXParticleSystemCtrl>(ar, *this);
}

void ZT_GlowEffectCtrl::LoadEffectResources() {
  ZT_FXParticleSystemCtrl::LoadEffectResources();
  ResolveGlowTextures();
}

void ZT_GlowEffectCtrl::ResolveGlowTextures() {
  QVX_DocResManager* resources = QVX_DocResManager::Current();
  if (!resources) return;
  glowTexture = FirstFrame(*resources, overlay);
  spriteTexture = FirstFrame(*resources, image);
}

D3DXVECTOR4 ZT_GlowEffectCtrl::GlowColour() const {
  return {float(glowColour.Red()) / 255, float(glowColour.Green()) / 255,
          float(glowColour.Blue()) / 255, Visibility() * glowStrength.Scaled()};
}

void ZT_BaseFXCtrl::Serialize(Archive& ar, int32_t) {
  SerializeBase<ZT_FXParticleSystemCtrl>(ar, *this);
}

ZT_StatBaseFXCtrl::ZT_StatBaseFXCtrl() {
  D3DXVECTOR3 centre{0, 0, 0};
  if (const RenderContext* c = CurrentRenderContext())
    centre = {float(c->TargetWidth) / 2, float(c->TargetHeight) / 2, 0};
  position.StoreValue(centre);
}

void ZT_StatBaseFXCtrl::Serialize(Archive& ar, int32_t version) {
  Field(ar, "position", position, ReadMode::Direct);
  if (version >= 2) {
    Field(ar, "height", quadHeight, ReadMode::Direct);
    Field(ar, "width", quadWidth, ReadMode::Direct);
  }
  SerializeBase<ZT_BaseFXCtrl>(ar, *this);
}

TimeLineState LineState(const ZT_BaseSpriteProp& kind) {
  const QVX_Timing* line = kind.timing.Line();
  return line ? line->State() : TimeLineState::Shown;
}

// ------------------------------------------------------------ glowing sprites

ZT_GlowingObj::ZT_GlowingObj(std::unique_ptr<ZT_GlowEffectCtrl> owner)
    : ZT_SpriteArrayObj(std::move(owner)) {}

void ZT_GlowingObj::Load() {
  if (loaded_) return;
  QVX_DocResManager* resources = QVX_DocResManager::Current();
  if (!resources || !CurrentDevice()) return;
  loaded_ = true;
  GlowOwner().LoadEffectResources();
  glow_ = &resources->GetTargetSet(surfaceId_);
  glow_->Create(512, 512);
}

void ZT_GlowingObj::Advance(float t) {
  Load();
  GlowOwner().PrepareFrame();
  ZT_SpriteArrayObj::Advance(t);
}

void ZT_GlowingObj::Restart() {
  Load();
  ZT_SpriteArrayObj::Restart();
}

void ZT_GlowingObj::Render(ZT_ABRender& renderer, int pass) {
  // The composite reads the scene drawn so far.
  if (NeedsSceneCopy()) renderer.CopyScene(pass, false);
  Draw(renderer);
}

void ZT_GlowingObj::Draw(ZT_ABRender& renderer) {
  ZT_GlowEffectCtrl& o = GlowOwner();
  // Every pass needs the blend effect: without it the layer is skipped.
  if (!o.loadedEffect || DrawnCount() == 0) return;
  Effect& e = *o.loadedEffect;
  const TexturePtr* scene = renderer.GetSceneTextureSlot();
  // Without a glow picture or a scene to compose over, only the sprites.
  if (o.glowTexture && glow_ && scene && *scene) {
    if (!glow_->Current) glow_->Create(512, 512);
    e.SetTexture("Texture1", o.glowTexture);
    e.SetTechnique("Blend_Max");
    glow_->BeginRender();
    renderer.BeginOffscreen(glow_->Width, glow_->Height, 3);
    renderer.Device().Clear(D3DCLEAR_TARGET, 0, 1.0f, 0);
    renderer.DrawColoredFx(Geometry(), e);
    glow_->EndRender();
    renderer.EndOffscreen();
    e.SetTechnique(o.blendMode.Value() == 1 ? "Blend_Screen" : "Blend_Normal");
    e.SetVector("BlendColor", o.GlowColour());
    e.SetTexture("Texture1", *scene);
    e.SetTexture("Texture2", glow_->Current);
    renderer.DrawFx(renderer.GetPictureQuad(), e);
  }
  e.SetTechnique("Common");
  e.SetTexture("Texture1", o.spriteTexture);
  renderer.DrawColoredFx(Geometry(), e);
}

// ------------------------------------------------------------ effect sprites

ZT_FXObj::ZT_FXObj(std::unique_ptr<ZT_BaseFXCtrl> owner) : ZT_SpriteArrayObj(std::move(owner)) {}

void ZT_FXObj::Load() {
  if (loaded_) return;
  if (!QVX_DocResManager::Current() || !CurrentDevice()) return;
  loaded_ = true;
  FxOwner().LoadEffectResources();
}

void ZT_FXObj::Advance(float t) {
  Load();
  ZT_SpriteArrayObj::Advance(t);
}

void ZT_FXObj::Restart() {
  Load();
  ZT_SpriteArrayObj::Restart();
}

void ZT_FXObj::Draw(ZT_ABRender& renderer) {
  ZT_BaseFXCtrl& o = FxOwner();
  if (!o.loadedEffect || DrawnCount() == 0) return;
  if (o.SetEffectParameters(renderer, Geometry()))
    renderer.DrawColoredFx(Geometry(), *o.loadedEffect);
}

}  // namespace glimmer
