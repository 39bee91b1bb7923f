#include "particles/particle_runtime.h"

#include <algorithm>
#include <cmath>

#include "document/resource_manager.h"
#include "particles/emitters.h"
#include "platform/gpu/effect.h"
#include "scene/render_context.h"

namespace glimmer {

ParticleSystemRuntime::ParticleSystemRuntime(std::unique_ptr<QVX_ParticleSystemCtrl> system)
    : ZT_ABObj(std::move(system)), engine_(System().appearance, System().name) {}

ParticleSystemRuntime::~ParticleSystemRuntime() = default;

int ParticleSystemRuntime::WarmUpSteps(float seconds) {
  if (!(seconds > 0) || !std::isfinite(seconds)) return 0;
  const double tenths = std::min(double(seconds), double(kMaxWarmUpSeconds)) * 10.0;
  // The steps start at 0, 0.1, 0.2, ... while below the time: a whole
  // number of tenths within rounding is not one more.
  return int(std::ceil(tenths - 1e-4));
}

void ParticleSystemRuntime::BuildRoutines() {
  engine_.SetAgeRule(AgeRule::Constant);
  engine_.AddAppearanceRoutines();
  engine_.AddRoutine({.kind = RoutineKind::Kinematic});
}

void ParticleSystemRuntime::Attach() {
  if (attached_) return;
  attached_ = true;
  GpuDevice* device = CurrentDevice();
  quads_ = ZT_IndexedMesh<DX_V::PCT>(device);
  engine_.ClearRoutines();
  BuildRoutines();
  const ParticleAppearance& a = System().appearance;
  QVX_DocResManager* resources = QVX_DocResManager::Current();
  if (RenderContext* c = CurrentRenderContext(); c && System().keepIdentity == 0) {
    PlaceDefault(c->TargetWidth, c->TargetHeight);
  }
  if (resources && device) LoadAppearance(a, *resources, *device, frames_, effect_, glow_);
  AttachResources(resources, device);
}

void ParticleSystemRuntime::LoadAppearance(const ParticleAppearance& a,
                                           QVX_DocResManager& resources, GpuDevice& device,
                                           TextureFrames& frames, std::shared_ptr<Effect>& effect,
                                           std::unique_ptr<QVX_BlurSurface>& glow) {
  // The texture: the link's key through the collections that can hold it.
  const ZT_NamedFileLinkData& texture = a.texture.Value();
  const LinkKey key = texture.Primary.Path.empty() && !texture.Images.empty()
                          ? texture.Images.front()
                          : texture.Primary;
  const TextureSet set =
      resources.FindTextures(ZT_FileLink3(key), a.flags.Value() & kFilteredTexture ? 4 : 1);
  frames.textures = set.Textures;
  frames.delays = set.Delays;
  frames.uExtent = set.UMax > 0 ? set.UMax : 1;
  frames.vExtent = set.VMax > 0 ? set.VMax : 1;
  frames.aspect = set.ImageWidth > 0 ? float(set.ImageHeight) / float(set.ImageWidth) : 1;
  effect = resources.GetEffect(a.effect);
  glow.reset();
  if (a.glowMode.Value() >= 1) {
    glow = std::make_unique<QVX_BlurSurface>(device);
    glow->BlurEffect = resources.GetEffect(ZT_HLSLEffectFile(u"common_res.dll", 202));
    if (RenderContext* c = CurrentRenderContext()) {
      glow->SourceWidth = uint32_t(c->PictureTextureWidth);
      glow->SourceHeight = uint32_t(c->PictureTextureHeight);
    }
    glow->SetStrength(a.blurStrength.Value());
    if (glow->SourceWidth && glow->SourceHeight) glow->Rescale();
  }
}

float ParticleSystemRuntime::Visibility() const {
  QVX_Timing* line = const_cast<ParticleSystemRuntime*>(this)->GetTiming().Line();
  return line ? line->Visibility() : 1.0f;
}

bool ParticleSystemRuntime::IsHidden() const {
  QVX_Timing* line = const_cast<ParticleSystemRuntime*>(this)->GetTiming().Line();
  return line && line->State() == TimeLineState::Hidden;
}

uint32_t ParticleSystemRuntime::DueOfTotal(uint32_t total, uint32_t& emitted) const {
  if (IsHidden()) emitted = 0;
  const double due = std::trunc(double(Visibility()) * total - emitted);
  if (!(due > 0)) return 0;
  const uint32_t n = uint32_t(std::min(due, double(kMaxBirthsPerStep)));
  emitted += n;
  return n;
}

void ParticleSystemRuntime::RestartEmpty() {
  ZT_ABObj::Restart();
  Attach();
  engine_.Clear();
}

void ParticleSystemRuntime::StepAndEmit(float dt) {
  engine_.StepAll(dt);
  const size_t first = engine_.Count();
  if (Emit(dt, first)) engine_.SubStep(first, dt);
}

void ParticleSystemRuntime::Restart() {
  ZT_ABObj::Restart();
  Attach();
  // A layer on a time line starts empty; any other warms up, on top of what
  // it still holds from the last time its slide was shown.
  if (System().timing.Value() != 0) {
    engine_.Clear();
    return;
  }
  const int steps = WarmUpSteps(WarmUpTime());
  for (int k = 0; k < steps; ++k) StepAndEmit(0.1f);
}

void ParticleSystemRuntime::AdvanceAppearanceClocks(float t) {
  AdvanceClocks(System().appearance, frames_, t);
}

void ParticleSystemRuntime::AdvanceClocks(ParticleAppearance& a, TextureFrames& frames, float t) {
  a.textureSpeed.Advance(t);
  a.spinSpeed.Advance(t);
  frames.Advance(a.textureSpeed.LocalTime, a.textureReverse.Value() != 0);
}

void ParticleSystemRuntime::Advance(float t) {
  Attach();
  QVX_ParticleSystemCtrl& s = System();
  s.speed.Advance(t);
  const float step = s.speed.StepTime;
  AdvanceAppearanceClocks(t);
  StepAndEmit(step);
  BuildQuads();
}

void ParticleSystemRuntime::BuildQuads() {
  const ParticleAppearance& a = System().appearance;
  quadCount_ =
      engine_.BuildQuads(quads_, float(a.baseSize.Value()), frames_, a.spinSpeed.LocalTime);
}

void ParticleSystemRuntime::DrawGlow(ZT_ABRender& renderer, const ZT_IndexedMesh<DX_V::PCT>& mesh,
                                     uint32_t quads, const ParticleAppearance& a,
                                     const TextureFrames& frames, Effect& effect,
                                     QVX_BlurSurface* glow) {
  if (a.glowMode.Value() < 1 || !glow) return;
  effect.SetTexture("Texture0", frames.Current());
  glow->BeginBlur(renderer);
  renderer.DrawIndexedFxTechnique(mesh, effect, "BlendNormal", 2 * quads);
  const TexturePtr blurred = *glow->EndBlur(renderer, a.glowBlur.Value());
  effect.SetTexture("Texture0", blurred);
  const uint32_t c = a.glowColour.Value();
  effect.SetVector("GlowColor", {float(c & 0xFF) / 255, float((c >> 8) & 0xFF) / 255,
                                 float((c >> 16) & 0xFF) / 255, 1.0f});
  effect.SetFloat("GlowBrightness", a.glowBrightness.Scaled());
  const TexturePtr* scene = renderer.GetSceneTextureSlot();
  const bool screen = a.glowMode.Value() > 1 && scene && *scene;
  if (screen) effect.SetTexture("Background", *scene);
  effect.SetTechnique(screen ? "DrawGlowScreen" : "DrawGlowNormal");
  renderer.DrawFx(renderer.GetPictureQuad(), effect);
}

void ParticleSystemRuntime::DrawAppearance(ZT_ABRender& renderer,
                                           const ZT_IndexedMesh<DX_V::PCT>& mesh, uint32_t quads,
                                           const ParticleAppearance& a, const TextureFrames& frames,
                                           Effect* effect, QVX_BlurSurface* glow) {
  if (quads == 0 || !effect) return;
  DrawGlow(renderer, mesh, quads, a, frames, *effect, glow);
  effect->SetTexture("Texture0", frames.Current());
  // Flat systems blend normally whatever the texture's premultiplied flag
  // says; only tree leaves draw such textures through "BlendNormal_AlphaPM".
  renderer.DrawIndexedFxTechnique(mesh, *effect, a.blend.Value() == 1 ? "BlendSum" : "BlendNormal",
                                  2 * quads);
}

void ParticleSystemRuntime::Render(ZT_ABRender& renderer, int pass) {
  if (NeedsSceneCopy()) renderer.CopyScene(pass, false);
  DrawAppearance(renderer, quads_, quadCount_, System().appearance, frames_, effect_.get(),
                 glow_.get());
}

}  // namespace glimmer
