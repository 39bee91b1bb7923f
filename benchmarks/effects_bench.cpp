// Screen effects headless at 1920 × 1080: a frame of a picture slide with
// one effect of each kind drawn full screen from a scene copy at the
// frame's size, beside the ceiling for that many passes: two plain textured
// full-screen passes (the picture's, and the effect's) in the same run.

#include <string>

#include "benchmarks/bench_support.h"
#include "common/wide_string.h"
#include "effects/screen_effect.h"
#include "scene/slide.h"
#include "store/class_registry.h"

namespace {

using namespace glimmer;
using namespace glimmer::bench;

void BM_EffectFrame(benchmark::State& state, std::u16string kind) {
  std::shared_ptr<ZT_FX_Constructor> layer =
      CreateByName<ZT_FX_Constructor>(GeneralRegistry(), kind);
  // The whole slide from a scene copy at the frame's own size: the picture's
  // pass into the copy, then the effect's pass.
  layer->techniqueMode.SetValue(1);
  ZT_2D_Light::SetCaptureScaleLimit(1);
  ShowDocument doc;
  AddSlide(doc, u"bench.png", TestPicture(), {layer});
  PlayingShow show(doc);
  show.Measure(state, 1.0f);
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(ToUtf8(kind));
}

void BM_PlainPasses(benchmark::State& state) {
  PlainPasses(state, TestPicture(), int(state.range(0)), true);
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
  return RunAgainstCeilings(argc, argv, {{"BM_EffectFrame/", "BM_PlainPasses/2"}});
}
