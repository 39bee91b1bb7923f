#include "host/saver_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace glimmer {
namespace {

namespace fs = std::filesystem;

SaverSettings FromText(std::string_view text) {
  return SaverSettings::FromFile(SettingsFile::Parse(text));
}

TEST(SaverSettings, EmptyFileGivesTheDefaults) {
  const SaverSettings s = FromText("");
  EXPECT_EQ(s.picturePosition, PicturePosition::Fill);
  EXPECT_EQ(s.soundVolume, 100);
  EXPECT_EQ(s.soundBalance, 50);
  EXPECT_FALSE(s.muteSound);
  EXPECT_FALSE(s.allScreensSame);
  EXPECT_TRUE(s.screens.empty());
  EXPECT_EQ(s, SaverSettings{});
}

TEST(SaverSettings, ReadsEveryValue) {
  const SaverSettings s = FromText(
      "[Screensaver]\nPicPos=1\nSoundVolume=35\nSoundBalance=70\nMuteSound=1\n"
      "AllScreensSame=true\n"
      "[Screen 2]\nWidth=1920\nHeight=1080\nFormat=22\nLeave Black=1\nDisable Hardware=0\n"
      "Adapter ID={01234567-89AB-CDEF-0123-456789ABCDEF}\n");
  EXPECT_EQ(s.picturePosition, PicturePosition::Fit);
  EXPECT_EQ(s.soundVolume, 35);
  EXPECT_EQ(s.soundBalance, 70);
  EXPECT_TRUE(s.muteSound);
  EXPECT_TRUE(s.allScreensSame);
  ASSERT_EQ(s.screens.size(), 1u);
  const ScreenSettings& screen = s.screens.at(2);
  EXPECT_EQ(screen.width, 1920u);
  EXPECT_EQ(screen.height, 1080u);
  EXPECT_EQ(screen.format, 22u);
  EXPECT_TRUE(screen.leaveBlack);
  EXPECT_FALSE(screen.disableHardware);
  EXPECT_FALSE(screen.AutomaticMode());
  ASSERT_TRUE(screen.adapterId.has_value());
  EXPECT_EQ(screen.adapterId->ToUtf8String(), "{01234567-89AB-CDEF-0123-456789ABCDEF}");
}

TEST(SaverSettings, OutOfRangeValuesAreClamped) {
  const SaverSettings high = FromText(
      "[Screensaver]\nPicPos=7\nSoundVolume=250\nSoundBalance=0x7fffffff\n"
      "[Screen 1]\nWidth=99999999999\n");
  EXPECT_EQ(high.picturePosition, PicturePosition::Fill);
  EXPECT_EQ(high.soundVolume, 100);
  EXPECT_EQ(high.soundBalance, 100);
  EXPECT_EQ(high.screens.at(1).width, 4294967295u);

  const SaverSettings low = FromText(
      "[Screensaver]\nPicPos=-1\nSoundVolume=-20\nSoundBalance=-1\n[Screen 1]\nHeight=-5\n");
  EXPECT_EQ(low.picturePosition, PicturePosition::Stretch);
  EXPECT_EQ(low.soundVolume, 0);
  EXPECT_EQ(low.soundBalance, 0);
  EXPECT_EQ(low.screens.at(1).height, 0u);
}

TEST(SaverSettings, BadValuesGiveTheirDefaults) {
  const SaverSettings s = FromText(
      "[Screensaver]\nPicPos=fit\nSoundVolume=loud\nSoundBalance=12.5\nMuteSound=maybe\n"
      "AllScreensSame=\n[Screen 1]\nAdapter ID={not a guid}\nWidth=wide\nLeave Black=2\n"
      "[Screen 10]\nWidth=640\n[Screen 0]\nWidth=640\n");
  EXPECT_EQ(s.picturePosition, PicturePosition::Fill);
  EXPECT_EQ(s.soundVolume, 100);
  EXPECT_EQ(s.soundBalance, 50);
  EXPECT_FALSE(s.muteSound);
  EXPECT_FALSE(s.allScreensSame);
  ASSERT_EQ(s.screens.size(), 1u);  // only monitors 1 to 9
  EXPECT_FALSE(s.screens.at(1).adapterId.has_value());
  EXPECT_EQ(s.screens.at(1).width, 0u);
  EXPECT_TRUE(s.screens.at(1).leaveBlack);  // any non-zero number is on
}

TEST(SaverSettings, NumberAndSwitchForms) {
  EXPECT_EQ(ParseSettingNumber(" 42 "), 42);
  EXPECT_EQ(ParseSettingNumber("-3"), -3);
  EXPECT_EQ(ParseSettingNumber("0x1F"), 31);
  EXPECT_EQ(ParseSettingNumber("-9223372036854775808"), INT64_MIN);
  EXPECT_FALSE(ParseSettingNumber("9223372036854775808").has_value());
  for (const char* bad : {"", "-", "+1", "1 2", "0x", "4e2", "--1"}) {
    EXPECT_FALSE(ParseSettingNumber(bad).has_value()) << bad;
  }
  EXPECT_EQ(ParseSettingBool("YES"), true);
  EXPECT_EQ(ParseSettingBool("off"), false);
  EXPECT_EQ(ParseSettingBool("0"), false);
  EXPECT_EQ(ParseSettingBool("-1"), true);
  EXPECT_FALSE(ParseSettingBool("yess").has_value());
}

TEST(SaverSettings, StoreAndReadBack) {
  SaverSettings s;
  s.picturePosition = PicturePosition::Stretch;
  s.soundVolume = 0;
  s.soundBalance = 100;
  s.muteSound = true;
  s.allScreensSame = true;
  ScreenSettings screen;
  screen.adapterId = Guid::Parse(std::string_view("{11111111-2222-3333-4444-555555555555}"));
  screen.disableHardware = true;
  screen.width = 800;
  screen.height = 600;
  screen.format = 23;
  s.screens[1] = screen;
  s.screens[3] = ScreenSettings{};
  SettingsFile file;
  s.StoreTo(file);
  EXPECT_EQ(SaverSettings::FromFile(SettingsFile::Parse(file.Serialize())), s);
  EXPECT_EQ(file.Get("Screensaver", "PicPos"), "0");
  EXPECT_EQ(file.Get("Screen 1", "Disable Hardware"), "1");
  EXPECT_FALSE(file.Get("Screen 3", "Adapter ID").has_value());

  // Values outside their ranges are stored clamped.
  s.soundVolume = 400;
  s.picturePosition = PicturePosition(9);
  s.StoreTo(file);
  EXPECT_EQ(file.Get("Screensaver", "SoundVolume"), "100");
  EXPECT_EQ(file.Get("Screensaver", "PicPos"), "2");
}

TEST(SaverSettings, WriteKeepsUnknownEntriesAndReadsBack) {
  const fs::path dir = fs::temp_directory_path() / "glimmer_saver_settings_write";
  fs::remove_all(dir);
  const fs::path path = dir / "glimmerframe" / "settings.ini";
  fs::create_directories(path.parent_path());
  {
    std::ofstream out(path);
    out << "; hand notes\n[Screensaver]\nNewerOption=abc\nSoundVolume=10\n[Plugins]\nx=1\n";
  }
  SaverSettings s = SaverSettings::Read(path);
  EXPECT_EQ(s.soundVolume, 10);
  s.soundVolume = 60;
  std::string error;
  ASSERT_TRUE(s.Write(path, &error)) << error;
  EXPECT_FALSE(fs::exists(path.string() + ".tmp"));

  const SettingsFile after = SettingsFile::Load(path);
  EXPECT_EQ(after.Get("Screensaver", "NewerOption"), "abc");
  EXPECT_EQ(after.Get("Plugins", "x"), "1");
  EXPECT_NE(after.Serialize().find("; hand notes"), std::string::npos);
  EXPECT_EQ(SaverSettings::Read(path), s);
  fs::remove_all(dir);
}

TEST(SaverSettings, DamagedFileGivesTheDefaults) {
  const fs::path dir = fs::temp_directory_path() / "glimmer_saver_settings_damaged";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path path = dir / "settings.ini";
  {
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < 4096; ++i) out.put(char((i * 7919) & 0xFF));
  }
  EXPECT_EQ(SaverSettings::Read(path), SaverSettings{});
  EXPECT_EQ(SaverSettings::Read(dir / "missing.ini"), SaverSettings{});
  fs::remove_all(dir);
}

TEST(SaverSettings, VolumeMappings) {
  EXPECT_EQ(SoundOutputVolume(100, false), 0);
  EXPECT_EQ(SoundOutputVolume(0, false), -5000);
  EXPECT_EQ(SoundOutputVolume(50, false), -2500);
  EXPECT_EQ(SoundOutputVolume(100, true), -10000);
  EXPECT_EQ(MusicVolume(100, false), 0);
  EXPECT_EQ(MusicVolume(0, false), -4000);
  EXPECT_EQ(MusicVolume(75, false), -1000);
  EXPECT_EQ(MusicVolume(40, true), -10000);
}

}  // namespace
}  // namespace glimmer
