#include "generators/plant.h"

#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"
#include "platform/gpu/effect.h"
#include "store/archive.h"

namespace glimmer {

ZT_Plant::ZT_Plant() {
  effect = ZT_HLSLEffectFile(u"common_res.dll", kPlantEffectId);
}

void ZT_Plant::Serialize(Archive& ar, int32_t) {
  Field(ar, "speed", speed);
  Field(ar, "frequency", frequency);
  Field(ar, "windMagnitude", windMagnitude);
  Field(ar, "bendMagnitude", bendMagnitude);
  SerializeBase<ZT_SingleRectGN>(ar, *this);
}

void ZT_Plant::AdvanceParticles(float t, ZT_ParticlesObj&) {
  speed.Advance(t);
}

void ZT_Plant::DrawParticles(ZT_ABRender& renderer, ZT_ParticlesObj& runtime) {
  const TexturePtr picture = Picture(0);
  if (!picture) return;
  if (!loadedEffect) {
    DrawLayer(renderer, runtime, "BlendMask", 0x00000000, textures, 1);
    return;
  }
  Effect& e = *loadedEffect;
  if (!e.SetTechnique("Main")) return;
  e.SetTexture("Texture", picture);
  e.SetFloat("Time", speed.LocalTime);
  e.SetFloat("Frequency", frequency.Scaled());
  e.SetFloat("WMagnitude", windMagnitude.Scaled());
  e.SetFloat("BMagnitude", bendMagnitude.Scaled());
  e.SetVector("color", {1, 1, 1, ClockOpacity()});
  runtime.DrawBuffer(renderer, 0, &e);
}

void ZT_Plant::Restart() {
  ZT_SingleRectGN::Restart();
  speed.Restart();
}

GLIMMER_REGISTER_GENERATOR_KIND(ZT_Plant)

namespace {

// The plant's "Main": the picture ("Texture") bent sideways by the wind
// (see plant.glsl), tinted by "color", blended by its alpha.
std::shared_ptr<const EffectDesc> MakePlantEffect() {
  using P = EffectParamType;
  auto d = std::make_shared<EffectDesc>();
  d->name = "plant";
  d->params = {{"Texture", P::Texture},  {"Time", P::Float},       {"Frequency", P::Float},
               {"WMagnitude", P::Float}, {"BMagnitude", P::Float}, {"color", P::Float4}};
  EffectPassDesc pass;
  pass.name = "P0";
  pass.renderStates = AlphaBlendPassStates();
  pass.samplers = {{"TextureSampler", "Texture"}};
  pass.pixelShader = TechniqueShader("generators/plant.glsl", "Main");
  d->techniques = {{"Main", {pass}}};
  return d;
}

}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", kPlantEffectId, MakePlantEffect)

}  // namespace glimmer
