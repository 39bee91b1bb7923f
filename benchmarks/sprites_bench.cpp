// Sprite groups headless at 1920 × 1080: a frame of a picture slide with
// 10,000 fish or 10,000 rain drops moved and drawn through the layer,
// beside raw OpenGL doing the same in the same run: the picture's pass,
// then 10,000 quads of the same size moved, written and drawn with the same
// kind of texture and blending.

#include <cmath>
#include <memory>
#include <vector>

#include "benchmarks/bench_support.h"
#include "platform/image/image_codec.h"
#include "scene/slide_show.h"
#include "sprites/fish.h"
#include "sprites/rain.h"

namespace {

using namespace glimmer;
using namespace glimmer::bench;

constexpr uint32_t kSprites = 10'000, kSize = 16;

// The slide's picture is of the frame's size, so slide pixels are screen
// pixels and the sprites' quads are the ceiling's.
std::vector<uint8_t> Picture() {
  return TestPicture(kW, kH);
}

void BM_SpriteLayer(benchmark::State& state, bool rain) {
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
  ShowDocument doc;
  AddSlide(doc, u"bench.png", Picture(), {layer});
  doc.resources->PictureBlobs.push_back(
      {{u"spot.png", 2}, {{0, u"", EncodePng(SoftSpot(32)), u""}}});
  PlayingShow show(doc);
  show.Measure(state, 1.0f);
  state.SetItemsProcessed(state.iterations() * kSprites);
  state.SetLabel(rain ? "10,000 rain drops" : "10,000 fish");
}
BENCHMARK_CAPTURE(BM_SpriteLayer, fish, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_SpriteLayer, rain, true)->Unit(benchmark::kMillisecond)->UseRealTime();

// The ceiling: the picture's full-screen pass through the device, then the
// sprites moved and drawn in plain OpenGL.
void BM_RawGlSprites(benchmark::State& state) {
  GpuDevice& d = Device();
  PlainPass picture(Picture(), false);
  RawQuads quads(kSprites, SoftSpot(32));
  struct Sprite {
    float x, y, vx, vy;
  };
  std::vector<Sprite> sprites(kSprites);
  uint32_t seed = 1;
  const auto next = [&seed] {
    seed = seed * 214013u + 2531011u;
    return float((seed >> 16) & 0x7FFF) / 32767.0f;
  };
  const float w = float(kW), h = float(kH);
  for (Sprite& s : sprites) s = {next() * w, next() * h, next() * 160 - 80, next() * 100 - 50};
  for (auto _ : state) {
    picture.Draw();
    d.Finish();
    // Moved by a frame and written as quads.
    const float dt = 1.0f / 25, half = kSize / 2.0f;
    RawQuads::Vertex* v = quads.Vertices();
    for (Sprite& s : sprites) {
      s.x += s.vx * dt;
      s.y += s.vy * dt;
      if (s.x < -half || s.x > w + half) s.vx = -s.vx;
      if (s.y < half || s.y > h - half) s.vy = -s.vy;
      v[0] = {s.x - half, s.y + half, 0, 0xFFFFFFFF, 0, 1};
      v[1] = {s.x - half, s.y - half, 0, 0xFFFFFFFF, 0, 0};
      v[2] = {s.x + half, s.y + half, 0, 0xFFFFFFFF, 1, 1};
      v[3] = {s.x + half, s.y - half, 0, 0xFFFFFFFF, 1, 0};
      v += 4;
    }
    quads.Draw();
    d.Present();
    d.Finish();
  }
  state.SetItemsProcessed(state.iterations() * kSprites);
  state.SetLabel("the picture and 10,000 quads in plain OpenGL");
}
BENCHMARK(BM_RawGlSprites)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return glimmer::bench::RunAgainstCeilings(argc, argv, {{"BM_SpriteLayer", "BM_RawGlSprites"}});
}
