// Particle scrolling text: offsets by step over speed, wrapping, standing
// still at speed 0 and starting again from the beginning once hidden.

#include "texts/particle_scrolling_text.h"

#include <gtest/gtest.h>

namespace glimmer {
namespace {

TEST(ParticleScrollingText, ScrollsWrapsAndRestartsWhenHidden) {
  ZT_ScrollingTex text;
  text.scrollSpeed.SetValue(4);
  text.scrollDirection.SetValue(1);  // −u
  text.StepText(1, false);
  EXPECT_FLOAT_EQ(text.offsetU, 0.75f) << "−0.25 wrapped";
  EXPECT_EQ(text.TextShift().x, 0.75f);
  text.StepText(2, false);
  EXPECT_FLOAT_EQ(text.offsetU, 0.25f);
  text.StepText(0.1f, true);
  EXPECT_EQ(text.offsetU, 0.0f);
  text.scrollDirection.SetValue(2);
  text.StepText(1, false);
  EXPECT_FLOAT_EQ(text.offsetV, 0.25f);
  text.scrollSpeed.SetValue(0);
  text.StepText(1, false);
  EXPECT_FLOAT_EQ(text.offsetV, 0.25f) << "speed 0 stands still";
}

}  // namespace
}  // namespace glimmer
