#pragma once
// What the benchmark programs share: the headless 1920 × 1080 device, test
// pictures, a show started on it and measured frame by frame, the plain
// full-screen textured pass that is the ceiling of a picture slide, and
// plain OpenGL programs for the raw ceilings.

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/gpu/gpu_device.h"
#include "platform/image/image_codec.h"
#include "platform/screen_context.h"
#include "scene/render_context.h"
#include "show/show_document.h"

namespace glimmer::bench {

inline constexpr uint32_t kW = 1920, kH = 1080;

// The program's device, made on first use (with a depth buffer when the
// first caller asks for one).
GpuDevice& Device(bool depth = true);

// A w × h picture of bands and a wave, as PNG; `variant` shifts its colours.
std::vector<uint8_t> TestPicture(uint32_t w = 1024, uint32_t h = 576, int variant = 0);

// A picture slide (its picture carried as `name`) with `layers`, back to
// front as a container lists them; slides appended to `doc`.
void AddSlide(ShowDocument& doc, std::u16string name, std::vector<uint8_t> png,
              std::vector<std::shared_ptr<ZT_ABObj_Constructor>> layers = {},
              float duration = 1000);

// A document read back, attached to the device and started, its first
// frame drawn (pictures, capture targets and shaders made).
class PlayingShow {
 public:
  explicit PlayingShow(ShowDocument& doc);
  // The same from a document's bytes.
  explicit PlayingShow(std::span<const uint8_t> bytes);
  // The same from a document the caller loaded.
  struct Loaded {};
  PlayingShow(Loaded, ShowDocument&& loaded);
  ShowDocument& Show() { return show_; }
  // One frame at show time t, presented and finished.
  void Frame(float t);
  // Frames at 25 a second from `from`, one an iteration.
  void Measure(benchmark::State& state, float from);

 private:
  ShowDocument show_;
  RenderContext context_;
  std::optional<ScreenScope> scope_;
};

// A full-screen pass of `png` made as slides make their textures (one
// level, linear filtering, no mipmaps), blended when `blended`.
class PlainPass {
 public:
  PlainPass(const std::vector<uint8_t>& png, bool blended);
  void Draw();

 private:
  TexturePtr texture_;
  bool blended_;
};

// `passes` plain passes of `png`, presented and finished like a frame.
void PlainPasses(benchmark::State& state, const std::vector<uint8_t>& png, int passes,
                 bool blended);

// A linked program of the two sources.
GLuint RawProgram(const char* vertexSource, const char* fragmentSource);

// A soft round spot of n × n pixels (white, alpha falling to the edge).
Image SoftSpot(uint32_t n);

// n textured, coloured quads in plain OpenGL: the raw ceilings of the
// layers that draw quads. Write Vertices() (4 a quad: left-bottom,
// left-top, right-bottom, right-top; colours as D3D ARGB), then Draw()
// sends and draws them (or the first of them), alpha-blended, in pixels of the frame.
class RawQuads {
 public:
  struct Vertex {
    float x, y, z;
    uint32_t colour;
    float u, v;
  };
  RawQuads(uint32_t n, const Image& texture);
  ~RawQuads();
  RawQuads(const RawQuads&) = delete;
  RawQuads& operator=(const RawQuads&) = delete;
  Vertex* Vertices() { return vertices_.data(); }
  // Draws the first `quads` quads (all by default).
  void Draw(uint32_t quads = UINT32_MAX);

 private:
  std::vector<Vertex> vertices_;
  GLsizei indexCount_;
  GLuint program_ = 0, vao_ = 0, vbo_ = 0, ibo_ = 0, texture_ = 0;
};

// A measured run and the run that is its ceiling: every run whose name
// starts with `first` is compared with the run whose name starts with
// `second`.
using CeilingPairs = std::vector<std::pair<std::string, std::string>>;

// Runs the registered benchmarks as the console reporter shows them, then
// prints a table of each run beside its ceiling, as the ratio ceiling time
// ÷ run time (1 = as fast as the ceiling).
int RunAgainstCeilings(int argc, char** argv, const CeilingPairs& pairs);

}  // namespace glimmer::bench
