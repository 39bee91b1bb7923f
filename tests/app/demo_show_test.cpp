// The built-in demo show rendered headless by the program at a few times,
// compared with reviewed references. Tolerance as for the scene references:
// every channel within 4 on at least 99.5 % of the pixels. Set
// GLIMMER_UPDATE_REFERENCES=1 to write new references, then review them.

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/image/image_codec.h"
#include "tests/platform/gpu/gpu_test_support.h"

namespace glimmer::testing {
namespace {

namespace fs = std::filesystem;

std::optional<Image> ReadPng(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  return DecodeImage(bytes);
}

TEST(DemoShow, RendersAsReviewedAtChosenTimes) {
  const fs::path out = fs::temp_directory_path() / ("glimmer_demo_" + std::to_string(::getpid()));
  fs::remove_all(out);
  const std::string cmd = std::string(GLIMMER_BINARY) +
                          " render --size 160x90 --at 3,7.5,11,19.5 --out " + out.string() +
                          " > /dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  const fs::path refs = fs::path(GLIMMER_SOURCE_DIR) / "tests/app/references";
  const bool update = std::getenv("GLIMMER_UPDATE_REFERENCES") != nullptr;
  // Dusk still, Sea fading in after the first switch, Sea under the random
  // pan, Hills along the path.
  for (const char* name :
       {"at_00003.000.png", "at_00007.500.png", "at_00011.000.png", "at_00019.500.png"}) {
    SCOPED_TRACE(name);
    const auto frame = ReadPng(out / name);
    ASSERT_TRUE(frame);
    const fs::path ref = refs / (std::string("demo_") + name);
    if (update) {
      fs::copy_file(out / name, ref, fs::copy_options::overwrite_existing);
      continue;
    }
    const auto expected = ReadPng(ref);
    ASSERT_TRUE(expected) << "missing reference " << ref;
    ASSERT_EQ(expected->width, frame->width);
    ASSERT_EQ(expected->height, frame->height);
    EXPECT_LE(CountDifferingPixels(*frame, *expected, 4), frame->rgba.size() / 4 / 200);
  }
  fs::remove_all(out);
}

}  // namespace
}  // namespace glimmer::testing
