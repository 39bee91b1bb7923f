// The render command as a user meets it: refused option values, far times,
// and video files.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace glimmer {
namespace {

namespace fs = std::filesystem;

struct Result {
  int code = -1;
  std::string err, out;
};

Result Render(const std::string& args, const fs::path& dir) {
  const fs::path err = dir / "stderr.txt", out = dir / "stdout.txt";
  const std::string cmd = std::string(GLIMMER_BINARY) + " render " + args + " > " + out.string() +
                          " 2> " + err.string();
  Result r;
  const int status = std::system(cmd.c_str());
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  auto read = [](const fs::path& p) {
    std::ifstream in(p);
    return std::string((std::istreambuf_iterator<char>(in)), {});
  };
  r.err = read(err);
  r.out = read(out);
  return r;
}

class RenderCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("glimmer_render_cmd_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(RenderCommandTest, BadValuesAreOneLineErrorsNamingTheOption) {
  const std::string frames = " --out " + (dir_ / "frames").string();
  const struct {
    const char* args;
    const char* option;
  } cases[] = {
      {"--at nan", "--at"},
      {"--at -1", "--at"},
      {"--at inf", "--at"},
      {"--seconds -1", "--seconds"},
      {"--seconds 0", "--seconds"},
      {"--seconds 1e9 --fps 1e9", "--fps"},
      {"--fps 0", "--fps"},
      {"--fps nan", "--fps"},
      {"--seconds 0.001", "--seconds"},  // rounds to no frame
      {"--size 0x10", "--size"},
      {"--size 99999999999x2", "--size"},
      {"--size 64x", "--size"},
      {"--size 64x36x2", "--size"},
      {"--capture-scale 9", "--capture-scale"},
      {"--clock 25:99:99", "--clock"},
      {"--at 1 --out x.webm", "--at"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    std::string args = c.args;
    if (args.find("--out") == std::string::npos) args += frames;
    const Result r = Render(args, dir_);
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find(c.option), std::string::npos) << r.err;
    EXPECT_LT(r.err.size(), 200u) << "one short line: " << r.err;
  }
  EXPECT_FALSE(fs::exists(dir_ / "frames")) << "nothing is written for a refused command";
}

TEST_F(RenderCommandTest, FarTimesFallIntoTheLoopAndOneFrameIsSingular) {
  const Result r = Render("--size 32x18 --at 1e30 --out " + (dir_ / "far").string(), dir_);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.find("Wrote 1 frame of 32x18"), 0u) << r.out;
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "far"), fs::directory_iterator()), 1);
}

TEST_F(RenderCommandTest, WritesAVideoFile) {
  const fs::path file = dir_ / "show.mp4";
  const Result r = Render("--size 64x36 --fps 10 --seconds 1.5 --out " + file.string(), dir_);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("15 frames of 64x36"), std::string::npos) << r.out;
  EXPECT_GT(fs::file_size(file), 0u);
  EXPECT_TRUE(r.err.empty()) << "no progress line when standard error is no terminal: " << r.err;
  EXPECT_EQ(Render("--size 63x36 --seconds 1 --out " + (dir_ / "odd.mp4").string(), dir_).code, 1);
  EXPECT_FALSE(fs::exists(dir_ / "odd.mp4"));
}

}  // namespace
}  // namespace glimmer
