// The particle-trees showcase (shows/particle_trees, composed at build
// time): the shipped tree shape, a firework and a balloon preset, each
// rendered 2.5 s into its slide against reviewed references.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/reference_renders.h"

namespace glimmer::testing {
namespace {

TEST(ParticleTreesShowcase, EveryKindRendersAsReviewed) {
  const std::string show =
      (std::filesystem::path(GLIMMER_BINARY).parent_path() / "shows/particle_trees.dds").string();
  // Tree, firework, preset: six seconds a slide.
  ExpectRendersAsReviewed(show, "160x90", {"2.5", "8.5", "14.5"},
                          GLIMMER_SOURCE_DIR "/tests/particles/tree/references", "trees_");
}

}  // namespace
}  // namespace glimmer::testing
