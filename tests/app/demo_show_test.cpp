// The built-in demo show rendered headless by the program at a few times,
// compared with reviewed references.

#include <gtest/gtest.h>

#include "tests/support/reference_renders.h"

namespace glimmer::testing {
namespace {

TEST(DemoShow, RendersAsReviewedAtChosenTimes) {
  // Fireworks, sparkles and fireflies over Dusk's hazy hills, Sea fading in
  // after the first switch, fish and a stream of sparks over its rippling
  // water under the random pan with rain drops on the window and a particle
  // tree, snow, a discharge, shooting stars and fog on Hills along the path,
  // the lake mirroring Hills, the code rain over Dusk.
  ExpectRendersAsReviewed("", "160x90", {"3", "7.5", "11", "19.5", "27", "35"},
                          GLIMMER_SOURCE_DIR "/tests/app/references", "demo_");
}

}  // namespace
}  // namespace glimmer::testing
