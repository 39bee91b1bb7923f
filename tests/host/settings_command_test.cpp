#include "host/settings_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/saver_settings.h"

namespace glimmer {
namespace {

namespace fs = std::filesystem;

class ConfigCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("glimmer_config_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    path_ = dir_ / "glimmerframe" / "settings.ini";
  }
  void TearDown() override { fs::remove_all(dir_); }

  int Run(std::vector<std::string> args) {
    out_.str("");
    err_.str("");
    return RunSettingsCommand(args, path_, out_, err_);
  }
  std::string Get(const std::string& name) {
    EXPECT_EQ(Run({"get", name}), 0) << err_.str();
    return out_.str();
  }

  fs::path dir_;
  std::optional<fs::path> path_;
  std::ostringstream out_, err_;
};

TEST_F(ConfigCommand, GetGivesDefaultsWhenUnset) {
  EXPECT_EQ(Get("PicPos"), "2\n");
  EXPECT_EQ(Get("SoundVolume"), "100\n");
  EXPECT_EQ(Get("soundbalance"), "50\n");
  EXPECT_EQ(Get("MuteSound"), "0\n");
  EXPECT_EQ(Get("Screen 4/Leave Black"), "0\n");
  EXPECT_EQ(Get("Screen 4/Adapter ID"), "\n");
  EXPECT_FALSE(fs::exists(*path_));  // reading creates nothing
}

TEST_F(ConfigCommand, SetWritesAndGetReadsBack) {
  EXPECT_EQ(Run({"set", "SoundVolume", "35"}), 0) << err_.str();
  EXPECT_EQ(Run({"set", "picpos", "Fit"}), 0) << err_.str();
  EXPECT_EQ(Run({"set", "MuteSound", "yes"}), 0) << err_.str();
  EXPECT_EQ(Run({"set", "screen 2/width", "1280"}), 0) << err_.str();
  EXPECT_EQ(Run({"set", "Screen 2/Adapter ID", "{aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee}"}), 0);
  EXPECT_EQ(Get("SoundVolume"), "35\n");
  EXPECT_EQ(Get("PicPos"), "1\n");
  EXPECT_EQ(Get("MuteSound"), "1\n");
  EXPECT_EQ(Get("Screen 2/Width"), "1280\n");
  EXPECT_EQ(Get("Screen 2/Adapter ID"), "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}\n");
  EXPECT_FALSE(fs::exists(path_->string() + ".tmp"));

  const SaverSettings s = SaverSettings::Read(*path_);
  EXPECT_EQ(s.soundVolume, 35);
  EXPECT_EQ(s.picturePosition, PicturePosition::Fit);
  EXPECT_TRUE(s.muteSound);
  EXPECT_EQ(s.screens.at(2).width, 1280u);
}

TEST_F(ConfigCommand, SetKeepsOtherEntries) {
  fs::create_directories(path_->parent_path());
  {
    std::ofstream out(*path_);
    out << "[Screensaver]\nSomethingNew=7\nSoundVolume=20\n";
  }
  EXPECT_EQ(Run({"set", "SoundBalance", "10"}), 0) << err_.str();
  const SettingsFile f = SettingsFile::Load(*path_);
  EXPECT_EQ(f.Get("Screensaver", "SomethingNew"), "7");
  EXPECT_EQ(f.Get("Screensaver", "SoundVolume"), "20");
  EXPECT_EQ(f.Get("Screensaver", "SoundBalance"), "10");
  // Only the value that was set is written; the others stay unset.
  EXPECT_FALSE(f.Get("Screensaver", "PicPos").has_value());
}

TEST_F(ConfigCommand, BadNamesAndValuesAreRejected) {
  EXPECT_EQ(Run({"get", "Volume"}), 2);
  EXPECT_NE(err_.str().find("unknown setting 'Volume'"), std::string::npos) << err_.str();
  for (const char* name : {"Screen 0/Width", "Screen 10/Width", "Screen x/Width", "Screen 1/PicPos",
                           "Screen1/Width", "Other/Width"}) {
    EXPECT_EQ(Run({"get", name}), 2) << name;
  }
  const struct {
    const char* name;
    const char* value;
  } bad[] = {{"SoundVolume", "101"},         {"SoundVolume", "-1"},
             {"SoundVolume", "loud"},        {"PicPos", "3"},
             {"PicPos", "centre"},           {"MuteSound", "maybe"},
             {"Screen 1/Width", "-640"},     {"Screen 1/Format", "4294967296"},
             {"Screen 1/Adapter ID", "1234"}};
  for (const auto& b : bad) {
    EXPECT_EQ(Run({"set", b.name, b.value}), 2) << b.name << " " << b.value;
    EXPECT_NE(err_.str().find(b.value), std::string::npos) << err_.str();
  }
  EXPECT_EQ(Run({"set", "Nope", "1"}), 2);
  EXPECT_FALSE(fs::exists(*path_));  // nothing was written
}

TEST_F(ConfigCommand, UsageErrors) {
  for (const auto& args :
       {std::vector<std::string>{}, std::vector<std::string>{"get"},
        std::vector<std::string>{"set", "PicPos"}, std::vector<std::string>{"list", "extra"},
        std::vector<std::string>{"remove", "PicPos"}}) {
    EXPECT_EQ(Run(args), 2);
    EXPECT_NE(err_.str().find("usage:"), std::string::npos);
    EXPECT_EQ(out_.str(), "");
  }
}

TEST_F(ConfigCommand, ListShowsEveryValueAndStoredScreens) {
  EXPECT_EQ(Run({"list"}), 0);
  EXPECT_EQ(out_.str(),
            "PicPos=2\nSoundVolume=100\nSoundBalance=50\nMuteSound=0\nAllScreensSame=0\n");
  ASSERT_EQ(Run({"set", "Screen 3/Leave Black", "1"}), 0);
  ASSERT_EQ(Run({"set", "SoundVolume", "5"}), 0);
  EXPECT_EQ(Run({"list"}), 0);
  EXPECT_EQ(out_.str(),
            "PicPos=2\nSoundVolume=5\nSoundBalance=50\nMuteSound=0\nAllScreensSame=0\n"
            "Screen 3/Width=0\nScreen 3/Height=0\nScreen 3/Format=0\nScreen 3/Adapter ID=\n"
            "Screen 3/Leave Black=1\nScreen 3/Disable Hardware=0\n");
}

TEST_F(ConfigCommand, NoLocationReadsDefaultsButCannotWrite) {
  path_.reset();
  EXPECT_EQ(Get("SoundVolume"), "100\n");
  EXPECT_EQ(Run({"set", "SoundVolume", "5"}), 1);
  EXPECT_NE(err_.str().find("no settings location"), std::string::npos);
  EXPECT_EQ(Run({"path"}), 1);
}

TEST_F(ConfigCommand, WriteFailureIsExitCodeOne) {
  fs::create_directories(*path_ / "blocker");  // a folder where the file should be
  EXPECT_EQ(Run({"set", "SoundVolume", "5"}), 1);
  EXPECT_NE(err_.str().find("cannot"), std::string::npos) << err_.str();
  EXPECT_EQ(Run({"path"}), 0);
  EXPECT_EQ(out_.str(), path_->string() + "\n");
}

}  // namespace
}  // namespace glimmer
