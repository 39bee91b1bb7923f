// Particle generators headless at 1920 × 1080: a frame of a picture slide
// with an air brush of 5,000 dabs, drawn through its slide-sized layer
// target and composed over the scene (twinkling stars composed normally, an
// aurora curtain added), beside raw OpenGL doing the same in the same run:
// the picture's pass, 5,000 quads written and drawn into an off-screen
// texture, then that texture composed over the frame by a full-screen pass.
// And falling stars, about 2,000 at a time (heads and trails, four quads a
// star in two off-screen textures composed with the scene copy), beside the
// same in raw OpenGL.

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "benchmarks/bench_support.h"
#include "generators/aurora.h"
#include "generators/falling_stars.h"
#include "generators/twinkling_stars.h"
#include "platform/image/image_codec.h"
#include "scene/slide.h"

namespace {

using namespace glimmer;
using namespace glimmer::bench;

constexpr uint32_t kDabs = 5'000, kSize = 16;

std::vector<uint8_t> Picture() {
  return TestPicture(kW, kH);
}

// Dabs spread over the frame from the shared generator's sequence.
template <class Brush>
void Paint(Brush& brush) {
  uint32_t seed = 1;
  const auto next = [&seed] {
    seed = seed * 214013u + 2531011u;
    return float((seed >> 16) & 0x7FFF) / 32767.0f;
  };
  for (uint32_t i = 0; i < kDabs; ++i) {
    GeneratorParticle& d = brush.dabs.emplace_back(D3DXVECTOR3{next() * kW, next() * kH, 0});
    d.params[kLifeFraction] = float(i) * 14;
    d.params[kSizeFactor] = 0.5f + 0.5f * next();
    d.params[kOpacityFactor] = 0.5f + 0.5f * next();
  }
  brush.brushSize.SetValue(kSize);
  brush.images = {ZT_ImageFileLink(u"spot.png", 2)};
}

void BM_AirBrush(benchmark::State& state, bool aurora) {
  std::shared_ptr<ZT_AirBrush> layer;
  if (aurora) {
    auto a = std::make_shared<ZT_Aurora>();
    a->curtainHeight.SetValue(kSize);
    Paint(*a);
    layer = a;
  } else {
    auto stars = std::make_shared<ZT_TwinklingStars>();
    Paint(*stars);
    stars->blendMode.SetValue(0);
    layer = stars;
  }
  ShowDocument doc;
  AddSlide(doc, u"bench.png", Picture(), {layer});
  doc.resources->PictureBlobs.push_back(
      {{u"spot.png", 2}, {{0, u"", EncodePng(SoftSpot(32)), u""}}});
  PlayingShow show(doc);
  show.Measure(state, 1.0f);
  state.SetItemsProcessed(state.iterations() * kDabs);
  state.SetLabel(aurora ? "aurora of 5,000 dabs, added" : "5,000 twinkling stars, normal");
}
BENCHMARK_CAPTURE(BM_AirBrush, twinkling_stars, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_AirBrush, aurora, true)->Unit(benchmark::kMillisecond)->UseRealTime();

constexpr const char* kVertex =
    "#version 330 core\n"
    "out vec2 uv;\n"
    "void main() {\n"
    "  vec2 p = vec2(gl_VertexID & 1, gl_VertexID >> 1);\n"
    "  uv = p;\n"
    "  gl_Position = vec4(p * 2.0 - 1.0, 0.0, 1.0);\n"
    "}\n";

// A frame-sized texture to draw into and a full-screen pass that lays it
// over the frame with premultiplied blending.
class RawLayer {
 public:
  RawLayer() {
    glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kW, kH, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture_, 0);
    glGenVertexArrays(1, &vao_);
    program_ = RawProgram(kVertex,
                          "#version 330 core\n"
                          "in vec2 uv;\n"
                          "uniform sampler2D layer;\n"
                          "out vec4 colour;\n"
                          "void main() { colour = texture(layer, uv); }\n");
    Device().SetRenderTarget(0, Device().GetRenderTarget(0));
  }
  ~RawLayer() {
    glDeleteFramebuffers(1, &framebuffer_);
    glDeleteTextures(1, &texture_);
    glDeleteVertexArrays(1, &vao_);
    glDeleteProgram(program_);
    if (sumProgram_) glDeleteProgram(sumProgram_);
    Device().SetRenderTarget(0, Device().GetRenderTarget(0));
  }
  RawLayer(const RawLayer&) = delete;
  RawLayer& operator=(const RawLayer&) = delete;

  // Binds and clears the texture; the next raw draw goes into it.
  void Begin() {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glViewport(0, 0, kW, kH);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  // The device's current frame copied into the texture.
  void CopyFrame() {
    GLint from = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &from);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(from));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer_);
    glBlitFramebuffer(0, 0, kW, kH, 0, 0, kW, kH, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    Device().SetRenderTarget(0, Device().GetRenderTarget(0));
  }
  // This texture (a frame copy) with both layers added, over the device's
  // current target.
  void ComposeWith(const RawLayer& a, const RawLayer& b) {
    Device().SetRenderTarget(0, Device().GetRenderTarget(0));
    if (!sumProgram_) {
      sumProgram_ = RawProgram(kVertex,
                               "#version 330 core\n"
                               "in vec2 uv;\n"
                               "uniform sampler2D s0, s1, s2;\n"
                               "out vec4 colour;\n"
                               "void main() {\n"
                               "  vec4 s = texture(s0, uv);\n"
                               "  colour = vec4(min(s.rgb + texture(s1, uv).rgb + texture(s2, "
                               "uv).rgb, 1.0), s.a);\n"
                               "}\n");
    }
    glBindVertexArray(vao_);
    glUseProgram(sumProgram_);
    const GLuint textures[3] = {texture_, a.texture_, b.texture_};
    for (GLint i = 0; i < 3; ++i) {
      glActiveTexture(GLenum(GL_TEXTURE0 + i));
      glBindTexture(GL_TEXTURE_2D, textures[i]);
      glUniform1i(glGetUniformLocation(sumProgram_, ("s" + std::to_string(i)).c_str()), i);
    }
    glDisable(GL_BLEND);
    glViewport(0, 0, kW, kH);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindVertexArray(0);
    glActiveTexture(GL_TEXTURE0);
    Device().SetRenderTarget(0, Device().GetRenderTarget(0));
  }
  // Lays the texture over the device's current target.
  void Compose() {
    Device().SetRenderTarget(0, Device().GetRenderTarget(0));
    glBindVertexArray(vao_);
    glUseProgram(program_);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glUniform1i(glGetUniformLocation(program_, "layer"), 0);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glViewport(0, 0, kW, kH);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindVertexArray(0);
    Device().SetRenderTarget(0, Device().GetRenderTarget(0));
  }

 private:
  GLuint texture_ = 0, framebuffer_ = 0, vao_ = 0, program_ = 0, sumProgram_ = 0;
};

// The ceiling: the picture's pass through the device, then the dabs written
// and drawn into a frame-sized texture and that texture composed, in plain
// OpenGL.
void BM_RawGlAirBrush(benchmark::State& state) {
  GpuDevice& d = Device();
  PlainPass picture(Picture(), false);
  RawQuads quads(kDabs, SoftSpot(32));
  RawLayer layer;
  struct Dab {
    float x, y, size, opacity;
  };
  std::vector<Dab> dabs(kDabs);
  uint32_t seed = 1;
  const auto next = [&seed] {
    seed = seed * 214013u + 2531011u;
    return float((seed >> 16) & 0x7FFF) / 32767.0f;
  };
  for (Dab& dab : dabs) dab = {next() * kW, next() * kH, 0.5f + 0.5f * next(), next()};
  for (auto _ : state) {
    picture.Draw();
    d.Finish();
    RawQuads::Vertex* v = quads.Vertices();
    for (const Dab& dab : dabs) {
      const float half = kSize * dab.size / 2;
      const uint32_t c = (uint32_t(dab.opacity * 255) << 24) | 0xFFFFFF;
      v[0] = {dab.x - half, dab.y + half, 0, c, 0, 1};
      v[1] = {dab.x - half, dab.y - half, 0, c, 0, 0};
      v[2] = {dab.x + half, dab.y + half, 0, c, 1, 1};
      v[3] = {dab.x + half, dab.y - half, 0, c, 1, 0};
      v += 4;
    }
    layer.Begin();
    quads.Draw();
    layer.Compose();
    d.Present();
    d.Finish();
  }
  state.SetItemsProcessed(state.iterations() * kDabs);
  state.SetLabel("the picture, 5,000 quads off screen and their composite in plain OpenGL");
}
BENCHMARK(BM_RawGlAirBrush)->Unit(benchmark::kMillisecond)->UseRealTime();

constexpr float kStarRate = 1000, kStarLife = 2;  // about 2,000 stars at a time

void BM_FallingStars(benchmark::State& state) {
  auto stars = std::make_shared<ZT_FallingStars>();
  stars->region.SetCentered(float(kW), float(kH), {kW / 2.0f, kH / 2.0f, 0});
  stars->starRate.SetValue(uint32_t(kStarRate / 0.02f));
  stars->visibleTime.SetValue(uint32_t(kStarLife * 100) - 50);
  stars->fadeInTime.SetValue(20);
  stars->fadeOutTime.SetValue(30);
  stars->starSize.SetValue(kSize);
  stars->trailLength.SetValue(50);  // three star sizes
  for (ZT_ImageFileLink& link : stars->images) link = ZT_ImageFileLink(u"spot.png", 2);
  // The scene copy the composite reads at the frame's own size, as the
  // ceiling's copy is.
  ZT_2D_Light::SetCaptureScaleLimit(1);
  ShowDocument doc;
  AddSlide(doc, u"bench.png", Picture(), {stars});
  doc.resources->PictureBlobs.push_back(
      {{u"spot.png", 2}, {{0, u"", EncodePng(SoftSpot(32)), u""}}});
  PlayingShow show(doc);
  show.Measure(state, 3.0f);
  state.SetItemsProcessed(state.iterations() * int64_t(kStarRate * kStarLife));
  state.SetLabel("falling stars, about 2,000 with trails");
}
BENCHMARK(BM_FallingStars)->Unit(benchmark::kMillisecond)->UseRealTime();

// The ceiling: the picture's pass, the frame copied for the composite, heads
// and trails (two quads each) drawn into two frame-sized textures, and one
// pass adding both to the copy, in plain OpenGL.
void BM_RawGlFallingStars(benchmark::State& state) {
  GpuDevice& d = Device();
  PlainPass picture(Picture(), false);
  const uint32_t n = uint32_t(kStarRate * kStarLife);
  RawQuads heads(2 * n, SoftSpot(32)), trails(2 * n, SoftSpot(32));
  RawLayer first, second, scene;
  struct Star {
    float x, y, angle;
  };
  std::vector<Star> stars(n);
  uint32_t seed = 1;
  const auto next = [&seed] {
    seed = seed * 214013u + 2531011u;
    return float((seed >> 16) & 0x7FFF) / 32767.0f;
  };
  for (Star& s : stars) s = {next() * kW, next() * kH, next() * 6.28f};
  const auto quad = [](RawQuads::Vertex* v, float x, float y, float w, float h, float a) {
    const float c = std::cos(a), s = std::sin(a);
    const float rx = c * w / 2, ry = s * w / 2, ux = -s * h / 2, uy = c * h / 2;
    v[0] = {x - rx + ux, y - ry + uy, 0, 0xFFFFFFFF, 0, 1};
    v[1] = {x - rx - ux, y - ry - uy, 0, 0xFFFFFFFF, 0, 0};
    v[2] = {x + rx + ux, y + ry + uy, 0, 0xFFFFFFFF, 1, 1};
    v[3] = {x + rx - ux, y + ry - uy, 0, 0xFFFFFFFF, 1, 0};
  };
  for (auto _ : state) {
    picture.Draw();
    d.Finish();
    scene.CopyFrame();
    RawQuads::Vertex* h = heads.Vertices();
    RawQuads::Vertex* t = trails.Vertices();
    for (Star& s : stars) {
      s.y += 4;
      s.angle += 0.01f;
      if (s.y > kH) s.y -= kH;
      quad(h, s.x, s.y, kSize, kSize, s.angle);
      quad(h + 4, s.x, s.y, kSize * 2.5f, kSize * 2.5f, s.angle);
      quad(t, s.x, s.y - kSize * 1.5f, kSize * 3, kSize * 0.35f, 1.57f);
      quad(t + 4, s.x, s.y - kSize * 1.5f, kSize * 3, kSize * 0.9f, 1.57f);
      h += 8;
      t += 8;
    }
    first.Begin();
    heads.Draw();
    second.Begin();
    trails.Draw();
    scene.ComposeWith(first, second);
    d.Present();
    d.Finish();
  }
  state.SetItemsProcessed(state.iterations() * n);
  state.SetLabel("the picture, a frame copy, 8,000 quads in two textures, one composite");
}
BENCHMARK(BM_RawGlFallingStars)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return glimmer::bench::RunAgainstCeilings(
      argc, argv,
      {{"BM_AirBrush", "BM_RawGlAirBrush"}, {"BM_FallingStars", "BM_RawGlFallingStars"}});
}
