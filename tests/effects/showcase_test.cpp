// The effects showcase (shows/effects, composed at build time): each
// kind's slide rendered 2.5 s after it starts, against reviewed references.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/reference_renders.h"

namespace glimmer::testing {
namespace {

TEST(EffectsShowcase, EveryKindRendersAsReviewed) {
  const std::string show =
      (std::filesystem::path(GLIMMER_BINARY).parent_path() / "shows/effects.dds").string();
  // Heat haze, straight ripples, waves, light, day to night, fire, pattern,
  // background copy, coloured light, water, moving picture, waterfall,
  // expansion, radial waves, rotation, bend, clouds, perspective, stretch,
  // round ripples, spiral ripples: six seconds a slide.
  std::vector<std::string> times;
  for (int slide = 0; slide < 21; ++slide) times.push_back(std::to_string(slide * 6 + 2) + ".5");
  ExpectRendersAsReviewed(show, "160x90", times, GLIMMER_SOURCE_DIR "/tests/effects/references",
                          "effects_");
}

}  // namespace
}  // namespace glimmer::testing
