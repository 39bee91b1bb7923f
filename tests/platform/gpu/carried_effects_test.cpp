// Carried effect files drawn through the GLSL MojoShader makes of their pixel
// shaders: colours, parameters by name, textures, pass states, and the
// reasons a technique does not translate.

#include "platform/gpu/carried_effect.h"
#include "tests/platform/gpu/gpu_test_support.h"
#include "tests/support/effect_writer.h"

namespace glimmer::testing {
namespace {

constexpr uint32_t kAlphaBlendEnable = 13, kSrcBlend = 6, kDestBlend = 7;

std::unique_ptr<Effect> Load(GpuDevice& device, const EffectFileWriter& w,
                             CarriedEffect* report = nullptr) {
  std::string error;
  CarriedEffect fx = LoadCarriedEffect(w.Build(), &device, &error);
  EXPECT_TRUE(error.empty()) << error;
  if (report) *report = fx;
  if (!fx.desc || fx.desc->techniques.empty()) return nullptr;
  return std::make_unique<Effect>(device, fx.desc);
}

class CarriedEffects : public GpuTest {
 protected:
  void Draw(Effect& fx) {
    const uint32_t passes = fx.Begin();
    for (uint32_t p = 0; p < passes; ++p) {
      fx.BeginPass(p);
      DrawRect(0, 0, kWidth, kHeight, 0xFFFFFFFF);
      fx.EndPass();
    }
    fx.End();
  }
};

TEST_F(CarriedEffects, PixelShaderColourAndPassBlendStates) {
  EffectFileWriter w;
  w.AddTechnique("Red");
  w.AddPass("P0");
  w.AddPixelShader(AssembleShader("ps_2_0\ndef c0, 1, 0, 0, 1\nmov oC0, c0\n"));
  w.AddTechnique("AddRed");
  w.AddPass("P0");
  w.AddState(kAlphaBlendEnable, 0, 1);
  w.AddState(kSrcBlend, 0, D3DBLEND_ONE);
  w.AddState(kDestBlend, 0, D3DBLEND_ONE);
  w.AddPixelShader(AssembleShader("ps_2_0\ndef c0, 1, 0, 0, 1\nmov oC0, c0\n"));
  auto fx = Load(*device_, w);
  ASSERT_NE(fx, nullptr);

  device_->Clear(D3DCLEAR_TARGET, 0xFF0000FF, 1, 0);
  ASSERT_TRUE(fx->SetTechnique("Red"));
  Draw(*fx);
  EXPECT_TRUE(NearColor(Pixel(10, 10), 0xFF0000FF, 1));

  device_->Clear(D3DCLEAR_TARGET, 0xFF0000FF, 1, 0);
  ASSERT_TRUE(fx->SetTechnique("AddRed"));
  Draw(*fx);
  EXPECT_TRUE(NearColor(Pixel(10, 10), 0xFF00FFFF, 1)) << "blue plus red";
  EXPECT_EQ(device_->GetRenderState(D3DRS_ALPHABLENDENABLE), 0u) << "End restores";
  EXPECT_EQ(device_->GetPixelShader(), nullptr);
}

TEST_F(CarriedEffects, ParametersByNameReachTheShader) {
  EffectFileWriter w;
  w.AddFloat("Tint", 1, 4, {0.0f, 1.0f, 0.0f, 1.0f});
  w.AddTexture("Picture");
  w.AddSampler("PictureSampler", "Picture",
               {{kFxFirstSamplerState + D3DSAMP_MAGFILTER - 1, D3DTEXF_POINT},
                {kFxFirstSamplerState + D3DSAMP_MINFILTER - 1, D3DTEXF_POINT}});
  w.AddTechnique("Tinted");
  w.AddPass("P0");
  w.AddPixelShader(AssembleShader(
      "ps_2_0\ndcl t0.xy\ndcl_2d s0\ntexld r0, t0, s0\nmul r0, r0, c3\nmov oC0, r0\n",
      {{"Tint", 3}}, {{"PictureSampler", 0}}));
  auto fx = Load(*device_, w);
  ASSERT_NE(fx, nullptr);
  // Left half white, right half grey.
  fx->SetTexture("Picture", MakeTexture(2, 1, {0xFFFFFFFF, 0x808080FF}));

  Draw(*fx);
  EXPECT_TRUE(NearColor(Pixel(5, 10), 0x00FF00FF, 1)) << "the file's initial tint";
  fx->SetVector("Tint", {1.0f, 0.0f, 1.0f, 1.0f});
  Draw(*fx);
  EXPECT_TRUE(NearColor(Pixel(5, 10), 0xFF00FFFF, 1));
  EXPECT_TRUE(NearColor(Pixel(kWidth - 5, 10), 0x800080FF, 2));
}

TEST_F(CarriedEffects, ShaderModelsOneAndThreeDraw) {
  EffectFileWriter w;
  w.AddFloat("Tint", 1, 4, {1.0f, 0.0f, 1.0f, 1.0f});
  w.AddTexture("Picture");
  w.AddSampler("PictureSampler", "Picture");
  w.AddTechnique("One");
  w.AddPass("P0");
  w.AddPixelShader(
      AssembleShader("ps_1_1\ntex t0\nmul r0, t0, c0\n", {{"Tint", 0}}, {{"PictureSampler", 0}}));
  w.AddTechnique("Three");
  w.AddPass("P0");
  // (This assembler drops the usage of ps_3_0 input declarations, so the
  // model-3 shader here reads no inputs.)
  w.AddPixelShader(AssembleShader(
      "ps_3_0\ndef c1, 0.5, 0.5, 0.5, 1\nmul r0, c0, c1\nadd oC0, r0, r0\n", {{"Tint", 0}}));
  CarriedEffect report;
  auto fx = Load(*device_, w, &report);
  ASSERT_TRUE(report.AllTranslated()) << report.Summary();
  fx->SetTexture("Picture", MakeTexture(1, 1, {0xFFFFFFFF}));
  for (const char* technique : {"One", "Three"}) {
    device_->Clear(D3DCLEAR_TARGET, 0xFF000000, 1, 0);
    ASSERT_TRUE(fx->SetTechnique(technique));
    Draw(*fx);
    EXPECT_TRUE(NearColor(Pixel(10, 10), 0xFF00FFFF, 1)) << technique;
  }
}

TEST_F(CarriedEffects, UntranslatableTechniquesSayWhy) {
  EffectFileWriter w;
  w.AddTechnique("Fine");
  w.AddPass("P0");
  w.AddPixelShader(AssembleShader("ps_2_0\ndef c0, 1, 0, 0, 1\nmov oC0, c0\n"));
  w.AddTechnique("Vertex");
  w.AddPass("P0");
  w.AddVertexShader(AssembleShader("vs_2_0\ndcl_position v0\nmov oPos, v0\n"));
  w.AddTechnique("ThirdCoordinates");
  w.AddPass("P0");
  w.AddPixelShader(AssembleShader("ps_2_0\ndcl t2\nmov oC0, t2\n"));
  w.AddTechnique("Light");
  w.AddPass("P0");
  w.AddState(0x85, 0, 0);  // light diffuse colour
  CarriedEffect report;
  auto fx = Load(*device_, w, &report);
  ASSERT_EQ(report.techniques.size(), 4u);
  EXPECT_TRUE(report.techniques[0].translated);
  EXPECT_NE(report.techniques[1].reason.find("vertex shader"), std::string::npos);
  EXPECT_NE(report.techniques[2].reason.find("texture coordinates"), std::string::npos);
  EXPECT_NE(report.techniques[3].reason.find("0x85"), std::string::npos);
  EXPECT_FALSE(report.AllTranslated());
  EXPECT_NE(report.Summary().find("\"Vertex\""), std::string::npos);
  ASSERT_NE(fx, nullptr);
  EXPECT_TRUE(fx->HasTechnique("Fine"));
  EXPECT_FALSE(fx->HasTechnique("Vertex"));
}

TEST(CarriedEffectInfo, ListsTechniquesAndWhatRuns) {
  EffectFileWriter w;
  w.AddTechnique("Fine");
  w.AddPass("P0");
  w.AddPass("P1");
  w.AddPixelShader(AssembleShader("ps_2_0\ndef c0, 1, 0, 0, 1\nmov oC0, c0\n"));
  const std::string fine = DescribeCarriedEffect(w.Build(), u"common_res.dll", 97);
  EXPECT_NE(fine.find("technique \"Fine\": 2 passes, translates"), std::string::npos) << fine;
  EXPECT_NE(fine.find("runs: the carried effect\n"), std::string::npos) << fine;

  w.AddTechnique("Vertex");
  w.AddPass("P0");
  w.AddVertexShader(AssembleShader("vs_2_0\ndcl_position v0\nmov oPos, v0\n"));
  const std::string mixed = DescribeCarriedEffect(w.Build(), u"common_res.dll", 97);
  EXPECT_NE(mixed.find("\"Vertex\": 1 pass, does not translate: pass \"P0\" runs a vertex"),
            std::string::npos)
      << mixed;
  EXPECT_NE(mixed.find("runs: the built-in effect"), std::string::npos) << mixed;
  const std::string own = DescribeCarriedEffect(w.Build(), u"mine.dll", 5);
  EXPECT_NE(own.find("runs: the carried effect's translated techniques"), std::string::npos);

  auto cut = w.Build();
  cut.resize(cut.size() / 2);
  const std::string broken = DescribeCarriedEffect(cut, u"mine.dll", 5);
  EXPECT_NE(broken.find("does not read"), std::string::npos) << broken;
  EXPECT_NE(broken.find("runs: nothing"), std::string::npos) << broken;
}

}  // namespace
}  // namespace glimmer::testing
