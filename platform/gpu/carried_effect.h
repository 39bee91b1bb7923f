#pragma once
// Runs the compiled effect files a document carries. Their container is read
// by ReadEffectContainer; each pass's shaders are translated by MojoShader
// into GLSL 1.20, which is rewritten for our 3.3 core programs.
//
// A pixel shader follows FragmentPrelude(): it reads v_tex0/v_tex1/
// v_color0/v_color1, writes o_color, gets each constant register as its own
// uniform vec4 ps_cN, and samples texture unit N through ps_sN. A vertex
// shader follows VertexPrelude(): its inputs sit at the attribute locations
// of the flexible vertex formats by usage (position or pre-transformed
// position, normal, colours 0 and 1, texture coordinates 0 and 1), its
// constant registers are the array vs_uniforms_vec4, its outputs are the
// same v_* by usage, and its position goes through D3DClipToGl. A pass
// without a vertex shader gets the fixed-function vertex stage. Both
// stages' constant registers are fed from the parameters the shader's
// constant table names, in the register layout the table states (matrix
// rows, or columns).
//
// Render, texture-stage and sampler states of a pass go to the device as
// they stand; those computed by an expression are evaluated from the
// parameters at every BeginPass and CommitChanges (EffectExpression), and
// so are the constants a shader's preshader computes.
//
// A technique does not translate when one of its passes sets states other
// than render, stage, sampler, texture and shader states, has a state whose
// expression is not supported, or has a shader MojoShader rejects or our
// rewrite cannot express (inputs of other usages, integer or boolean
// constants, preshaders we cannot run, parameters larger than a matrix; for pixel
// shaders also relative constant addressing, non-2D samplers and texture
// coordinates beyond the second).

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/gpu/effect.h"
#include "platform/gpu/effect_container.h"

namespace glimmer {

class EffectExpression;

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
  // Computes constant registers from parameters before each use, when the
  // shader carries such a program (its output register N is constant N).
  std::shared_ptr<const EffectExpression> preshader;
};
bool TranslatePixelShader(std::span<const uint8_t> bytecode, TranslatedPixelShader& out,
                          std::string& error);

// A vertex shader's GLSL for VertexShader (after VertexPrelude()), or empty
// with `error` set.
struct TranslatedVertexShader {
  std::string glsl;
  uint32_t registers = 0;  // size of the vs_uniforms_vec4 array
  std::vector<TranslatedPixelShader::Symbol> symbols;
  std::shared_ptr<const EffectExpression> preshader;
};
bool TranslateVertexShader(std::span<const uint8_t> bytecode, TranslatedVertexShader& out,
                           std::string& error);

// What the GL compiler says about a shader source (a pixel shader's, or with
// `vertex` a vertex shader's), empty when it compiles.
using GlslCheck = std::function<std::string(const std::string& source, bool vertex)>;

// Translates every technique of `fx`. `compileError` may be empty.
CarriedEffect TranslateEffect(const EffectContainer& fx, const GlslCheck& compileError);

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
