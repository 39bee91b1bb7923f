// Expressions of computed states: the layout the test writer produces is
// the one MojoShader's own preshader parser reads, our evaluator computes
// what the instructions say from parameters in their register layout, and
// damaged programs are refused with a reason, never run.

#include "platform/gpu/effect_expression.h"

#include <gtest/gtest.h>
#include <mojoshader.h>

#include <cstring>
#include <limits>
#include <map>
#include <random>

#include "tests/support/effect_writer.h"

namespace glimmer::testing {
namespace {

using W = ExpressionWriter;

// Parameter values as an effect keeps them (four floats to a matrix row).
struct Params {
  std::map<std::string, std::vector<float>> values;
  EffectExpression::ParamReader Reader() const {
    return [this](const std::string& name, float* out, int count) {
      auto it = values.find(name);
      for (int i = 0; i < count; ++i)
        out[i] = it != values.end() && size_t(i) < it->second.size() ? it->second[size_t(i)] : 0;
    };
  }
};

// The index of the word holding a section's tag.
size_t SectionWord(const std::vector<uint8_t>& bytes, const char* tag) {
  for (size_t i = 0; i + 4 <= bytes.size(); i += 4)
    if (std::memcmp(bytes.data() + i, tag, 4) == 0) return i / 4;
  ADD_FAILURE() << "no section " << tag;
  return 0;
}

EffectExpression Parse(const std::vector<uint8_t>& bytes) {
  std::string error;
  auto e = EffectExpression::Parse(bytes, error);
  EXPECT_TRUE(e) << error;
  return e ? std::move(*e) : EffectExpression{};
}

// Fade >= 0.5 ? Tint.y * 2 : -1, through a temporary, with the scalar form
// of mul broadcasting its first input.
std::vector<uint8_t> Conditional() {
  W w;
  w.Input("Fade", 0);
  w.Input("Tint", 1, 1, 4);
  const auto half = w.Literal(0.5), two = w.Literal(2), minusOne = w.Literal(-1);
  w.Op(0x203, 1, {{W::kInput, 0}, half}, {W::kTemp, 0});                      // ge
  w.Op(0x205, 1, {two, {W::kInput, 5}}, {W::kTemp, 1}, true);                 // mul (Tint.y)
  w.Op(0x101, 1, {{W::kTemp, 0}}, {W::kTemp, 2});                             // neg
  w.Op(0x300, 1, {{W::kTemp, 2}, minusOne, {W::kTemp, 1}}, {W::kOutput, 0});  // cmp
  return w.Build();
}

TEST(EffectExpressions, WriterLayoutIsWhatMojoShaderReads) {
  const auto bytes = Conditional();
  const MOJOSHADER_preshader* p =
      MOJOSHADER_parsePreshader(bytes.data(), unsigned(bytes.size()), nullptr, nullptr, nullptr);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->literal_count, 3u);
  EXPECT_DOUBLE_EQ(p->literals[1], 2.0);
  ASSERT_EQ(p->symbol_count, 2u);
  EXPECT_STREQ(p->symbols[1].name, "Tint");
  EXPECT_EQ(p->symbols[1].register_index, 1u);
  ASSERT_EQ(p->instruction_count, 4u);
  EXPECT_EQ(p->instructions[0].opcode, MOJOSHADER_PRESHADEROP_GE);
  EXPECT_EQ(p->instructions[1].opcode, MOJOSHADER_PRESHADEROP_MUL_SCALAR);
  EXPECT_EQ(p->instructions[1].operands[1].type, MOJOSHADER_PRESHADEROPERAND_INPUT);
  EXPECT_EQ(p->instructions[1].operands[1].index, 5u);
  EXPECT_EQ(p->instructions[3].opcode, MOJOSHADER_PRESHADEROP_CMP);
  EXPECT_EQ(p->instructions[3].operand_count, 4u);
  EXPECT_EQ(p->instructions[3].operands[3].type, MOJOSHADER_PRESHADEROPERAND_OUTPUT);
  MOJOSHADER_freePreshader(p);
}

TEST(EffectExpressions, EvaluateFromParameters) {
  const EffectExpression e = Parse(Conditional());
  Params p;
  p.values["Tint"] = {0, 0.75f, 0, 0};
  p.values["Fade"] = {0.25f};
  EXPECT_DOUBLE_EQ(e.Evaluate(p.Reader())[0], -1.0);
  p.values["Fade"] = {0.5f};
  EXPECT_DOUBLE_EQ(e.Evaluate(p.Reader())[0], 1.5) << "Tint.y, the second component";
  p.values["Fade"] = {0.25f};
  EXPECT_DOUBLE_EQ(e.Evaluate(p.Reader())[0], -1.0) << "nothing kept from the run before";

  // A matrix read as rows and as columns: the dot product of register 1
  // (its second row, or its second column) with (1, 10, 100, 1000).
  for (uint32_t columns : {0u, 1u}) {
    W w;
    w.Input("M", 0, 4, 4, 4);
    auto weights = w.Literal(1);
    for (double d : {10.0, 100.0, 1000.0}) w.Literal(d);
    w.Op(0x500, 4, {{W::kInput, 4}, weights}, {W::kOutput, 0});
    auto bytes = w.Build();
    if (columns) {
      // The class of the type record after the table's header and its one entry.
      bytes[(SectionWord(bytes, "CTAB") + 1) * 4 + 28 + 20] = uint8_t(kFxMatrixColumns);
    }
    Params m;
    m.values["M"] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    EXPECT_DOUBLE_EQ(Parse(bytes).Evaluate(m.Reader())[0],
                     columns ? 2 + 60 + 1000 + 14000 : 5 + 60 + 700 + 8000);
  }
}

TEST(EffectExpressions, DamagedProgramsAreRefusedWithAReason) {
  const auto good = Conditional();
  std::string error;
  // Every cut short of the end token leaves the instructions incomplete.
  for (size_t n = 0; n + 4 < good.size(); ++n) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + ptrdiff_t(n));
    error.clear();
    EXPECT_FALSE(EffectExpression::Parse(cut, error)) << n;
    EXPECT_FALSE(error.empty()) << n;
  }
  auto patched = [&](size_t word, uint32_t value) {
    auto b = good;
    std::memcpy(b.data() + word * 4, &value, 4);
    error.clear();
    EXPECT_FALSE(EffectExpression::Parse(b, error)) << word;
    return error;
  };
  // The FXLC section: tag, count, then the first instruction (operation,
  // input count, and each operand as relative flag, table, index).
  const size_t fxlc = SectionWord(good, "FXLC");
  EXPECT_NE(patched(fxlc + 1, 0x7FFFFFFF).find("instructions"), std::string::npos);
  EXPECT_NE(patched(fxlc + 2, 0x50200001).find("0x502 is not supported"), std::string::npos);
  EXPECT_NE(patched(fxlc + 3, 3).find("wrong number of inputs"), std::string::npos);
  EXPECT_NE(patched(fxlc + 4, 1).find("relatively"), std::string::npos);
  EXPECT_NE(patched(fxlc + 6, 400).find("outside the parameters"), std::string::npos);

  // Random damage never reads outside the program.
  std::mt19937 random(1);
  for (int i = 0; i < 2000; ++i) {
    auto b = good;
    for (int k = 0; k < 3; ++k) b[random() % b.size()] = uint8_t(random());
    if (auto e = EffectExpression::Parse(b, error)) e->Evaluate(Params{}.Reader());
  }
}

TEST(EffectExpressions, StateValuesByType) {
  EXPECT_EQ(ExpressionStateValue(2.6, kFxInt), 3u);
  EXPECT_EQ(ExpressionStateValue(-1.0, kFxInt), 0xFFFFFFFFu);
  EXPECT_EQ(ExpressionStateValue(0.25, kFxBool), 1u);
  EXPECT_EQ(ExpressionStateValue(1.0, kFxFloat), 0x3F800000u);
  EXPECT_EQ(ExpressionStateValue(std::numeric_limits<double>::infinity(), kFxInt), 0u);
}

}  // namespace
}  // namespace glimmer::testing
