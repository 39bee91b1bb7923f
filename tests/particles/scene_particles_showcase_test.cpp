// The scene particle effects showcase (shows/scene_particles, composed at
// build time): each kind's slide rendered 2.5 s after it starts, against
// reviewed references.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/reference_renders.h"

namespace glimmer::testing {
namespace {

TEST(SceneParticlesShowcase, EveryKindRendersAsReviewed) {
  const std::string show =
      (std::filesystem::path(GLIMMER_BINARY).parent_path() / "shows/scene_particles.dds").string();
  // Fog, bokeh, area smoke, shimmer, fire, smoke, fire stream, water jet,
  // light beams, rain on glass, stream, ground smoke, rays: six seconds a
  // slide.
  ExpectRendersAsReviewed(show, "160x90",
                          {"2.5", "8.5", "14.5", "20.5", "26.5", "32.5", "38.5", "44.5", "50.5",
                           "56.5", "62.5", "68.5", "74.5"},
                          GLIMMER_SOURCE_DIR "/tests/particles/references", "scene_particles_");
}

}  // namespace
}  // namespace glimmer::testing
