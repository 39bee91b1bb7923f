#include <gtest/gtest.h>
#include <imgui.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>

#include "host/display_dialog.h"
#include "host/settings_dialog.h"
#include "host/sound_dialog.h"

namespace glimmer {
namespace {

namespace fs = std::filesystem;

MonitorChoice Monitor(int screen, bool hardware, bool software) {
  MonitorChoice m;
  m.screen = screen;
  m.adapterName = "Adapter " + std::to_string(screen);
  m.hasHardware = hardware;
  m.hasSoftware = software;
  m.modes = {{640, 480, 22}, {800, 600, 23}, {1024, 768, 20}};
  return m;
}

// ---- Sound dialog ----

TEST(SoundDialog, TrackbarIsTheMirrorOfTheStoredVolume) {
  for (const int volume : {0, 37, 100}) {
    SaverSettings stored;
    stored.soundVolume = volume;
    stored.muteSound = volume == 37;
    const SoundDialog dialog(stored);
    EXPECT_EQ(dialog.trackbarPosition(), 100 - volume);
    EXPECT_EQ(dialog.mute(), volume == 37);
  }
}

TEST(SoundDialog, TopStoresLoudestAndBottomSilenceOnlyTouchingSound) {
  SaverSettings settings;
  settings.picturePosition = PicturePosition::Fit;
  settings.soundBalance = 20;
  settings.soundVolume = 55;
  SoundDialog dialog(settings);

  dialog.SetTrackbarPosition(SoundDialog::kTrackbarMin);  // the top
  dialog.SetMute(true);
  dialog.StoreTo(settings);
  EXPECT_EQ(settings.soundVolume, 100);
  EXPECT_TRUE(settings.muteSound);

  dialog.SetTrackbarPosition(SoundDialog::kTrackbarMax);  // the bottom
  dialog.StoreTo(settings);
  EXPECT_EQ(settings.soundVolume, 0);

  // Positions past the ends stay on the trackbar.
  dialog.SetTrackbarPosition(-5);
  EXPECT_EQ(dialog.volume(), 100);
  dialog.SetTrackbarPosition(180);
  EXPECT_EQ(dialog.volume(), 0);

  EXPECT_EQ(settings.picturePosition, PicturePosition::Fit);
  EXPECT_EQ(settings.soundBalance, 20);
}

// ---- Display dialog ----

TEST(DisplayDialog, ModeListShowsAutomaticThenModesWithTheirColourDepth) {
  MonitorChoice m = Monitor(1, true, true);
  m.modes = {{640, 400, 19}, {640, 480, 20}, {800, 600, 22}, {1024, 768, 23}};
  const std::vector<std::string> texts = DisplayDialog::ModeListTexts(m);
  const std::vector<std::string> expected{"Automatic", "640 by 400, 16 bit color",
                                          "640 by 480, 32 bit color", "800 by 600, 32 bit color",
                                          "1024 by 768, 16 bit color"};
  EXPECT_EQ(texts, expected);
}

TEST(DisplayDialog, SelectionFollowsTheStoredModeAndFallsBackToAutomatic) {
  DisplayChoices choices{{Monitor(1, true, true)}, false};
  MonitorChoice& m = choices.monitors[0];
  EXPECT_EQ(DisplayDialog::ModeSelection(m), 0);  // nothing stored

  m.settings.width = 1024, m.settings.height = 768, m.settings.format = 20;
  EXPECT_EQ(DisplayDialog::ModeSelection(m), 3);
  m.settings.format = 22;  // the size is offered, not at that depth
  EXPECT_EQ(DisplayDialog::ModeSelection(m), 0);
  m.settings.width = 1920, m.settings.height = 1080;  // no longer offered
  EXPECT_EQ(DisplayDialog::ModeSelection(m), 0);

  DisplayDialog dialog(choices, true);
  dialog.SelectMode(0, 2);
  EXPECT_EQ(m.settings.width, 800u);
  EXPECT_EQ(m.settings.height, 600u);
  EXPECT_EQ(m.settings.format, 23u);
  EXPECT_EQ(DisplayDialog::ModeSelection(m), 2);
  dialog.SelectMode(0, 0);
  EXPECT_TRUE(m.settings.AutomaticMode());
}

TEST(DisplayDialog, SummarySaysWhatTheMonitorWillUse) {
  const std::string hardware = "The screen saver can use hardware 3D rendering on this monitor.";
  const std::string software = "The screen saver can use software 3D rendering on this monitor.";
  const std::string none = "The screen saver cannot be displayed on this monitor.";
  struct Case {
    bool hardware, software, disabled;
    int id;
    const std::string& text;
  };
  const Case cases[] = {
      {true, true, false, 2210, hardware}, {true, false, false, 2210, hardware},
      {true, true, true, 2211, software},  {false, true, false, 2211, software},
      {true, false, true, 2212, none},     {false, false, false, 2212, none},
  };
  for (const Case& c : cases) {
    MonitorChoice m = Monitor(1, c.hardware, c.software);
    m.settings.disableHardware = c.disabled;
    const DialogString summary = DisplayDialog::RenderingSummary(m);
    EXPECT_EQ(summary.id, c.id) << c.hardware << c.software << c.disabled;
    EXPECT_EQ(summary.text, c.text);
  }
}

TEST(DisplayDialog, HelpDependsOnWhatIsUsableAndOnlyThen) {
  std::map<int, std::string> seen;
  for (int bits = 0; bits < 16; ++bits) {
    MonitorChoice m = Monitor(1, bits & 1, bits & 2);
    m.hasReference = bits & 4;
    m.settings.disableHardware = bits & 8;
    const DialogString help = DisplayDialog::HelpText(m);
    EXPECT_GE(help.id, 2200);
    EXPECT_LE(help.id, 2209);
    EXPECT_FALSE(help.text.empty());
    // One text per id.
    const auto [it, added] = seen.emplace(help.id, std::string(help.text));
    EXPECT_EQ(it->second, help.text);
  }
  MonitorChoice m = Monitor(1, true, true);
  const int inUse = DisplayDialog::HelpText(m).id;
  m.settings.disableHardware = true;
  EXPECT_NE(DisplayDialog::HelpText(m).id, inUse);  // turning hardware off is explained
  // Without hardware the switch changes nothing, so neither does the help.
  MonitorChoice soft = Monitor(1, false, true);
  const int softHelp = DisplayDialog::HelpText(soft).id;
  soft.settings.disableHardware = true;
  EXPECT_EQ(DisplayDialog::HelpText(soft).id, softHelp);
  EXPECT_NE(softHelp, inUse);
}

TEST(DisplayDialog, OnePageUnlessSeveralMonitorsAreUsed) {
  DisplayChoices none;
  EXPECT_EQ(DisplayDialog(none, false).pageCount(), 0);

  DisplayChoices one{{Monitor(1, true, true)}, false};
  DisplayDialog single(one, false);
  EXPECT_FALSE(single.tabbed());
  EXPECT_EQ(single.pageCount(), 1);

  DisplayChoices two{{Monitor(1, true, true), Monitor(2, false, true)}, false};
  DisplayDialog shared(two, true);
  EXPECT_FALSE(shared.tabbed());
  EXPECT_EQ(shared.pageCount(), 1);
  EXPECT_EQ(shared.page(0).screen, 1);

  DisplayDialog tabs(two, false);
  EXPECT_TRUE(tabs.tabbed());
  EXPECT_EQ(tabs.pageCount(), 2);
  EXPECT_EQ(DisplayDialog::TabText(0), "Monitor 1");
  EXPECT_EQ(DisplayDialog::TabText(1), "Monitor 2");
}

TEST(DisplayDialog, CancelRestoresTheCopiesAndOkKeepsTheEdits) {
  DisplayChoices choices{{Monitor(1, true, true), Monitor(2, true, false)}, false};
  choices.monitors[1].settings.width = 640, choices.monitors[1].settings.height = 480;
  choices.monitors[1].settings.format = 22;
  const DisplayChoices original = choices;

  const auto edit = [](DisplayDialog& d) {
    d.SelectMode(0, 3);
    d.SetDisableHardware(0, true);
    d.SetLeaveBlack(1, true);
    d.SelectMode(1, 0);
    d.SetReverseOrder(true);
  };
  {
    DisplayDialog dialog(choices, false);
    edit(dialog);
    EXPECT_NE(choices, original);  // edits are live
    dialog.Cancel();
    EXPECT_EQ(choices, original);
  }
  {
    DisplayDialog dialog(choices, false);
    edit(dialog);
    dialog.Ok();
    EXPECT_TRUE(choices.reverseOrder);
    EXPECT_TRUE(choices.monitors[0].settings.disableHardware);
    EXPECT_EQ(choices.monitors[0].settings.width, 1024u);
    EXPECT_TRUE(choices.monitors[1].settings.leaveBlack);
    EXPECT_TRUE(choices.monitors[1].settings.AutomaticMode());
  }
}

// ---- Settings dialog ----

class SettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("glimmer_settings_dialog_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = dir_ / "settings.ini";
  }
  void TearDown() override { fs::remove_all(dir_); }

  void WriteFile(const std::string& text) { std::ofstream(path_) << text; }
  std::string FileText() const {
    std::ifstream in(path_);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  SettingsDialogInputs Inputs() const {
    SettingsDialogInputs in;
    in.settingsFile = path_;
    in.monitors = {Monitor(1, true, true), Monitor(2, false, true)};
    in.oneScreenOnly = false;
    in.openAddress = [](const std::string&, std::string*) { return true; };
    return in;
  }

  fs::path dir_, path_;
};

TEST_F(SettingsDialogTest, OpensOnTheStoredValuesOrTheirDefaults) {
  {
    SettingsDialog dialog(Inputs());  // no file yet
    EXPECT_EQ(dialog.picturePosition(), PicturePosition::Fill);
    EXPECT_FALSE(dialog.displayChoices().reverseOrder);
    EXPECT_EQ(dialog.result(), DialogResult::Open);
  }
  WriteFile("[Screensaver]\nPicPos = 0\nAllScreensSame = 1\n");
  SettingsDialog dialog(Inputs());
  EXPECT_EQ(dialog.picturePosition(), PicturePosition::Stretch);
  EXPECT_TRUE(dialog.displayChoices().reverseOrder);
  EXPECT_EQ(dialog.displayChoices().monitors.size(), 2u);
}

TEST_F(SettingsDialogTest, OkStoresPictureAndDisplaySettingsAndKeepsTheRest) {
  WriteFile("[Screensaver]\nSoundVolume = 40\n; mine\n");
  SettingsDialog dialog(Inputs());
  dialog.SetPicturePosition(PicturePosition::Fit);
  DisplayDialog& display = dialog.OpenDisplayDialog();
  display.SelectMode(0, 1);
  display.SetLeaveBlack(1, true);
  display.SetReverseOrder(true);
  dialog.CloseDisplayDialog(DialogResult::Ok);
  ASSERT_TRUE(dialog.Ok()) << dialog.lastError();
  EXPECT_EQ(dialog.result(), DialogResult::Ok);

  const SaverSettings stored = SaverSettings::Read(path_);
  EXPECT_EQ(stored.picturePosition, PicturePosition::Fit);
  EXPECT_TRUE(stored.allScreensSame);
  EXPECT_EQ(stored.soundVolume, 40);
  ASSERT_EQ(stored.screens.count(1), 1u);
  EXPECT_EQ(stored.screens.at(1).width, 640u);
  EXPECT_EQ(stored.screens.at(1).format, 22u);
  ASSERT_EQ(stored.screens.count(2), 1u);
  EXPECT_TRUE(stored.screens.at(2).leaveBlack);
  EXPECT_NE(FileText().find("; mine"), std::string::npos);
}

TEST_F(SettingsDialogTest, CancelLeavesTheFileAndDropsDisplayEdits) {
  WriteFile("[Screensaver]\nPicPos = 0\n");
  const std::string before = FileText();
  SettingsDialog dialog(Inputs());
  const DisplayChoices opened = dialog.displayChoices();
  dialog.SetPicturePosition(PicturePosition::Fill);
  DisplayDialog& display = dialog.OpenDisplayDialog();
  display.SetDisableHardware(0, true);
  dialog.CloseDisplayDialog(DialogResult::Ok);
  EXPECT_NE(dialog.displayChoices(), opened);
  dialog.Cancel();
  EXPECT_EQ(dialog.result(), DialogResult::Cancel);
  EXPECT_EQ(dialog.displayChoices(), opened);
  EXPECT_EQ(FileText(), before);
}

TEST_F(SettingsDialogTest, DisplayDialogCancelPutsBackItsOpeningState) {
  SettingsDialog dialog(Inputs());
  DisplayDialog& first = dialog.OpenDisplayDialog();
  first.SetLeaveBlack(0, true);
  dialog.CloseDisplayDialog(DialogResult::Ok);
  const DisplayChoices afterFirst = dialog.displayChoices();
  DisplayDialog& second = dialog.OpenDisplayDialog();
  second.SetLeaveBlack(0, false);
  second.SetReverseOrder(true);
  dialog.CloseDisplayDialog(DialogResult::Cancel);
  EXPECT_EQ(dialog.displayChoices(), afterFirst);
  EXPECT_EQ(dialog.displayDialog(), nullptr);
}

TEST_F(SettingsDialogTest, SoundOkStoresAtOnceAndOutlivesCancel) {
  WriteFile("[Screensaver]\nSoundVolume = 30\nPicPos = 1\n");
  SettingsDialog dialog(Inputs());
  SoundDialog& sound = dialog.OpenSoundDialog();
  EXPECT_EQ(sound.trackbarPosition(), 70);
  sound.SetTrackbarPosition(0);
  sound.SetMute(true);
  dialog.CloseSoundDialog(DialogResult::Ok);
  EXPECT_EQ(SaverSettings::Read(path_).soundVolume, 100);

  // Cancelled edits store nothing; the next opening sees the stored values.
  dialog.OpenSoundDialog().SetTrackbarPosition(100);
  dialog.CloseSoundDialog(DialogResult::Cancel);
  EXPECT_EQ(dialog.OpenSoundDialog().trackbarPosition(), 0);
  dialog.CloseSoundDialog(DialogResult::Cancel);

  dialog.SetPicturePosition(PicturePosition::Stretch);
  dialog.Cancel();
  const SaverSettings stored = SaverSettings::Read(path_);
  EXPECT_EQ(stored.soundVolume, 100);
  EXPECT_TRUE(stored.muteSound);
  EXPECT_EQ(stored.picturePosition, PicturePosition::Fit);
}

TEST_F(SettingsDialogTest, WebsiteAndCreditsAndFailures) {
  SettingsDialogInputs in = Inputs();
  std::string opened;
  in.openAddress = [&](const std::string& address, std::string* error) {
    opened = address;
    *error = "no browser";
    return false;
  };
  SettingsDialog dialog(in);
  EXPECT_EQ(dialog.credits(), kDefaultCredits);
  dialog.OpenWebsite();
  EXPECT_EQ(opened, kWebsiteAddress);
  EXPECT_NE(dialog.lastError().find("no browser"), std::string::npos);

  in.credits = "Pictures by someone";
  in.settingsFile = dir_ / "a-file" / "settings.ini";  // its folder cannot be made
  std::ofstream(dir_ / "a-file") << "x";
  SettingsDialog unwritable(in);
  EXPECT_EQ(unwritable.credits(), "Pictures by someone");
  EXPECT_FALSE(unwritable.Ok());
  EXPECT_EQ(unwritable.result(), DialogResult::Open);  // stays open to show why
  EXPECT_FALSE(unwritable.lastError().empty());
}

// ---- The dialog in a window ----

bool HaveDisplay() {
  return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
}

TEST_F(SettingsDialogTest, WindowRunsItsDialogsAndEndsWithOk) {
  if (!HaveDisplay()) GTEST_SKIP() << "no DISPLAY: the dialog window is checked under Xvfb";
  SettingsDialogInputs in = Inputs();
  int frames = 0;
  bool soundShown = false, displayShown = false, closed = false;
  const auto anyPopup = [] {
    return ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId | ImGuiPopupFlags_AnyPopupLevel);
  };
  in.onFrame = [&](SettingsDialog& dialog, int frame) {
    frames = frame + 1;
    if (frame == 1) dialog.OpenSoundDialog();
    if (frame == 4) {
      soundShown = anyPopup();  // the drawing opened the model's dialog
      dialog.soundDialog()->SetTrackbarPosition(25);
      dialog.CloseSoundDialog(DialogResult::Ok);
    }
    if (frame == 5) dialog.OpenDisplayDialog().SetReverseOrder(true);
    if (frame == 8) {
      displayShown = anyPopup();
      dialog.CloseDisplayDialog(DialogResult::Ok);
    }
    if (frame == 9) {
      closed = !anyPopup();
      dialog.SetPicturePosition(PicturePosition::Stretch);
      dialog.Ok();
    }
  };
  EXPECT_EQ(RunSettingsDialog(in), 1);
  EXPECT_EQ(frames, 10);
  EXPECT_TRUE(soundShown);
  EXPECT_TRUE(displayShown);
  EXPECT_TRUE(closed);
  const SaverSettings stored = SaverSettings::Read(path_);
  EXPECT_EQ(stored.soundVolume, 75);
  EXPECT_EQ(stored.picturePosition, PicturePosition::Stretch);
  EXPECT_TRUE(stored.allScreensSame);
}

TEST_F(SettingsDialogTest, WindowCancelStoresNothing) {
  if (!HaveDisplay()) GTEST_SKIP() << "no DISPLAY: the dialog window is checked under Xvfb";
  SettingsDialogInputs in = Inputs();
  in.onFrame = [](SettingsDialog& dialog, int frame) {
    dialog.SetPicturePosition(PicturePosition::Fit);
    if (frame == 2) dialog.Cancel();
  };
  EXPECT_EQ(RunSettingsDialog(in), 2);
  EXPECT_FALSE(fs::exists(path_));
}

// Sets an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST_F(SettingsDialogTest, NoDisplayIsAFailureWithAMessage) {
  const ScopedEnv display("DISPLAY", ":9999");
  const ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
  const ScopedEnv driver("SDL_VIDEODRIVER", "x11");
  ::testing::internal::CaptureStderr();
  const int result = RunSettingsDialog(Inputs());
  const std::string message = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(result, kSettingsDialogFailed);
  EXPECT_NE(message.find("cannot open the settings dialog"), std::string::npos) << message;
}

}  // namespace
}  // namespace glimmer
