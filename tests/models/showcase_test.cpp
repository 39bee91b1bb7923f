// The 3D objects showcase (shows/models, composed at build time): a
// butterfly flock, the clock at a fixed local time and a leaf stream, each
// rendered 2.5 s into its slide against reviewed references.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/reference_renders.h"

namespace glimmer::testing {
namespace {

TEST(Objects3DShowcase, EveryKindRendersAsReviewed) {
  const std::string show =
      (std::filesystem::path(GLIMMER_BINARY).parent_path() / "shows/models.dds").string();
  ExpectRendersAsReviewed(show, "320x180", {"2.5", "8.5", "14.5"},
                          GLIMMER_SOURCE_DIR "/tests/models/references", "models_",
                          "--clock 03:30:00");
}

}  // namespace
}  // namespace glimmer::testing
