// Slide pictures are decoded when a slide needs them: the shown one, the
// next one ahead of its switch on worker threads, and none two away; a
// picture that does not decode fails only its own slide.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "document/doc_res_manager.h"
#include "platform/image/image_codec.h"
#include "scene/slide_show.h"
#include "tests/support/scene_test.h"

namespace glimmer::testing {
namespace {

class PictureLoading : public SceneTest {
 protected:
  // Three one-second slides without fades, of plain red, green and blue
  // pictures; the second slide's bytes are no picture when `damaged`.
  ShowDocument Start(bool damaged = false) {
    ShowDocument doc;
    const uint32_t colours[3] = {0xFF0000FF, 0x00FF00FF, 0x0000FFFF};
    for (int i = 0; i < 3; ++i) {
      auto c = std::make_shared<ZT_SlideContainer>();
      c->fadeIn.SetValue(0);
      c->fadeOut.SetValue(0);
      c->duration.SetValue(1);
      c->slide = std::make_shared<ZT_2D_Light>();
      c->slide->picture.SetValue({u"slide" + std::u16string(1, char16_t(u'0' + i)) + u".png", 1});
      Image img{8, 8, {}};
      for (int p = 0; p < 64; ++p) {
        for (int k = 0; k < 4; ++k) img.rgba.push_back(uint8_t(colours[i] >> (24 - 8 * k)));
      }
      std::vector<uint8_t> bytes = EncodePng(img);
      if (damaged && i == 1) bytes.assign(100, 0x5A);
      doc.resources->PictureBlobs.push_back({c->slide->picture.Value(), {{0, u"", bytes, u""}}});
      doc.show->slides.push_back(c);
    }
    return SceneTest::Start(doc, 0);
  }
  void Frame(ShowDocument& doc, float t) {
    doc.show->AdvanceShow(t);
    doc.show->RenderShow();
  }
  static bool Made(ShowDocument& doc, size_t slide) {
    return QVX_DocResManager::Current()->HasLinkTextures(doc.show->slides[slide]->slide->picture);
  }
};

TEST_F(PictureLoading, TheNextPictureIsUpBeforeItsSwitchAndOnesTwoAwayAreLetGo) {
  ShowDocument doc = Start();
  Frame(doc, 0);
  EXPECT_TRUE(doc.show->slides[0]->slide->PictureReady());
  EXPECT_FALSE(Made(doc, 2)) << "two slides on: not decoded";
  // Frames while the first slide plays; the decode runs on a worker.
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!Made(doc, 1) && std::chrono::steady_clock::now() < give_up) {
    Frame(doc, 0.5f);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_TRUE(Made(doc, 1)) << "the next slide's picture is up before its switch";
  EXPECT_FALSE(doc.show->slides[1]->slide->PictureReady()) << "its slide has not started yet";
  Frame(doc, 1.1f);
  EXPECT_TRUE(doc.show->slides[1]->slide->PictureReady());
  EXPECT_TRUE(NearColor(Pixel(kWidth / 2, kHeight / 2), 0x00FF00FF, 2));
  // The first slide is now two slides away (shown, next: the third).
  EXPECT_FALSE(doc.show->slides[0]->slide->PictureReady());
  EXPECT_FALSE(Made(doc, 0));
  // And comes round again, decoded anew.
  Frame(doc, 2.2f);
  Frame(doc, 3.3f);
  EXPECT_TRUE(NearColor(Pixel(kWidth / 2, kHeight / 2), 0xFF0000FF, 2));
}

TEST_F(PictureLoading, ADamagedPictureFailsOnlyItsSlide) {
  ShowDocument doc = Start(true);
  Frame(doc, 0);
  EXPECT_TRUE(NearColor(Pixel(kWidth / 2, kHeight / 2), 0xFF0000FF, 2));
  Frame(doc, 1.1f);
  // The damaged slide shows the player's default picture instead.
  const TexturePtr shown = doc.show->slides[1]->slide->PictureTexture();
  ASSERT_NE(shown, nullptr);
  EXPECT_NE(shown->Width(), 8u);
  Frame(doc, 2.2f);
  EXPECT_TRUE(NearColor(Pixel(kWidth / 2, kHeight / 2), 0x0000FFFF, 2));
}

}  // namespace
}  // namespace glimmer::testing
