// The graphics layer, headless at 1920 × 1080: full-screen textured blended
// quads, batched sprites, state changes that hit the shader cache, and a raw
// OpenGL full-screen textured pass as the ceiling; a carried effect's
// translated pixel shader (and one with a translated vertex shader too)
// beside the built-in effect of the same size.

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <array>
#include <memory>
#include <vector>

#include "benchmarks/bench_support.h"
#include "platform/gpu/builtin_effects.h"
#include "platform/gpu/carried_effect.h"
#include "platform/gpu/gpu_device.h"
#include "tests/support/effect_writer.h"

namespace {

using namespace glimmer;
using bench::kH;
using bench::kW;
using bench::RawProgram;

struct TlVertex {
  float x, y, z, rhw;
  D3DCOLOR color;
  float u, v;
};
constexpr uint32_t kFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

GpuDevice& Device() {
  return bench::Device(false);
}

TexturePtr Picture() {
  static TexturePtr texture = [] {
    Image img{256, 256, std::vector<uint8_t>(256 * 256 * 4)};
    for (size_t i = 0; i < img.rgba.size(); ++i) img.rgba[i] = uint8_t(i * 7);
    TexturePtr t = Device().CreateTexture(256, 256, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    t->UploadImage(0, img);
    return t;
  }();
  return texture;
}

void SpriteStates(GpuDevice& d) {
  d.SetRenderState(D3DRS_LIGHTING, 0);
  d.SetRenderState(D3DRS_ZENABLE, 0);
  d.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  d.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  d.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  d.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  d.SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  d.SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  d.SetTexture(0, Picture());
  d.SetFVF(kFvf);
}

// The frame covered by one pre-transformed quad, half transparent white.
std::array<TlVertex, 4> FullScreenQuad() {
  return {{{0, float(kH), 0.5f, 1, 0x80FFFFFF, 0, 1},
           {0, 0, 0.5f, 1, 0x80FFFFFF, 0, 0},
           {float(kW), float(kH), 0.5f, 1, 0x80FFFFFF, 1, 1},
           {float(kW), 0, 0.5f, 1, 0x80FFFFFF, 1, 0}}};
}

void BM_FullScreenQuads(benchmark::State& state) {
  GpuDevice& d = Device();
  SpriteStates(d);
  const std::array<TlVertex, 4> quad = FullScreenQuad();
  constexpr int kPerIteration = 10;
  for (auto _ : state) {
    for (int i = 0; i < kPerIteration; ++i)
      d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(TlVertex));
    d.Finish();
  }
  state.SetItemsProcessed(state.iterations() * kPerIteration);
  state.SetLabel("full-screen quads");
}
BENCHMARK(BM_FullScreenQuads)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BatchedSprites(benchmark::State& state) {
  GpuDevice& d = Device();
  SpriteStates(d);
  const uint32_t n = uint32_t(state.range(0));
  VertexBufferPtr vb =
      d.CreateVertexBuffer(n * 4 * sizeof(TlVertex), D3DUSAGE_DYNAMIC, kFvf, D3DPOOL_DEFAULT);
  IndexBufferPtr ib =
      d.CreateIndexBuffer(n * 6 * 4, D3DUSAGE_WRITEONLY, D3DFMT_INDEX32, D3DPOOL_MANAGED);
  auto* idx = static_cast<uint32_t*>(ib->Lock(0, 0));
  for (uint32_t q = 0; q < n; ++q) {
    const uint32_t b = q * 4, quad[6] = {b, b + 1, b + 2, b + 2, b + 1, b + 3};
    std::copy(quad, quad + 6, idx + q * 6);
  }
  ib->Unlock();
  d.SetStreamSource(0, vb, 0, sizeof(TlVertex));
  d.SetIndices(ib);
  uint32_t seed = 1;
  for (auto _ : state) {
    // Refilled in place every frame, as sprite groups do.
    auto* v = static_cast<TlVertex*>(vb->Lock(0, 0));
    for (uint32_t q = 0; q < n; ++q) {
      seed = seed * 214013u + 2531011u;
      const float x = float((seed >> 8) % (kW - 16)), y = float((seed >> 4) % (kH - 16));
      v[q * 4 + 0] = {x, y + 16, 0.5f, 1, 0xC0FFFFFF, 0, 1};
      v[q * 4 + 1] = {x, y, 0.5f, 1, 0xC0FFFFFF, 0, 0};
      v[q * 4 + 2] = {x + 16, y + 16, 0.5f, 1, 0xC0FFFFFF, 1, 1};
      v[q * 4 + 3] = {x + 16, y, 0.5f, 1, 0xC0FFFFFF, 1, 0};
    }
    vb->Unlock();
    d.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, n * 4, 0, n * 2);
    d.Finish();
  }
  state.SetItemsProcessed(state.iterations() * n);
  state.SetLabel("sprites of 16 x 16");
}
BENCHMARK(BM_BatchedSprites)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Small draws alternating between two stage set-ups whose programs are cached.
void BM_StateChangeCacheHit(benchmark::State& state) {
  GpuDevice& d = Device();
  SpriteStates(d);
  const bool change = state.range(0) != 0;
  const TlVertex quad[4] = {{0, 2, 0.5f, 1, 0xFFFFFFFF, 0, 1},
                            {0, 0, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                            {2, 2, 0.5f, 1, 0xFFFFFFFF, 1, 1},
                            {2, 0, 0.5f, 1, 0xFFFFFFFF, 1, 0}};
  constexpr int kDraws = 1000;
  for (auto _ : state) {
    for (int i = 0; i < kDraws; ++i) {
      if (change) {
        d.SetTextureStageState(0, D3DTSS_COLOROP, (i & 1) ? D3DTOP_MODULATE : D3DTOP_SELECTARG1);
        d.SetRenderState(D3DRS_DESTBLEND, (i & 1) ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA);
      }
      d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TlVertex));
    }
    d.Finish();
  }
  state.SetItemsProcessed(state.iterations() * kDraws);
  state.SetLabel(change ? "draws with a state change each" : "draws without state changes");
}
BENCHMARK(BM_StateChangeCacheHit)->Arg(0)->Arg(1)->UseRealTime();

// Ten full-screen quads through an effect's first pass: pre-transformed, or
// with `placed` untransformed in clip space for a vertex shader to place.
void EffectPasses(benchmark::State& state, Effect& fx, const char* label, bool placed = false) {
  GpuDevice& d = Device();
  SpriteStates(d);
  const std::array<TlVertex, 4> quad = FullScreenQuad();
  struct Vertex {
    float x, y, z, u, v;
  };
  const Vertex clipQuad[4] = {
      {-1, -1, 0.5f, 0, 1}, {-1, 1, 0.5f, 0, 0}, {1, -1, 0.5f, 1, 1}, {1, 1, 0.5f, 1, 0}};
  if (placed) d.SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
  constexpr int kPerIteration = 10;
  for (auto _ : state) {
    fx.Begin();
    fx.BeginPass(0);
    for (int i = 0; i < kPerIteration; ++i) {
      if (placed) {
        d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, clipQuad, sizeof(Vertex));
      } else {
        d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof(TlVertex));
      }
    }
    fx.EndPass();
    fx.End();
    d.Finish();
  }
  state.SetItemsProcessed(state.iterations() * kPerIteration);
  state.SetLabel(label);
}

// The built-in blend effect's "CommonTex": texture × vertex colour, blended.
void BM_BuiltinEffectFullScreen(benchmark::State& state) {
  auto fx = CreateBuiltinEffect(Device(), u"common_res.dll", 97);
  fx->SetTechnique("CommonTex");
  fx->SetTexture("Texture1", Picture());
  EffectPasses(state, *fx, "full-screen quads, built-in effect");
}
BENCHMARK(BM_BuiltinEffectFullScreen)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same through a carried effect file: texture × tint, blended.
// Adds the tinting pass's states and pixel shader, loads the effect and
// draws its technique over full-screen quads.
void CarriedEffectPasses(benchmark::State& state, testing::EffectFileWriter& w,
                         const char* technique, const char* label, bool placed) {
  w.AddState(13, 0, 1);                    // alpha blending
  w.AddState(6, 0, D3DBLEND_SRCALPHA);     // source blend
  w.AddState(7, 0, D3DBLEND_INVSRCALPHA);  // destination blend
  if (placed) {
    w.AddVertexShader(testing::AssembleShader(
        "vs_2_0\ndcl_position v0\ndcl_texcoord v1\nm4x4 oPos, v0, c0\nmov oT0, v1\n",
        {{"WorldViewProj", 0, 4, 4, true}}));
  }
  w.AddPixelShader(testing::AssembleShader(
      "ps_2_0\ndcl t0.xy\ndcl_2d s0\ntexld r0, t0, s0\nmul r0, r0, c0\nmov oC0, r0\n",
      {{"Tint", 0}}, {{"PictureSampler", 0}}));
  std::string error;
  const CarriedEffect carried = LoadCarriedEffect(w.Build(), &Device(), &error);
  if (!carried.desc || !carried.AllTranslated()) {
    state.SkipWithError((error + carried.Summary()).c_str());
    return;
  }
  Effect fx(Device(), carried.desc);
  fx.SetTechnique(technique);
  fx.SetTexture("Picture", Picture());
  EffectPasses(state, fx, label, placed);
}

void BM_CarriedEffectFullScreen(benchmark::State& state) {
  testing::EffectFileWriter w;
  w.AddFloat("Tint", 1, 4, {1, 1, 1, 0.5f});
  w.AddTexture("Picture");
  w.AddSampler("PictureSampler", "Picture");
  w.AddTechnique("Tinted");
  w.AddPass("P0");
  CarriedEffectPasses(state, w, "Tinted", "full-screen quads, carried effect", false);
}
BENCHMARK(BM_CarriedEffectFullScreen)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same with a vertex shader placing untransformed vertices by a matrix
// parameter (the identity: they are given in clip space).
void BM_CarriedVertexEffectFullScreen(benchmark::State& state) {
  testing::EffectFileWriter w;
  w.AddFloat("WorldViewProj", 4, 4, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
  w.AddFloat("Tint", 1, 4, {1, 1, 1, 0.5f});
  w.AddTexture("Picture");
  w.AddSampler("PictureSampler", "Picture");
  w.AddTechnique("Placed");
  w.AddPass("P0");
  CarriedEffectPasses(state, w, "Placed", "full-screen quads, carried effect with a vertex shader",
                      true);
}
BENCHMARK(BM_CarriedVertexEffectFullScreen)->Unit(benchmark::kMillisecond)->UseRealTime();

// The ceiling: the same full-screen textured blended quads in plain OpenGL.
void BM_RawGlFullScreenPass(benchmark::State& state) {
  GpuDevice& d = Device();
  d.MakeCurrent();
  const char* vs =
      "#version 330 core\nlayout(location=0) in vec2 p; out vec2 uv;\n"
      "void main() { uv = p * 0.5 + 0.5; gl_Position = vec4(p, 0.5, 1.0); }\n";
  const char* fs =
      "#version 330 core\nin vec2 uv; uniform sampler2D t; out vec4 o;\n"
      "void main() { o = texture(t, uv) * vec4(1.0, 1.0, 1.0, 0.5); }\n";
  GLuint prog = RawProgram(vs, fs);
  GLuint tex, fbo, vao, vbo;
  glGenTextures(1, &tex);
  glBindTexture(GL_TEXTURE_2D, tex);
  std::vector<uint8_t> pixels(256 * 256 * 4, 128);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 256, 256, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  GLuint target;
  glGenTextures(1, &target);
  glBindTexture(GL_TEXTURE_2D, target);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kW, kH, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glGenFramebuffers(1, &fbo);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target, 0);
  const float quad[8] = {-1, -1, -1, 1, 1, -1, 1, 1};
  glGenVertexArrays(1, &vao);
  glBindVertexArray(vao);
  glGenBuffers(1, &vbo);
  glBindBuffer(GL_ARRAY_BUFFER, vbo);
  glBufferData(GL_ARRAY_BUFFER, sizeof quad, quad, GL_STATIC_DRAW);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
  glViewport(0, 0, kW, kH);
  glUseProgram(prog);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, tex);
  glBindSampler(0, 0);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  constexpr int kPerIteration = 10;
  for (auto _ : state) {
    for (int i = 0; i < kPerIteration; ++i) glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glFinish();
  }
  state.SetItemsProcessed(state.iterations() * kPerIteration);
  state.SetLabel("full-screen quads, raw OpenGL");
  glDeleteProgram(prog);
  glDeleteTextures(1, &tex);
  glDeleteTextures(1, &target);
  glDeleteFramebuffers(1, &fbo);
  glDeleteBuffers(1, &vbo);
  glDeleteVertexArrays(1, &vao);
  // Hand the context back to the device: a target switch makes it forget the
  // OpenGL state it believes set, so its next draw sets everything again.
  d.SetRenderTarget(0, d.GetBackBuffer());
}
BENCHMARK(BM_RawGlFullScreenPass)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
