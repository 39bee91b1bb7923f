// The special slides showcase (shows/special_slides, composed at build time):
// each kind's slide rendered 2.5 s after it starts, against reviewed references.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/reference_renders.h"

namespace glimmer::testing {
namespace {

TEST(SpecialSlidesShowcase, EveryKindRendersAsReviewed) {
  const std::string show =
      (std::filesystem::path(GLIMMER_BINARY).parent_path() / "shows/special_slides.dds").string();
  // Lake, under water, water rings, flames, glass ball, code rain: six seconds a slide.
  std::vector<std::string> times;
  for (int slide = 0; slide < 6; ++slide) times.push_back(std::to_string(slide * 6 + 2) + ".5");
  ExpectRendersAsReviewed(show, "160x90", times,
                          GLIMMER_SOURCE_DIR "/tests/scene/slides/references", "special_");
}

}  // namespace
}  // namespace glimmer::testing
