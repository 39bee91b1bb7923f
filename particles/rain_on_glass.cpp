#include "particles/rain_on_glass.h"

#include <cmath>
#include <iostream>

#include "common/wide_string.h"
#include "params/param_serialization.h"
#include "params/random_source.h"
#include "store/archive.h"

namespace glimmer {
namespace {
constexpr float kRadiansPerDegree = 3.14159265358979f / 180.0f;
}

ZT_RainOnGlass::ZT_RainOnGlass() {
  appearance.baseSize.SetValue(16);
}

void ZT_RainOnGlass::Serialize(Archive& ar, int32_t) {
  Field(ar, "rate", rate.rate);
  Field(ar, "glass", glass.quad);
  Field(ar, "gravity", gravity);
  Field(ar, "fallDirection", fallDirection);
  SerializeBase<QVX_ParticleSystemCtrl>(ar, *this);
}

RainOnGlassSystem::RainOnGlassSystem(const ZT_RainOnGlass& constructor)
    : ParticleKindRuntime(constructor), drops_(engine_), merge_(drops_) {
  interaction_.action = &die_;
}

void RainOnGlassSystem::BuildRoutines() {
  // Drops are sized by rnd1 and faded by rnd2; they never die of age.
  ParticleAppearance& a = settings().appearance;
  a.flags.SetValue(a.flags.Value() | kSizeIsRnd1 | kOpacityIsRnd2);
  engine_.SetAgeRule(AgeRule::None);
  fallSlot_ = engine_.AddRoutine({.kind = RoutineKind::Custom, .apply = &RainFallStep},
                                 kRainFallStateFloats);
  dynamicSlot_ = engine_.AddRoutine({.kind = RoutineKind::Custom, .apply = &RainDynamicStep},
                                    kRainDynamicStateFloats);
  engine_.AddRoutine({.kind = RoutineKind::Kinematic});
  colourSlot_ = engine_.AddRoutine({.kind = RoutineKind::Color}, 1);
  engine_.AddRoutine(
      {.kind = RoutineKind::Custom, .apply = &RainInteractionStep, .context = &interaction_});
  drops_.AddMergeRoutine();
}

void RainOnGlassSystem::PlaceDefault(float width, float height) {
  settings().glass.quad.SetCentered(width, height, {width / 2, height / 2, 0});
}

void RainOnGlassSystem::AttachResources(QVX_DocResManager*, GpuDevice*) {
  // The glass is placed by now.
  leavesGlass_ = std::make_unique<PRC_CrossQuad>(settings().glass.quad);
  interaction_.condition = leavesGlass_.get();
}

bool RainOnGlassSystem::Emit(float dt, size_t) {
  ZT_RainOnGlass& s = settings();
  // The drops step once more here, on top of the frame's own step: they fall
  // in and slide at twice the rate the step alone gives them.
  engine_.StepAll(dt);
  SweepOverlaps(engine_, float(s.appearance.baseSize.Value()) * 0.9f, merge_, scratch_);
  int32_t n = s.rate.Count(dt);
  if (n <= 0) return false;
  const size_t room = kMaxRainDrops - std::min<size_t>(engine_.Count(), kMaxRainDrops);
  if (size_t(n) > room) {
    if (!capReported_) {
      std::cerr << "glimmer: the rain layer \"" << ToUtf8(s.name) << "\" holds " << kMaxRainDrops
                << " drops; no more land until some leave\n";
      capReported_ = true;
    }
    n = int32_t(room);
  }
  positions_.resize(size_t(n));
  s.glass.Positions(positions_);
  for (const D3DXVECTOR3& position : positions_) {
    if (!engine_.Spawn(position)) break;
    InitNewborn(engine_.Count() - 1);
  }
  return false;
}

void RainOnGlassSystem::InitNewborn(size_t i) {
  const ZT_RainOnGlass& s = settings();
  const ParticleAppearance& a = s.appearance;
  Particle& p = engine_.At(i);
  drops_.Identify(i);
  const uint32_t type = uint32_t(NextRandom()) % 4;
  // Flies in onto its place from along the fall direction, faded out.
  StartRainFall(engine_.State(i, engine_.Routines()[fallSlot_]), p.position);
  SetRainFlags(p, kRainFallingIn);
  p.rnd2 = 0;
  const D3DXVECTOR4& d = s.fallDirection.Direction();
  const D3DXVECTOR3 screen{d.x, -d.y, d.z};
  p.position = p.position - screen * (float(a.baseSize.Value()) * 10.0f * p.rnd1);
  const float g = s.gravity.Scaled();
  StartRainDynamic(engine_.State(i, engine_.Routines()[dynamicSlot_]), screen * g);
  engine_.State(i, engine_.Routines()[colourSlot_])[0] = RandomUniform(0, 1);
  float angle = float(a.angle.Value());
  p.frame[0] = p.frame[1] = 0.5f;
  if (type != 0) {
    p.rnd1 = RandomUniform(0.5f, 0.8f);
    // (rand mod (2S + 1)) − S in 64 bits: no spread wraps around.
    const int64_t spread = a.angleSpread.Value();
    const int64_t r = int64_t(uint32_t(NextRandom())) % (2 * spread + 1);
    angle += float(r - spread);
    p.frame[2] = type == 2 ? 0.0f : 0.5f;
    p.frame[3] = type == 1 ? 0.0f : 0.5f;
  } else {
    SetRainFlags(p, kRainFallingIn | kRainSliding);
    p.frame[2] = p.frame[3] = 0;
  }
  p.orientCos = std::cos(angle * kRadiansPerDegree);
  p.orientSin = std::sin(angle * kRadiansPerDegree);
}

GLIMMER_REGISTER_LAYER_KIND(ZT_RainOnGlass, RainOnGlassSystem)

}  // namespace glimmer
