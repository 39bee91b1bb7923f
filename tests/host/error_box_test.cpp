// The error box drawn headless on a large screen and in a small preview:
// the text in the dialogs' font, wrapped and whole inside the box, against
// reviewed references (GLIMMER_UPDATE_REFERENCES=1 writes them).

#include "host/error_box.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/image/image_codec.h"
#include "tests/platform/gpu/gpu_test_support.h"

namespace glimmer::testing {
namespace {

bool Dark(const Image& img, uint32_t x, uint32_t y) {
  const uint8_t* p = img.Pixel(x, y);
  return p[0] < 128 && p[1] < 128 && p[2] < 128;
}

void CheckBox(uint32_t screenW, uint32_t screenH, bool preview, const std::string& text,
              const char* reference) {
  auto device = GpuDevice::CreateHeadless({screenW, screenH, true});
  ErrorBox box;
  box.Start(float(screenW), float(screenH), preview);
  box.Step(0.5f);
  box.Draw(*device, text);
  box.Draw(*device, text);  // the second frame reuses the laid-out lines
  const Image img = device->ReadBackBuffer();
  const uint32_t x0 = uint32_t(std::lround(box.x)), y0 = uint32_t(std::lround(box.y));
  const uint32_t x1 = x0 + uint32_t(box.width), y1 = y0 + uint32_t(box.height);
  // Ink only inside, and never within four pixels of the frame: nothing is
  // cut at the box's edge.
  size_t ink = 0, inkRows = 0;
  for (uint32_t y = 0; y < screenH; ++y) {
    bool rowInk = false;
    for (uint32_t x = 0; x < screenW; ++x) {
      const bool inside = x >= x0 && x < x1 && y >= y0 && y < y1;
      const bool interior = x >= x0 + 5 && x + 5 < x1 && y >= y0 + 5 && y + 5 < y1;
      if (!inside) {
        ASSERT_TRUE(Dark(img, x, y)) << "outside the box at " << x << "," << y;
      } else if (Dark(img, x, y) && x > x0 && x + 1 < x1 && y > y0 && y + 1 < y1) {
        ASSERT_TRUE(interior) << reference << ": text touches the frame at " << x << "," << y;
        ++ink;
        rowInk = true;
      }
    }
    inkRows += rowInk ? 1 : 0;
  }
  EXPECT_GT(ink, 200u) << reference << ": no text drawn";
  EXPECT_GT(inkRows, 30u) << reference << ": the text should wrap onto several lines";

  const std::filesystem::path file =
      std::filesystem::path(GLIMMER_SOURCE_DIR) / "tests/host/references" / reference;
  if (std::getenv("GLIMMER_UPDATE_REFERENCES")) {
    std::filesystem::create_directories(file.parent_path());
    ASSERT_TRUE(WritePng(file.string(), img));
    return;
  }
  std::ifstream in(file, std::ios::binary);
  ASSERT_TRUE(in) << "missing reference " << file;
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  const auto ref = DecodeImage(bytes);
  ASSERT_TRUE(ref);
  ASSERT_EQ(ref->width, img.width);
  const size_t off = CountDifferingPixels(img, *ref, 4);
  EXPECT_LE(off, img.rgba.size() / 4 / 200) << reference << ": " << off << " pixels differ";
}

TEST(ErrorBoxDrawing, TextFitsTheBoxOnLargeScreensAndPreviews) {
  const std::string text =
      "The show could not be played because its file is damaged or is not a show document.";
  CheckBox(1920, 1080, false, text, "error_box_1920x1080.png");
  ErrorBox large;
  large.Start(1920, 1080, false);
  EXPECT_FLOAT_EQ(large.Scale(), 1.5f);
  EXPECT_FLOAT_EQ(large.width, 450);
  // A preview far smaller than the text at the dialogs' size: it shrinks.
  CheckBox(200, 150, true, text, "error_box_preview_200x150.png");
}

}  // namespace
}  // namespace glimmer::testing
