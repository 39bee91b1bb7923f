#include "particles/firefly.h"

#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {
namespace {
// Fireflies never die; their life only spreads the appearance's colour and
// envelopes, over a long time.
constexpr float kFireflyLife = 3600.0f;
}  // namespace

void QVX_Firefly::Serialize(Archive& ar, int32_t version) {
  ar.BeginStruct("trails");
  trails.Serialize(ar);
  ar.EndStruct();
  SerializeBase<QVX_BrownAnimation>(ar, *this);
  if (ar.IsReading() && version < 2) {
    ParticleAppearance& t = trails.appearance;
    t.texture = appearance.texture;
    t.colours = appearance.colours;
    t.name = appearance.name;
    t.glowMode = appearance.glowMode;
    t.blurStrength = appearance.blurStrength;
    t.glowColour = appearance.glowColour;
    t.glowBrightness = appearance.glowBrightness;
    t.glowBlur = appearance.glowBlur;
    t.baseSize = appearance.baseSize;
  }
}

FireflySystem::FireflySystem(const QVX_Firefly& constructor)
    : BrownAnimationSystem(std::make_unique<QVX_Firefly>(constructor)) {}

void FireflySystem::BuildRoutines() {
  BrownAnimationSystem::BuildRoutines();
  engine_.SetAgeRule(AgeRule::Head);
  engine_.AddAppearanceRoutines();
  settings().trails.BuildRoutines();
}

void FireflySystem::AttachResources(QVX_DocResManager* resources, GpuDevice* device) {
  trailQuads_ = ZT_IndexedMesh<DX_V::PCT>(device);
  if (resources && device) {
    LoadAppearance(settings().trails.appearance, *resources, *device, trailFrames_, trailEffect_,
                   trailGlow_);
  }
}

void FireflySystem::Prepare(size_t i) {
  engine_.InitFromAppearance(i, kFireflyLife);
}

void FireflySystem::Restart() {
  settings().trails.Engine().Clear();
  BrownAnimationSystem::Restart();
}

void FireflySystem::Advance(float t) {
  Attach();
  QVX_Firefly& s = settings();
  AdvanceAppearanceClocks(t);
  AdvanceClocks(s.trails.appearance, trailFrames_, t);
  const float step = OwnStep(t);
  engine_.StepAll(step);
  BuildQuads();
  s.trails.EmitTrails(float(s.appearance.baseSize.Value()), step, engine_);
  trailCount_ =
      s.trails.Engine().BuildQuads(trailQuads_, float(s.trails.appearance.baseSize.Value()),
                                   trailFrames_, s.trails.appearance.spinSpeed.LocalTime);
}

int FireflySystem::SceneCopyCount() const {
  if (!IsActive()) return 0;
  const QVX_Firefly& s = settings();
  return (s.trails.appearance.glowMode.Value() == 2 ? 1 : 0) +
         (s.appearance.glowMode.Value() == 2 ? 1 : 0);
}

void FireflySystem::Render(ZT_ABRender& renderer, int pass) {
  const QVX_Firefly& s = settings();
  // The trails beneath the fireflies, each with its own look and glow.
  if (s.trails.appearance.glowMode.Value() == 2) renderer.CopyScene(pass, false);
  DrawAppearance(renderer, trailQuads_, trailCount_, s.trails.appearance, trailFrames_,
                 trailEffect_.get(), trailGlow_.get());
  if (s.appearance.glowMode.Value() == 2) renderer.CopyScene(pass, false);
  DrawAppearance(renderer, quads_, quadCount_, s.appearance, frames_, effect_.get(), glow_.get());
}

GLIMMER_REGISTER_LAYER_KIND(QVX_Firefly, FireflySystem)

}  // namespace glimmer
