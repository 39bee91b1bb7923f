#pragma once
// Writes compiled effect files for tests: numeric, texture and sampler
// parameters, techniques of passes with states, and pixel shaders assembled
// from shader assembly text by MojoShader's assembler.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace glimmer::testing {

// A float constant of a shader's constant table: `name` in registers
// c`reg`.. (`rows` of them for a matrix).
struct ShaderConstant {
  std::string name;
  uint32_t reg = 0;
  uint32_t rows = 1, columns = 4;
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
  void AddPixelShader(std::vector<uint8_t> bytecode);
  void AddVertexShader(std::vector<uint8_t> bytecode);

  std::vector<uint8_t> Build() const;

 private:
  struct State {
    uint32_t operation, index, value;
    int object = -1;          // object id the value names
    uint32_t objectType = 0;  // its type
    std::string parameter;    // parameter the state reads
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
