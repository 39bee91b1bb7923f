#include "platform/gpu/builtin_effects.h"

#include <algorithm>
#include <map>

namespace glimmer {
namespace {

using P = EffectParamType;

std::u16string Lower(std::u16string_view s) {
  std::u16string out(s);
  for (char16_t& c : out) {
    if (c >= u'A' && c <= u'Z') c = char16_t(c + 32);
  }
  return out;
}

// The file name of a module path ("C:\x\common_res.dll" → "common_res.dll").
std::u16string FileName(std::u16string_view path) {
  const size_t slash = path.find_last_of(u"\\/");
  return Lower(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

const std::vector<std::pair<D3DRENDERSTATETYPE, uint32_t>> kShaderPassStates = {
    {D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_ALL},
    {D3DRS_ALPHABLENDENABLE, 0},
    {D3DRS_CULLMODE, D3DCULL_NONE},
    {D3DRS_ALPHATESTENABLE, 0},
    {D3DRS_ZENABLE, 0},
};

// 202: the separable Gaussian blur of the glow surfaces.
EffectPassDesc BlurPass(bool horizontal, bool first) {
  EffectPassDesc pass;
  pass.name = "P0";
  pass.renderStates = kShaderPassStates;
  pass.samplers = {{"TextureSampler", "Texture", D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_LINEAR,
                    D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP}};
  pass.pixelShader = R"(uniform sampler2D TextureSampler;
uniform vec2 u_base;
uniform vec2 u_step1, u_step2, u_step3;
void main() {
  vec2 c = v_tex0.xy + u_base;
  o_color = texture(TextureSampler, c) * 0.196482554
          + (texture(TextureSampler, c + u_step1) + texture(TextureSampler, c - u_step1)) * 0.296906978
          + (texture(TextureSampler, c + u_step2) + texture(TextureSampler, c - u_step2)) * 0.0944703966
          + (texture(TextureSampler, c + u_step3) + texture(TextureSampler, c - u_step3)) * 0.0103813624;
}
)";
  // The per-size constants, once per draw rather than per pixel.
  pass.prepare = [horizontal, first](const Effect& e, PixelShader& ps) {
    const float w = std::max(1.0f, e.GetFloat("TexW")), h = std::max(1.0f, e.GetFloat("TexH"));
    const float base[2] = {(first ? 1.0f : 0.5f) / w, (first ? 1.0f : 0.5f) / h};
    ps.SetFloats("u_base", base, 2);
    static const char* kSteps[3] = {"u_step1", "u_step2", "u_step3"};
    for (int i = 0; i < 3; ++i) {
      const float step[2] = {horizontal ? kBlurOffsets[i + 1] / w : 0.0f,
                             horizontal ? 0.0f : kBlurOffsets[i + 1] / h};
      ps.SetFloats(kSteps[i], step, 2);
    }
  };
  return pass;
}

std::shared_ptr<const EffectDesc> MakeBlur() {
  auto d = std::make_shared<EffectDesc>();
  d->name = "blur (202)";
  d->params = {{"Texture", P::Texture}, {"TexW", P::Float}, {"TexH", P::Float}};
  d->techniques = {{"GaussianBlurVFirst", {BlurPass(false, true)}},
                   {"GaussianBlurV", {BlurPass(false, false)}},
                   {"GaussianBlurH", {BlurPass(true, false)}}};
  return d;
}

// 97: blends of glow and effect sprites.
std::shared_ptr<const EffectDesc> MakeBlend() {
  auto d = std::make_shared<EffectDesc>();
  d->name = "blend (97)";
  d->params = {{"Texture1", P::Texture}, {"Texture2", P::Texture}, {"BlendColor", P::Float4}};
  const std::vector<EffectPassDesc::SamplerState> linearClamp = {
      {0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR}, {0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR},
      {0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR}, {0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP},
      {0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP}};

  EffectPassDesc max;
  max.name = "P0";
  max.renderStates = {{D3DRS_ALPHABLENDENABLE, 1}, {D3DRS_SRCBLEND, D3DBLEND_ONE},
                      {D3DRS_DESTBLEND, D3DBLEND_ONE}, {D3DRS_BLENDOP, D3DBLENDOP_MAX},
                      {D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_ALL}, {D3DRS_CULLMODE, D3DCULL_NONE},
                      {D3DRS_LIGHTING, 0}};
  max.stageStates = {{0, D3DTSS_COLOROP, D3DTOP_SELECTARG1}, {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
                     {0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1}, {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
                     {1, D3DTSS_COLOROP, D3DTOP_DISABLE}, {1, D3DTSS_ALPHAOP, D3DTOP_DISABLE}};
  max.stageTextures = {{0, "Texture1"}};
  max.samplerStates = linearClamp;

  EffectPassDesc common = max;
  common.renderStates = {{D3DRS_ALPHABLENDENABLE, 1}, {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
                         {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA}, {D3DRS_BLENDOP, D3DBLENDOP_ADD},
                         {D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_ALL},
                         {D3DRS_CULLMODE, D3DCULL_NONE}, {D3DRS_LIGHTING, 0}};
  common.stageStates = {{0, D3DTSS_COLOROP, D3DTOP_MODULATE}, {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
                        {0, D3DTSS_COLORARG2, D3DTA_DIFFUSE}, {0, D3DTSS_ALPHAOP, D3DTOP_MODULATE},
                        {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE}, {0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
                        {1, D3DTSS_COLOROP, D3DTOP_DISABLE}, {1, D3DTSS_ALPHAOP, D3DTOP_DISABLE}};

  auto shaderPass = [](const char* colour) {
    EffectPassDesc pass;
    pass.name = "P0";
    pass.renderStates = kShaderPassStates;
    pass.samplers = {{"Texture1Sampler", "Texture1"}, {"Texture2Sampler", "Texture2"}};
    pass.pixelShader = std::string(R"(uniform sampler2D Texture1Sampler;
uniform sampler2D Texture2Sampler;
uniform vec4 BlendColor;
void main() {
  vec4 S = texture(Texture1Sampler, v_tex0.xy);
  vec4 L = texture(Texture2Sampler, v_tex0.xy);
  vec4 K = BlendColor;
  float a = L.a * K.a;
  vec3 colour = )") + colour + R"(;
  o_color = vec4(colour, S.a * (1.0 - a) + a * a);
}
)";
    return pass;
  };
  d->techniques = {
      {"Blend_Max", {max}},
      {"Blend_Normal", {shaderPass("S.rgb * (1.0 - a) + L.rgb * K.rgb * a")}},
      {"Blend_Screen", {shaderPass("S.rgb * (1.0 - a) + (1.0 - (1.0 - S.rgb) * (1.0 - L.rgb * K.rgb)) * a")}},
      {"Common", {common}},
  };
  return d;
}

const std::map<uint32_t, std::shared_ptr<const EffectDesc>>& Registry() {
  static const std::map<uint32_t, std::shared_ptr<const EffectDesc>> registry = {
      {97, MakeBlend()},
      {202, MakeBlur()},
  };
  return registry;
}

}  // namespace

std::shared_ptr<const EffectDesc> BuiltinEffectDesc(std::u16string_view module, uint32_t id) {
  if (FileName(module) != u"common_res.dll") return nullptr;
  auto it = Registry().find(id);
  return it == Registry().end() ? nullptr : it->second;
}

std::unique_ptr<Effect> CreateBuiltinEffect(GpuDevice& device, std::u16string_view module, uint32_t id) {
  auto desc = BuiltinEffectDesc(module, id);
  return desc ? std::make_unique<Effect>(device, std::move(desc)) : nullptr;
}

std::vector<uint32_t> BuiltinEffectIds() {
  std::vector<uint32_t> ids;
  for (const auto& [id, desc] : Registry()) ids.push_back(id);
  return ids;
}

}  // namespace glimmer
