#include "render/blur_effect.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/gpu/builtin_effects.h"

namespace glimmer {
namespace {

using P = EffectParamType;

// The kernel's weights as a GLSL constant, from the one table above.
std::string WeightsPrelude() {
  std::string s = "const float kBlurWeights[4] = float[4](";
  for (int i = 0; i < 4; ++i) {
    char number[32];
    std::snprintf(number, sizeof number, "%.9g", double(kBlurWeights[i]));
    s += (i ? ", " : "") + std::string(number);
  }
  return s + ");\n";
}

EffectPassDesc BlurPass(bool horizontal, bool first) {
  EffectPassDesc pass;
  pass.name = "P0";
  pass.renderStates = ShaderPassStates();
  pass.samplers = {{"TextureSampler", "Texture", D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_LINEAR,
                    D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP}};
  pass.pixelShader = TechniqueShader("render/blur_effect.glsl", "GaussianBlur", WeightsPrelude());
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

}  // namespace

GLIMMER_REGISTER_EFFECT(u"common_res.dll", 202, MakeBlur)

}  // namespace glimmer
