// Headless renders of a small show compared with reviewed reference
// pictures. Tolerance: every channel within 4 of the reference on at least
// 99.5 % of the pixels (the renders are exact on one machine; the margin
// covers rounding differences between Mesa builds). Set
// GLIMMER_UPDATE_REFERENCES=1 to write new references, then review them.

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "params/random_source.h"
#include "scene/render_context.h"
#include "scene/slide_show.h"
#include "show/show_document.h"
#include "tests/platform/gpu/gpu_test_support.h"

namespace glimmer::testing {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Picture(uint32_t w, uint32_t h, int variant) {
  Image img{w, h, std::vector<uint8_t>(size_t(w) * h * 4)};
  for (uint32_t y = 0; y < h; ++y) {
    for (uint32_t x = 0; x < w; ++x) {
      uint8_t* p = img.Pixel(x, y);
      const bool check = ((x / 16) + (y / 16)) % 2 == 0;
      p[0] = uint8_t(variant == 0 ? 40 + x * 200 / w : check ? 220 : 60);
      p[1] = uint8_t(variant == 1 ? 40 + y * 200 / h : 90);
      p[2] = uint8_t(variant == 2 ? (check ? 250 : 30) : 140);
      p[3] = 255;
    }
  }
  return EncodePng(img);
}

ShowDocument ReferenceShow() {
  ShowDocument doc;
  const uint32_t sizes[3][2] = {{256, 128}, {128, 192}, {192, 108}};
  for (int i = 0; i < 3; ++i) {
    auto c = std::make_shared<ZT_SlideContainer>();
    c->fadeIn.SetValue(1);
    c->duration.SetValue(5);
    c->fadeOut.SetValue(1);
    c->slide = std::make_shared<ZT_2D_Light>();
    c->slide->picture.SetValue({u"ref" + std::u16string(1, char16_t(u'0' + i)) + u".png", 1});
    c->slide->camera.Mode.SetValue(i);
    if (i == 2) {
      for (float x : {50.0f, 140.0f}) c->slide->camera.Path.AddPoint({x, 54, 0}, nullptr);
      c->slide->camera.WindowWidth.SetValue(120);
      c->slide->camera.WindowHeight.SetValue(68);
    }
    doc.resources->PictureBlobs.push_back(
        {c->slide->picture.Value(), {{0, u"", Picture(sizes[i][0], sizes[i][1], i), u""}}});
    doc.show->slides.push_back(c);
  }
  return doc;
}

class ReferenceRender : public GpuTest {};

TEST_F(ReferenceRender, ThreeSlidesAtChosenTimes) {
  const fs::path refs = fs::path(GLIMMER_SOURCE_DIR) / "tests/scene/references";
  const bool update = std::getenv("GLIMMER_UPDATE_REFERENCES") != nullptr;
  device_->Reset({160, 90, true});
  RenderContext context;
  SeedRandom(1);
  ShowDocument doc = LoadShow(SaveShow(*std::make_unique<ShowDocument>(ReferenceShow())));
  doc.resources->Attach(*device_);
  ScreenScope scope(doc.resources->ScreenFor(device_, &context));
  doc.show->Instantiate(1);  // Fit
  // Played at 25 frames a second; the frames at these times are compared.
  const std::vector<std::pair<int, const char*>> wanted = {{12, "fit_still_0.5s.png"},
                                                           {160, "fade_in_6.4s.png"},
                                                           {250, "random_pan_10s.png"},
                                                           {400, "path_16s.png"}};
  size_t next = 0;
  for (int k = 0; next < wanted.size(); ++k) {
    doc.show->AdvanceShow(float(k) / 25.0f);
    if (k != wanted[next].first) continue;
    doc.show->RenderShow();
    const Image frame = Back();
    const fs::path file = refs / wanted[next].second;
    if (update) {
      ASSERT_TRUE(WritePng(file.string(), frame));
    } else {
      std::ifstream in(file, std::ios::binary);
      ASSERT_TRUE(in) << "missing reference " << file;
      const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
      auto ref = DecodeImage(bytes);
      ASSERT_TRUE(ref);
      ASSERT_EQ(ref->width, frame.width);
      ASSERT_EQ(ref->height, frame.height);
      const size_t off = CountDifferingPixels(frame, *ref, 4);
      EXPECT_LE(off, frame.rgba.size() / 4 / 200)
          << wanted[next].second << ": " << off << " pixels differ";
    }
    ++next;
  }
}

}  // namespace
}  // namespace glimmer::testing
