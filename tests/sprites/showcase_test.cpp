// The sprites showcase (shows/sprites, composed at build time): each kind's
// slide rendered 2.5 s after it starts, against reviewed references.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/reference_renders.h"

namespace glimmer::testing {
namespace {

TEST(SpritesShowcase, EveryKindRendersAsReviewed) {
  const std::string show =
      (std::filesystem::path(GLIMMER_BINARY).parent_path() / "shows/sprites.dds").string();
  // Fish, birds, ghosts, flow, rain, sparkles, placed picture, flower,
  // discharge, fog, lightning, god rays, grass, the glowing discharge and
  // the explosion (one second in, as it flares): six seconds a slide.
  ExpectRendersAsReviewed(show, "160x90",
                          {"2.5", "8.5", "14.5", "20.5", "26.5", "32.5", "38.5", "44.5", "50.5",
                           "56.5", "62.5", "68.5", "74.5", "80.5", "85"},
                          GLIMMER_SOURCE_DIR "/tests/sprites/references", "sprites_");
}

}  // namespace
}  // namespace glimmer::testing
