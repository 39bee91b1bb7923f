// The lines and wanderers showcase (shows/lines, composed at build time):
// each kind's slide rendered 2.5 s after it starts, against reviewed
// references.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/reference_renders.h"

namespace glimmer::testing {
namespace {

TEST(LinesShowcase, EveryKindRendersAsReviewed) {
  const std::string show =
      (std::filesystem::path(GLIMMER_BINARY).parent_path() / "shows/lines.dds").string();
  // Growing, sliding, waving and shooting lines, tears, a brownian swarm,
  // fireflies, a standing sprite, a sprite on a path: six seconds a slide.
  ExpectRendersAsReviewed(show, "160x90",
                          {"2.5", "8.5", "14.5", "20.5", "26.5", "32.5", "38.5", "44.5", "50.5"},
                          GLIMMER_SOURCE_DIR "/tests/particles/references", "lines_");
}

}  // namespace
}  // namespace glimmer::testing
