// The texts showcase (shows/texts, composed at build time from plain
// strings): sprite text with a link and a ticker, styled text in Latin and
// Arabic, particle text with a scrolling line and solid 3D lettering
// extruded from its string, each rendered 2.5 s into its slide against
// reviewed references.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/reference_renders.h"

namespace glimmer::testing {
namespace {

TEST(TextsShowcase, EveryFamilyRendersAsReviewed) {
  const std::string show =
      (std::filesystem::path(GLIMMER_BINARY).parent_path() / "shows/texts.dds").string();
  ExpectRendersAsReviewed(show, "320x180", {"2.5", "8.5", "14.5", "20.5"},
                          GLIMMER_SOURCE_DIR "/tests/texts/references", "texts_");
}

}  // namespace
}  // namespace glimmer::testing
