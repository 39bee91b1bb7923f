#pragma once
// Translates the shaders of a carried effect file: MojoShader reads each
// pass's shader bytecode into GLSL 1.20, which is rewritten for our 3.3 core
// programs.
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

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace glimmer {

class EffectExpression;

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

}  // namespace glimmer
