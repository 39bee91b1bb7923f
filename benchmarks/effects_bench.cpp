// Screen effects headless at 1920 × 1080: a frame of a picture slide with
// one effect of each kind drawn full screen from a scene copy at the
// frame's size, beside the ceiling for that many passes: two plain textured
// full-screen passes (the picture's, and the effect's) in the same run.

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>

#include "common/wide_string.h"
#include "effects/screen_effect.h"
#include "platform/gpu/gpu_device.h"
#include "platform/gpu/texture_loader.h"
#include "platform/image/image_codec.h"
#include "render/state_blocks.h"
#include "scene/render_context.h"
#include "scene/slide_show.h"
#include "show/show_document.h"
#include "store/class_registry.h"

namespace {

using namespace glimmer;

constexpr uint32_t kW = 1920, kH = 1080;

GpuDevice& Device() {
  static std::unique_ptr<GpuDevice> device = GpuDevice::CreateHeadless({kW, kH, true});
  return *device;
}

std::vector<uint8_t> Picture() {
  Image img{1024, 576, std::vector<uint8_t>(1024 * 576 * 4)};
  for (uint32_t y = 0; y < img.height; ++y) {
    for (uint32_t x = 0; x < img.width; ++x) {
      uint8_t* p = img.Pixel(x, y);
      p[0] = uint8_t(x);
      p[1] = uint8_t(y * 2);
      p[2] = uint8_t(128 + 100 * std::sin((x + y) * 0.02));
      p[3] = 255;
    }
  }
  return EncodePng(img);
}

void BM_EffectFrame(benchmark::State& state, std::u16string kind) {
  GpuDevice& d = Device();
  RenderContext context;
  ShowDocument doc;
  auto c = std::make_shared<ZT_SlideContainer>();
  c->duration.SetValue(1000);
  c->slide = std::make_shared<ZT_2D_Light>();
  c->slide->picture.SetValue({u"bench.png", 1});
  doc.resources->PictureBlobs.push_back({c->slide->picture.Value(), {{0, u"", Picture(), u""}}});
  std::shared_ptr<ZT_FX_Constructor> layer =
      CreateByName<ZT_FX_Constructor>(GeneralRegistry(), kind);
  // The whole slide from a scene copy at the frame's own size: the picture's
  // pass into the copy, then the effect's pass.
  layer->techniqueMode.SetValue(1);
  ZT_2D_Light::SetCaptureScaleLimit(1);
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
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(ToUtf8(kind));
}

// `passes` plain textured full-screen passes of a picture made as slides
// make theirs, presented and finished like a frame.
void BM_PlainPasses(benchmark::State& state) {
  GpuDevice& d = Device();
  const std::vector<uint8_t> png = Picture();
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
  kNormalAlpha.Apply(d);
  d.SetTexture(0, texture);
  d.SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
  for (auto _ : state) {
    for (int64_t k = 0; k < state.range(0); ++k)
      d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(V));
    d.Present();
    d.Finish();
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(std::to_string(state.range(0)) + " plain passes");
}
BENCHMARK(BM_PlainPasses)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

// One benchmark per registered screen-effect kind (registered in main: the
// kinds register themselves during static initialisation).
int main(int argc, char** argv) {
  for (const std::u16string& name : GeneralRegistry().RegisteredNames()) {
    if (!CreateByName<ZT_FX_Constructor>(GeneralRegistry(), name)) continue;
    benchmark::RegisterBenchmark(("BM_EffectFrame/" + ToUtf8(name)).c_str(), BM_EffectFrame, name)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
