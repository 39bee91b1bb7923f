// Effect 185 of the shared module: the particle shader, with the techniques
// "BlendNormal", "BlendNormal_AlphaPM", "BlendSum", "DrawGlowNormal",
// "DrawGlowScreen", the ribbons' "BlendNormalWrap" (their texture repeats
// along them) and the line composite "BlendMultiplay" over "Texture0", "Background", "GlowColor"
// and "GlowBrightness". The blends themselves are the passes' states.

#include "platform/gpu/builtin_effects.h"

namespace glimmer {
namespace {

using P = EffectParamType;

EffectPassDesc Pass(const char* technique, uint32_t src, uint32_t dest, bool background,
                    uint32_t address = D3DTADDRESS_CLAMP) {
  EffectPassDesc pass;
  pass.name = "P0";
  pass.renderStates = {
      {D3DRS_ALPHABLENDENABLE, 1},    {D3DRS_SRCBLEND, src},
      {D3DRS_DESTBLEND, dest},        {D3DRS_BLENDOP, D3DBLENDOP_ADD},
      {D3DRS_CULLMODE, D3DCULL_NONE}, {D3DRS_ZENABLE, 0},
      {D3DRS_ALPHATESTENABLE, 0},     {D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_ALL}};
  pass.samplers = {{"Texture0Sampler", "Texture0", D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE,
                    address, address}};
  if (background) {
    pass.samplers.push_back({"BackgroundSampler", "Background", D3DTEXF_LINEAR, D3DTEXF_LINEAR,
                             D3DTEXF_NONE, D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP});
  }
  pass.pixelShader = TechniqueShader("particles/particle_effect.glsl", technique);
  return pass;
}

std::shared_ptr<const EffectDesc> MakeParticleEffect() {
  auto d = std::make_shared<EffectDesc>();
  d->name = "particles (185)";
  d->params = {{"Texture0", P::Texture},
               {"Background", P::Texture},
               {"GlowColor", P::Float4},
               {"GlowBrightness", P::Float}};
  d->techniques = {
      {"BlendNormal", {Pass("BlendNormal", D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, false)}},
      {"BlendNormal_AlphaPM",
       {Pass("BlendNormal_AlphaPM", D3DBLEND_ONE, D3DBLEND_INVSRCALPHA, false)}},
      {"BlendSum", {Pass("BlendSum", D3DBLEND_SRCALPHA, D3DBLEND_ONE, false)}},
      {"DrawGlowNormal", {Pass("DrawGlowNormal", D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, false)}},
      {"DrawGlowScreen", {Pass("DrawGlowScreen", D3DBLEND_ONE, D3DBLEND_ZERO, true)}},
      {"BlendNormalWrap",
       {Pass("BlendNormal", D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, false, D3DTADDRESS_WRAP)}},
      {"BlendMultiplay", {Pass("BlendMultiplay", D3DBLEND_ONE, D3DBLEND_ZERO, true)}},
  };
  return d;
}

}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", 185, MakeParticleEffect)

}  // namespace glimmer
