#pragma once
// Writes compiled effect files for tests: numeric, texture and sampler
// parameters, techniques of passes with states, and pixel shaders assembled
// from shader assembly text by MojoShader's assembler.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/gpu/effect_container.h"

namespace glimmer::testing {

// A float constant of a shader's constant table: `name` in registers
// c`reg`.. (`rows` of them for a matrix).
struct ShaderConstant {
  std::string name;
  uint32_t reg = 0;
  uint32_t rows = 1, columns = 4;
  bool columnMajor = false;  // register i holds column i (the compiler's default for matrices)
};
struct ShaderSampler {
  std::string name;
  uint32_t reg = 0;
};

// Shader bytecode of `source`, with a constant table naming the constants
// and samplers; throws on assembly errors.
std::vector<uint8_t> AssembleShader(const std::string& source,
                                    const std::vector<ShaderConstant>& constants = {},
                                    const std::vector<ShaderSampler>& samplers = {});

// The program of a computed state, laid out as the effect compiler writes
// it: a version word, then the literals (CLIT), the parameters it reads
// (CTAB) and the instructions (FXLC) as comment sections.
class ExpressionWriter {
 public:
  enum Table : uint32_t { kLiteral = 1, kInput = 2, kOutput = 4, kTemp = 7 };
  struct Operand {
    uint32_t table, index;  // index: component (register × 4 + x, y, z or w)
  };
  // The literal's operand.
  Operand Literal(double value);
  // A float parameter read from registers `reg`.. of the input table.
  void Input(const std::string& name, uint32_t reg, uint32_t rows = 1, uint32_t columns = 1,
             uint32_t registers = 1);
  // An instruction: `code` is the operation (0x100 mov, 0x202 lt, 0x204 add,
  // 0x205 mul, 0x300 cmp, 0x500 dot, ...), with its inputs and output.
  void Op(uint32_t code, uint32_t elements, std::vector<Operand> inputs, Operand out,
          bool scalar = false);
  std::vector<uint8_t> Build() const;

 private:
  struct Param {
    std::string name;
    uint32_t reg, rows, columns, registers;
  };
  std::vector<double> literals_;
  std::vector<Param> inputs_;
  std::vector<uint32_t> code_;
  uint32_t instructions_ = 0;
};

class EffectFileWriter {
 public:
  // A float parameter of rows × columns (class vector for one row, matrix
  // rows otherwise) with initial values.
  void AddFloat(const std::string& name, uint32_t rows, uint32_t columns, std::vector<float> init);
  void AddTexture(const std::string& name);
  // A sampler reading texture parameter `texture`, with (sampler state
  // operation, value) pairs.
  void AddSampler(const std::string& name, const std::string& texture,
                  std::vector<std::pair<uint32_t, uint32_t>> states = {});
  // Returns the technique's index.
  uint32_t AddTechnique(const std::string& name);
  // Adds a pass to the last technique.
  void AddPass(const std::string& name);
  // A state of the last pass with an integer value.
  void AddState(uint32_t operation, uint32_t index, uint32_t value);
  // A state of the last pass whose value of `type` (kFxInt, kFxBool,
  // kFxFloat) comes from `data` attached with `usage` (0: an expression
  // computing it; 2: one choosing an array element).
  void AddComputedState(uint32_t operation, uint32_t index, uint32_t type,
                        std::vector<uint8_t> data, uint32_t usage = 0);
  void AddPixelShader(std::vector<uint8_t> bytecode);
  void AddVertexShader(std::vector<uint8_t> bytecode);

  std::vector<uint8_t> Build() const;

 private:
  struct State {
    uint32_t operation, index, value;
    int object = -1;          // object id the value names
    uint32_t objectType = 0;  // its type
    std::string parameter;    // parameter the state reads
    uint32_t valueType;       // kFxInt, kFxBool or kFxFloat
    std::vector<uint8_t> attached;
    uint32_t usage;
  };
  struct Param {
    std::string name;
    uint32_t type, cls, rows, columns;
    std::vector<uint32_t> words;
    int object = -1;
    std::vector<State> samplerStates;
  };
  struct Pass {
    std::string name;
    std::vector<State> states;
  };
  struct Technique {
    std::string name;
    std::vector<Pass> passes;
  };
  int NewObject(std::vector<uint8_t> data);
  std::vector<Param> params_;
  std::vector<Technique> techniques_;
  std::vector<std::vector<uint8_t>> objects_;
};

}  // namespace glimmer::testing
