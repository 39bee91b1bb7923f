// The generators showcase (shows/generators, composed at build time): each
// kind's slide rendered 2.5 s after it starts, against reviewed references.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/reference_renders.h"

namespace glimmer::testing {
namespace {

TEST(GeneratorsShowcase, EveryKindRendersAsReviewed) {
  const std::string show =
      (std::filesystem::path(GLIMMER_BINARY).parent_path() / "shows/generators.dds").string();
  // Twinkling stars, bling, custom air brush, aurora, radial rays, plants, an
  // animated picture, falling stars, smoke, wandering animated sparks, a
  // firework, lightning, sparks along a path and waving letters: six seconds
  // a slide.
  ExpectRendersAsReviewed(show, "160x90",
                          {"2.5", "8.5", "14.5", "20.5", "26.5", "33", "38.5", "44.5", "50.5",
                           "56.5", "63", "68.5", "74.5", "80.5"},
                          GLIMMER_SOURCE_DIR "/tests/generators/references", "generators_");
}

}  // namespace
}  // namespace glimmer::testing
