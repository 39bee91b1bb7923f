#include "generators/falling_stars.h"

#include <algorithm>
#include <cmath>

#include "params/param_serialization.h"
#include "params/random_source.h"
#include "platform/gpu/builtin_effects.h"
#include "platform/gpu/effect.h"
#include "store/archive.h"

namespace glimmer {

namespace {
constexpr float kTwoPi = 6.28318530717959f;
}  // namespace

ZT_FallingStars::ZT_FallingStars() {
  effect = ZT_HLSLEffectFile(u"common_res.dll", kFallingStarsEffectId);
  images = {ZT_ImageFileLink(u"common_res.dll", 65), ZT_ImageFileLink(u"common_res.dll", 62),
            ZT_ImageFileLink(u"common_res.dll", 68), ZT_ImageFileLink(u"common_res.dll", 63)};
  colour2.Color.StoreValue(0xFFC080);
  lifetime.SetScale(0.01f, 0.0f);
  thirdSetting.SetScale(0.01f, 0.0f);
  startSpeed.SetScale(2.0f, 0.0f);
}

void ZT_FallingStars::Serialize(Archive& ar, int32_t) {
  Field(ar, "starSpeed", starSpeed);
  Field(ar, "starRate", starRate);
  Field(ar, "direction", direction);
  Field(ar, "starSize", starSize);
  Field(ar, "trailLength", trailLength);
  Field(ar, "visibleTime", visibleTime);
  Field(ar, "fadeInTime", fadeInTime);
  Field(ar, "fadeOutTime", fadeOutTime);
  SerializeBase<ZT_ParticleRctRgnGenerator>(ar, *this);
}

float ZT_FallingStars::StarLife() const {
  return fadeInTime.Seconds() + visibleTime.Seconds() + fadeOutTime.Seconds();
}

void ZT_FallingStars::InitRuntime(ZT_ParticlesObj& runtime) {
  ZT_TexParticleGenerator::InitRuntime(runtime);
  // Each buffer with its own picture; a shorter list repeats the first.
  pictures_.assign(4, nullptr);
  for (size_t i = 0; i < 4; ++i) pictures_[i] = Picture(i) ? Picture(i) : Picture(0);
  for (size_t b = 0; b < 4; ++b) runtime.ReserveQuads(b, 0);
}

void ZT_FallingStars::Spawn() {
  const int32_t n = starRate.Count(clock.LocalTime);
  if (n <= 0) return;
  float left, top, right, bottom;
  Extent(left, top, right, bottom);
  const float fadeIn = fadeInTime.Seconds(), visible = visibleTime.Seconds();
  const float life = StarLife(), speed = starSpeed.Scaled();
  const D3DXVECTOR4& d = direction.Direction();
  for (int32_t i = 0; i < n; ++i) {
    const float y = RandomUniform(top, bottom);
    const float x = RandomUniform(left, right);
    const float rotation = RandomUniform(0, kTwoPi);
    const bool reversed = (NextRandom() & 1) != 0;
    if (stars.size() >= kMaxGeneratorRecords) {
      ReportOnce("more than " + std::to_string(kMaxGeneratorRecords) +
                 " stars; new ones wait for room");
      continue;
    }
    GeneratorParticle& star = stars.emplace_back(D3DXVECTOR3{x, y, 0});
    star.params[kOpacityFactor] = 0;
    star.params[kRotation] = rotation;
    star.processes.Add(PAgeConst(life));
    star.processes.Add(PKinetic({speed * d.x, -speed * d.y, 0}));
    star.processes.Add(PFade(kOpacityFactor, 0, fadeIn, 1));
    star.processes.Add(PSpin(reversed ? -speed * 0.002f : speed * 0.002f));
    star.processes.Add(PFade(kOpacityFactor, fadeIn + visible, life, -1));
    trails.push_back(star);
  }
}

void ZT_FallingStars::AdvanceParticles(float t, ZT_ParticlesObj& runtime) {
  clock.Advance(t);
  StepRecords(stars, clock.StepTime);
  StepRecords(trails, clock.StepTime);
  Spawn();
  const uint32_t ns = uint32_t(stars.size()), nt = uint32_t(trails.size());
  runtime.ReserveQuads(0, ns);
  runtime.ReserveQuads(1, ns);
  runtime.ReserveQuads(2, nt);
  runtime.ReserveQuads(3, nt);
  const float size = float(starSize.Value()), v = Visibility();
  // Heads: the star and its halo, turned by their spin.
  for (size_t b = 0; b < 2; ++b) {
    if (ns == 0 || !runtime.LockBuffer(b)) continue;
    const ColorAlphaPair& colour = b == 0 ? colour1 : colour2;
    const float scale = b == 0 ? 1.0f : 2.5f;
    for (uint32_t i = 0; i < ns; ++i) {
      const GeneratorParticle& s = stars[i];
      WriteDabQuad(runtime, b, i, s.position, size, size, scale * s.params[kSizeFactor],
                   s.params[kRotation], colour, v * s.params[kOpacityFactor]);
    }
    runtime.UnlockBuffer(b);
  }
  // Trails: streaks behind the star along its motion, a core and a glow.
  const D3DXVECTOR4& d = direction.Direction();
  const float angle = std::atan2(-d.y, d.x);
  const float length = size * trailLength.Scaled();
  const D3DXVECTOR3 back = D3DXVECTOR3{-d.x, d.y, 0} * (length / 2);
  for (size_t b = 2; b < 4; ++b) {
    if (nt == 0 || !runtime.LockBuffer(b)) continue;
    const ColorAlphaPair& colour = b == 2 ? colour1 : colour2;
    const float width = b == 2 ? size * 0.35f : size * 0.9f;
    for (uint32_t i = 0; i < nt; ++i) {
      const GeneratorParticle& s = trails[i];
      WriteDabQuad(runtime, b, i, s.position + back, length, width, s.params[kSizeFactor], angle,
                   colour, v * s.params[kOpacityFactor]);
    }
    runtime.UnlockBuffer(b);
  }
}

void ZT_FallingStars::DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) {
  if (!loadedEffect) {
    DrawLayer(renderer, runtime, "BlendMask", 0x00000000, pictures_, 1);
    return;
  }
  DrawTwoTargets(renderer, runtime, pictures_);
}

void ZT_FallingStars::Restart() {
  ZT_ParticleRctRgnGenerator::Restart();
  starRate.Restart();
  stars.clear();
  trails.clear();
}

GLIMMER_REGISTER_GENERATOR_KIND(ZT_FallingStars)

namespace {

// "BlendMask_Max" draws particles into a cleared target keeping the
// brightest of what overlaps; "Main" adds both targets to the scene copy.
std::shared_ptr<const EffectDesc> MakeFallingStarsEffect() {
  using P = EffectParamType;
  auto d = std::make_shared<EffectDesc>();
  d->name = "falling stars";
  d->params = {{"Texture1", P::Texture}, {"Texture2", P::Texture}, {"Texture3", P::Texture}};
  EffectPassDesc mask;
  mask.name = "P0";
  mask.renderStates = {{D3DRS_ALPHABLENDENABLE, 1},
                       {D3DRS_SRCBLEND, D3DBLEND_ONE},
                       {D3DRS_DESTBLEND, D3DBLEND_ONE},
                       {D3DRS_BLENDOP, D3DBLENDOP_MAX},
                       {D3DRS_CULLMODE, D3DCULL_NONE},
                       {D3DRS_ZENABLE, 0},
                       {D3DRS_ALPHATESTENABLE, 0},
                       {D3DRS_LIGHTING, 0},
                       {D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_ALL}};
  mask.samplers = {{"Texture1Sampler", "Texture1"}};
  mask.pixelShader = TechniqueShader("generators/falling_stars.glsl", "BlendMask_Max");
  EffectPassDesc main;
  main.name = "P0";
  main.renderStates = ShaderPassStates();
  main.samplers = {{"Texture1Sampler", "Texture1"},
                   {"Texture2Sampler", "Texture2"},
                   {"Texture3Sampler", "Texture3"}};
  main.pixelShader = TechniqueShader("generators/falling_stars.glsl", "Main");
  d->techniques = {{"BlendMask_Max", {mask}}, {"Main", {main}}};
  return d;
}

}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", kFallingStarsEffectId, MakeFallingStarsEffect)

}  // namespace glimmer
