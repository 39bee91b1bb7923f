#include "sprites/explosion.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "document/resource_manager.h"
#include "params/param_serialization.h"
#include "params/random_source.h"
#include "params/smart_timing.h"
#include "platform/gpu/builtin_effects.h"
#include "platform/gpu/effect.h"
#include "store/archive.h"

namespace glimmer {

ZT_ExplosionConstructor::ZT_ExplosionConstructor() {
  effect = ZT_HLSLEffectFile(u"common_res.dll", kExplosionEffectId);
  size.StoreValue(250);
  motionSpeed.StoreValue(100);
  // The sprite colour stays the inherited white and the second colour black.
}

void ZT_ExplosionConstructor::Serialize(Archive& ar, int32_t version) {
  Field(ar, "noise1", noise1);
  Field(ar, "noise2", noise2);
  Field(ar, "noise3", noise3);
  Field(ar, "driftDirection", driftDirection);
  Field(ar, "driftSpeed", driftSpeed, ReadMode::Direct);
  if (version == 1) {
    for (size_t i = 0; i < legacyTiming.size(); ++i)
      Field(ar, "legacyTiming" + std::to_string(i + 1), legacyTiming[i]);
  }
  Field(ar, "seed", seed, ReadMode::Direct);
  Field(ar, "freshRandom", freshRandom);
  int32_t rgb = int32_t(secondColour.Value());
  Field(ar, "secondColour", rgb);
  if (ar.IsReading()) secondColour.StoreValue(uint32_t(rgb));
  SerializeBase<ZT_StatBaseFXCtrl>(ar, *this);
  if (!ar.IsReading() || version != 1) return;
  // The first explosions timed themselves: a random line in tenths.
  const auto& l = legacyTiming;
  auto line = std::make_shared<QVX_RandomTimeLine>();
  line->HiddenRange.Min.SetValue((l[3] + l[4]) / 10);
  line->HiddenRange.Max.SetValue((l[3] + l[4]) / 10);
  line->VisibleRange.Min.SetValue(l[1] / 10);
  line->VisibleRange.Max.SetValue(l[1] / 10);
  line->FadeIn.SetValue(l[0] / 10);
  line->FadeOut.SetValue(l[2] / 10);
  timing.StoreValue(int32_t(TimingKind::Random));
  timing.SetCurrent(line);
}

void ZT_ExplosionConstructor::NewNoiseShift() {
  if (freshRandom.Value() != 0) {
    const float x = RandomUnit();
    const float y = RandomUnit();
    noiseShift = {x, y};
    return;
  }
  // The k-th explosion after a restart takes the k-th pair of the seed's
  // sequence. Carrying on from where the previous pair left the sequence
  // gives the same pair and the same final state as reseeding and drawing
  // all k pairs again.
  const bool carryOn =
      seededPairs_ > 0 && seededPairs_ == explosionCount - 1 && seededFrom_ == seed.Value();
  int32_t pairs = explosionCount;
  if (carryOn) {
    SeedRandom(seededState_);
    pairs = 1;
  } else {
    SeedRandom(seed.Value());
  }
  for (int32_t i = 0; i < pairs; ++i) {
    const float x = RandomUnit();
    const float y = RandomUnit();
    noiseShift = {x, y};
  }
  seededState_ = RandomState();
  seededPairs_ = explosionCount;
  seededFrom_ = seed.Value();
  explosionCount += 1;
}

void ZT_ExplosionConstructor::LoadEffectResources() {
  ZT_FXParticleSystemCtrl::LoadEffectResources();
  if (QVX_DocResManager* resources = QVX_DocResManager::Current()) {
    const auto first = [&](const ZT_FileLink3& link) {
      if (link.Path().empty()) return TexturePtr{};
      const TextureSet set = resources->FindTextures(link, 1);
      return set.empty() ? TexturePtr{} : set.Textures.front();
    };
    gradientTexture = first(image);
    noiseTexture = first(overlay);
  }
  NewNoiseShift();
}

void ZT_ExplosionConstructor::Restart() {
  // The motion clock and the last whole second carry on: no base restart.
  previousNoiseShift = noiseShift = {};
  explosionCount = 1;
  driftPrevious = 0;
  driftTime = 0;
}

void ZT_ExplosionConstructor::MoveSprite(SpriteRecord& r) {
  const float m = motionTime;
  if (m < driftPrevious) driftPrevious = m;
  driftStep = m - driftPrevious;
  driftPrevious = m;
  driftStep = std::min(driftStep, kMaxClockStep) * driftSpeed.Scaled();
  driftTime += driftStep;
  const TimeLineState state = LineState(*this);
  const bool hidden = state == TimeLineState::Hidden;
  if (hidden) {
    previousNoiseShift = noiseShift = {};
    explosionCount = 1;
    driftPrevious = 0;
    driftTime = 0;
  }
  r.position = position.Value();
  float g = 1;
  if (state == TimeLineState::FadingIn) {
    const float v = Visibility();
    r.alphaFactor = std::min(v * 5, 1.0f);
    r.colour = ColourFor(r.alphaFactor);
    g = 0.25f + 0.75f * v;
  }
  const float half = hidden ? 0.0f : float(size.Value() / 2) * g;
  r.halfWidth = r.halfHeight = half;
}

bool ZT_ExplosionConstructor::SetEffectParameters(ZT_ABRender&, const ZT_SpriteArrayT<DX_V::PCT>&) {
  return ApplyParameters();
}

bool ZT_ExplosionConstructor::ApplyParameters() {
  if (!loadedEffect) return false;
  Effect& e = *loadedEffect;
  const float m = motionTime;
  const float whole = std::floor(m), phase = m - whole;
  if (whole > lastWholeTime) {
    previousNoiseShift = noiseShift;
    NewNoiseShift();
    lastWholeTime = whole;
  }
  const D3DXVECTOR4& d = driftDirection.Direction();
  const float t = driftTime;
  const TimeLineState state = LineState(*this);
  const float v = Visibility();
  const float p3 = state == TimeLineState::FadingOut ? 1 - v : 0;
  const float p1 = state == TimeLineState::FadingIn ? 2 * (1 - v) : 0;
  const auto rgb = [](const SmartCOLORREF& c, float out[3]) {
    out[0] = float(c.Red()) / 255;
    out[1] = float(c.Green()) / 255;
    out[2] = float(c.Blue()) / 255;
  };
  float c1[3], c2[3];
  rgb(colour, c1);
  rgb(secondColour, c2);
  const float params[3] = {noise1.Scaled(), noise2.Scaled(), noise3.Scaled()};
  e.SetTechnique("Main");
  e.SetTexture("GradientTex", gradientTexture);
  e.SetTexture("NoiseTex", noiseTexture);
  e.SetFloatArray("color1", c1, 3);
  e.SetFloatArray("color2", c2, 3);
  e.SetVector("noise_shift", {previousNoiseShift.x - d.x * t, previousNoiseShift.y - d.y * t,
                              noiseShift.x - d.x * t, noiseShift.y - d.y * t});
  e.SetFloatArray("noise_params", params, 3);
  e.SetVector("time", {phase, 1 - phase, 0, 0});
  e.SetVector("phase_3rd", {p3, 1 - p3, 0, 0});
  e.SetFloat("phase_1st", p1);
  // Which pictures there are: the shader makes up what is missing.
  e.SetVector("textures_given", {gradientTexture ? 1.0f : 0.0f, noiseTexture ? 1.0f : 0.0f, 0, 0});
  return true;
}

GLIMMER_REGISTER_FX_KIND(ZT_ExplosionConstructor)

namespace {

std::shared_ptr<const EffectDesc> MakeExplosionEffect() {
  using P = EffectParamType;
  auto d = std::make_shared<EffectDesc>();
  d->name = "explosion";
  d->params = {{"GradientTex", P::Texture}, {"NoiseTex", P::Texture},
               {"color1", P::Float3},       {"color2", P::Float3},
               {"noise_shift", P::Float4},  {"noise_params", P::Float3},
               {"time", P::Float2},         {"phase_3rd", P::Float2},
               {"phase_1st", P::Float},     {"textures_given", P::Float2}};
  EffectPassDesc pass;
  pass.name = "P0";
  pass.renderStates = AlphaBlendPassStates();
  pass.samplers = {{"GradientSampler", "GradientTex", D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE,
                    D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP},
                   {"NoiseSampler", "NoiseTex", D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE,
                    D3DTADDRESS_WRAP, D3DTADDRESS_WRAP}};
  pass.pixelShader = TechniqueShader("sprites/explosion.glsl", "Main");
  d->techniques = {{"Main", {pass}}};
  return d;
}

}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", 1020, MakeExplosionEffect)

}  // namespace glimmer
