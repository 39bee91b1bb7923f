// What ends the saver, which displays draw in which mode, the player's own
// words on a saver command line, and the error box's drift.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "host/adapters.h"
#include "host/error_box.h"
#include "host/input_policy.h"
#include "host/saver_arguments.h"

namespace glimmer {
namespace {

TEST(InterruptPolicy, TheSixthNewMousePositionEndsFullScreen) {
  InterruptPolicy p(RunMode::FullScreen, false);
  EXPECT_FALSE(p.OnInput(HostInput::MouseMove, 3, 3))
      << "where the pointer was when the window appeared";
  EXPECT_EQ(p.MouseMoves(), 0);
  for (int i = 0; i < 5; ++i)
    EXPECT_FALSE(p.OnInput(HostInput::MouseMove, 10 * i, 7)) << "move " << i + 1;
  EXPECT_FALSE(p.OnInput(HostInput::MouseMove, 40, 7)) << "the last position again is not counted";
  EXPECT_EQ(p.MouseMoves(), 5);
  EXPECT_TRUE(p.OnInput(HostInput::MouseMove, 41, 7));
}

TEST(InterruptPolicy, WhatEachModeListensTo) {
  for (HostInput input :
       {HostInput::Key, HostInput::Button, HostInput::FocusLost, HostInput::Suspend}) {
    EXPECT_TRUE(InterruptPolicy(RunMode::FullScreen, false).OnInput(input));
    EXPECT_FALSE(InterruptPolicy(RunMode::Test, false).OnInput(input)) << "test mode ignores input";
    EXPECT_FALSE(InterruptPolicy(RunMode::Preview, false).OnInput(input));
    EXPECT_FALSE(InterruptPolicy(RunMode::FullScreen, true).OnInput(input))
        << "-root: the daemon decides";
  }
  InterruptPolicy test(RunMode::Test, false);
  for (int i = 0; i < 20; ++i) EXPECT_FALSE(test.OnInput(HostInput::MouseMove, i, i));
  EXPECT_TRUE(test.OnInput(HostInput::WindowClosed)) << "closing the test window ends it";
  EXPECT_TRUE(InterruptPolicy(RunMode::Preview, false).OnInput(HostInput::WindowClosed));
  EXPECT_FALSE(InterruptPolicy(RunMode::FullScreen, false).OnInput(HostInput::WindowClosed))
      << "full screen swallows the close command";
  EXPECT_TRUE(InterruptPolicy(RunMode::FullScreen, false).OnInput(HostInput::Quit));
  EXPECT_TRUE(InterruptPolicy(RunMode::Test, false).OnInput(HostInput::Quit))
      << "a signal ends every mode";
}

TEST(DisplayModes, UsableModesAndTheChoiceAmongThem) {
  const std::vector<DisplayModeInfo> offered = {{1920, 1080, 32}, {640, 399, 32}, {640, 400, 32},
                                                {1024, 768, 16},  {800, 600, 24}, {1920, 1080, 24},
                                                {1280, 720, 32}};
  const std::vector<DisplayModeInfo> usable = UsableModes(offered);
  ASSERT_EQ(usable.size(), 4u);
  EXPECT_EQ(usable[0], (DisplayModeInfo{640, 400, 32})) << "640 x 400 is offered, 640 x 399 is not";
  EXPECT_EQ(usable[1], (DisplayModeInfo{800, 600, 32}));
  EXPECT_EQ(usable[3], (DisplayModeInfo{1920, 1080, 32})) << "one per size, sorted";
  const DisplayModeInfo desktop{1280, 720, 32};
  ScreenSettings automatic;
  EXPECT_EQ(ChooseMode(automatic, usable, desktop, false), desktop);
  EXPECT_EQ(ChooseMode(automatic, usable, desktop, true), usable.front())
      << "software: the smallest";
  ScreenSettings stored;
  stored.width = 800;
  stored.height = 600;
  stored.format = 22;
  EXPECT_EQ(ChooseMode(stored, usable, desktop, false), (DisplayModeInfo{800, 600, 32}));
  stored.width = 1600;
  stored.height = 900;
  EXPECT_EQ(ChooseMode(stored, usable, desktop, false), desktop)
      << "a mode no longer offered: automatic";
  EXPECT_EQ(ChooseMode(automatic, usable, {3840, 2160, 32}, false), usable.back())
      << "else the largest";
}

TEST(DisplayModes, StoredChoicesBelongToTheirDisplay) {
  DisplayInfo first{0, "DP-1", 0, 0, 1920, 1080, {}, {}};
  DisplayInfo second{1, "HDMI-1", 1920, 0, 1280, 1024, {}, {}};
  EXPECT_NE(DisplayIdentifier(first), DisplayIdentifier(second));
  EXPECT_EQ(DisplayIdentifier(first), DisplayIdentifier(first));
  SaverSettings settings;
  ScreenSettings& s = settings.screens[2];
  s.adapterId = DisplayIdentifier(first);  // made on another display
  s.leaveBlack = true;
  s.disableHardware = true;
  s.width = 800;
  s.height = 600;
  const ScreenSettings applied = SettingsForDisplay(settings, second);
  EXPECT_TRUE(applied.leaveBlack) << "leave black applies whatever the display";
  EXPECT_FALSE(applied.disableHardware) << "the rest only on the display it was made on";
  EXPECT_TRUE(applied.AutomaticMode());
  settings.screens[2].adapterId = DisplayIdentifier(second);
  EXPECT_TRUE(SettingsForDisplay(settings, second).disableHardware);

  std::vector<ScreenSettings> screens(3);
  screens[0].leaveBlack = true;
  EXPECT_EQ(DisplaysThatDraw(screens, true), (std::vector<bool>{true, false, false}))
      << "one screen only: the best display draws, the others stay black";
  EXPECT_EQ(DisplaysThatDraw(screens, false), (std::vector<bool>{false, true, true}));
}

TEST(DisplayModes, RendererKindsAndTheFrameRateLine) {
  EXPECT_TRUE(IsSoftwareRenderer("llvmpipe (LLVM 15.0.6, 256 bits)"));
  EXPECT_TRUE(IsSoftwareRenderer("softpipe"));
  EXPECT_FALSE(IsSoftwareRenderer("NVIDIA H100/PCIe/SSE2"));
  EXPECT_EQ(DeviceDescription("Mesa Intel(R) UHD"), "HAL (hw vp): Mesa Intel(R) UHD");
  EXPECT_EQ(DeviceDescription("llvmpipe (LLVM 15)"), "SW (simulated hw vp)");
  FrameStats stats;
  for (int i = 0; i <= 50; ++i) stats.Frame(i * 0.02, 1920, 1080);
  EXPECT_EQ(stats.Text(), "50.00 fps (1920x1080x32)");
}

TEST(SaverArguments, OptionsAndTheShowFileComeOutBeforeTheSwitches) {
  const auto file = std::filesystem::temp_directory_path() / "glimmer_args_show.dds";
  std::ofstream(file) << "x";
  std::string error;
  auto a = SplitSaverArguments(
      {file.string(), "--position", "fit", "-root", "--volume=40", "--mute"}, error);
  ASSERT_TRUE(a) << error;
  EXPECT_EQ(a->file, file);
  EXPECT_EQ(a->picturePosition, 1);
  EXPECT_EQ(a->volume, 40);
  EXPECT_TRUE(a->mute);
  EXPECT_EQ(a->rest, (std::vector<std::string>{"-root"}));
  a = SplitSaverArguments({"/p", "1234"}, error);
  ASSERT_TRUE(a);
  EXPECT_FALSE(a->file) << "neither word names a file";
  EXPECT_EQ(a->rest.size(), 2u);
  EXPECT_FALSE(SplitSaverArguments({"--volume", "101"}, error));
  EXPECT_NE(error.find("0 to 100"), std::string::npos);
  EXPECT_FALSE(SplitSaverArguments({"--position", "centre"}, error));
  EXPECT_FALSE(SplitSaverArguments({"--max-frames"}, error)) << "a missing value";
  std::filesystem::remove(file);
}

TEST(ErrorBox, DriftsAndBouncesInsideTheScreen) {
  ErrorBox box;
  box.Start(1000, 600, false);
  EXPECT_FLOAT_EQ(box.x, 350);
  EXPECT_FLOAT_EQ(box.y, 225);
  EXPECT_FLOAT_EQ(box.vx, 100) << "a tenth of the width a second";
  EXPECT_FLOAT_EQ(box.vy, 30);
  bool bounced = false;
  for (int i = 0; i < 2000; ++i) {
    box.Step(0.05f);
    ASSERT_GE(box.x, 0);
    ASSERT_LE(box.x + box.width, 1000);
    ASSERT_GE(box.y, 0);
    ASSERT_LE(box.y + box.height, 600);
    bounced = bounced || box.vx < 0;
  }
  EXPECT_TRUE(bounced);
  ErrorBox preview;
  preview.Start(152, 112, true);
  EXPECT_EQ(preview.width, 152);
  EXPECT_FALSE(preview.Step(1.0f)) << "the preview's box fills the window and stays";
  // Ten pixels a character: no line wider than 150 unless it is one word.
  const auto measure = [](const std::string& s) { return float(s.size()) * 10; };
  const auto lines = WrapText("Could not find any compatible Direct3D devices.", 150, measure);
  ASSERT_EQ(lines.size(), 4u);
  for (const auto& l : lines) EXPECT_LE(measure(l), 150) << l;
  EXPECT_EQ(WrapText("a b averyveryverylongword c", 50, measure),
            (std::vector<std::string>{"a b", "averyveryverylongword", "c"}));
  std::string joined;
  for (const auto& l : lines) joined += (joined.empty() ? "" : " ") + l;
  EXPECT_EQ(joined, "Could not find any compatible Direct3D devices.") << "no word lost";
}

}  // namespace
}  // namespace glimmer
