// The effect-container reader: what the test writer builds reads back, and
// truncated or inconsistent bytes fail with a message instead of a crash.

#include "platform/gpu/effect_container.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/effect_writer.h"

namespace glimmer::testing {
namespace {

std::vector<uint8_t> SampleEffect() {
  EffectFileWriter w;
  w.AddFloat("Tint", 1, 4, {0.25f, 0.5f, 0.75f, 1.0f});
  w.AddTexture("Picture");
  w.AddSampler("PictureSampler", "Picture", {{kFxFirstSamplerState + 5, 1}});
  w.AddTechnique("Main");
  w.AddPass("P0");
  w.AddState(13, 0, 1);  // alpha blending on
  w.AddPixelShader(AssembleShader("ps_2_0\nmov oC0, c0\n", {{"Tint", 0}}));
  w.AddTechnique("Second");
  w.AddPass("A");
  w.AddPass("B");
  return w.Build();
}

void PutWord(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  std::memcpy(b.data() + at, &v, 4);
}

TEST(EffectContainer, WrittenEffectReadsBack) {
  const auto bytes = SampleEffect();
  std::string error;
  const auto fx = ReadEffectContainer(bytes, &error);
  ASSERT_TRUE(fx) << error;
  ASSERT_EQ(fx->parameters.size(), 3u);
  const auto& tint = fx->parameters[0];
  EXPECT_EQ(tint.Name(), "Tint");
  EXPECT_EQ(tint.value.type.cls, kFxVector);
  ASSERT_EQ(tint.value.words.size(), 4u);
  float f;
  std::memcpy(&f, &tint.value.words[2], 4);
  EXPECT_EQ(f, 0.75f);
  const auto& sampler = fx->parameters[2];
  ASSERT_TRUE(sampler.value.type.IsSampler());
  ASSERT_EQ(sampler.value.samplers.size(), 1u);
  ASSERT_EQ(sampler.value.samplers[0].size(), 2u);
  EXPECT_EQ(sampler.value.samplers[0][0].operation, kFxTextureState);
  EXPECT_EQ(sampler.value.samplers[0][0].parameter, "Picture");
  EXPECT_EQ(sampler.value.samplers[0][1].value.words, std::vector<uint32_t>{1});

  ASSERT_EQ(fx->techniques.size(), 2u);
  EXPECT_EQ(fx->techniques[0].name, "Main");
  EXPECT_EQ(fx->techniques[1].passes.size(), 2u);
  EXPECT_EQ(fx->techniques[1].passes[1].name, "B");
  const auto& states = fx->techniques[0].passes[0].states;
  ASSERT_EQ(states.size(), 2u);
  EXPECT_EQ(states[0].operation, 13u);
  EXPECT_EQ(states[1].operation, kFxPixelShaderState);
  const uint32_t shader = states[1].value.words.at(0);
  EXPECT_EQ(fx->objects.at(shader), AssembleShader("ps_2_0\nmov oC0, c0\n", {{"Tint", 0}}));
}

TEST(EffectContainer, EveryTruncationFailsCleanly) {
  const auto bytes = SampleEffect();
  for (size_t n = 0; n < bytes.size(); ++n) {
    std::string error;
    const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + ptrdiff_t(n));
    EXPECT_FALSE(ReadEffectContainer(cut, &error)) << "cut at " << n;
    EXPECT_FALSE(error.empty()) << "cut at " << n;
  }
}

TEST(EffectContainer, InconsistentBytesFailWithTheirReason) {
  const auto good = SampleEffect();
  uint32_t start;
  std::memcpy(&start, good.data() + 4, 4);
  const size_t structure = 8 + start;
  std::string error;

  auto bad = good;
  bad[3] = 0xFF;
  EXPECT_FALSE(ReadEffectContainer(bad, &error));
  EXPECT_NE(error.find("01 09 FF FE"), std::string::npos) << error;

  bad = good;
  PutWord(bad, structure, 0x7FFFFFFF);  // parameter count
  EXPECT_FALSE(ReadEffectContainer(bad, &error));
  EXPECT_NE(error.find("parameter count"), std::string::npos) << error;

  bad = good;
  PutWord(bad, structure + 12, 1);  // object count below the ids in use
  EXPECT_FALSE(ReadEffectContainer(bad, &error));
  EXPECT_NE(error.find("out of range"), std::string::npos) << error;

  bad = good;
  PutWord(bad, structure + 16, 0xFFFFFFF0u);  // first parameter's type offset
  EXPECT_FALSE(ReadEffectContainer(bad, &error));
  EXPECT_NE(error.find("outside the file"), std::string::npos) << error;

  // Every single changed word either reads or fails with a message.
  for (size_t at = 8; at + 4 <= good.size(); at += 4) {
    for (uint32_t v : {0u, 0xFFFFFFFFu, 0x80000000u, 7u}) {
      bad = good;
      PutWord(bad, at, v);
      error.clear();
      if (!ReadEffectContainer(bad, &error)) {
        EXPECT_FALSE(error.empty()) << "word at " << at;
      }
    }
  }
}

}  // namespace
}  // namespace glimmer::testing
