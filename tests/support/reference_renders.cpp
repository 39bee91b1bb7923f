#include "tests/support/reference_renders.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

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

// at_00003.000.png for "3", as the render command names its frames.
std::string FrameName(const std::string& time) {
  char name[32];
  std::snprintf(name, sizeof name, "at_%09.3f.png", std::stod(time));
  return name;
}

}  // namespace

void ExpectRendersAsReviewed(const std::string& show, const std::string& size,
                             const std::vector<std::string>& times, const std::string& referenceDir,
                             const std::string& prefix, const std::string& extraArgs) {
  const fs::path out =
      fs::temp_directory_path() / ("glimmer_refs_" + prefix + std::to_string(::getpid()));
  fs::remove_all(out);
  std::string at;
  for (const std::string& t : times) at += (at.empty() ? "" : ",") + t;
  const std::string cmd = std::string(GLIMMER_BINARY) + " render " + show + " --size " + size +
                          " --at " + at + " --out " + out.string() + " " + extraArgs +
                          " > /dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  const bool update = std::getenv("GLIMMER_UPDATE_REFERENCES") != nullptr;
  for (const std::string& t : times) {
    const std::string name = FrameName(t);
    SCOPED_TRACE(name);
    const auto frame = ReadPng(out / name);
    ASSERT_TRUE(frame);
    const fs::path ref = fs::path(referenceDir) / (prefix + name);
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

}  // namespace glimmer::testing
