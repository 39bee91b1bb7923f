// Text links: a hit exactly on the quad's edges (half sizes in whole
// pixels), none just outside or while hidden, and the address a click opens.

#include "texts/text_link.h"

#include <gtest/gtest.h>

#include "params/time_lines.h"
#include "texts/particle_text_link.h"

namespace glimmer {
namespace {

TEST(TextLink, HitsOnTheQuadsEdges) {
  ZT_TextLinkConstructor link;
  link.position.SetValue({100, 50, 0});
  link.quadWidth.SetValue(41);  // 41 div 2 = 20
  link.quadHeight.SetValue(10);
  EXPECT_TRUE(link.HitTest(80, 45));
  EXPECT_TRUE(link.HitTest(120, 55));
  EXPECT_TRUE(link.PointerHit(120, 45));
  EXPECT_FALSE(link.HitTest(120.5f, 50));
  EXPECT_FALSE(link.HitTest(100, 44.9f));
  auto line = std::make_shared<QVX_RandomTimeLine>();
  line->CurrentState = TimeLineState::Hidden;
  link.timing.SetCurrent(line);
  EXPECT_TRUE(link.HitTest(100, 50));
  EXPECT_FALSE(link.PointerHit(100, 50)) << "hidden links take no clicks";
}

TEST(TextLink, TextReadsAsAnAddress) {
  EXPECT_EQ(LinkAddressOf(u" example.org \n", 0), "https://example.org");
  EXPECT_EQ(LinkAddressOf(u"http://example.org/a", 1), "http://example.org/a");
  EXPECT_EQ(LinkAddressOf(u"me@example.org", 0), "mailto:me@example.org");
  EXPECT_EQ(LinkAddressOf(u"postmaster", 1), "mailto:postmaster");
  EXPECT_EQ(LinkAddressOf(u"   ", 0), "");
  ZT_TextLinkConstructor link;
  link.text.SetValue(u"example.org");
  EXPECT_EQ(link.LinkAddress(), "https://example.org");
}

}  // namespace
}  // namespace glimmer
