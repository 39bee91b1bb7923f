#include "host/xscreensaver_install.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace glimmer {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The entries of the programs list as XScreenSaver reads the value: lines
// joined while they end in a backslash, then split at each "\n".
std::vector<std::string> ProgramsEntries(const std::string& text) {
  const std::vector<std::string> lines = Lines(text);
  std::string value;
  bool inList = false;
  for (const std::string& line : lines) {
    if (!inList) {
      if (line.rfind("programs:", 0) != 0) continue;
      inList = true;
      value = line.substr(9);
    } else {
      value += line;
    }
    if (!value.empty() && value.back() == '\\' &&
        (value.size() < 2 || value[value.size() - 2] != '\\')) {
      value.pop_back();
      continue;
    }
    break;
  }
  std::vector<std::string> entries;
  size_t start = 0;
  while (start <= value.size()) {
    size_t end = value.find("\\n", start);
    std::string entry =
        value.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const size_t first = entry.find_first_not_of(" \t");
    if (first != std::string::npos) {
      const size_t last = entry.find_last_not_of(" \t");
      entries.push_back(entry.substr(first, last - first + 1));
    }
    if (end == std::string::npos) break;
    start = end + 2;
  }
  return entries;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Lines of `before` appear in `after` in the same order.
bool KeepsLines(const std::string& before, const std::string& after) {
  const std::vector<std::string> a = Lines(after);
  size_t j = 0;
  for (const std::string& line : Lines(before)) {
    while (j < a.size() && a[j] != line) ++j;
    if (j == a.size()) return false;
    ++j;
  }
  return true;
}

class XScreenSaverInstall : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = fs::temp_directory_path() /
            ("glimmer_xss_" +
             std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(home_);
    fs::create_directories(home_ / "bin");
    program_ = home_ / "bin" / "glimmer";
    std::ofstream(program_) << "#!/bin/sh\n";
    rc_ = home_ / ".xscreensaver";
  }
  void TearDown() override { fs::remove_all(home_); }

  int Install(std::optional<fs::path> show = std::nullopt) {
    out_.str("");
    err_.str("");
    InstallOptions options;
    options.program = program_;
    options.show = show;
    options.home = home_;
    options.appDefaults = home_ / "XScreenSaver.ad";
    return InstallXScreenSaver(options, out_, err_);
  }

  fs::path home_, program_, rc_;
  std::ostringstream out_, err_;
};

TEST_F(XScreenSaverInstall, FreshHomeGetsDescriptionAndAList) {
  ASSERT_EQ(Install(), 0) << err_.str();
  const std::string xml = ReadText(home_ / ".xscreensaver-hacks" / "glimmer.xml");
  EXPECT_NE(xml.find("<screensaver name=\"glimmer\""), std::string::npos);
  for (const char* option : {"arg-set=\"--position stretch\"", "arg-set=\"--position fit\"",
                             "arg-set=\"--position fill\"", "arg=\"--volume %\"",
                             "arg-set=\"--mute\"", "<command arg=\"-root\"/>"}) {
    EXPECT_NE(xml.find(option), std::string::npos) << option;
  }
  const std::vector<std::string> entries = ProgramsEntries(ReadText(rc_));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0], "GL: \"Glimmerframe\"  " + program_.string() + " -root");
}

TEST_F(XScreenSaverInstall, ANewListStartsFromXScreenSaversDefaults) {
  std::ofstream(home_ / "XScreenSaver.ad") << "*mode:\t\t\trandom\n"
                                              "*programs:\t\t\t\t\t\t\t      \\\n"
                                              "\t\t\t\tmaze -root\t\t\t\t    \\n\\\n"
                                              "- GL: \t\t\t\tsuperquadrics -root\t\t    \\n\\\n"
                                              "\t\t\t\tdeco -root\t\t\t\t    \\n\n"
                                              "*pointerHysteresis:\t10\n";
  // A preferences file without a list runs the defaults too: it gets them.
  std::ofstream(rc_) << "timeout: 0:10:00\n";
  ASSERT_EQ(Install(), 0) << err_.str();
  const std::string rc = ReadText(rc_);
  EXPECT_EQ(rc.find("timeout: 0:10:00\n"), 0u);
  EXPECT_EQ(rc.find("pointerHysteresis"), std::string::npos);
  const std::vector<std::string> entries = ProgramsEntries(rc);
  ASSERT_EQ(entries.size(), 4u) << rc;
  EXPECT_EQ(entries[0], "maze -root");
  EXPECT_EQ(entries[1], "- GL: \t\t\t\tsuperquadrics -root");
  EXPECT_EQ(entries[2], "deco -root");
  EXPECT_EQ(entries[3], "GL: \"Glimmerframe\"  " + program_.string() + " -root");
  EXPECT_NE(out_.str().find("3 default hacks"), std::string::npos) << out_.str();
}

TEST_F(XScreenSaverInstall, AddsOnceKeepingEveryOtherLine) {
  const std::string original =
      "# XScreenSaver Preferences File\n"
      "timeout:\t0:05:00\n"
      "mode:\t\trandom\n"
      "\n"
      "programs:\t\t\t\t\t\t\t\t      \\\n"
      "\t\t\t\tmaze -root\t\t\t\t    \\n\\\n"
      "  GL: \t\t\t\tsuperquadrics -root\t\t\t    \\n\\\n"
      "\t\t\t\tattraction -root -mode lines\t\t      \\\n"
      "\t\t\t\t  -points 3\t\t\t\t    \\n\\\n"
      "-\t\t\t\tpyro -root\t\t\t\t    \\n\\\n"
      "\n"
      "\n"
      "pointerPollTime:    0:00:05\n";
  std::ofstream(rc_) << original;
  ASSERT_EQ(Install(), 0) << err_.str();
  const std::string once = ReadText(rc_);
  EXPECT_TRUE(KeepsLines(original, once));
  const std::vector<std::string> entries = ProgramsEntries(once);
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries[0], "maze -root");
  EXPECT_EQ(entries[2], "attraction -root -mode lines\t\t      \t\t\t\t  -points 3");
  EXPECT_EQ(entries[3], "-\t\t\t\tpyro -root");
  EXPECT_NE(entries[4].find(program_.string() + " -root"), std::string::npos);

  ASSERT_EQ(Install(), 0) << err_.str();
  EXPECT_EQ(ReadText(rc_), once);
  EXPECT_NE(out_.str().find("already lists"), std::string::npos);
}

TEST_F(XScreenSaverInstall, ReinstallReplacesTheEntryAndKeepsItDisabled) {
  fs::create_directories(home_ / "shows with blanks");
  const fs::path first = home_ / "first.scr", second = home_ / "shows with blanks" / "b.scr";
  std::ofstream(first) << "x";
  std::ofstream(second) << "x";
  std::ofstream(rc_) << "programs:\t\\\n  maze -root \\n\\\n\n";
  ASSERT_EQ(Install(first), 0) << err_.str();

  // The user turns the hack off; a new install keeps it off.
  std::string text = ReadText(rc_);
  const size_t ours = text.find("  GL: \"Glimmerframe\"");
  ASSERT_NE(ours, std::string::npos);
  text.replace(ours, 1, "-");
  std::ofstream(rc_) << text;

  ASSERT_EQ(Install(second), 0) << err_.str();
  const std::string after = ReadText(rc_);
  EXPECT_EQ(after.find(first.string()), std::string::npos);
  const std::vector<std::string> entries = ProgramsEntries(after);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1],
            "-  GL: \"Glimmerframe\"  " + program_.string() + " '" + second.string() + "' -root");
  EXPECT_NE(out_.str().find("Updated"), std::string::npos);
  const std::string xml = ReadText(home_ / ".xscreensaver-hacks" / "glimmer.xml");
  EXPECT_NE(xml.find("<command arg=\"&apos;" + second.string() + "&apos;\"/>"), std::string::npos);
}

TEST_F(XScreenSaverInstall, ListsOfEveryShapeStayReadable) {
  const fs::path p = "/opt/glimmer";
  const std::string command = "/opt/glimmer -root";
  const std::vector<std::string> texts = {
      "programs: maze -root",                                  // one entry on the header line
      "programs: maze -root\n",                                // the same with a newline
      "programs:\t\\\n  maze -root \\n\\\n  qix -root \\n\n",  // last entry without a backslash
      "programs:\t\\\n  maze -root \\n\\\n  qix -root\n",      // last entry without "\n"
      "timeout: 0:05:00",                                      // no list at all
      "",                                                      // an empty file
  };
  for (const std::string& text : texts) {
    const std::string updated = WithProgramsEntry(text, p, command);
    std::vector<std::string> entries = ProgramsEntries(updated);
    ASSERT_FALSE(entries.empty()) << text;
    EXPECT_NE(entries.back().find(command), std::string::npos) << updated;
    if (text.find("maze") != std::string::npos) {
      EXPECT_EQ(entries.front(), "maze -root") << updated;
    }
    if (text.find("qix") != std::string::npos) {
      EXPECT_EQ(entries[1], "qix -root") << updated;
    }
    EXPECT_EQ(Count(updated, command), 1u) << updated;
    EXPECT_EQ(WithProgramsEntry(updated, p, command), updated) << updated;  // idempotent
    if (text.find("timeout") != std::string::npos) {
      EXPECT_EQ(updated.rfind("timeout: 0:05:00\n", 0), 0u) << updated;
    }
  }
  // An entry on the header line is found and replaced in place.
  const std::string header = "programs: /opt/glimmer old.scr -root \\n\\\n  maze -root \\n\\\n\n";
  bool replaced = false;
  const std::string updated = WithProgramsEntry(header, p, command, &replaced);
  EXPECT_TRUE(replaced);
  EXPECT_EQ(updated.find("old.scr"), std::string::npos);
  const std::vector<std::string> entries = ProgramsEntries(updated);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1], "maze -root");
}

TEST_F(XScreenSaverInstall, FollowsALinkedPreferencesFile) {
  const fs::path dotfiles = home_ / "dotfiles" / "xscreensaver";
  fs::create_directories(dotfiles.parent_path());
  std::ofstream(dotfiles) << "lock: False\n";
  fs::create_symlink(dotfiles, rc_);
  ASSERT_EQ(Install(), 0) << err_.str();
  EXPECT_TRUE(fs::is_symlink(rc_));
  EXPECT_EQ(ProgramsEntries(ReadText(dotfiles)).size(), 1u);
  EXPECT_TRUE(KeepsLines("lock: False\n", ReadText(dotfiles)));
}

TEST_F(XScreenSaverInstall, RefusesPathsTheListCannotHoldAndMissingShows) {
  const fs::path quoted = home_ / "it's.scr";
  std::ofstream(quoted) << "x";
  EXPECT_EQ(Install(quoted), 2);
  EXPECT_NE(err_.str().find("quotes"), std::string::npos);
  EXPECT_EQ(Install(home_ / "missing.scr"), 2);
  EXPECT_NE(err_.str().find("no show file"), std::string::npos);
  EXPECT_FALSE(fs::exists(rc_));

  InstallOptions options;
  options.program = home_ / "bin" / "Glimmer Player";
  options.home = home_;
  ASSERT_EQ(InstallXScreenSaver(options, out_, err_), 0) << err_.str();
  // XScreenSaver looks the description up by the program's name, lower-cased.
  EXPECT_TRUE(fs::exists(home_ / ".xscreensaver-hacks" / "glimmer_player.xml"));
  EXPECT_NE(ReadText(rc_).find("'" + options.program->string() + "' -root"), std::string::npos);
}

// Many shows, one hack each: its own link, description and entry; taking one
// away leaves the others, taking all away leaves the user's file as it was.
TEST_F(XScreenSaverInstall, ShowsGetHacksOfTheirOwnAndUninstallLeavesTheRest) {
  const std::string before =
      "timeout:\t0:10:00\n"
      "programs:\t\t\t\t\t\t\t\t      \\\n"
      "\t\tmaze -root\t\t\t\t    \\n\\\n"
      "  GL:\t\tgears -root\t\t\t\t    \\n\\\n"
      "-\t\txmatrix -root\t\t\t\t    \\n\n"
      "pointerHysteresis: 10\n";
  std::ofstream(rc_) << before;
  std::vector<fs::path> shows;
  for (const char* name : {"Autumn Lake.dds", "winter.scr"}) {
    shows.push_back(home_ / name);
    std::ofstream(shows.back()) << "x";
  }
  InstallOptions options;
  options.program = program_;
  options.home = home_;
  const auto playing = [&](const fs::path& show) {
    InstallOptions o = options;
    o.show = show;
    return o;
  };
  ASSERT_EQ(InstallXScreenSaverShow(playing(shows[0]), "Autumn \"Lake\"", out_, err_), 0)
      << err_.str();
  ASSERT_EQ(InstallXScreenSaverShow(playing(shows[1]), "winter", out_, err_), 0);
  ASSERT_EQ(InstallXScreenSaver(options, out_, err_), 0);
  const fs::path hacks = home_ / ".xscreensaver-hacks";
  EXPECT_EQ(fs::read_symlink(hacks / "bin" / "glimmer-autumn-lake"), program_);
  EXPECT_NE(ReadText(hacks / "glimmer-autumn-lake.xml").find("_label=\"Autumn Lake\""),
            std::string::npos)
      << "its own description, its title without the quotes";
  std::vector<std::string> entries = ProgramsEntries(ReadText(rc_));
  ASSERT_EQ(entries.size(), 6u);
  EXPECT_EQ(entries[3], "GL: \"Autumn Lake\"  " + (hacks / "bin" / "glimmer-autumn-lake").string() +
                            " '" + shows[0].string() + "' -root");
  EXPECT_EQ(entries[5], "GL: \"Glimmerframe\"  " + program_.string() + " -root");

  ASSERT_EQ(UninstallXScreenSaver(options, {shows[0]}, out_, err_), 0);
  entries = ProgramsEntries(ReadText(rc_));
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_NE(entries[3].find("glimmer-winter"), std::string::npos);
  EXPECT_FALSE(fs::exists(hacks / "glimmer-autumn-lake.xml"));
  EXPECT_FALSE(fs::is_symlink(hacks / "bin" / "glimmer-autumn-lake"));
  EXPECT_TRUE(fs::exists(hacks / "glimmer-winter.xml"));

  ASSERT_EQ(UninstallXScreenSaver(options, {}, out_, err_), 0);
  EXPECT_EQ(ReadText(rc_), before) << "the user's file as it was, byte for byte";
  EXPECT_FALSE(fs::exists(hacks / "glimmer.xml"));
  out_.str("");
  ASSERT_EQ(UninstallXScreenSaver(options, {}, out_, err_), 0);
  EXPECT_NE(out_.str().find("No Glimmerframe hack"), std::string::npos);
}

TEST(XScreenSaverList, RemovingEntriesKeepsTheListWellFormed) {
  const auto mine = [](const std::string& program, const std::string&) {
    return program == "/opt/glimmer";
  };
  // The only entry, on the header line: an empty list remains.
  EXPECT_EQ(WithoutProgramsEntries("a: 1\nprograms: /opt/glimmer -root\nb: 2\n", mine),
            "a: 1\nprograms:\nb: 2\n");
  // The first of two, on the header line: the header goes on to the next.
  EXPECT_EQ(WithoutProgramsEntries("programs: /opt/glimmer -root \\n\\\n  maze -root \\n\n", mine),
            "programs:\t\t\\\n  maze -root \\n\n");
  // The last one, disabled: the one above no longer continues; others
  // running programs of the same name elsewhere stay.
  const std::vector<std::string> kept = {"  /usr/bin/glimmer -root \\n\\", "  maze \\n\\"};
  std::vector<std::string> removed;
  EXPECT_EQ(WithoutProgramsEntries("programs: \\\n" + kept[0] + "\n" + kept[1] +
                                       "\n- GL: \"G\" /opt/glimmer x.dds -root \\n\n",
                                   mine, &removed),
            "programs: \\\n" + kept[0] + "\n  maze \\n\n");
  EXPECT_EQ(removed, std::vector<std::string>{"/opt/glimmer"});
  // No list, nothing ours: the text unchanged.
  EXPECT_EQ(WithoutProgramsEntries("lock: True", mine), "lock: True");
}

TEST(XScreenSaverList, ShowHackNamesAreLettersAndDigits) {
  EXPECT_EQ(ShowHackName("Autumn Lake"), "glimmer-autumn-lake");
  EXPECT_EQ(ShowHackName("  Été -- 2026! "), "glimmer-t-2026");
  EXPECT_EQ(ShowHackName("***"), "glimmer-show");
}

}  // namespace
}  // namespace glimmer
