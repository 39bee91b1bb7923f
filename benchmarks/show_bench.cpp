// Playing a show headless at 1920 × 1080: frames per second of three picture
// slides with camera pans, beside the ceiling of one full-screen textured
// pass of the same kind of picture texture with the slide's states, through
// the graphics layer, in the same run.

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "platform/gpu/gpu_device.h"
#include "platform/gpu/texture_loader.h"
#include "platform/image/image_codec.h"
#include "render/state_blocks.h"
#include "scene/render_context.h"
#include "scene/slide_show.h"
#include "show/show_document.h"

namespace {

using namespace glimmer;

constexpr uint32_t kW = 1920, kH = 1080;

GpuDevice& Device() {
  static std::unique_ptr<GpuDevice> device = GpuDevice::CreateHeadless({kW, kH, true});
  return *device;
}

std::vector<uint8_t> Picture(int variant) {
  Image img{1024, 576, std::vector<uint8_t>(1024 * 576 * 4)};
  for (uint32_t y = 0; y < img.height; ++y) {
    for (uint32_t x = 0; x < img.width; ++x) {
      uint8_t* p = img.Pixel(x, y);
      p[0] = uint8_t(x * (variant + 1));
      p[1] = uint8_t(y * 2);
      p[2] = uint8_t(128 + 100 * std::sin((x + y) * 0.02 + variant));
      p[3] = 255;
    }
  }
  return EncodePng(img);
}

void BM_ThreeSlideShow(benchmark::State& state) {
  GpuDevice& d = Device();
  RenderContext context;
  ShowDocument doc;
  for (int i = 0; i < 3; ++i) {
    auto c = std::make_shared<ZT_SlideContainer>();
    c->duration.SetValue(3);
    c->slide = std::make_shared<ZT_2D_Light>();
    c->slide->picture.SetValue({u"bench" + std::u16string(1, char16_t(u'0' + i)) + u".png", 1});
    c->slide->camera.Mode.SetValue(1);  // random pans
    doc.resources->PictureBlobs.push_back({c->slide->picture.Value(), {{0, u"", Picture(i), u""}}});
    doc.show->slides.push_back(c);
  }
  ShowDocument show = LoadShow(SaveShow(doc));
  show.resources->Attach(d);
  ScreenScope scope(show.resources->ScreenFor(&d, &context));
  show.show->Instantiate(2);
  // The first frame starts the first slide (pictures, capture targets,
  // shaders); the loop measures steady playback and the later slide starts.
  show.show->AdvanceShow(0);
  show.show->RenderShow();
  d.Finish();
  float t = 1.0f / 25;
  for (auto _ : state) {
    show.show->AdvanceShow(t);
    show.show->RenderShow();
    d.Present();
    d.Finish();
    t += 1.0f / 25;
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel("frames");
}
BENCHMARK(BM_ThreeSlideShow)->Unit(benchmark::kMillisecond)->UseRealTime();

// One full-screen pass of a picture texture made as the slides' are (the
// picture's size rounded up to powers of two, one level) with the slide's
// states (the texture as it is, linear filtering without mipmaps): what a
// frame of a picture slide needs at least.
void BM_FrameCeiling(benchmark::State& state) {
  GpuDevice& d = Device();
  const std::vector<uint8_t> png = Picture(0);
  TexturePtr texture =
      CreateTextureFromFileInMemoryEx(d, png, kD3dxDefault, kD3dxDefault, 1, 0, D3DFMT_UNKNOWN,
                                      D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_FILTER_NONE, 0, nullptr);
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
  kSlideState.Apply(d);
  d.SetTexture(0, texture);
  d.SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
  for (auto _ : state) {
    d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(V));
    d.Present();
    d.Finish();
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel("frames");
}
BENCHMARK(BM_FrameCeiling)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
