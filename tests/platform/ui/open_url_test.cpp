#include "platform/ui/open_url.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace glimmer {
namespace {

namespace fs = std::filesystem;

TEST(LaunchDetached, RunsTheProgramWithItsArgumentsAndLeavesNoChild) {
  const fs::path file = fs::temp_directory_path() / "glimmer_launch_detached.txt";
  fs::remove(file);
  std::string error;
  // The argument holds blanks and a quote: passed as one word, no shell between.
  ASSERT_TRUE(
      LaunchDetached({"sh", "-c", "printf '%s' \"$0\" > \"$1\"", "a b'c", file.string()}, &error))
      << error;
  for (int i = 0; i < 200 && !fs::exists(file); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::ifstream in(file);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "a b'c");
  fs::remove(file);
  // The launcher reaped its own child; the program belongs to init.
  errno = 0;
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST(LaunchDetached, ReportsProgramsThatCannotStart) {
  std::string error;
  EXPECT_FALSE(LaunchDetached({"glimmer-no-such-program"}, &error));
  EXPECT_NE(error.find("glimmer-no-such-program"), std::string::npos);
  EXPECT_NE(error.find("No such file"), std::string::npos) << error;
  EXPECT_FALSE(LaunchDetached({}, &error));
}

}  // namespace
}  // namespace glimmer
