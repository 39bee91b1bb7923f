#pragma once
// Expressions of compiled effect files: a state whose value is computed
// from parameters ("AlphaBlendEnable = Fade < 1;") carries a small program
// instead of a value, and so does a shader whose constants are derived from
// parameters before it runs. The program is a version word (0x4658xxxx) and
// comment sections: CLIT (literals as doubles), CTAB (which parameter sits
// in which input registers) and FXLC (the instructions, each with its
// operands as table, component index). Every count, offset and index is
// checked here, before anything runs; the evaluator never reads or writes
// outside its tables.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace glimmer {

// Limits on one expression.
inline constexpr uint32_t kExprMaxInstructions = 4096;
inline constexpr uint32_t kExprMaxRegisters = 256;  // four components each, per table
inline constexpr uint32_t kExprMaxElements = 4;     // components one instruction works on

class EffectExpression {
 public:
  // A parameter the expression reads, in the registers its table names.
  struct Input {
    std::string name;
    uint32_t reg = 0, registers = 1;
    uint32_t rows = 1, columns = 1, elements = 1;
    bool columnMajor = false;  // register i holds column i of a matrix
  };

  // The first four bytes of an expression, used to tell one from a value.
  static bool LooksLikeExpression(std::span<const uint8_t> bytes);

  // The expression in `bytes` (little-endian words), or nothing with
  // `error` saying what does not fit or is not supported.
  static std::optional<EffectExpression> Parse(std::span<const uint8_t> bytes, std::string& error);

  // Runs the program. `param(name, out, 16)` gives the first 16 floats of a
  // parameter, four to a matrix row. Returns the output table (four
  // components per register), valid until the next call.
  using ParamReader = std::function<void(const std::string&, float*, int)>;
  const std::vector<double>& Evaluate(const ParamReader& param) const;

  const std::vector<Input>& Inputs() const { return inputs_; }
  // Output registers the program writes (four components each).
  uint32_t OutputRegisters() const { return uint32_t(outputs_.size() / 4); }

 private:
  enum Table : uint8_t { kLiteral = 1, kInput = 2, kOutput = 4, kTemp = 7 };
  struct Operand {
    Table table = kLiteral;
    uint32_t index = 0;  // component
  };
  struct Instruction {
    uint16_t op = 0;
    uint8_t elements = 1;
    bool scalar = false;  // the first input is one component for every element
    uint8_t inputs = 0;
    Operand in[3];
    Operand out;
  };
  double Read(const Operand& o, uint32_t i) const;

  std::vector<double> literals_;
  std::vector<Input> inputs_;
  std::vector<Instruction> code_;
  mutable std::vector<double> inputRegs_, temps_, outputs_;
};

// A state's 32-bit value from an expression's result, by the state's value
// type in the effect file (float: its bits; bool: non-zero; int: rounded).
uint32_t ExpressionStateValue(double value, uint32_t containerType);

}  // namespace glimmer
