#include "tests/support/effect_writer.h"

#include <mojoshader.h>

#include <cstring>
#include <stdexcept>

#include "platform/gpu/effect_container.h"

namespace glimmer::testing {
namespace {

class Bytes {
 public:
  uint32_t Size() const { return uint32_t(b_.size()); }
  void Word(uint32_t w) {
    const size_t at = b_.size();
    b_.resize(at + 4);
    std::memcpy(b_.data() + at, &w, 4);
  }
  void Data(const std::vector<uint8_t>& d) {
    Word(uint32_t(d.size()));
    b_.insert(b_.end(), d.begin(), d.end());
    while (b_.size() % 4) b_.push_back(0);
  }
  uint32_t String(const std::string& s) {
    const uint32_t at = Size();
    std::vector<uint8_t> d(s.begin(), s.end());
    d.push_back(0);
    Data(d);
    return at;
  }
  std::vector<uint8_t>& Raw() { return b_; }

 private:
  std::vector<uint8_t> b_;
};

uint32_t Type(Bytes& out, uint32_t type, uint32_t cls, const std::string& name, uint32_t rows = 1,
              uint32_t columns = 1) {
  const uint32_t nameAt = out.String(name);
  const uint32_t semanticAt = out.String("");
  const uint32_t at = out.Size();
  out.Word(type);
  out.Word(cls);
  out.Word(nameAt);
  out.Word(semanticAt);
  out.Word(0);
  if (cls <= kFxMatrixColumns) {
    out.Word(columns);
    out.Word(rows);
  }
  return at;
}

}  // namespace

std::vector<uint8_t> AssembleShader(const std::string& source,
                                    const std::vector<ShaderConstant>& constants,
                                    const std::vector<ShaderSampler>& samplers) {
  std::vector<MOJOSHADER_symbol> symbols;
  for (const auto& c : constants) {
    MOJOSHADER_symbol s{};
    s.name = c.name.c_str();
    s.register_set = MOJOSHADER_SYMREGSET_FLOAT4;
    s.register_index = c.reg;
    s.register_count = c.rows;
    s.info.parameter_class = c.rows == 1     ? MOJOSHADER_SYMCLASS_VECTOR
                             : c.columnMajor ? MOJOSHADER_SYMCLASS_MATRIX_COLUMNS
                                             : MOJOSHADER_SYMCLASS_MATRIX_ROWS;
    s.info.parameter_type = MOJOSHADER_SYMTYPE_FLOAT;
    s.info.rows = c.rows;
    s.info.columns = c.columns;
    symbols.push_back(s);
  }
  for (const auto& c : samplers) {
    MOJOSHADER_symbol s{};
    s.name = c.name.c_str();
    s.register_set = MOJOSHADER_SYMREGSET_SAMPLER;
    s.register_index = c.reg;
    s.register_count = 1;
    s.info.parameter_class = MOJOSHADER_SYMCLASS_OBJECT;
    s.info.parameter_type = MOJOSHADER_SYMTYPE_SAMPLER2D;
    s.info.rows = s.info.columns = 1;
    symbols.push_back(s);
  }
  const MOJOSHADER_parseData* a = MOJOSHADER_assemble(
      "test", source.c_str(), unsigned(source.size()), nullptr, 0, symbols.data(),
      unsigned(symbols.size()), nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr);
  if (a->error_count > 0) {
    const std::string e = a->errors[0].error;
    MOJOSHADER_freeParseData(a);
    throw std::runtime_error("shader does not assemble: " + e);
  }
  std::vector<uint8_t> out(a->output, a->output + a->output_len);
  MOJOSHADER_freeParseData(a);
  return out;
}

ExpressionWriter::Operand ExpressionWriter::Literal(double value) {
  literals_.push_back(value);
  return {kLiteral, uint32_t(literals_.size() - 1)};
}

void ExpressionWriter::Input(const std::string& name, uint32_t reg, uint32_t rows, uint32_t columns,
                             uint32_t registers) {
  inputs_.push_back({name, reg, rows, columns, registers});
}

void ExpressionWriter::Op(uint32_t code, uint32_t elements, std::vector<Operand> inputs,
                          Operand out, bool scalar) {
  code_.push_back((scalar ? 0x80000000u : 0u) | code << 20 | elements);
  code_.push_back(uint32_t(inputs.size()));
  inputs.push_back(out);
  for (const Operand& o : inputs) {
    code_.push_back(0);
    code_.push_back(o.table);
    code_.push_back(o.index);
  }
  ++instructions_;
}

std::vector<uint8_t> ExpressionWriter::Build() const {
  constexpr uint32_t kVersion = 0x46580200;
  auto fourCc = [](const char* s) {
    return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
           uint32_t(uint8_t(s[3])) << 24;
  };
  Bytes out;
  out.Word(kVersion);
  auto section = [&](const char* tag, Bytes& body) {
    while (body.Size() % 4) body.Raw().push_back(0);
    out.Word(0xFFFE | (body.Size() / 4 + 1) << 16);
    out.Word(fourCc(tag));
    out.Raw().insert(out.Raw().end(), body.Raw().begin(), body.Raw().end());
  };
  Bytes clit;
  clit.Word(uint32_t(literals_.size()));
  for (double d : literals_) {
    uint32_t w[2];
    std::memcpy(w, &d, 8);
    clit.Word(w[0]);
    clit.Word(w[1]);
  }
  section("CLIT", clit);
  // The constant table: header, entries, then type records and names.
  Bytes ctab;
  const uint32_t entriesAt = 28;
  const uint32_t typesAt = entriesAt + 20 * uint32_t(inputs_.size());
  uint32_t namesAt = typesAt + 16 * uint32_t(inputs_.size());
  std::vector<uint32_t> nameOffsets;
  std::vector<uint8_t> names;
  for (const Param& p : inputs_) {
    nameOffsets.push_back(namesAt + uint32_t(names.size()));
    names.insert(names.end(), p.name.begin(), p.name.end());
    names.push_back(0);
  }
  const uint32_t targetAt = namesAt + uint32_t(names.size());
  for (const char* c = "fx_2_0"; *c; ++c) names.push_back(uint8_t(*c));
  names.push_back(0);
  for (uint32_t w : {28u, targetAt, kVersion, uint32_t(inputs_.size()), entriesAt, 0u, targetAt})
    ctab.Word(w);
  auto halves = [&](uint16_t a, uint16_t b) { ctab.Word(uint32_t(a) | uint32_t(b) << 16); };
  for (size_t i = 0; i < inputs_.size(); ++i) {
    const Param& p = inputs_[i];
    ctab.Word(nameOffsets[i]);
    halves(2, uint16_t(p.reg));  // float registers
    halves(uint16_t(p.registers), 0);
    ctab.Word(typesAt + 16 * uint32_t(i));
    ctab.Word(0);
  }
  for (const Param& p : inputs_) {
    const uint32_t cls = p.rows > 1 ? kFxMatrixRows : p.columns > 1 ? kFxVector : kFxScalar;
    halves(uint16_t(cls), kFxFloat);
    halves(uint16_t(p.rows), uint16_t(p.columns));
    halves(1, 0);
    ctab.Word(0);
  }
  ctab.Raw().insert(ctab.Raw().end(), names.begin(), names.end());
  section("CTAB", ctab);
  Bytes fxlc;
  fxlc.Word(instructions_);
  for (uint32_t w : code_) fxlc.Word(w);
  section("FXLC", fxlc);
  out.Word(0x0000FFFF);
  return out.Raw();
}

int EffectFileWriter::NewObject(std::vector<uint8_t> data) {
  objects_.push_back(std::move(data));
  return int(objects_.size() - 1);
}

void EffectFileWriter::AddFloat(const std::string& name, uint32_t rows, uint32_t columns,
                                std::vector<float> init) {
  Param p{name, kFxFloat, rows > 1 ? uint32_t(kFxMatrixRows) : uint32_t(kFxVector),
          rows, columns,  {},
          -1,   {}};
  init.resize(size_t(rows) * columns);
  for (float f : init) {
    uint32_t w;
    std::memcpy(&w, &f, 4);
    p.words.push_back(w);
  }
  params_.push_back(std::move(p));
}

void EffectFileWriter::AddTexture(const std::string& name) {
  params_.push_back({name, kFxTexture2D, kFxObject, 0, 0, {}, NewObject({}), {}});
}

void EffectFileWriter::AddSampler(const std::string& name, const std::string& texture,
                                  std::vector<std::pair<uint32_t, uint32_t>> states) {
  Param p{name, kFxSampler2D, kFxObject, 0, 0, {}, -1, {}};
  p.samplerStates.push_back(
      {kFxTextureState, 0, 0, NewObject({}), kFxTexture2D, texture, kFxInt, {}, 0});
  for (auto [op, value] : states)
    p.samplerStates.push_back({op, 0, value, -1, 0, {}, kFxInt, {}, 0});
  params_.push_back(std::move(p));
}

uint32_t EffectFileWriter::AddTechnique(const std::string& name) {
  techniques_.push_back({name, {}});
  return uint32_t(techniques_.size() - 1);
}

void EffectFileWriter::AddPass(const std::string& name) {
  techniques_.back().passes.push_back({name, {}});
}

void EffectFileWriter::AddState(uint32_t operation, uint32_t index, uint32_t value) {
  techniques_.back().passes.back().states.push_back(
      {operation, index, value, -1, 0, {}, kFxInt, {}, 0});
}

void EffectFileWriter::AddComputedState(uint32_t operation, uint32_t index, uint32_t type,
                                        std::vector<uint8_t> data, uint32_t usage) {
  techniques_.back().passes.back().states.push_back(
      {operation, index, 0, -1, 0, {}, type, std::move(data), usage});
}

void EffectFileWriter::AddPixelShader(std::vector<uint8_t> bytecode) {
  techniques_.back().passes.back().states.push_back({kFxPixelShaderState,
                                                     0,
                                                     0,
                                                     NewObject(std::move(bytecode)),
                                                     kFxPixelShader,
                                                     {},
                                                     kFxInt,
                                                     {},
                                                     0});
}

void EffectFileWriter::AddVertexShader(std::vector<uint8_t> bytecode) {
  techniques_.back().passes.back().states.push_back({kFxVertexShaderState,
                                                     0,
                                                     0,
                                                     NewObject(std::move(bytecode)),
                                                     kFxVertexShader,
                                                     {},
                                                     kFxInt,
                                                     {},
                                                     0});
}

std::vector<uint8_t> EffectFileWriter::Build() const {
  // Names, types and values first; the structure that points at them last.
  Bytes data;
  auto stateWords = [&](const State& s) {
    std::vector<uint32_t> w{s.operation, s.index};
    if (s.object >= 0) {
      w.push_back(Type(data, s.objectType, kFxObject, ""));
      const uint32_t at = data.Size();
      data.Word(uint32_t(s.object));
      w.push_back(at);
    } else {
      w.push_back(Type(data, s.valueType, kFxScalar, ""));
      const uint32_t at = data.Size();
      data.Word(s.value);
      w.push_back(at);
    }
    return w;
  };
  std::vector<std::vector<uint32_t>> paramWords;
  for (const Param& p : params_) {
    const uint32_t typeAt = Type(data, p.type, p.cls, p.name, p.rows, p.columns);
    uint32_t valueAt = data.Size();
    if (p.type == kFxSampler2D) {
      std::vector<uint32_t> states;
      for (const State& s : p.samplerStates) {
        auto w = stateWords(s);
        states.insert(states.end(), w.begin(), w.end());
      }
      valueAt = data.Size();
      data.Word(uint32_t(p.samplerStates.size()));
      for (uint32_t w : states) data.Word(w);
    } else if (p.object >= 0) {
      data.Word(uint32_t(p.object));
    } else {
      for (uint32_t w : p.words) data.Word(w);
    }
    paramWords.push_back({typeAt, valueAt, 0, 0});
  }
  struct PassWords {
    uint32_t name;
    std::vector<uint32_t> states;
  };
  std::vector<std::pair<uint32_t, std::vector<PassWords>>> techniqueWords;
  for (const Technique& t : techniques_) {
    auto& [nameAt, passes] =
        techniqueWords.emplace_back(data.String(t.name), std::vector<PassWords>{});
    for (const Pass& p : t.passes) {
      PassWords pw{data.String(p.name), {}};
      for (const State& s : p.states) {
        auto w = stateWords(s);
        pw.states.insert(pw.states.end(), w.begin(), w.end());
      }
      passes.push_back(std::move(pw));
    }
  }
  const uint32_t start = data.Size();
  data.Word(uint32_t(params_.size()));
  data.Word(uint32_t(techniques_.size()));
  data.Word(0);
  data.Word(uint32_t(objects_.size()));
  for (const auto& w : paramWords)
    for (uint32_t x : w) data.Word(x);
  for (size_t t = 0; t < techniques_.size(); ++t) {
    data.Word(techniqueWords[t].first);
    data.Word(0);
    data.Word(uint32_t(techniques_[t].passes.size()));
    for (size_t p = 0; p < techniques_[t].passes.size(); ++p) {
      data.Word(techniqueWords[t].second[p].name);
      data.Word(0);
      data.Word(uint32_t(techniques_[t].passes[p].states.size()));
      for (uint32_t x : techniqueWords[t].second[p].states) data.Word(x);
    }
  }
  uint32_t withData = 0;
  for (const auto& o : objects_) withData += o.empty() ? 0 : 1;
  uint32_t references = 0;
  for (const Param& p : params_)
    for (const State& s : p.samplerStates) references += s.parameter.empty() ? 0 : 1;
  for (const Technique& t : techniques_)
    for (const Pass& p : t.passes)
      for (const State& s : p.states) references += s.attached.empty() ? 0 : 1;
  data.Word(withData);
  data.Word(references);
  for (size_t i = 0; i < objects_.size(); ++i) {
    if (objects_[i].empty()) continue;
    data.Word(uint32_t(i));
    data.Data(objects_[i]);
  }
  for (size_t i = 0; i < params_.size(); ++i) {
    for (size_t s = 0; s < params_[i].samplerStates.size(); ++s) {
      const State& st = params_[i].samplerStates[s];
      if (st.parameter.empty()) continue;
      for (uint32_t w : {0xFFFFFFFFu, uint32_t(i), 0xFFFFFFFFu, uint32_t(s), 1u}) data.Word(w);
      std::vector<uint8_t> name(st.parameter.begin(), st.parameter.end());
      name.push_back(0);
      data.Data(name);
    }
  }
  for (size_t t = 0; t < techniques_.size(); ++t) {
    for (size_t p = 0; p < techniques_[t].passes.size(); ++p) {
      const auto& states = techniques_[t].passes[p].states;
      for (size_t s = 0; s < states.size(); ++s) {
        if (states[s].attached.empty()) continue;
        for (uint32_t w : {uint32_t(t), uint32_t(p), 0u, uint32_t(s), states[s].usage})
          data.Word(w);
        data.Data(states[s].attached);
      }
    }
  }
  Bytes file;
  file.Word(0xFEFF0901u);
  file.Word(start);
  auto& out = file.Raw();
  out.insert(out.end(), data.Raw().begin(), data.Raw().end());
  return out;
}

}  // namespace glimmer::testing
