#include "benchmarks/bench_support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "platform/gpu/texture_loader.h"
#include "platform/image/drawing_gate.h"
#include "platform/image/image_codec.h"
#include "render/state_blocks.h"
#include "scene/slide_show.h"

namespace glimmer::bench {

GpuDevice& Device(bool depth) {
  static std::unique_ptr<GpuDevice> device = GpuDevice::CreateHeadless({kW, kH, depth});
  return *device;
}

std::vector<uint8_t> TestPicture(uint32_t w, uint32_t h, int variant) {
  Image img{w, h, std::vector<uint8_t>(size_t(w) * h * 4)};
  for (uint32_t y = 0; y < h; ++y) {
    for (uint32_t x = 0; x < w; ++x) {
      uint8_t* p = img.Pixel(x, y);
      p[0] = uint8_t(x * uint32_t(variant + 1));
      p[1] = uint8_t(y * 2);
      p[2] = uint8_t(128 + 100 * std::sin((x + y) * 0.02 + variant));
      p[3] = 255;
    }
  }
  return EncodePng(img);
}

void AddSlide(ShowDocument& doc, std::u16string name, std::vector<uint8_t> png,
              std::vector<std::shared_ptr<ZT_ABObj_Constructor>> layers, float duration) {
  auto c = std::make_shared<ZT_SlideContainer>();
  c->duration.SetValue(duration);
  c->slide = std::make_shared<ZT_2D_Light>();
  c->slide->picture.SetValue({std::move(name), 1});
  doc.resources->PictureBlobs.push_back(
      {c->slide->picture.Value(), {{0, u"", std::move(png), u""}}});
  for (auto& layer : layers) c->visualLayers.push_back(std::move(layer));
  doc.show->slides.push_back(c);
}

PlayingShow::PlayingShow(ShowDocument& doc) : PlayingShow(SaveShow(doc)) {}

PlayingShow::PlayingShow(std::span<const uint8_t> bytes) : PlayingShow(Loaded{}, LoadShow(bytes)) {}

PlayingShow::PlayingShow(Loaded, ShowDocument&& loaded) : show_(std::move(loaded)) {
  GpuDevice& d = Device();
  show_.resources->Attach(d);
  scope_.emplace(show_.resources->ScreenFor(&d, &context_));
  show_.show->Instantiate(2);
  show_.show->AdvanceShow(0);
  show_.show->RenderShow();
  d.Finish();
}

void PlayingShow::Frame(float t) {
  const FrameDrawing drawing;  // as the player's frame loop
  show_.show->AdvanceShow(t);
  show_.show->RenderShow();
  Device().Present();
  Device().Finish();
}

void PlayingShow::Measure(benchmark::State& state, float from) {
  float t = from;
  for (auto _ : state) {
    Frame(t);
    t += 1.0f / 25;
  }
}

PlainPass::PlainPass(const std::vector<uint8_t>& png, bool blended)
    : texture_(CreateTextureFromFileInMemoryEx(Device(), png, kD3dxDefault, kD3dxDefault, 1, 0,
                                               D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT,
                                               D3DX_FILTER_NONE, 0, nullptr)),
      blended_(blended) {}

void PlainPass::Draw() {
  struct V {
    float x, y, z, rhw;
    D3DCOLOR c;
    float u, v;
  };
  const float w = float(kW), h = float(kH);
  const V quad[4] = {{0, h, 0.5f, 1, 0xFFFFFFFF, 0, 1},
                     {0, 0, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                     {w, h, 0.5f, 1, 0xFFFFFFFF, 1, 1},
                     {w, 0, 0.5f, 1, 0xFFFFFFFF, 1, 0}};
  GpuDevice& d = Device();
  (blended_ ? kNormalAlpha : kSlideState).Apply(d);
  d.SetTexture(0, texture_);
  d.SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
  d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(V));
}

void PlainPasses(benchmark::State& state, const std::vector<uint8_t>& png, int passes,
                 bool blended) {
  PlainPass pass(png, blended);
  for (auto _ : state) {
    for (int k = 0; k < passes; ++k) pass.Draw();
    Device().Present();
    Device().Finish();
  }
  state.SetItemsProcessed(state.iterations());
}

GLuint RawProgram(const char* vertexSource, const char* fragmentSource) {
  const auto compile = [](GLenum type, const char* source) {
    const GLuint s = glCreateShader(type);
    glShaderSource(s, 1, &source, nullptr);
    glCompileShader(s);
    return s;
  };
  const GLuint program = glCreateProgram();
  const GLuint vs = compile(GL_VERTEX_SHADER, vertexSource);
  const GLuint fs = compile(GL_FRAGMENT_SHADER, fragmentSource);
  glAttachShader(program, vs);
  glAttachShader(program, fs);
  glLinkProgram(program);
  glDeleteShader(vs);
  glDeleteShader(fs);
  return program;
}

Image SoftSpot(uint32_t n) {
  Image img{n, n, std::vector<uint8_t>(size_t(n) * n * 4, 255)};
  for (uint32_t y = 0; y < n; ++y) {
    for (uint32_t x = 0; x < n; ++x) {
      const float r =
          std::hypot(float(x) + 0.5f - n / 2.0f, float(y) + 0.5f - n / 2.0f) / (n / 2.0f);
      img.Pixel(x, y)[3] = uint8_t(255 * std::max(0.0f, 1 - r));
    }
  }
  return img;
}

RawQuads::RawQuads(uint32_t n, const Image& texture)
    : vertices_(size_t(n) * 4), indexCount_(GLsizei(n) * 6) {
  Device().MakeCurrent();
  program_ = RawProgram(
      "#version 330 core\n"
      "layout(location=0) in vec3 p; layout(location=1) in vec4 c;\n"
      "layout(location=2) in vec2 t; out vec4 col; out vec2 uv;\n"
      "uniform vec2 px;\n"
      "void main() { col = c.bgra; uv = t;\n"
      "  gl_Position = vec4(p.x * px.x - 1.0, 1.0 - p.y * px.y, 0.5, 1.0); }\n",
      "#version 330 core\nin vec4 col; in vec2 uv; uniform sampler2D s;\n"
      "out vec4 o; void main() { o = texture(s, uv) * col; }\n");
  std::vector<uint32_t> indices(static_cast<size_t>(indexCount_));
  for (uint32_t q = 0; q < n; ++q) {
    const uint32_t b = 4 * q, quad[6] = {b, b + 1, b + 2, b + 2, b + 1, b + 3};
    std::copy(quad, quad + 6, indices.begin() + 6 * q);
  }
  glGenVertexArrays(1, &vao_);
  glBindVertexArray(vao_);
  glGenBuffers(1, &vbo_);
  glBindBuffer(GL_ARRAY_BUFFER, vbo_);
  glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices_.size() * sizeof(Vertex)), nullptr,
               GL_STREAM_DRAW);
  glGenBuffers(1, &ibo_);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo_);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * 4), indices.data(),
               GL_STATIC_DRAW);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), nullptr);
  glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex),
                        reinterpret_cast<void*>(12));
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(16));
  for (GLuint i = 0; i < 3; ++i) glEnableVertexAttribArray(i);
  glGenTextures(1, &texture_);
  glBindTexture(GL_TEXTURE_2D, texture_);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, GLsizei(texture.width), GLsizei(texture.height), 0,
               GL_RGBA, GL_UNSIGNED_BYTE, texture.rgba.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glBindVertexArray(0);
  // Direct GL calls: the device forgets what it thought was bound.
  Device().SetRenderTarget(0, Device().GetRenderTarget(0));
}

RawQuads::~RawQuads() {
  glDeleteTextures(1, &texture_);
  glDeleteBuffers(1, &vbo_);
  glDeleteBuffers(1, &ibo_);
  glDeleteVertexArrays(1, &vao_);
  glDeleteProgram(program_);
  Device().SetRenderTarget(0, Device().GetRenderTarget(0));
}

void RawQuads::Draw(uint32_t quads) {
  const size_t n = std::min(size_t(quads), vertices_.size() / 4);
  glBindVertexArray(vao_);
  glBindBuffer(GL_ARRAY_BUFFER, vbo_);
  glBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(n * 4 * sizeof(Vertex)), vertices_.data());
  glUseProgram(program_);
  glUniform2f(glGetUniformLocation(program_, "px"), 2.0f / kW, 2.0f / kH);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, texture_);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glViewport(0, 0, kW, kH);
  glDrawElements(GL_TRIANGLES, std::min(indexCount_, GLsizei(n * 6)), GL_UNSIGNED_INT, nullptr);
  glBindVertexArray(0);
  Device().SetRenderTarget(0, Device().GetRenderTarget(0));
}

namespace {
// The console's report, with each run's real time per iteration noted.
class CeilingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && !run.error_occurred)
        times.emplace_back(run.benchmark_name(), run.GetAdjustedRealTime());
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::vector<std::pair<std::string, double>> times;
};
}  // namespace

int RunAgainstCeilings(int argc, char** argv, const CeilingPairs& pairs) {
  benchmark::Initialize(&argc, argv);
  CeilingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto starting = [&](const std::string& prefix) -> const std::pair<std::string, double>* {
    for (const auto& t : reporter.times)
      if (t.first.rfind(prefix, 0) == 0) return &t;
    return nullptr;
  };
  bool header = false;
  for (const auto& [first, second] : pairs) {
    const auto* ceiling = starting(second);
    if (!ceiling) continue;
    for (const auto& t : reporter.times) {
      if (t.first.rfind(first, 0) != 0 || !(t.second > 0)) continue;
      if (!header) {
        std::printf("\n%-48s %-30s %s\n", "run", "ceiling", "ratio");
        header = true;
      }
      std::printf("%-48s %-30s %.2f\n", t.first.c_str(), ceiling->first.c_str(),
                  ceiling->second / t.second);
    }
  }
  benchmark::Shutdown();
  return 0;
}

}  // namespace glimmer::bench
