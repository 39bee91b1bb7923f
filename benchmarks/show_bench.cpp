// Playing a show headless at 1920 × 1080: frames per second of three picture
// slides with camera pans, beside the ceiling of one full-screen textured
// pass of a picture made as the slides' are, in the same run.

#include "benchmarks/bench_support.h"
#include "scene/slide_show.h"

namespace {

using namespace glimmer;
using namespace glimmer::bench;

void BM_ThreeSlideShow(benchmark::State& state) {
  ShowDocument doc;
  for (int i = 0; i < 3; ++i) {
    AddSlide(doc, u"bench" + std::u16string(1, char16_t(u'0' + i)) + u".png",
             TestPicture(1024, 576, i), {}, 3);
    doc.show->slides.back()->slide->camera.Mode.SetValue(1);  // random pans
  }
  // The first frame starts the first slide (pictures, capture targets,
  // shaders); the loop measures steady playback and the later slide starts.
  PlayingShow show(doc);
  show.Measure(state, 1.0f / 25);
  state.SetItemsProcessed(state.iterations());
  state.SetLabel("frames");
}
BENCHMARK(BM_ThreeSlideShow)->Unit(benchmark::kMillisecond)->UseRealTime();

// One full-screen pass of a picture texture made as the slides' are (the
// picture's size rounded up to powers of two, one level) with the slide's
// states (the texture as it is, linear filtering without mipmaps): what a
// frame of a picture slide needs at least.
void BM_FrameCeiling(benchmark::State& state) {
  PlainPasses(state, TestPicture(1024, 576, 0), 1, false);
  state.SetLabel("frames");
}
BENCHMARK(BM_FrameCeiling)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return glimmer::bench::RunAgainstCeilings(argc, argv, {{"BM_ThreeSlideShow", "BM_FrameCeiling"}});
}
