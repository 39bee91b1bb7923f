// Effect 97 of the shared module: "Blend_Max", "Blend_Normal", "Blend_Screen"
// and "Common" over "Texture1", "Texture2" and "BlendColor", used by the
// slide's off-screen passes and the glow composites; and the particle
// generators' layer passes "BlendMask", "JoinMask" with the composites
// "CommonTex", "Blend_ScreenTex", "Blend_ColorDodgeTex", "Blend_SumTex"
// (their layer target's clear colour in "MaskClear").

#include "platform/gpu/builtin_effects.h"

namespace glimmer {
namespace {

using P = EffectParamType;

std::shared_ptr<const EffectDesc> MakeBlend() {
  auto d = std::make_shared<EffectDesc>();
  d->name = "blend (97)";
  d->params = {{"Texture1", P::Texture},
               {"Texture2", P::Texture},
               {"BlendColor", P::Float4},
               {"MaskClear", P::Float4}};
  const std::vector<EffectPassDesc::SamplerState> linearClamp = {
      {0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR},
      {0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR},
      {0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR},
      {0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP},
      {0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP}};

  // "Blend_Max": the per-channel maximum of texture and target.
  EffectPassDesc max;
  max.name = "P0";
  max.renderStates = {{D3DRS_ALPHABLENDENABLE, 1},
                      {D3DRS_SRCBLEND, D3DBLEND_ONE},
                      {D3DRS_DESTBLEND, D3DBLEND_ONE},
                      {D3DRS_BLENDOP, D3DBLENDOP_MAX},
                      {D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_ALL},
                      {D3DRS_CULLMODE, D3DCULL_NONE},
                      {D3DRS_LIGHTING, 0}};
  max.stageStates = {{0, D3DTSS_COLOROP, D3DTOP_SELECTARG1}, {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
                     {0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1}, {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
                     {1, D3DTSS_COLOROP, D3DTOP_DISABLE},    {1, D3DTSS_ALPHAOP, D3DTOP_DISABLE}};
  max.stageTextures = {{0, "Texture1"}};
  max.samplerStates = linearClamp;

  // "Common": texture × vertex colour, alpha-blended over the target.
  EffectPassDesc common = max;
  common.renderStates = {{D3DRS_ALPHABLENDENABLE, 1},
                         {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
                         {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
                         {D3DRS_BLENDOP, D3DBLENDOP_ADD},
                         {D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_ALL},
                         {D3DRS_CULLMODE, D3DCULL_NONE},
                         {D3DRS_LIGHTING, 0}};
  common.stageStates = {{0, D3DTSS_COLOROP, D3DTOP_MODULATE}, {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
                        {0, D3DTSS_COLORARG2, D3DTA_DIFFUSE}, {0, D3DTSS_ALPHAOP, D3DTOP_MODULATE},
                        {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE}, {0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
                        {1, D3DTSS_COLOROP, D3DTOP_DISABLE},  {1, D3DTSS_ALPHAOP, D3DTOP_DISABLE}};

  // "Blend_Normal" and "Blend_Screen": scene and layer composed in the shader.
  auto shaderPass = [](const char* technique) {
    EffectPassDesc pass;
    pass.name = "P0";
    pass.renderStates = ShaderPassStates();
    pass.samplers = {{"Texture1Sampler", "Texture1"}, {"Texture2Sampler", "Texture2"}};
    pass.pixelShader = TechniqueShader("scene/blend_effect.glsl", technique);
    return pass;
  };
  // The generators' passes: a shader pass with the given blending.
  auto blendedPass = [&](const char* technique, uint32_t src, uint32_t dest) {
    EffectPassDesc pass = shaderPass(technique);
    pass.renderStates = BlendPassStates(src, dest);
    return pass;
  };
  d->techniques = {
      {"BlendMask", {blendedPass("BlendMask", D3DBLEND_ONE, D3DBLEND_INVSRCALPHA)}},
      {"JoinMask", {blendedPass("JoinMask", D3DBLEND_ONE, D3DBLEND_INVSRCALPHA)}},
      {"CommonTex", {blendedPass("CommonTex", D3DBLEND_ONE, D3DBLEND_INVSRCALPHA)}},
      {"Blend_SumTex", {blendedPass("Blend_SumTex", D3DBLEND_ONE, D3DBLEND_ONE)}},
      {"Blend_ScreenTex", {shaderPass("Blend_ScreenTex")}},
      {"Blend_ColorDodgeTex", {shaderPass("Blend_ColorDodgeTex")}},
      {"Blend_Max", {max}},
      {"Blend_Normal", {shaderPass("Blend_Normal")}},
      {"Blend_Screen", {shaderPass("Blend_Screen")}},
      {"Common", {common}},
  };
  return d;
}

}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", 97, MakeBlend)

}  // namespace glimmer
