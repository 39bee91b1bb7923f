// The command line as people expect it: the version on --version and -V,
// the libraries' own lines held back unless --verbose is given, and bash
// completing subcommands, options, their values and show files.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/watchdog.h"
#include "platform/image/image_codec.h"
#include "tests/support/program_run.h"

namespace glimmer::testing {
namespace {

namespace fs = std::filesystem;

TEST(ProgramCommandLine, VersionOnBothSpellingsWithoutStartingTheSaver) {
  for (const char* flag : {"--version", "-V"}) {
    const ProgramRun r = RunGlimmer(flag, "env -u DISPLAY -u WAYLAND_DISPLAY");
    EXPECT_EQ(r.code, 0) << flag;
    EXPECT_EQ(r.out, std::string("glimmer ") + GLIMMER_VERSION + "\n") << flag;
    EXPECT_EQ(r.err, "") << flag << ": no saver, no display wanted";
  }
  const ProgramRun help = RunGlimmer("--help");
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.out.find("--version"), std::string::npos);
  EXPECT_NE(help.out.find("--verbose"), std::string::npos);
}

TEST(ProgramCommandLine, TheLibrariesLinesStayBackUnlessVerbose) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display to play on";
  // ALSA without a card says a great deal while SDL opens it.
  const std::string env = "env -u XDG_RUNTIME_DIR SDL_AUDIODRIVER=alsa ALSA_CONFIG_PATH=";
  const std::string args = "play --max-frames 2 --size 64x48";
  const ProgramRun verbose = RunGlimmer(args + " --verbose", env);
  ASSERT_EQ(verbose.code, 0) << verbose.err;
  if (verbose.err.find("ALSA lib") == std::string::npos &&
      verbose.err.find("XDG_RUNTIME_DIR") == std::string::npos) {
    GTEST_SKIP() << "the libraries said nothing of their own here (a sound device works)";
  }
  const ProgramRun quiet = RunGlimmer(args, env);
  ASSERT_EQ(quiet.code, 0) << quiet.err;
  std::istringstream lines(quiet.err);
  for (std::string line; std::getline(lines, line);)
    EXPECT_EQ(line.rfind("glimmer: ", 0), 0u) << "only our own lines: " << line;
  EXPECT_NE(quiet.err.find("no sound output"), std::string::npos) << "what failed is still said";
}

TEST(ProgramCommandLine, SeveralShowsInstallAsHacksSkippingOneThatDoesNotLoad) {
  const fs::path home = fs::temp_directory_path() / ("glimmer_hacks_" + std::to_string(::getpid()));
  fs::create_directories(home);
  const fs::path good = home / "Autumn Lake.json", broken = home / "broken.dds";
  std::ofstream(good) << R"({"slides": [{"class": "ZT_SlideContainer",
                               "slide": {"class": "ZT_2D_Light"}}]})";
  std::ofstream(broken) << "not a show";
  const std::string env = "env HOME=" + home.string();
  const ProgramRun installed =
      RunGlimmer("install-xscreensaver '" + good.string() + "' " + broken.string(), env);
  EXPECT_EQ(installed.code, 1) << "one show was skipped";
  EXPECT_EQ(installed.err.find("glimmer: " + broken.string() + " is not installed: "), 0u)
      << installed.err;
  EXPECT_EQ(std::count(installed.err.begin(), installed.err.end(), '\n'), 1) << installed.err;
  std::ifstream list(home / ".xscreensaver");
  const std::string text((std::istreambuf_iterator<char>(list)), {});
  EXPECT_NE(text.find("GL: \"Autumn Lake\"  " +
                      (home / ".xscreensaver-hacks/bin/glimmer-autumn-lake").string()),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("broken"), std::string::npos);
  const ProgramRun removed = RunGlimmer("uninstall-xscreensaver", env);
  EXPECT_EQ(removed.code, 0) << removed.err;
  EXPECT_EQ(removed.out.find("Removed glimmer-autumn-lake"), 0u) << removed.out;
  fs::remove_all(home);
}

TEST(ProgramCommandLine, AThumbnailOfAShowAndNoneOfADamagedFile) {
  const fs::path dir = fs::temp_directory_path() / ("glimmer_thumb_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path png = dir / "thumb.png", none = dir / "none.png", damaged = dir / "damaged.dds";
  const ProgramRun made = RunGlimmer("thumbnail " + dir.string() + "/../nothing-here.dds x.png");
  EXPECT_EQ(made.code, 1);
  // The built-in show, from the program itself, at 160 pixels.
  const ProgramRun own = RunGlimmer("dump -o " + (dir / "json").string());
  ASSERT_EQ(own.code, 0) << own.err;
  const ProgramRun thumb = RunGlimmer("thumbnail " + (dir / "json" / "show.json").string() + " " +
                                      png.string() + " --size 160");
  ASSERT_EQ(thumb.code, 0) << thumb.err;
  std::ifstream in(png, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  const auto picture = DecodeImage(bytes);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 160u);
  EXPECT_EQ(picture->height, 90u);
  size_t lit = 0;
  for (size_t i = 0; i < picture->rgba.size(); i += 4)
    lit += picture->rgba[i] + picture->rgba[i + 2] > 60;
  EXPECT_GT(lit, picture->rgba.size() / 8) << "the slide, not a blank frame";
  // A damaged file: no picture, exit 1, one line.
  std::vector<char> half(bytes.begin(), bytes.begin() + long(bytes.size() / 2));
  std::ofstream(damaged, std::ios::binary).write(half.data(), long(half.size()));
  const ProgramRun bad = RunGlimmer("thumbnail " + damaged.string() + " " + none.string());
  EXPECT_EQ(bad.code, 1);
  EXPECT_FALSE(fs::exists(none));
  EXPECT_EQ(std::count(bad.err.begin(), bad.err.end(), '\n'), 1) << bad.err;
  fs::remove_all(dir);
}

TEST(ProgramCommandLine, AContactSheetHasEverySlideLabelled) {
  const fs::path dir = fs::temp_directory_path() / ("glimmer_sheet_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path png = dir / "sheet.png";
  const ProgramRun made = RunGlimmer("sheet -o " + png.string() + " --columns 2 --size 80x45");
  ASSERT_EQ(made.code, 0) << made.err;
  std::ifstream in(png, std::ios::binary);
  const auto sheet = DecodeImage(std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), {}));
  ASSERT_TRUE(sheet);
  // The built-in show's five slides: three rows of two cells, each a frame
  // over a 24-pixel label, with 4-pixel gaps.
  EXPECT_EQ(sheet->width, 2u * (80 + 4) + 4);
  EXPECT_EQ(sheet->height, 3u * (45 + 24 + 4) + 4);
  EXPECT_NE(made.out.find("5 of 5 slides"), std::string::npos) << made.out;
  const auto whiteIn = [&](uint32_t x0, uint32_t y0, uint32_t w, uint32_t h) {
    size_t n = 0;
    for (uint32_t y = y0; y < y0 + h; ++y)
      for (uint32_t x = x0; x < x0 + w; ++x) n += sheet->Pixel(x, y)[0] > 200;
    return n;
  };
  for (uint32_t k = 0; k < 5; ++k) {
    const uint32_t x = 4 + (k % 2) * 84, y = 4 + (k / 2) * 73;
    EXPECT_GT(whiteIn(x, y + 45, 80, 24), 20u) << "slide " << k + 1 << " has its label";
  }
  EXPECT_EQ(whiteIn(4 + 84, 4 + 2 * 73, 80, 69), 0u) << "the sixth cell stays empty";
  EXPECT_EQ(RunGlimmer("sheet /nonexistent.dds -o " + png.string()).code, 1);
  fs::remove_all(dir);
}

// The thumbnailer's time limit ends a process that runs past it with exit
// code 1, and lets one that finishes in time go on.
TEST(ProgramCommandLine, TheThumbnailWatchdogEndsWhatRunsTooLong) {
  const auto exitCode = [](double limit, int work) {
    const pid_t child = ::fork();
    if (child == 0) {
      {
        const Watchdog watchdog(limit, "");
        ::usleep(useconds_t(work) * 1000);
      }
      ::_exit(7);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  EXPECT_EQ(exitCode(0.01, 2000), 1) << "ran past its limit";
  EXPECT_EQ(exitCode(30, 1), 7) << "done in time";
}

// XScreenSaver ends a hack with SIGTERM, a terminal with SIGINT: the saver
// and the player end at once and report success.
TEST(ProgramCommandLine, TheSaverEndsCleanlyOnSigtermAndSigint) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display to play on";
  const fs::path dir = fs::temp_directory_path() / ("glimmer_sig_" + std::to_string(::getpid()));
  for (const char* mode : {"-root", "play --size 96x54"}) {
    for (const char* signal : {"TERM", "INT"}) {
      fs::remove_all(dir);
      fs::create_directories(dir / "frames");
      // Once the first frame is written the show runs; then the signal. Job
      // control keeps SIGINT from being ignored in the background job; a
      // guard kills a saver that would not end.
      const std::string script =
          "set -m; cd " + dir.string() + " && { " + GLIMMER_BINARY + " " + mode +
          " --mute --dump-frames frames 2> err.txt & pid=$!; "
          "for i in $(seq 400); do ls frames | grep -q png && break; sleep 0.05; done; "
          "kill -" +
          signal +
          " $pid; (sleep 30; kill -KILL $pid) & guard=$!; wait $pid; echo $? > code.txt; "
          "kill $guard; }";
      ASSERT_EQ(std::system(("bash -c '" + script + "' 2> /dev/null").c_str()), 0);
      std::ifstream code(dir / "code.txt");
      int exitCode = -1;
      code >> exitCode;
      EXPECT_EQ(exitCode, 0) << mode << " on SIG" << signal;
    }
  }
  fs::remove_all(dir);
}

TEST(ProgramCommandLine, BashCompletesSubcommandsOptionsValuesAndShows) {
  const fs::path dir = fs::temp_directory_path() / ("glimmer_comp_" + std::to_string(::getpid()));
  fs::create_directories(dir / "folder");
  for (const char* name : {"show.dds", "show.json", "notes.txt"}) std::ofstream(dir / name) << "x";
  const fs::path script = fs::path(GLIMMER_SOURCE_DIR) / "packaging/glimmer.bash-completion";
  const auto complete = [&](const std::string& words) {
    const fs::path out = dir / "out";
    const std::string cmd = "cd " + dir.string() + " && bash -c 'source " + script.string() +
                            "; COMP_WORDS=(" + words +
                            "); COMP_CWORD=$((${#COMP_WORDS[@]}-1)); _glimmer; "
                            "printf \"%s\\n\" \"${COMPREPLY[@]}\" | sort | tr \"\\n\" \" \"' > " +
                            out.string();
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    std::ifstream in(out);
    return std::string((std::istreambuf_iterator<char>(in)), {});
  };
  EXPECT_EQ(complete("glimmer re"), "render ");
  EXPECT_EQ(complete("glimmer render --pos"), "--position ");
  EXPECT_EQ(complete("glimmer play --position \"\""), "fill fit stretch ");
  EXPECT_EQ(complete("glimmer info \"\""), "folder show.dds show.json ") << "shows, not notes";
  EXPECT_EQ(complete("glimmer compose \"\""), "folder show.json ");
  EXPECT_EQ(complete("glimmer config \"\""), "get list path set ");
  fs::remove_all(dir);
}

}  // namespace
}  // namespace glimmer::testing
