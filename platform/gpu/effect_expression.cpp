#include "platform/gpu/effect_expression.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "platform/gpu/effect_container.h"

namespace glimmer {
namespace {

struct Refused : std::runtime_error {
  using std::runtime_error::runtime_error;
};

constexpr uint32_t FourCc(char a, char b, char c, char d) {
  return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 |
         uint32_t(uint8_t(d)) << 24;
}
constexpr uint32_t kClit = FourCc('C', 'L', 'I', 'T');
constexpr uint32_t kCtab = FourCc('C', 'T', 'A', 'B');
constexpr uint32_t kFxlc = FourCc('F', 'X', 'L', 'C');

// Operations by the code in bits 20..30 of an instruction's first word, with
// the number of inputs each takes.
enum Op : uint16_t {
  kMov = 0x100,
  kNeg = 0x101,
  kRcp = 0x103,
  kFrc = 0x104,
  kExp = 0x105,
  kLog = 0x106,
  kRsq = 0x107,
  kSin = 0x108,
  kCos = 0x109,
  kAsin = 0x10A,
  kAcos = 0x10B,
  kAtan = 0x10C,
  kMin = 0x200,
  kMax = 0x201,
  kLt = 0x202,
  kGe = 0x203,
  kAdd = 0x204,
  kMul = 0x205,
  kAtan2 = 0x206,
  kDiv = 0x208,
  kCmp = 0x300,
  kMovc = 0x301,
  kDot = 0x500,
};

int InputCount(uint16_t op) {
  switch (op) {
    case kMov:
    case kNeg:
    case kRcp:
    case kFrc:
    case kExp:
    case kLog:
    case kRsq:
    case kSin:
    case kCos:
    case kAsin:
    case kAcos:
    case kAtan:
      return 1;
    case kMin:
    case kMax:
    case kLt:
    case kGe:
    case kAdd:
    case kMul:
    case kAtan2:
    case kDiv:
    case kDot:
      return 2;
    case kCmp:
    case kMovc:
      return 3;
    default:
      return -1;
  }
}

std::string Hex(uint32_t v) {
  char b[16];
  std::snprintf(b, sizeof b, "0x%X", v);
  return b;
}

// Words of a section, read with bounds checks.
class Words {
 public:
  explicit Words(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  size_t Count() const { return bytes_.size() / 4; }
  uint32_t At(size_t i, const char* what) const {
    if (i >= Count()) throw Refused(std::string(what) + " runs past the end of its section");
    uint32_t v;
    std::memcpy(&v, bytes_.data() + i * 4, 4);
    return v;
  }
  std::span<const uint8_t> Bytes() const { return bytes_; }

 private:
  std::span<const uint8_t> bytes_;
};

uint16_t Half(std::span<const uint8_t> b, size_t at) {
  if (at + 2 > b.size()) throw Refused("the parameter table runs past its section");
  uint16_t v;
  std::memcpy(&v, b.data() + at, 2);
  return v;
}

uint32_t Word(std::span<const uint8_t> b, size_t at) {
  if (at > b.size() || b.size() - at < 4)
    throw Refused("the parameter table runs past its section");
  uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}

// The parameters of a constant table (the CTAB section without its tag).
std::vector<EffectExpression::Input> ReadInputs(std::span<const uint8_t> ctab) {
  std::vector<EffectExpression::Input> out;
  const uint32_t count = Word(ctab, 12), infoAt = Word(ctab, 16);
  if (count > kExprMaxRegisters) throw Refused("the parameter table names too many parameters");
  for (uint32_t i = 0; i < count; ++i) {
    const size_t at = size_t(infoAt) + size_t(i) * 20;
    const uint32_t nameAt = Word(ctab, at);
    const uint16_t set = Half(ctab, at + 4);
    EffectExpression::Input in;
    in.reg = Half(ctab, at + 6);
    in.registers = Half(ctab, at + 8);
    const uint32_t typeAt = Word(ctab, at + 12);
    if (nameAt >= ctab.size()) throw Refused("a parameter name lies outside the table");
    const char* name = reinterpret_cast<const char*>(ctab.data() + nameAt);
    in.name.assign(name, strnlen(name, ctab.size() - nameAt));
    if (set != 2) throw Refused("parameter \"" + in.name + "\" is read as integer or boolean");
    if (in.reg + in.registers > kExprMaxRegisters)
      throw Refused("parameter \"" + in.name + "\" lies beyond the input registers");
    const uint16_t cls = Half(ctab, typeAt);
    in.rows = std::max<uint16_t>(1, Half(ctab, typeAt + 4));
    in.columns = std::max<uint16_t>(1, Half(ctab, typeAt + 6));
    in.elements = std::max<uint16_t>(1, Half(ctab, typeAt + 8));
    if (cls > kFxMatrixColumns)
      throw Refused("parameter \"" + in.name + "\" is not a number, vector or matrix");
    if (in.rows > 4 || in.columns > 4) throw Refused("parameter \"" + in.name + "\" is too large");
    in.columnMajor = cls == kFxMatrixColumns;
    out.push_back(std::move(in));
  }
  return out;
}

}  // namespace

bool EffectExpression::LooksLikeExpression(std::span<const uint8_t> bytes) {
  return bytes.size() >= 4 && bytes[2] == 0x58 && bytes[3] == 0x46;
}

std::optional<EffectExpression> EffectExpression::Parse(std::span<const uint8_t> bytes,
                                                        std::string& error) {
  try {
    if (!LooksLikeExpression(bytes)) throw Refused("not an expression (no FX version word)");
    const Words all(bytes);
    std::optional<Words> clit, ctab, fxlc;
    size_t at = 1;
    while (at < all.Count()) {
      const uint32_t token = all.At(at, "a section");
      if (token == 0x0000FFFF) break;  // the end token
      if ((token & 0xFFFF) != 0xFFFE) throw Refused("a word outside the sections: " + Hex(token));
      const size_t length = (token >> 16) & 0x7FFF;
      if (length > all.Count() - at - 1) throw Refused("a section runs past the end");
      if (length > 0) {
        const Words section(bytes.subspan((at + 2) * 4, (length - 1) * 4));
        auto* slot = all.At(at + 1, "a section") == kClit   ? &clit
                     : all.At(at + 1, "a section") == kCtab ? &ctab
                     : all.At(at + 1, "a section") == kFxlc ? &fxlc
                                                            : nullptr;
        if (slot) {
          if (*slot) throw Refused("a section appears twice");
          slot->emplace(section);
        }
      }
      at += 1 + length;
    }
    if (!fxlc) throw Refused("no instructions (FXLC)");
    EffectExpression e;
    if (clit) {
      const uint32_t count = clit->At(0, "the literal count");
      if (count > (clit->Count() - 1) / 2) throw Refused("the literals run past their section");
      e.literals_.resize(count);
      if (count) std::memcpy(e.literals_.data(), clit->Bytes().data() + 4, size_t(count) * 8);
    }
    if (ctab) e.inputs_ = ReadInputs(ctab->Bytes());
    uint32_t inputRegs = 0;
    for (const Input& in : e.inputs_) inputRegs = std::max(inputRegs, in.reg + in.registers);

    const uint32_t count = fxlc->At(0, "the instruction count");
    if (count > kExprMaxInstructions) throw Refused("too many instructions");
    if (count > fxlc->Count() / 2) throw Refused("the instructions run past their section");
    uint32_t temps = 0, outputs = 0;
    size_t w = 1;
    for (uint32_t i = 0; i < count; ++i) {
      Instruction ins;
      const uint32_t token = fxlc->At(w++, "an instruction");
      ins.op = uint16_t((token >> 20) & 0x7FF);
      ins.scalar = (token & 0x80000000u) != 0;
      const uint32_t elements = token & 0xFF;
      const int inputs = InputCount(ins.op);
      if (inputs < 0) throw Refused("the operation " + Hex(ins.op) + " is not supported");
      if (elements == 0 || elements > kExprMaxElements)
        throw Refused("an instruction on " + std::to_string(elements) + " components");
      ins.elements = uint8_t(elements);
      if (fxlc->At(w++, "an instruction") != uint32_t(inputs))
        throw Refused("the operation " + Hex(ins.op) + " has the wrong number of inputs");
      ins.inputs = uint8_t(inputs);
      for (int k = 0; k <= inputs; ++k) {
        if (fxlc->At(w, "an operand") != 0) throw Refused("an operand is addressed relatively");
        const uint32_t table = fxlc->At(w + 1, "an operand");
        const uint32_t index = fxlc->At(w + 2, "an operand");
        w += 3;
        const bool out = k == inputs;
        // Components the operand covers: one for a scalar input or the
        // output of a dot product.
        const uint32_t span =
            (k == 0 && ins.scalar && !out) || (out && ins.op == kDot) ? 1 : elements;
        if (index > kExprMaxRegisters * 4 - span)
          throw Refused("an operand lies beyond the registers");
        Operand o{Table(table), index};
        switch (table) {
          case kLiteral:
            if (out || index + span > e.literals_.size())
              throw Refused("a literal operand lies outside the literals");
            break;
          case kInput:
            if (out || index + span > inputRegs * 4)
              throw Refused("an input operand lies outside the parameters");
            break;
          case kOutput:
            outputs = std::max(outputs, index + span);
            break;
          case kTemp:
            temps = std::max(temps, index + span);
            break;
          default:
            throw Refused("an operand of register table " + std::to_string(table) +
                          " is not supported");
        }
        if (out) {
          ins.out = o;
        } else {
          ins.in[k] = o;
        }
      }
      e.code_.push_back(ins);
    }
    // Reads of outputs and temporaries not yet written see zeros.
    for (const Instruction& ins : e.code_) {
      for (int k = 0; k < ins.inputs; ++k) {
        const uint32_t end = ins.in[k].index + (k == 0 && ins.scalar ? 1 : ins.elements);
        if (ins.in[k].table == kTemp) temps = std::max(temps, end);
        if (ins.in[k].table == kOutput) outputs = std::max(outputs, end);
      }
    }
    e.inputRegs_.assign(size_t(inputRegs) * 4, 0.0);
    e.temps_.assign((temps + 3) / 4 * 4, 0.0);
    e.outputs_.assign((outputs + 3) / 4 * 4, 0.0);
    return e;
  } catch (const Refused& r) {
    error = r.what();
    return std::nullopt;
  }
}

double EffectExpression::Read(const Operand& o, uint32_t i) const {
  switch (o.table) {
    case kLiteral:
      return literals_[o.index + i];
    case kInput:
      return inputRegs_[o.index + i];
    case kOutput:
      return outputs_[o.index + i];
    default:
      return temps_[o.index + i];
  }
}

const std::vector<double>& EffectExpression::Evaluate(const ParamReader& param) const {
  std::fill(temps_.begin(), temps_.end(), 0.0);
  std::fill(outputs_.begin(), outputs_.end(), 0.0);
  float value[16];
  for (const Input& in : inputs_) {
    param(in.name, value, 16);
    // Register r of the parameter holds a row (or with columnMajor a
    // column) of each element in turn.
    const uint32_t perElement = in.columnMajor ? in.columns : in.rows;
    for (uint32_t r = 0; r < in.registers; ++r) {
      const uint32_t element = r / perElement, line = r % perElement;
      for (uint32_t c = 0; c < 4; ++c) {
        const uint32_t row = in.columnMajor ? c : line, column = in.columnMajor ? line : c;
        const size_t at = (size_t(element) * in.rows + row) * 4 + column;
        const bool inside = row < in.rows && column < in.columns && element < in.elements;
        inputRegs_[size_t(in.reg + r) * 4 + c] = inside && at < 16 ? double(value[at]) : 0.0;
      }
    }
  }
  for (const Instruction& ins : code_) {
    auto arg = [&](int k, uint32_t i) { return Read(ins.in[k], k == 0 && ins.scalar ? 0 : i); };
    std::vector<double>& target = ins.out.table == kOutput ? outputs_ : temps_;
    if (ins.op == kDot) {
      double sum = 0;
      for (uint32_t i = 0; i < ins.elements; ++i) sum += arg(0, i) * arg(1, i);
      target[ins.out.index] = sum;
      continue;
    }
    // Inputs are read before any element is written, so an instruction
    // may overwrite its own input.
    double result[kExprMaxElements];
    for (uint32_t i = 0; i < ins.elements; ++i) {
      const double a = arg(0, i);
      const double b = ins.inputs > 1 ? arg(1, i) : 0.0;
      const double c = ins.inputs > 2 ? arg(2, i) : 0.0;
      double r = 0;
      switch (ins.op) {
        case kMov:
          r = a;
          break;
        case kNeg:
          r = -a;
          break;
        case kRcp:
          r = a == 0 ? std::numeric_limits<double>::infinity() : 1.0 / a;
          break;
        case kFrc:
          r = a - std::floor(a);
          break;
        case kExp:
          r = std::exp2(a);
          break;
        case kLog:
          r = a == 0 ? -std::numeric_limits<double>::infinity() : std::log2(std::fabs(a));
          break;
        case kRsq:
          r = a == 0 ? std::numeric_limits<double>::infinity() : 1.0 / std::sqrt(std::fabs(a));
          break;
        case kSin:
          r = std::sin(a);
          break;
        case kCos:
          r = std::cos(a);
          break;
        case kAsin:
          r = std::asin(a);
          break;
        case kAcos:
          r = std::acos(a);
          break;
        case kAtan:
          r = std::atan(a);
          break;
        case kMin:
          r = std::min(a, b);
          break;
        case kMax:
          r = std::max(a, b);
          break;
        case kLt:
          r = a < b ? 1.0 : 0.0;
          break;
        case kGe:
          r = a >= b ? 1.0 : 0.0;
          break;
        case kAdd:
          r = a + b;
          break;
        case kMul:
          r = a * b;
          break;
        case kAtan2:
          r = std::atan2(a, b);
          break;
        case kDiv:
          r = a / b;
          break;
        case kCmp:
          r = a >= 0 ? b : c;
          break;
        case kMovc:
          r = a != 0 ? b : c;
          break;
        default:
          break;
      }
      result[i] = r;
    }
    std::copy_n(result, ins.elements, target.begin() + ins.out.index);
  }
  return outputs_;
}

uint32_t ExpressionStateValue(double value, uint32_t containerType) {
  if (containerType == kFxFloat) {
    const float f = std::isfinite(value) ? float(value) : 0.0f;
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return bits;
  }
  if (containerType == kFxBool) return value != 0 && !std::isnan(value) ? 1u : 0u;
  if (!std::isfinite(value)) return 0;
  return uint32_t(int32_t(std::clamp(std::round(value), -2147483648.0, 2147483647.0)));
}

}  // namespace glimmer
