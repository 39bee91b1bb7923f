// Particle text links: hits within the quad's bounds, edges included, none
// while hidden; the address from the text.

#include "texts/particle_text_link.h"

#include <gtest/gtest.h>

#include "params/time_lines.h"

namespace glimmer {
namespace {

TEST(ParticleTextLink, HitsOnTheEdgesWhileShown) {
  ZT_TextLink link;
  link.quad.SetCentered(40, 10, {100, 50, 0});
  link.text.SetValue(u"example.org");
  EXPECT_TRUE(link.PointerHit(80, 45));
  EXPECT_TRUE(link.PointerHit(120, 55));
  EXPECT_FALSE(link.PointerHit(120.01f, 50));
  EXPECT_EQ(link.LinkAddress(), "https://example.org");
  auto line = std::make_shared<QVX_RandomTimeLine>();
  line->CurrentState = TimeLineState::Hidden;
  link.timing.SetCurrent(line);
  EXPECT_FALSE(link.PointerHit(100, 50));
}

}  // namespace
}  // namespace glimmer
