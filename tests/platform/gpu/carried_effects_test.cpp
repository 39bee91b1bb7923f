// Carried effect files drawn through the GLSL MojoShader makes of their
// shaders: colours, parameters by name, textures, pass states, vertex
// shaders with their matrices and outputs, states computed by expressions,
// and the reasons a technique does not translate.

#include <cstring>

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
  w.AddVertexShader(
      AssembleShader("vs_2_0\ndcl_position v0\ndcl_blendweight v1\nadd oPos, v0, v1\n"));
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
  EXPECT_NE(report.techniques[1].reason.find("vertex shader reads blend weight 0"),
            std::string::npos)
      << report.techniques[1].reason;
  EXPECT_NE(report.techniques[2].reason.find("texture coordinates"), std::string::npos);
  EXPECT_NE(report.techniques[3].reason.find("0x85"), std::string::npos);
  EXPECT_FALSE(report.AllTranslated());
  EXPECT_NE(report.Summary().find("\"Vertex\""), std::string::npos);
  ASSERT_NE(fx, nullptr);
  EXPECT_TRUE(fx->HasTechnique("Fine"));
  EXPECT_FALSE(fx->HasTechnique("Vertex"));
}

// Untransformed vertices with a colour.
struct ColourVertex {
  float x, y, z;
  D3DCOLOR color;
};

// A vertex shader placing the unit square by "WorldViewProj" (its registers
// holding the matrix's columns, or its rows) and passing the vertex colour
// and "Tint" on as colour 0 and texture coordinates 1; the pixel shader
// adds the two.
std::vector<uint8_t> TransformingEffect() {
  EffectFileWriter w;
  w.AddFloat("WorldViewProj", 4, 4, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
  w.AddFloat("Tint", 1, 4, {1, 0, 0, 1});
  const auto ps = AssembleShader("ps_2_0\ndcl v0\ndcl t1\nadd r0, v0, t1\nmov oC0, r0\n");
  w.AddTechnique("Columns");
  w.AddPass("P0");
  w.AddVertexShader(AssembleShader(
      "vs_2_0\ndcl_position v0\ndcl_color v1\nm4x4 oPos, v0, c0\nmov oD0, v1\nmov oT1, c4\n",
      {{"WorldViewProj", 0, 4, 4, true}, {"Tint", 4}}));
  w.AddPixelShader(ps);
  w.AddTechnique("Rows");
  w.AddPass("P0");
  w.AddVertexShader(AssembleShader(
      "vs_2_0\ndcl_position v0\ndcl_color v1\nmul r0, v0.x, c0\nmad r0, v0.y, c1, r0\n"
      "mad r0, v0.z, c2, r0\nmad oPos, v0.w, c3, r0\nmov oD0, v1\nmov oT1, c4\n",
      {{"WorldViewProj", 0, 4, 4, false}, {"Tint", 4}}));
  w.AddPixelShader(ps);
  return w.Build();
}

TEST_F(CarriedEffects, VertexShaderPlacesByWorldViewProjAndFeedsThePixelShader) {
  std::string error;
  CarriedEffect carried = LoadCarriedEffect(TransformingEffect(), device_, &error);
  ASSERT_TRUE(carried.desc && carried.AllTranslated()) << error << carried.Summary();
  Effect fx(*device_, carried.desc);
  // The unit square to the top-left corner of the target, its right and
  // bottom edges at pixel coordinate 10.25 (clip y upwards).
  D3DXMATRIX place;
  const float right = 10.25f * 2.0f / float(kWidth) - 1.0f;
  const float bottom = 1.0f - 10.25f * 2.0f / float(kHeight);
  place.m[0][0] = right + 1.0f;
  place.m[3][0] = -1.0f;
  place.m[1][1] = 1.0f - bottom;
  place.m[3][1] = bottom;
  fx.SetMatrix("WorldViewProj", place);
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device_->SetRenderState(D3DRS_ZENABLE, 0);
  const D3DCOLOR blue = 0xFF0000FF;
  const ColourVertex square[4] = {
      {0, 0, 0.5f, blue}, {0, 1, 0.5f, blue}, {1, 0, 0.5f, blue}, {1, 1, 0.5f, blue}};
  for (const char* technique : {"Columns", "Rows"}) {
    SCOPED_TRACE(technique);
    device_->Clear(D3DCLEAR_TARGET, 0xFF000000, 1, 0);
    ASSERT_TRUE(fx.SetTechnique(technique));
    fx.Begin();
    fx.BeginPass(0);
    device_->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, square, sizeof(ColourVertex));
    fx.EndPass();
    fx.End();
    // Vertex colour blue plus the tint red; pixel centres at whole
    // coordinates, so column and row 10 (centre 10 < 10.25) are inside.
    EXPECT_TRUE(NearColor(Pixel(0, 0), 0xFF00FFFF, 1));
    EXPECT_TRUE(NearColor(Pixel(10, 10), 0xFF00FFFF, 1));
    EXPECT_TRUE(NearColor(Pixel(11, 5), 0x000000FF, 1)) << "right of the edge";
    EXPECT_TRUE(NearColor(Pixel(5, 11), 0x000000FF, 1)) << "below the edge";
    EXPECT_TRUE(NearColor(Pixel(40, 40), 0x000000FF, 1));
    EXPECT_EQ(device_->GetVertexShader(), nullptr) << "End restores the fixed-function stage";
  }
  // Pre-transformed vertices bypass the vertex shader: no tint, no move.
  device_->Clear(D3DCLEAR_TARGET, 0xFF000000, 1, 0);
  fx.Begin();
  fx.BeginPass(0);
  DrawRect(32, 24, kWidth, kHeight, blue);
  fx.EndPass();
  fx.End();
  EXPECT_TRUE(NearColor(Pixel(40, 40), 0x0000FFFF, 1));
  EXPECT_TRUE(NearColor(Pixel(5, 5), 0x000000FF, 1));
}

// The pixel shader's red over a blue target, with blending on while
// Tint.y >= 0.5, and the destination factor 1 + Fade (zero, or one).
TEST_F(CarriedEffects, StatesComputedFromParametersApply) {
  using X = ExpressionWriter;
  EffectFileWriter w;
  w.AddFloat("Fade", 1, 1, {0});
  w.AddFloat("Tint", 1, 4, {0, 0, 0, 0});
  w.AddTechnique("Fading");
  w.AddPass("P0");
  X on;
  on.Input("Tint", 0, 1, 4);
  on.Op(0x203, 1, {{X::kInput, 1}, on.Literal(0.5)}, {X::kOutput, 0});  // ge
  w.AddComputedState(kAlphaBlendEnable, 0, kFxBool, on.Build());
  w.AddState(kSrcBlend, 0, D3DBLEND_ZERO);
  X dest;
  dest.Input("Fade", 0);
  const auto one = dest.Literal(1);
  dest.Op(0x205, 1, {{X::kInput, 0}, one}, {X::kTemp, 0});   // mul
  dest.Op(0x204, 1, {{X::kTemp, 0}, one}, {X::kOutput, 0});  // add
  w.AddComputedState(kDestBlend, 0, kFxInt, dest.Build());
  w.AddPixelShader(AssembleShader("ps_2_0\ndef c0, 1, 0, 0, 1\nmov oC0, c0\n"));
  CarriedEffect report;
  auto fx = Load(*device_, w, &report);
  ASSERT_TRUE(report.AllTranslated()) << report.Summary();
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);

  auto drawn = [&] {
    device_->Clear(D3DCLEAR_TARGET, 0xFF0000FF, 1, 0);
    Draw(*fx);
    return Pixel(10, 10);
  };
  EXPECT_TRUE(NearColor(drawn(), 0xFF0000FF, 1)) << "blending off: red";
  fx->SetVector("Tint", {0, 1, 0, 0});
  EXPECT_TRUE(NearColor(drawn(), 0x00000000, 1)) << "zero, zero: nothing";
  fx->SetFloat("Fade", 1);
  EXPECT_TRUE(NearColor(drawn(), 0x0000FFFF, 1)) << "zero, one: the blue kept";
  EXPECT_EQ(device_->GetRenderState(D3DRS_ALPHABLENDENABLE), 0u) << "End restores";
  EXPECT_EQ(device_->GetRenderState(D3DRS_DESTBLEND), uint32_t(D3DBLEND_INVSRCALPHA));

  // A change inside a pass applies at CommitChanges.
  device_->Clear(D3DCLEAR_TARGET, 0xFF0000FF, 1, 0);
  fx->Begin();
  fx->BeginPass(0);
  fx->SetFloat("Fade", 0);
  fx->CommitChanges();
  DrawRect(0, 0, kWidth, kHeight, 0xFFFFFFFF);
  fx->EndPass();
  fx->End();
  EXPECT_TRUE(NearColor(Pixel(10, 10), 0x00000000, 1));
}

TEST_F(CarriedEffects, UnsupportedExpressionsSayWhy) {
  using X = ExpressionWriter;
  EffectFileWriter w;
  w.AddFloat("Fade", 1, 1, {0});
  w.AddTechnique("Selector");
  w.AddPass("P0");
  w.AddComputedState(kAlphaBlendEnable, 0, kFxInt, {1, 2, 3, 4}, 2);
  w.AddTechnique("Noise");
  w.AddPass("P0");
  X noise;
  noise.Input("Fade", 0);
  noise.Op(0x502, 1, {{X::kInput, 0}}, {X::kOutput, 0});
  w.AddComputedState(kDestBlend, 0, kFxInt, noise.Build());
  w.AddTechnique("Fine");
  w.AddPass("P0");
  X fine;
  fine.Op(0x100, 1, {fine.Literal(1)}, {X::kOutput, 0});
  w.AddComputedState(kAlphaBlendEnable, 0, kFxInt, fine.Build());
  CarriedEffect report;
  auto fx = Load(*device_, w, &report);
  ASSERT_EQ(report.techniques.size(), 3u);
  EXPECT_NE(report.techniques[0].reason.find("array chosen by an expression"), std::string::npos)
      << report.techniques[0].reason;
  EXPECT_NE(report.techniques[1].reason.find("0x502 is not supported"), std::string::npos)
      << report.techniques[1].reason;
  EXPECT_TRUE(report.techniques[2].translated) << report.techniques[2].reason;
  ASSERT_NE(fx, nullptr);
  EXPECT_FALSE(fx->HasTechnique("Noise"));
}

// `code` carrying `program` as the compiler does: a comment tagged PRES
// after the version word.
std::vector<uint8_t> WithPreshader(std::vector<uint8_t> code, const std::vector<uint8_t>& program) {
  std::vector<uint8_t> comment(8);
  const uint32_t token = 0xFFFE | uint32_t(1 + program.size() / 4) << 16;
  std::memcpy(comment.data(), &token, 4);
  std::memcpy(comment.data() + 4, "PRES", 4);
  comment.insert(comment.end(), program.begin(), program.end());
  code.insert(code.begin() + 4, comment.begin(), comment.end());
  return code;
}

// A shader whose constant c2 is computed before each draw by its preshader
// (0.5 × Tint); one whose preshader reads a register table MojoShader's own
// parser would stop the process on is refused without ever reaching it.
TEST_F(CarriedEffects, PreshaderConstantsFollowTheParameters) {
  using X = ExpressionWriter;
  X pres;
  pres.Input("Tint", 0, 1, 4);
  pres.Op(0x205, 4, {pres.Literal(0.5), {X::kInput, 0}}, {X::kOutput, 8}, true);  // mul
  X bad;
  bad.Op(0x100, 1, {{3, 0}}, {X::kOutput, 8});
  EffectFileWriter w;
  w.AddFloat("Tint", 1, 4, {1, 0, 1, 1});
  w.AddTechnique("Half");
  w.AddPass("P0");
  w.AddPixelShader(WithPreshader(AssembleShader("ps_2_0\nmov oC0, c2\n"), pres.Build()));
  w.AddTechnique("Bad");
  w.AddPass("P0");
  w.AddVertexShader(
      WithPreshader(AssembleShader("vs_2_0\ndcl_position v0\nadd oPos, v0, c2\n"), bad.Build()));
  CarriedEffect report;
  auto fx = Load(*device_, w, &report);
  ASSERT_EQ(report.techniques.size(), 2u);
  ASSERT_TRUE(report.techniques[0].translated) << report.techniques[0].reason;
  EXPECT_NE(report.techniques[1].reason.find("preshader: an operand of register table 3"),
            std::string::npos)
      << report.techniques[1].reason;
  ASSERT_TRUE(fx->SetTechnique("Half"));
  Draw(*fx);
  EXPECT_TRUE(NearColor(Pixel(10, 10), 0x80008080, 2));
  fx->SetVector("Tint", {0, 1, 0, 1});
  Draw(*fx);
  EXPECT_TRUE(NearColor(Pixel(10, 10), 0x00800080, 2));
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

  w.AddTechnique("Moves");
  w.AddPass("P0");
  w.AddVertexShader(AssembleShader("vs_2_0\ndcl_position v0\nmov oPos, v0\n"));
  w.AddTechnique("Vertex");
  w.AddPass("P0");
  w.AddVertexShader(AssembleShader("vs_2_0\ndcl_tangent v0\nmov oPos, v0\n"));
  const std::string mixed = DescribeCarriedEffect(w.Build(), u"common_res.dll", 97);
  EXPECT_NE(mixed.find("technique \"Moves\": 1 pass, translates"), std::string::npos) << mixed;
  EXPECT_NE(mixed.find("\"Vertex\": 1 pass, does not translate: pass \"P0\": the vertex shader "
                       "reads tangent 0"),
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
