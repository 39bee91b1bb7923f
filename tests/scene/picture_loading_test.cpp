// Slide pictures are decoded when a slide needs them: the shown one, the
// next one ahead of its switch on worker threads, and none two away; a
// picture that does not decode fails only its own slide.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "document/doc_res_manager.h"
#include "platform/image/image_codec.h"
#include "scene/slide_show.h"
#include "tests/support/scene_test.h"
#include "tests/support/test_pictures.h"

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
  const std::weak_ptr<GpuTexture> first = doc.show->slides[0]->slide->PictureTexture();
  EXPECT_FALSE(doc.show->slides[1]->slide->PictureReady()) << "its slide has not started yet";
  Frame(doc, 1.1f);
  EXPECT_TRUE(doc.show->slides[1]->slide->PictureReady());
  EXPECT_TRUE(NearColor(Pixel(kWidth / 2, kHeight / 2), 0x00FF00FF, 2));
  // The first slide is now two slides away (shown, next: the third).
  EXPECT_FALSE(doc.show->slides[0]->slide->PictureReady());
  EXPECT_FALSE(Made(doc, 0));
  // The third picture, of the first one's size, goes up in its texture.
  Frame(doc, 2.2f);
  EXPECT_EQ(doc.show->slides[2]->slide->PictureTexture(), first.lock());
  // And the first comes round again, decoded anew.
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

// A large photo whose header reads but whose data does not decode: the slide
// shows the default picture, and a grown screen does not start its decode
// again every frame.
TEST_F(PictureLoading, AGrownScreenLeavesAPictureThatDoesNotDecode) {
  std::vector<uint8_t> jpeg =
      EncodeJpeg(std::vector<uint8_t>(2400 * 1200 * 3, 128), 2400, 1200, 3, 90);
  // Cut before the scan: the frame header still gives the size.
  const uint8_t scan[2] = {0xFF, 0xDA};
  jpeg.erase(std::search(jpeg.begin(), jpeg.end(), scan, scan + 2), jpeg.end());
  ShowDocument made;
  auto c = std::make_shared<ZT_SlideContainer>();
  c->slide = std::make_shared<ZT_2D_Light>();
  c->slide->picture.SetValue({u"photo.jpg", 1});
  made.resources->PictureBlobs.push_back({c->slide->picture.Value(), {{0, u"", jpeg, u""}}});
  made.show->slides.push_back(c);
  ShowDocument doc = SceneTest::Start(made, 1);
  Frame(doc, 0);
  ASSERT_NE(doc.show->slides[0]->slide->PictureTexture(), nullptr);
  device_->Reset({kWidth * 4, kHeight * 4, true});
  doc.show->RestoreDeviceObjects();
  for (float t : {0.1f, 0.2f, 0.3f}) {
    Frame(doc, t);
    EXPECT_TRUE(QVX_DocResManager::Current()->LinkPicturesFailed(c->slide->picture)) << t;
  }
}

// A smooth 2400 × 1200 photo on the 64 × 48 screen, the camera panning at
// its 1.2 zoom: the texture is made little larger than the screen shows the
// picture (from a JPEG decoded at a reduced scale), placement sees the whole
// texture's size, and the frame matches the one drawn from the whole texture;
// when the screen grows, a finer texture is made without stopping the frames.
TEST_F(PictureLoading, ALargePictureOnASmallScreenIsMadeSmallerAndLooksTheSame) {
  constexpr uint32_t w = 2400, h = 1200;
  std::vector<uint8_t> rgb(size_t{w} * h * 3);
  for (uint32_t y = 0; y < h; ++y) {
    for (uint32_t x = 0; x < w; ++x) {
      uint8_t* p = &rgb[(size_t{y} * w + x) * 3];
      p[0] = uint8_t(128 + 100 * std::sin(x * 0.004));
      p[1] = uint8_t(y * 200 / h);
      p[2] = uint8_t(128 + 90 * std::cos((x + y) * 0.003));
    }
  }
  const std::vector<uint8_t> jpeg = EncodeJpeg(rgb, w, h, 3, 95);
  ShowDocument made;
  auto c = std::make_shared<ZT_SlideContainer>();
  c->fadeIn.SetValue(0);
  c->slide = std::make_shared<ZT_2D_Light>();
  c->slide->picture.SetValue({u"photo.jpg", 1});
  c->slide->camera.Mode.SetValue(1);
  made.resources->PictureBlobs.push_back({c->slide->picture.Value(), {{0, u"", jpeg, u""}}});
  made.show->slides.push_back(c);
  ShowDocument doc = SceneTest::Start(made, 1);
  Frame(doc, 0);
  Frame(doc, 3.0f);  // the camera has moved and zoomed in
  ZT_2D_Light& slide = *doc.show->slides[0]->slide;
  const TexturePtr reduced = slide.PictureTexture();
  ASSERT_NE(reduced, nullptr);
  // Fitted across the screen, the picture spans at most 64 × 1.2 pixels
  // across and half that down.
  EXPECT_GE(reduced->Width(), uint32_t(std::ceil(kWidth * 1.2)));
  EXPECT_LT(reduced->Width(), 4096u / 16);
  EXPECT_GE(reduced->Height(), uint32_t(std::ceil(kWidth * 1.2 * h / w)));
  EXPECT_LT(reduced->Height(), 2048u / 16);
  float tw = 0, th = 0;
  slide.PictureTextureSize(tw, th);
  EXPECT_EQ(tw, 4096.0f);
  EXPECT_EQ(th, 2048.0f);
  const Image small = Back();

  // The screen grows four times: the finer picture is decoded while frames
  // go on, and taken once it is up.
  device_->Reset({kWidth * 4, kHeight * 4, true});
  doc.show->RestoreDeviceObjects();
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (slide.PictureTexture()->Width() == reduced->Width() &&
         std::chrono::steady_clock::now() < give_up) {
    Frame(doc, 3.0f);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_GE(slide.PictureTexture()->Width(), uint32_t(std::ceil(kWidth * 4 * 1.2)));
  EXPECT_LT(slide.PictureTexture()->Width(), 4096u / 4);
  slide.PictureTextureSize(tw, th);
  EXPECT_EQ(tw, 4096.0f) << "placement still sees the whole texture's size";
  device_->Reset({kWidth, kHeight, true});
  doc.show->RestoreDeviceObjects();

  // The first frame again from the texture of the whole picture.
  slide.EnsurePicture({});
  ASSERT_EQ(slide.PictureTexture()->Width(), 4096u);
  doc.show->RenderShow();
  const Image whole = Back();
  ASSERT_EQ(small.rgba.size(), whole.rgba.size());
  size_t near = 0;
  for (size_t i = 0; i < small.rgba.size(); i += 4) {
    bool ok = true;
    for (int k = 0; k < 4; ++k) ok = ok && std::abs(small.rgba[i + k] - whole.rgba[i + k]) <= 4;
    near += ok;
  }
  EXPECT_GE(double(near), 0.995 * double(small.rgba.size() / 4));
}

}  // namespace
}  // namespace glimmer::testing
