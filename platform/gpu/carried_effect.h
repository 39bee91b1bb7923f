#pragma once
// Runs the compiled effect files a document carries. Their container is read
// by ReadEffectContainer; each pass's pixel shader is translated by
// MojoShader into GLSL 1.20, which is rewritten for our 3.3 core programs:
// it follows FragmentPrelude(), reads v_tex0/v_tex1/v_color0/v_color1,
// writes o_color, gets each constant register as its own uniform vec4
// ps_cN, and samples texture unit N through ps_sN. The fixed-function vertex
// stage (Direct3D conventions kept) feeds it. Render, texture-stage and
// sampler states of a pass go to the device as they stand.
//
// A technique does not translate when one of its passes runs a vertex
// shader, sets states other than render, stage, sampler and texture states,
// uses an expression, or has a pixel shader MojoShader rejects or our
// rewrite cannot express (relative constant addressing, integer or boolean
// constants, non-2D samplers, texture coordinates beyond the second).

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/gpu/effect.h"
#include "platform/gpu/effect_container.h"

namespace glimmer {

struct CarriedTechnique {
  std::string name;
  size_t passes = 0;
  bool translated = false;
  std::string reason;  // why not, when not
};

struct CarriedEffect {
  // The techniques that translated, with every parameter of the file.
  std::shared_ptr<const EffectDesc> desc;
  std::vector<CarriedTechnique> techniques;
  bool AllTranslated() const;
  // "all 3 techniques translate", or which do not and why.
  std::string Summary() const;
};

// A pixel shader's GLSL for PixelShader (after FragmentPrelude()), or empty
// with `error` set.
struct TranslatedPixelShader {
  std::string glsl;
  // Uniform ps_cN for each constant register N the shader reads.
  std::vector<uint32_t> registers;
  // Sampler registers the shader reads.
  std::vector<uint32_t> samplers;
  // Constant-table names: (register set: 0 float, 1 sampler, register, count, matrix columns?)
  struct Symbol {
    std::string name;
    bool sampler = false;
    uint32_t reg = 0, count = 1;
    bool columns = false;
  };
  std::vector<Symbol> symbols;
};
bool TranslatePixelShader(std::span<const uint8_t> bytecode, TranslatedPixelShader& out,
                          std::string& error);

// Translates every technique of `fx`. `compileError` (may be empty) returns
// what the GL compiler says about a pixel shader source, empty when it
// compiles.
CarriedEffect TranslateEffect(const EffectContainer& fx,
                              const std::function<std::string(const std::string&)>& compileError);

// Reads and translates an effect file; a file that does not read gives no
// desc and one technique-less report whose `reason` says why (in `error`).
CarriedEffect LoadCarriedEffect(std::span<const uint8_t> bytes, GpuDevice* device,
                                std::string* error);

// Lines for `glimmer info` about one carried effect file of effect link
// (module, id): its techniques and passes, which translate and why not, and
// what runs for the link. Without a device the GLSL is not compiled.
std::string DescribeCarriedEffect(std::span<const uint8_t> bytes, std::u16string_view module,
                                  uint32_t id);

}  // namespace glimmer
