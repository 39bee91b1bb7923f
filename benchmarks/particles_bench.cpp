// The particle engine headless: one step of 100,000 fountain particles (age,
// colour, kinematics, air resistance and one wave: harmonic, or noise) on
// one core; and 100,000 particle quads at 1920 × 1080 built and drawn
// through the layer, beside raw OpenGL building and drawing the same quads
// with the same texture and blending in the same run (the ceiling).

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <cmath>
#include <memory>
#include <vector>

#include "params/random_source.h"
#include "particles/fountain.h"
#include "particles/particle_engine.h"
#include "platform/gpu/gpu_device.h"
#include "platform/screen_context.h"
#include "scene/render_context.h"
#include "scene/slide.h"
#include "show/show_document.h"

namespace {

using namespace glimmer;

constexpr uint32_t kW = 1920, kH = 1080;
constexpr int kParticles = 100'000;
constexpr float kSize = 8;

// A fountain's look: a colour gradient over life, gravity and air
// resistance, and a size wave (1 harmonic, 2 noise).
void FountainLook(ParticleAppearance& a, int waveMode) {
  ZT_NamedFileLinkData spot;
  spot.Primary = {u"common_res.dll", 62};
  a.texture.SetValue(spot);
  a.baseSize.SetValue(uint32_t(kSize));
  a.colours.mode.SetValue(1);
  a.colours.colours.SetValue({0xFFE0C0, 0xFF8040});
  a.flags.SetValue(kPhysics);
  a.gravityMode.SetValue(1);
  a.gravity.SetValue(20);
  a.airResistance.SetValue(30);
  a.sizeWave.mode.SetValue(waveMode);
}

// n particles spread over the screen, long-lived, moving.
void Populate(ParticleEngine& engine) {
  SeedRandom(1);
  for (int i = 0; i < kParticles; ++i) {
    engine.Spawn({RandomUniform(0, kW), RandomUniform(0, kH), 0});
    engine.InitFromAppearance(size_t(i), 1e6f);
    engine.At(size_t(i)).velocity = {RandomUniform(-50, 50), RandomUniform(-200, 0), 0};
  }
}

void BM_FountainStep(benchmark::State& state) {
  ParticleAppearance a;
  FountainLook(a, int(state.range(0)));
  ParticleEngine engine(a, u"bench");
  engine.AddAppearanceRoutines();
  engine.AddRoutine({.kind = RoutineKind::Kinematic});
  Populate(engine);
  for (auto _ : state) {
    engine.StepAll(1.0f / 60);
    benchmark::DoNotOptimize(engine.At(0));
  }
  state.SetItemsProcessed(state.iterations() * kParticles);
  state.SetLabel(state.range(0) == 1 ? "100k particles, harmonic wave"
                                     : "100k particles, noise wave");
}
BENCHMARK(BM_FountainStep)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

GpuDevice& Device() {
  static std::unique_ptr<GpuDevice> device = GpuDevice::CreateHeadless({kW, kH, false});
  return *device;
}

// A screen with the show's resources, render context and a slide to draw
// through, for the layer's runtime.
struct Screen {
  Screen() {
    doc.resources->Attach(Device());
    context.TargetWidth = kW;
    context.TargetHeight = kH;
    context.Place({0, 0, float(kW), float(kH)}, kW, kH, 0, kW, kH);
    scope.emplace(doc.resources->ScreenFor(&Device(), &context));
  }
  ShowDocument doc;
  RenderContext context;
  std::optional<ScreenScope> scope;
  ZT_2D_Light slide;
};

void BM_LayerQuads(benchmark::State& state) {
  Screen screen;
  QVX_FontainPtclSys fountain;
  FountainLook(fountain.appearance, 1);
  fountain.rate.rate.SetValue(0);
  fountain.timing.SetValue(1);  // no warm-up
  auto runtime = std::dynamic_pointer_cast<ParticleSystemRuntime>(fountain.CreateRuntime());
  runtime->Restart();
  Populate(runtime->Engine());
  GpuDevice& d = Device();
  d.Clear(D3DCLEAR_TARGET, 0xFF000000, 1, 0);
  for (auto _ : state) {
    runtime->BuildQuads();
    runtime->Render(screen.slide, 0);
    d.Finish();
  }
  if (runtime->QuadCount() != uint32_t(kParticles)) state.SkipWithError("quads were not built");
  state.SetItemsProcessed(state.iterations() * kParticles);
  state.SetLabel("100k quads of 8 px through the layer");
}
BENCHMARK(BM_LayerQuads)->Unit(benchmark::kMillisecond)->UseRealTime();

GLuint Compile(GLenum type, const char* source) {
  const GLuint s = glCreateShader(type);
  glShaderSource(s, 1, &source, nullptr);
  glCompileShader(s);
  return s;
}

// The ceiling: the same quads (same particles, size, texture, colours and
// alpha blending) written and drawn with plain OpenGL.
void BM_RawGlQuads(benchmark::State& state) {
  Screen screen;
  ParticleAppearance a;
  FountainLook(a, 1);
  ParticleEngine engine(a, u"bench");
  engine.AddAppearanceRoutines();
  Populate(engine);
  engine.StepAll(0);  // colours
  GpuDevice& d = Device();
  d.MakeCurrent();
  const GLuint program = glCreateProgram();
  glAttachShader(
      program, Compile(GL_VERTEX_SHADER,
                       "#version 330 core\n"
                       "layout(location=0) in vec3 p; layout(location=1) in vec4 c;\n"
                       "layout(location=2) in vec2 t; out vec4 col; out vec2 uv;\n"
                       "uniform vec2 px;\n"
                       "void main() { col = c.bgra; uv = t;\n"
                       "  gl_Position = vec4(p.x * px.x - 1.0, 1.0 - p.y * px.y, 0.5, 1.0); }\n"));
  glAttachShader(program,
                 Compile(GL_FRAGMENT_SHADER,
                         "#version 330 core\nin vec4 col; in vec2 uv; uniform sampler2D s;\n"
                         "out vec4 o; void main() { o = texture(s, uv) * col; }\n"));
  glLinkProgram(program);
  struct Vertex {
    float x, y, z;
    uint32_t colour;
    float u, v;
  };
  std::vector<Vertex> vertices(size_t(kParticles) * 4);
  std::vector<uint32_t> indices(size_t(kParticles) * 6);
  for (uint32_t q = 0; q < uint32_t(kParticles); ++q) {
    const uint32_t b = 4 * q, quad[6] = {b, b + 1, b + 2, b + 2, b + 1, b + 3};
    std::copy(quad, quad + 6, indices.begin() + 6 * q);
  }
  GLuint vao = 0, vbo = 0, ibo = 0, texture = 0;
  glGenVertexArrays(1, &vao);
  glBindVertexArray(vao);
  glGenBuffers(1, &vbo);
  glBindBuffer(GL_ARRAY_BUFFER, vbo);
  glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * sizeof(Vertex)), nullptr,
               GL_STREAM_DRAW);
  glGenBuffers(1, &ibo);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * 4), indices.data(),
               GL_STATIC_DRAW);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), nullptr);
  glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex),
                        reinterpret_cast<void*>(12));
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(16));
  for (GLuint i = 0; i < 3; ++i) glEnableVertexAttribArray(i);
  // A 64 × 64 soft spot, as the layer's texture.
  std::vector<uint8_t> spot(64 * 64 * 4);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const float r = std::hypot(x - 31.5f, y - 31.5f) / 32;
      uint8_t* p = &spot[size_t(y * 64 + x) * 4];
      p[0] = p[1] = p[2] = 255;
      p[3] = uint8_t(255 * std::max(0.0f, 1 - r));
    }
  }
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 64, 64, 0, GL_RGBA, GL_UNSIGNED_BYTE, spot.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glUseProgram(program);
  glUniform2f(glGetUniformLocation(program, "px"), 2.0f / kW, 2.0f / kH);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glViewport(0, 0, kW, kH);
  for (auto _ : state) {
    for (uint32_t q = 0; q < uint32_t(kParticles); ++q) {
      const Particle& p = engine.At(q);
      const float h = kSize / 2 * engine.SizeFactor(p);
      const uint32_t c = engine.QuadColour(p, 255);
      Vertex* v = &vertices[4 * q];
      v[0] = {p.position.x - h, p.position.y + h, 0, c, 0, 1};
      v[1] = {p.position.x - h, p.position.y - h, 0, c, 0, 0};
      v[2] = {p.position.x + h, p.position.y + h, 0, c, 1, 1};
      v[3] = {p.position.x + h, p.position.y - h, 0, c, 1, 0};
    }
    glBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(vertices.size() * sizeof(Vertex)),
                    vertices.data());
    glDrawElements(GL_TRIANGLES, GLsizei(indices.size()), GL_UNSIGNED_INT, nullptr);
    glFinish();
  }
  glDeleteTextures(1, &texture);
  glDeleteBuffers(1, &vbo);
  glDeleteBuffers(1, &ibo);
  glDeleteVertexArrays(1, &vao);
  glDeleteProgram(program);
  state.SetItemsProcessed(state.iterations() * kParticles);
  state.SetLabel("the same quads in plain OpenGL");
}
BENCHMARK(BM_RawGlQuads)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
