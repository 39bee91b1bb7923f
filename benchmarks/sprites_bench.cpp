// Sprite groups headless at 1920 × 1080: a frame of a picture slide with
// 10,000 fish or 10,000 rain drops moved and drawn through the layer,
// beside raw OpenGL doing the same in the same run: the picture's pass,
// then 10,000 quads of the same size moved, written and drawn with the same
// kind of texture and blending.

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <cmath>
#include <memory>
#include <vector>

#include "objects/fish.h"
#include "objects/rain.h"
#include "platform/gpu/gpu_device.h"
#include "platform/gpu/texture_loader.h"
#include "platform/image/image_codec.h"
#include "render/state_blocks.h"
#include "scene/render_context.h"
#include "scene/slide_show.h"
#include "show/show_document.h"

namespace {

using namespace glimmer;

constexpr uint32_t kW = 1920, kH = 1080, kSprites = 10'000, kSize = 16;

GpuDevice& Device() {
  static std::unique_ptr<GpuDevice> device = GpuDevice::CreateHeadless({kW, kH, true});
  return *device;
}

Image Spot(uint32_t n) {
  Image img{n, n, std::vector<uint8_t>(size_t(n) * n * 4)};
  for (uint32_t y = 0; y < n; ++y) {
    for (uint32_t x = 0; x < n; ++x) {
      const float r = std::hypot(float(x) - n / 2.0f, float(y) - n / 2.0f) / (n / 2.0f);
      uint8_t* p = img.Pixel(x, y);
      p[0] = 255;
      p[1] = 200;
      p[2] = 80;
      p[3] = uint8_t(255 * std::max(0.0f, 1 - r));
    }
  }
  return img;
}

// A picture of the frame's size, so slide pixels are screen pixels and the
// sprites' quads are the ceiling's.
std::vector<uint8_t> Picture() {
  Image img{kW, kH, std::vector<uint8_t>(size_t(kW) * kH * 4, 255)};
  for (uint32_t y = 0; y < img.height; ++y) {
    for (uint32_t x = 0; x < img.width; ++x) img.Pixel(x, y)[1] = uint8_t(x ^ y);
  }
  return EncodePng(img);
}

void BM_SpriteLayer(benchmark::State& state, bool rain) {
  GpuDevice& d = Device();
  RenderContext context;
  ShowDocument doc;
  auto c = std::make_shared<ZT_SlideContainer>();
  c->duration.SetValue(1000);
  c->slide = std::make_shared<ZT_2D_Light>();
  c->slide->picture.SetValue({u"bench.png", 1});
  doc.resources->PictureBlobs.push_back({c->slide->picture.Value(), {{0, u"", Picture(), u""}}});
  doc.resources->PictureBlobs.push_back({{u"spot.png", 2}, {{0, u"", EncodePng(Spot(32)), u""}}});
  std::shared_ptr<ZT_BaseSpriteProp> layer;
  if (rain) {
    layer = std::make_shared<ZT_RainConstructor>();
  } else {
    layer = std::make_shared<ZT_FishConstructor>();
  }
  layer->count.SetValue(kSprites);
  layer->size.SetValue(kSize);
  layer->scaleMin = layer->scaleMax = 1;
  layer->image = ZT_ImageFileLink(u"spot.png", 2);
  c->visualLayers.push_back(layer);
  doc.show->slides.push_back(c);
  ShowDocument show = LoadShow(SaveShow(doc));
  show.resources->Attach(d);
  ScreenScope scope(show.resources->ScreenFor(&d, &context));
  show.show->Instantiate(2);
  show.show->AdvanceShow(0);
  show.show->RenderShow();
  d.Finish();
  float t = 1.0f;
  for (auto _ : state) {
    show.show->AdvanceShow(t);
    show.show->RenderShow();
    d.Present();
    d.Finish();
    t += 1.0f / 25;
  }
  state.SetItemsProcessed(state.iterations() * kSprites);
  state.SetLabel(rain ? "10,000 rain drops" : "10,000 fish");
}
BENCHMARK_CAPTURE(BM_SpriteLayer, fish, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_SpriteLayer, rain, true)->Unit(benchmark::kMillisecond)->UseRealTime();

GLuint Compile(GLenum type, const char* source) {
  const GLuint s = glCreateShader(type);
  glShaderSource(s, 1, &source, nullptr);
  glCompileShader(s);
  return s;
}

// The ceiling: the picture's full-screen pass through the device, then the
// sprites moved and drawn in plain OpenGL.
void BM_RawGlSprites(benchmark::State& state) {
  GpuDevice& d = Device();
  const std::vector<uint8_t> png = Picture();
  TexturePtr picture =
      CreateTextureFromFileInMemoryEx(d, png, kD3dxDefault, kD3dxDefault, 1, 0, D3DFMT_UNKNOWN,
                                      D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_FILTER_NONE, 0, nullptr);
  struct TlVertex {
    float x, y, z, rhw;
    D3DCOLOR c;
    float u, v;
  };
  const float w = float(kW), h = float(kH);
  const TlVertex quad[4] = {{0, h, 0.5f, 1, 0xFFFFFFFF, 0, 1},
                            {0, 0, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                            {w, h, 0.5f, 1, 0xFFFFFFFF, 1, 1},
                            {w, 0, 0.5f, 1, 0xFFFFFFFF, 1, 0}};
  const GLuint program = glCreateProgram();
  glAttachShader(
      program, Compile(GL_VERTEX_SHADER,
                       "#version 330 core\n"
                       "layout(location=0) in vec2 p; layout(location=1) in vec4 c;\n"
                       "layout(location=2) in vec2 t; out vec4 col; out vec2 uv;\n"
                       "uniform vec2 px;\n"
                       "void main() { col = c; uv = t;\n"
                       "  gl_Position = vec4(p.x * px.x - 1.0, 1.0 - p.y * px.y, 0.5, 1.0); }\n"));
  glAttachShader(program,
                 Compile(GL_FRAGMENT_SHADER,
                         "#version 330 core\nin vec4 col; in vec2 uv; uniform sampler2D s;\n"
                         "out vec4 o; void main() { o = texture(s, uv) * col; }\n"));
  glLinkProgram(program);
  struct Vertex {
    float x, y;
    uint32_t colour;
    float u, v;
  };
  struct Sprite {
    float x, y, vx, vy;
  };
  std::vector<Sprite> sprites(kSprites);
  uint32_t seed = 1;
  const auto next = [&seed] {
    seed = seed * 214013u + 2531011u;
    return float((seed >> 16) & 0x7FFF) / 32767.0f;
  };
  for (Sprite& s : sprites) s = {next() * w, next() * h, next() * 160 - 80, next() * 100 - 50};
  std::vector<Vertex> vertices(size_t(kSprites) * 4);
  std::vector<uint32_t> indices(size_t(kSprites) * 6);
  for (uint32_t q = 0; q < kSprites; ++q) {
    const uint32_t b = 4 * q, six[6] = {b, b + 1, b + 2, b + 2, b + 1, b + 3};
    std::copy(six, six + 6, indices.begin() + 6 * q);
  }
  GLuint vao = 0, vbo = 0, ibo = 0, texture = 0;
  const Image spot = Spot(32);
  for (auto _ : state) {
    kSlideState.Apply(d);
    d.SetTexture(0, picture);
    d.SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TlVertex));
    d.Finish();
    if (!vao) {
      glGenVertexArrays(1, &vao);
      glGenBuffers(1, &vbo);
      glGenBuffers(1, &ibo);
      glGenTextures(1, &texture);
    }
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo);
    static bool filled = false;
    if (!filled) {
      glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * sizeof(Vertex)), nullptr,
                   GL_STREAM_DRAW);
      glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * 4), indices.data(),
                   GL_STATIC_DRAW);
      glBindTexture(GL_TEXTURE_2D, texture);
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 32, 32, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                   spot.rgba.data());
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
      filled = true;
    }
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), nullptr);
    glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex),
                          reinterpret_cast<void*>(8));
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(12));
    for (GLuint i = 0; i < 3; ++i) glEnableVertexAttribArray(i);
    // Moved by a frame and written as quads.
    const float dt = 1.0f / 25, half = kSize / 2.0f;
    for (uint32_t q = 0; q < kSprites; ++q) {
      Sprite& s = sprites[q];
      s.x += s.vx * dt;
      s.y += s.vy * dt;
      if (s.x < -half || s.x > w + half) s.vx = -s.vx;
      if (s.y < half || s.y > h - half) s.vy = -s.vy;
      Vertex* v = &vertices[4 * q];
      v[0] = {s.x - half, s.y + half, 0xFFFFFFFF, 0, 1};
      v[1] = {s.x - half, s.y - half, 0xFFFFFFFF, 0, 0};
      v[2] = {s.x + half, s.y + half, 0xFFFFFFFF, 1, 1};
      v[3] = {s.x + half, s.y - half, 0xFFFFFFFF, 1, 0};
    }
    glBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(vertices.size() * sizeof(Vertex)),
                    vertices.data());
    glUseProgram(program);
    glUniform2f(glGetUniformLocation(program, "px"), 2.0f / w, 2.0f / h);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDrawElements(GL_TRIANGLES, GLsizei(indices.size()), GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
    // Direct GL calls: the device forgets what it thought was bound.
    d.SetRenderTarget(0, d.GetRenderTarget(0));
    d.Present();
    d.Finish();
  }
  glDeleteTextures(1, &texture);
  glDeleteBuffers(1, &vbo);
  glDeleteBuffers(1, &ibo);
  glDeleteVertexArrays(1, &vao);
  glDeleteProgram(program);
  state.SetItemsProcessed(state.iterations() * kSprites);
  state.SetLabel("the picture and 10,000 quads in plain OpenGL");
}
BENCHMARK(BM_RawGlSprites)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
