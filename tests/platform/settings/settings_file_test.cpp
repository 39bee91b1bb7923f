#include "platform/settings/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace glimmer {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("glimmer_settings_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  static std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  static void WriteAll(const fs::path& p, std::string_view text) {
    std::ofstream out(p, std::ios::binary);
    out.write(text.data(), long(text.size()));
  }
  fs::path dir_;
};

EnvironmentLookup FakeEnvironment(std::map<std::string, std::string> vars) {
  return [vars](std::string_view name) -> std::optional<std::string> {
    const auto it = vars.find(std::string(name));
    if (it == vars.end()) return std::nullopt;
    return it->second;
  };
}

TEST(SettingsFilePath, XdgConfigHomeThenHome) {
  EXPECT_EQ(SettingsFilePath(FakeEnvironment({{"XDG_CONFIG_HOME", "/x/cfg"}, {"HOME", "/home/u"}})),
            fs::path("/x/cfg/glimmerframe/settings.ini"));
  EXPECT_EQ(SettingsFilePath(FakeEnvironment({{"HOME", "/home/u"}})),
            fs::path("/home/u/.config/glimmerframe/settings.ini"));
  // Empty or relative XDG_CONFIG_HOME counts as unset.
  EXPECT_EQ(SettingsFilePath(FakeEnvironment({{"XDG_CONFIG_HOME", ""}, {"HOME", "/h"}})),
            fs::path("/h/.config/glimmerframe/settings.ini"));
  EXPECT_EQ(SettingsFilePath(FakeEnvironment({{"XDG_CONFIG_HOME", "rel"}, {"HOME", "/h"}})),
            fs::path("/h/.config/glimmerframe/settings.ini"));
  EXPECT_FALSE(SettingsFilePath(FakeEnvironment({})).has_value());
}

TEST(SettingsFileParse, SectionsEntriesAndAnyCase) {
  const SettingsFile f = SettingsFile::Parse(
      "\xEF\xBB\xBF; made by hand\r\n"
      "[Screensaver]\r\n"
      "  PicPos =  1  \r\n"
      "SoundVolume=40\n"
      "SoundVolume=45\n"
      "[Screen 2]\n"
      "Leave Black = 1\n"
      "[screensaver]\n"
      "MuteSound=1\n");
  EXPECT_EQ(f.Get("Screensaver", "PicPos"), "1");
  EXPECT_EQ(f.Get("SCREENSAVER", "picpos"), "1");
  EXPECT_EQ(f.Get("Screensaver", "SoundVolume"), "45");  // the last one counts
  EXPECT_EQ(f.Get("Screensaver", "MuteSound"), "1");     // a repeated section is the same one
  EXPECT_EQ(f.Get("Screen 2", "Leave Black"), "1");
  EXPECT_FALSE(f.Get("Screen 2", "PicPos").has_value());
  EXPECT_FALSE(f.Get("Screen 3", "Leave Black").has_value());
  EXPECT_EQ(f.Sections(), (std::vector<std::string>{"Screensaver", "Screen 2"}));
  EXPECT_EQ(f.droppedLines(), 0u);
}

TEST(SettingsFileParse, DamagedLinesAreDropped) {
  const std::string junk =
      "[Screensaver]\nPicPos=1\n\x01\x02\xff=3\nno equals sign\n[unclosed\n"
      "[]\n=value only\nSound\0Volume=7\nSoundBalance=20\n"s;
  const SettingsFile f = SettingsFile::Parse(junk);
  EXPECT_EQ(f.Get("Screensaver", "PicPos"), "1");
  EXPECT_EQ(f.Get("Screensaver", "SoundBalance"), "20");
  EXPECT_FALSE(f.Get("Screensaver", "SoundVolume").has_value());
  EXPECT_EQ(f.droppedLines(), 6u);
  EXPECT_EQ(f.Serialize().find('\x01'), std::string::npos);
  EXPECT_EQ(f.Serialize().find("no equals"), std::string::npos);
}

TEST(SettingsFileEdit, SetReplacesAppendsAndKeepsTheRest) {
  SettingsFile f = SettingsFile::Parse(
      "# top comment\n[Screensaver]\nFutureKey = keep me\npicpos=0\nPicPos=1\n\n[Other]\nx=y\n");
  EXPECT_TRUE(f.Set("Screensaver", "PicPos", "2"));
  EXPECT_TRUE(f.Set("Screensaver", "SoundVolume", "80"));
  EXPECT_TRUE(f.Set("Screen 1", "Width", "1024"));
  EXPECT_EQ(f.Serialize(),
            "# top comment\n[Screensaver]\nFutureKey=keep me\nPicPos=2\nSoundVolume=80\n\n"
            "[Other]\nx=y\n\n[Screen 1]\nWidth=1024\n");
  EXPECT_TRUE(f.Remove("screensaver", "futurekey"));
  EXPECT_FALSE(f.Remove("Screensaver", "FutureKey"));
  EXPECT_FALSE(f.Get("Screensaver", "FutureKey").has_value());
}

TEST(SettingsFileEdit, RejectsWhatTheFormatCannotHold) {
  SettingsFile f;
  EXPECT_FALSE(f.Set("Screensaver", "a=b", "1"));
  EXPECT_FALSE(f.Set("Screensaver", "", "1"));
  EXPECT_FALSE(f.Set("Screensaver", "[x", "1"));
  EXPECT_FALSE(f.Set("Screensaver", "#x", "1"));
  EXPECT_FALSE(f.Set("Screensaver", "Key", "two\nlines"));
  EXPECT_FALSE(f.Set("Screensaver", "Key", " padded"));
  EXPECT_FALSE(f.Set("Bad]Name", "Key", "1"));
  EXPECT_FALSE(f.Set("", "Key", "1"));
  EXPECT_EQ(f.Serialize(), "");
  // Whatever Set accepts reads back the same.
  EXPECT_TRUE(f.Set("Screen 1", "Adapter ID", "{A = B; C}"));
  EXPECT_EQ(SettingsFile::Parse(f.Serialize()).Get("Screen 1", "Adapter ID"), "{A = B; C}");
}

TEST_F(SettingsFileTest, SaveCreatesTheFolderAndLeavesNoTemporary) {
  const fs::path path = dir_ / "deep" / "glimmerframe" / "settings.ini";
  SettingsFile f;
  ASSERT_TRUE(f.Set("Screensaver", "PicPos", "1"));
  std::string error;
  ASSERT_TRUE(f.Save(path, &error)) << error;
  EXPECT_EQ(ReadAll(path), "[Screensaver]\nPicPos=1\n");
  EXPECT_FALSE(fs::exists(path.string() + ".tmp"));
  EXPECT_EQ(SettingsFile::Load(path).Get("Screensaver", "PicPos"), "1");
}

TEST_F(SettingsFileTest, SaveReplacesAStaleTemporaryAndTheOldFile) {
  const fs::path path = dir_ / "settings.ini";
  WriteAll(path, "[Screensaver]\nPicPos=0\n");
  WriteAll(dir_ / "settings.ini.tmp", "left over from a crash, much longer than the new file\n");
  SettingsFile f = SettingsFile::Load(path);
  ASSERT_TRUE(f.Set("Screensaver", "PicPos", "2"));
  ASSERT_TRUE(f.Save(path));
  EXPECT_EQ(ReadAll(path), "[Screensaver]\nPicPos=2\n");
  EXPECT_FALSE(fs::exists(dir_ / "settings.ini.tmp"));
}

TEST_F(SettingsFileTest, FailedSaveKeepsTheOldFile) {
  // The temporary cannot be created where a folder of its name stands.
  const fs::path path = dir_ / "settings.ini";
  WriteAll(path, "[Screensaver]\nPicPos=0\n");
  fs::create_directories(dir_ / "settings.ini.tmp" / "blocker");
  SettingsFile f;
  ASSERT_TRUE(f.Set("Screensaver", "PicPos", "2"));
  std::string error;
  EXPECT_FALSE(f.Save(path, &error));
  EXPECT_NE(error.find("settings.ini.tmp"), std::string::npos) << error;
  EXPECT_EQ(ReadAll(path), "[Screensaver]\nPicPos=0\n");
}

TEST_F(SettingsFileTest, FailedRenameRemovesTheTemporary) {
  // A non-empty folder at the file's path cannot be replaced by a file.
  const fs::path path = dir_ / "settings.ini";
  fs::create_directories(path / "blocker");
  SettingsFile f;
  ASSERT_TRUE(f.Set("Screensaver", "PicPos", "2"));
  std::string error;
  EXPECT_FALSE(f.Save(path, &error));
  EXPECT_NE(error.find("cannot replace"), std::string::npos) << error;
  EXPECT_FALSE(fs::exists(dir_ / "settings.ini.tmp"));
  EXPECT_TRUE(fs::is_directory(path / "blocker"));
}

TEST_F(SettingsFileTest, MissingUnreadableOrHugeFilesAreEmpty) {
  EXPECT_TRUE(SettingsFile::Load(dir_ / "absent.ini").Sections().empty());
  EXPECT_TRUE(SettingsFile::Load(dir_).Sections().empty());  // a folder
  const fs::path huge = dir_ / "huge.ini";
  WriteAll(huge, "[Screensaver]\nPicPos=1\n" + std::string(SettingsFile::kMaxFileBytes, '#'));
  EXPECT_FALSE(SettingsFile::Load(huge).Get("Screensaver", "PicPos").has_value());
}

}  // namespace
}  // namespace glimmer
