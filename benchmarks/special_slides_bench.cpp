// The special slide kinds headless at 1920 × 1080: a frame of each kind's
// slide (scene copies at the frame's own size), beside the ceiling of as
// many plain textured full-screen passes as the kind draws, in the same run.

#include <string>

#include "benchmarks/bench_support.h"
#include "common/wide_string.h"
#include "scene/slide.h"
#include "scene/slide_container.h"
#include "scene/slide_show.h"
#include "store/class_registry.h"

namespace {

using namespace glimmer;
using namespace glimmer::bench;

// Each kind and the full-screen passes of its frame: the lake (picture,
// lake), under water (picture into the copy, copy back, effect), rings
// (the refracted surface), flames (picture, fire band, copy back, haze),
// the glass ball (picture, background, ball, mask) and the code rain
// (picture, glyphs).
struct Kind {
  const char16_t* name;
  int passes;
};
constexpr Kind kKinds[] = {{u"FakeLake2D", 2},        {u"FakeUndervater", 3},
                           {u"ZT_WaterRingLight", 1}, {u"ZT_FlameLight", 4},
                           {u"ZT_GlassBallLight", 4}, {u"ZT_MatrixCodeLight", 2}};

void BM_SlideFrame(benchmark::State& state, std::u16string kind) {
  ZT_2D_Light::SetCaptureScaleLimit(1);
  ShowDocument doc;
  AddSlide(doc, u"bench.png", TestPicture());
  auto& container = *doc.show->slides.back();
  std::shared_ptr<ZT_2D_Light> slide = CreateByName<ZT_2D_Light>(SlideRegistry(), kind);
  slide->picture = container.slide->picture;
  container.slide = slide;
  PlayingShow show(doc);
  show.Measure(state, 1.0f);
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(ToUtf8(kind));
}

void BM_PlainPasses(benchmark::State& state) {
  PlainPasses(state, TestPicture(), int(state.range(0)), false);
  state.SetLabel(std::to_string(state.range(0)) + " plain passes");
}
BENCHMARK(BM_PlainPasses)->DenseRange(1, 4)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  CeilingPairs pairs;
  for (const Kind& k : kKinds) {
    const std::string name = "BM_SlideFrame/" + ToUtf8(k.name);
    benchmark::RegisterBenchmark(name.c_str(), BM_SlideFrame, std::u16string(k.name))
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    pairs.push_back({name, "BM_PlainPasses/" + std::to_string(k.passes)});
  }
  return RunAgainstCeilings(argc, argv, pairs);
}
