#include "host/command_line.h"

#include <gtest/gtest.h>

namespace glimmer {
namespace {

CommandLine Parse(std::vector<std::string> args,
                  std::optional<std::string_view> env = std::nullopt) {
  return ParseCommandLine(args, env);
}

TEST(CommandLine, ModeValuesAreTheStoredNumbers) {
  EXPECT_EQ(int(RunMode::Settings), 0);
  EXPECT_EQ(int(RunMode::Preview), 1);
  EXPECT_EQ(int(RunMode::FullScreen), 2);
  EXPECT_EQ(int(RunMode::Test), 3);
  EXPECT_EQ(int(RunMode::ChangePassword), 4);
  EXPECT_EQ(int(RunMode::RunNothing), 5);
  EXPECT_EQ(int(RunMode::ShowNothing), 6);
}

TEST(CommandLine, PreviewParentWithSpaceOrColon) {
  for (const auto& args :
       {std::vector<std::string>{"/p", "1234"}, std::vector<std::string>{"/p:1234"},
        std::vector<std::string>{"-P", "1234"}, std::vector<std::string>{"/p 1234"}}) {
    const CommandLine c = Parse(args);
    EXPECT_EQ(c.mode, RunMode::Preview) << args[0];
    EXPECT_EQ(c.parentWindow, 1234u) << args[0];
    EXPECT_TRUE(c.error.empty()) << c.error;
    EXPECT_FALSE(c.windowId);
  }
}

TEST(CommandLine, EachSwitchLetterInEitherCase) {
  const struct {
    const char* arg;
    RunMode mode;
  } cases[] = {
      {"/s", RunMode::FullScreen},  {"/S", RunMode::FullScreen},     {"-s", RunMode::FullScreen},
      {"/c", RunMode::Settings},    {"/C", RunMode::Settings},       {"/t", RunMode::Test},
      {"/T", RunMode::Test},        {"/a", RunMode::ChangePassword}, {"/r", RunMode::RunNothing},
      {"/N", RunMode::ShowNothing}, {"/x", RunMode::FullScreen},     {"/z", RunMode::FullScreen},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Parse({c.arg}).mode, c.mode) << c.arg;
  }
}

TEST(CommandLine, NoSwitchOpensTheSettingsDialog) {
  for (const auto& args : {std::vector<std::string>{}, std::vector<std::string>{"hello"},
                           std::vector<std::string>{"/"}}) {
    const CommandLine c = Parse(args);
    EXPECT_EQ(c.mode, RunMode::Settings);
    EXPECT_EQ(c.parentWindow, 0u);
    EXPECT_TRUE(c.error.empty());
  }
}

TEST(CommandLine, ParentOnlyForSettingsPreviewAndPassword) {
  EXPECT_EQ(Parse({"/c:77"}).parentWindow, 77u);
  EXPECT_EQ(Parse({"/a", "88"}).parentWindow, 88u);
  EXPECT_EQ(Parse({"/a", "88"}).mode, RunMode::ChangePassword);
  // Full screen and test take no number, so none is read and none is an error.
  const CommandLine s = Parse({"/s", "99"});
  EXPECT_EQ(s.mode, RunMode::FullScreen);
  EXPECT_EQ(s.parentWindow, 0u);
  EXPECT_EQ(Parse({"/t:junk"}).error, "");
  // Only the first switch counts.
  EXPECT_EQ(Parse({"/t", "/p", "5"}).mode, RunMode::Test);
}

TEST(CommandLine, MalformedParentIsAnError) {
  for (const auto& args :
       {std::vector<std::string>{"/p", "12x"}, std::vector<std::string>{"/c:abc"},
        std::vector<std::string>{"/p", "99999999999999999999999"}}) {
    const CommandLine c = Parse(args);
    EXPECT_FALSE(c.error.empty()) << args.back();
    EXPECT_EQ(c.parentWindow, 0u);
  }
  EXPECT_NE(Parse({"/p", "12x"}).error.find("'12x'"), std::string::npos);
  // A missing number is not malformed: the preview simply has no parent.
  const CommandLine bare = Parse({"/p"});
  EXPECT_EQ(bare.mode, RunMode::Preview);
  EXPECT_EQ(bare.parentWindow, 0u);
  EXPECT_TRUE(bare.error.empty());
}

TEST(CommandLine, FullLineSkipsTheProgramPath) {
  // The path's own dashes and slashes are not switches.
  EXPECT_EQ(ParseFullCommandLine("\"C:\\Saver-Files\\my /t saver.scr\" /p 1234").mode,
            RunMode::Preview);
  EXPECT_EQ(ParseFullCommandLine("\"C:\\Saver-Files\\my /t saver.scr\" /p 1234").parentWindow,
            1234u);
  EXPECT_EQ(ParseFullCommandLine("C:\\a-b\\g.scr /s").mode, RunMode::FullScreen);
  EXPECT_EQ(ParseFullCommandLine("C:/games/g.scr").mode, RunMode::Settings);
  EXPECT_EQ(ParseFullCommandLine("  g.scr   /c:42").parentWindow, 42u);
  EXPECT_EQ(ParseFullCommandLine("\"unterminated /s").mode, RunMode::Settings);
}

TEST(CommandLine, DaemonOptionsComeBeforeTheSwitchRule) {
  const CommandLine root = Parse({"-root"});
  EXPECT_EQ(root.mode, RunMode::FullScreen);  // not switch r
  EXPECT_TRUE(root.root);
  EXPECT_FALSE(root.windowId);
  EXPECT_EQ(Parse({"--root"}).mode, RunMode::FullScreen);

  const CommandLine window = Parse({"-window"});
  EXPECT_EQ(window.mode, RunMode::Test);  // not switch w

  const CommandLine fps = Parse({"-root", "-fps"});
  EXPECT_TRUE(fps.fps);
  EXPECT_EQ(fps.mode, RunMode::FullScreen);
  EXPECT_FALSE(Parse({"/s"}).fps);

  // Modifiers leave the switch rule to the rest.
  const CommandLine noVsync = Parse({"--no-vsync", "/p", "5"});
  EXPECT_FALSE(noVsync.vsync);
  EXPECT_EQ(noVsync.mode, RunMode::Preview);
  EXPECT_EQ(noVsync.parentWindow, 5u);
  EXPECT_TRUE(Parse({"/s"}).vsync);
}

TEST(CommandLine, WindowIdInHexOrDecimal) {
  const CommandLine hex = Parse({"-window-id", "0x1a2b"});
  EXPECT_EQ(hex.mode, RunMode::Preview);
  EXPECT_TRUE(hex.windowId);
  EXPECT_EQ(hex.parentWindow, 0x1a2bu);
  EXPECT_EQ(Parse({"--window-id", "0X1A2B"}).parentWindow, 0x1a2bu);
  EXPECT_EQ(Parse({"-window-id", "6699"}).parentWindow, 6699u);
  EXPECT_EQ(Parse({"-window-id=0x10"}).parentWindow, 16u);

  for (const auto& args :
       {std::vector<std::string>{"-window-id"}, std::vector<std::string>{"-window-id", "0xzz"},
        std::vector<std::string>{"-window-id", "0"},
        std::vector<std::string>{"-window-id", "0x"}}) {
    const CommandLine bad = Parse(args);
    EXPECT_FALSE(bad.error.empty()) << args.back();
    EXPECT_FALSE(bad.windowId);
  }
}

TEST(CommandLine, XScreenSaverWindowFromTheEnvironment) {
  const CommandLine withRoot = Parse({"-root"}, "0x3e00007");
  EXPECT_EQ(withRoot.mode, RunMode::Preview);
  EXPECT_TRUE(withRoot.windowId);
  EXPECT_TRUE(withRoot.root);
  EXPECT_EQ(withRoot.parentWindow, 0x3e00007u);

  EXPECT_EQ(Parse({}, "0x10").parentWindow, 16u);
  EXPECT_TRUE(Parse({"-fps"}, "4096").windowId);
  // An explicit window id wins; -window and a screen-saver switch ignore it.
  EXPECT_EQ(Parse({"-root", "-window-id", "0x20"}, "0x10").parentWindow, 0x20u);
  EXPECT_EQ(Parse({"-window"}, "0x10").mode, RunMode::Test);
  const CommandLine sw = Parse({"/s"}, "0x10");
  EXPECT_EQ(sw.mode, RunMode::FullScreen);
  EXPECT_FALSE(sw.windowId);
  // Empty is unset; junk is reported.
  EXPECT_EQ(Parse({"-root"}, "").mode, RunMode::FullScreen);
  EXPECT_FALSE(Parse({"-root"}, "nope").error.empty());
}

}  // namespace
}  // namespace glimmer
