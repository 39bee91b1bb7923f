// glimmer: the player for animated screensaver shows, and its tools.

#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <string>

#include "app/builtin_show.h"
#include "app/commands.h"
#include "app/config_command.h"
#include "app/saver_command.h"
#include "app/sheet_command.h"
#include "app/thumbnail_command.h"
#include "host/xscreensaver_install.h"
#include "models/object_nodes.h"
#include "platform/library_output.h"
#include "show/show_schema.h"

namespace {

constexpr const char* kSaverHelp = R"(
Screen-saver command lines (instead of a subcommand):
  glimmer [FILE] /s          full screen on every display until a key, a click,
                             the sixth mouse move or losing focus
  glimmer [FILE] /t          a 600x400 test window at (50, 50); only closing it ends it
  glimmer [FILE] /p ID       draw inside the X11 window ID (also /p:ID)
  glimmer [FILE] /c          the settings dialog (also no switch at all)
  glimmer /a, /r, /n         password change (not on this system), nothing
  Switches are the first letter after the first / or -, in any case.
XScreenSaver's hack options:
  -root                      draw on the root window (or $XSCREENSAVER_WINDOW)
  -window-id ID              draw inside window ID (decimal or 0x hex)
  -window                    a window of our own, as /t
  -fps                       print the device and the frame rate on stderr
Options for all of these:
  --verbose                     also show the libraries' own messages (SDL's,
                                ALSA's, Mesa's), held back otherwise
  --position stretch|fit|fill   how pictures meet the screen (default: the
                                settings file's PicPos, Fill)
  --volume N, --mute            sound volume 0..100, mute
  --no-vsync                    draw as fast as possible
  --fps-limit N                 at most N frames a second (1..1000), sleeping
                                between frames
  --max-frames N, --dump-frames DIR   stop after N frames; write each frame
                                of the first screen as DIR/frame_NNNNN.png
Settings live in $XDG_CONFIG_HOME/glimmerframe/settings.ini (see "glimmer config").
)";

bool IsSubcommandLine(int argc, char** argv) {
  if (argc < 2) return false;
  const std::string first = argv[1];
  for (const char* name :
       {"info", "dump", "classes", "render", "play", "config", "install-xscreensaver",
        "uninstall-xscreensaver", "compose", "pack", "schema", "thumbnail", "sheet", "-h", "--help",
        "--modules", "--help-all"}) {
    if (first == name || first.rfind(std::string("--modules="), 0) == 0) return true;
  }
  return false;
}

// "WxH" with each side from 1 to 16384.
bool ParseSize(const std::string& text, uint32_t& w, uint32_t& h) {
  unsigned long a = 0, b = 0;
  char x = 0, rest = 0;
  if (text.size() > 11 || std::sscanf(text.c_str(), "%5lu%c%5lu%c", &a, &x, &b, &rest) != 3)
    return false;
  if ((x != 'x' && x != 'X') || a == 0 || b == 0 || a > 16384 || b > 16384) return false;
  w = uint32_t(a);
  h = uint32_t(b);
  return true;
}

// A usage error: one line naming the option, exit code 2.
int Usage(const std::string& message) {
  std::cerr << "glimmer: " << message << "\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string(argv[1]) == "--version" || std::string(argv[1]) == "-V")) {
    std::cout << "glimmer " << GLIMMER_VERSION << "\n";
    return 0;
  }
  // --verbose anywhere on the line lets the libraries' own messages through.
  bool verbose = false;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) != "--verbose") continue;
    verbose = true;
    for (int k = i; k + 1 < argc; ++k) argv[k] = argv[k + 1];
    --argc;
    --i;
  }
  glimmer::ShowLibraryOutput(verbose);
  if (!IsSubcommandLine(argc, argv)) {
    // A screen-saver command line: switches, daemon options, or nothing (the
    // settings dialog).
    return glimmer::RunSaverCommandLine(std::vector<std::string>(argv + 1, argv + argc), {});
  }
  CLI::App app{
      "glimmer: plays animated screensaver shows.\n"
      "Without FILE, commands use the show carried by this program (its built-in show,\n"
      "or one packed into it). FILE may be a show document, a JSON show (as \"dump -o\"\n"
      "writes it, composed in memory) or a Windows screensaver\n"
      "(.scr/.exe) carrying its show as resource \"DDS\" 107.",
      "glimmer"};
  app.footer(kSaverHelp);
  app.require_subcommand(1);
  app.set_version_flag("-V,--version", std::string("glimmer ") + GLIMMER_VERSION);
  bool verboseFlag = verbose;  // taken out above; listed here for --help
  app.add_flag("--verbose", verboseFlag,
               "Also show the libraries' own messages (SDL's, ALSA's, Mesa's), held back\n"
               "otherwise");

  glimmer::DocumentArgs docArgs;
  std::optional<std::filesystem::path> dumpDir;

  app.add_option("--modules", docArgs.moduleFolders,
                 "Folder to search for resource modules such as common_res.dll (after the\n"
                 "document's folder and the program's); may be given more than once")
      ->check(CLI::ExistingDirectory);

  CLI::App* info =
      app.add_subcommand("info", "Describe a show: banner, slides, layers, resources, music");
  info->add_option("FILE", docArgs.file, "Show document, JSON show or screensaver program");

  CLI::App* dump = app.add_subcommand("dump", "Print a show in its readable JSON form");
  dump->add_option("FILE", docArgs.file, "Show document, JSON show or screensaver program");
  dump->add_option("-o,--out", dumpDir,
                   "Write DIR/show.json and the embedded files under DIR/files instead");

  CLI::App* classes = app.add_subcommand(
      "classes", "List the stored classes each registry knows, and those not built yet");

  glimmer::RenderOptions renderOptions;
  std::string size = "1280x720", position = "fill";
  CLI::App* render = app.add_subcommand(
      "render",
      "Play a show headless and write its frames as PNG files or a video (frame k shows\n"
      "time k / fps)");
  render->add_option("FILE", docArgs.file, "Show document, JSON show or screensaver program");
  render->add_option("--size", size, "Frame size WxH")->capture_default_str();
  render->add_option("--fps", renderOptions.fps, "Frames per second (0.01 to 1000)")
      ->capture_default_str();
  render->add_option("--seconds", renderOptions.seconds,
                     "Length of the sequence, up to 86400 (default: 5 for PNG frames, one pass\n"
                     "through the show's slides for a video)");
  render
      ->add_option("--at", renderOptions.at,
                   "Write single frames at these times instead (T1,T2,...)")
      ->delimiter(',');
  render
      ->add_option("--out", renderOptions.out,
                   "Folder for PNG frames, or a video file: .mp4 or .mkv (H.264), .webm (VP9).\n"
                   "A video of a show with music or sound layers carries their mix as the\n"
                   "player plays it at full volume (AAC in .mp4 and .mkv, Opus in .webm)")
      ->capture_default_str();
  render->add_flag("--mute", renderOptions.mute, "No sound track in the video");
  render
      ->add_option(
          "--capture-scale", renderOptions.captureScale,
          "Scene copies at most K times the frame size (1 to 3; 1 is cheapest on CPU renderers)")
      ->capture_default_str()
      ->check(CLI::Range(1, 3));
  render->add_option("--position", position, "Picture position: stretch, fit or fill")
      ->capture_default_str()
      ->check(CLI::IsMember({"stretch", "fit", "fill"}));
  std::string clock;
  render->add_option("--clock", clock,
                     "The local time clocks show, HH:MM:SS (default: the computer's clock)");

  glimmer::PlayOptions playOptions;
  std::string playSize = "600x400", playPosition;
  int playMaxFrames = 0;
  std::optional<std::filesystem::path> playDump;
  bool playNoVsync = false;
  CLI::App* play = app.add_subcommand(
      "play",
      "Play a show in a window (or full screen) until it is closed.\n"
      "Keys in the window: space pauses and resumes, F toggles full screen, Escape or Q quits");
  play->add_option("FILE", docArgs.file, "Show document, JSON show or screensaver program");
  play->add_flag("--fullscreen", playOptions.fullscreen,
                 "Full screen on the best display; a key, a click or mouse moves end it");
  play->add_option("--size", playSize, "Window size WxH")->capture_default_str();
  play->add_option("--position", playPosition,
                   "Picture position: stretch, fit or fill (default: the settings)")
      ->check(CLI::IsMember({"stretch", "fit", "fill"}));
  play->add_flag("--no-vsync", playNoVsync,
                 "Draw as fast as possible instead of once per display refresh");
  play->add_flag("--fps", playOptions.fps, "Print the device and the frame rate on standard error");
  play->add_option("--fps-limit", playOptions.extra.fpsLimit,
                   "At most N frames a second (1 to 1000), sleeping between frames")
      ->check(CLI::Range(1, 1000));
  play->add_option("--max-frames", playMaxFrames, "Stop after N frames")
      ->check(CLI::PositiveNumber);
  play->add_option("--dump-frames", playDump, "Write every frame as DIR/frame_NNNNN.png");
  std::optional<int> playVolume;
  play->add_option("--volume", playVolume, "Sound volume 0..100 (default: the settings)")
      ->check(CLI::Range(0, 100));
  play->add_flag("--mute", playOptions.extra.mute, "No sound");

  std::vector<std::string> configArgs;
  CLI::App* config = app.add_subcommand(
      "config", "Read or change the player's settings: get NAME, set NAME VALUE, list, path");
  config->add_option("ARGS", configArgs, "get NAME | set NAME VALUE | list | path");
  config->allow_extras();

  std::vector<std::filesystem::path> installShows, uninstallShows;
  CLI::App* install = app.add_subcommand(
      "install-xscreensaver",
      "Install this program as an XScreenSaver hack for the current user; with shows,\n"
      "one hack a show, named by its file (shows that do not load are skipped)");
  install
      ->add_option("FILE", installShows,
                   "The shows the hacks play (default: one hack playing the built-in show)")
      ->check(CLI::ExistingFile);
  CLI::App* uninstall = app.add_subcommand(
      "uninstall-xscreensaver",
      "Take this program's hacks out of the XScreenSaver programs list (all of them, or\n"
      "those playing the shows named), with their links and descriptions; the other\n"
      "hacks and settings stay as they are");
  uninstall->add_option("FILE", uninstallShows, "Only the hacks playing these shows");

  std::filesystem::path composeIn, composeOut, packIn, packOut;
  CLI::App* compose = app.add_subcommand(
      "compose", "Make a show document from its JSON form (as \"dump -o\" writes it)");
  compose->add_option("SHOW", composeIn, "The JSON show; files it names are relative to it")
      ->required()
      ->check(CLI::ExistingFile);
  compose->add_option("-o,--out", composeOut, "The document to write")->required();
  CLI::App* pack = app.add_subcommand(
      "pack", "Write a copy of this program that carries a show and plays it by default");
  pack->add_option("SHOW", packIn, "A show document, or a JSON show")
      ->required()
      ->check(CLI::ExistingFile);
  pack->add_option("-o,--out", packOut, "The program to write")->required();

  std::filesystem::path thumbnailOut;
  uint32_t thumbnailSize = 256;
  CLI::App* thumbnail = app.add_subcommand(
      "thumbnail",
      "Write a PNG of the show's first slide after its fade-in, layers running (for file\n"
      "managers: a damaged file gives no picture and exit code 1, within 20 seconds)");
  thumbnail->add_option("FILE", docArgs.file, "Show document, JSON show or screensaver program")
      ->required();
  thumbnail->add_option("OUT", thumbnailOut, "The PNG to write")->required();
  thumbnail->add_option("--size", thumbnailSize, "Its width in pixels (16 to 2048; 16:9)")
      ->capture_default_str()
      ->check(CLI::Range(16, 2048));

  glimmer::SheetOptions sheetOptions;
  std::string sheetSize = "320x180";
  CLI::App* sheet = app.add_subcommand(
      "sheet", "Write a contact sheet: one frame of every slide, with its number and name");
  sheet->add_option("FILE", docArgs.file, "Show document, JSON show or screensaver program");
  sheet->add_option("-o,--out", sheetOptions.out, "The PNG to write")->capture_default_str();
  sheet->add_option("--columns", sheetOptions.columns, "Slides a row (1 to 64)")
      ->capture_default_str()
      ->check(CLI::Range(1, 64));
  sheet->add_option("--size", sheetSize, "Each slide's frame, WxH")->capture_default_str();

  CLI::App* schema = app.add_subcommand(
      "schema",
      "Print the readable show format: every stored class, its fields, types and defaults");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help and version exit 0; every refused option value exits 2.
    return app.exit(e) == 0 ? 0 : 2;
  }

  if (schema->parsed()) {
    std::cout << glimmer::DescribeShowFormat(glimmer::BuiltinShow());
    return 0;
  }
  if (compose->parsed()) return glimmer::RunCompose(composeIn, composeOut, std::cout);
  if (thumbnail->parsed()) return glimmer::RunThumbnail(docArgs, thumbnailOut, thumbnailSize);
  if (sheet->parsed()) {
    if (!ParseSize(sheetSize, sheetOptions.cellWidth, sheetOptions.cellHeight) ||
        sheetOptions.cellWidth > 4096 || sheetOptions.cellHeight > 4096)
      return Usage("--size must be WxH with sides from 1 to 4096, for example 320x180");
    return glimmer::RunSheet(docArgs, sheetOptions, std::cout);
  }
  if (pack->parsed()) return glimmer::RunPack(packIn, packOut, std::cout);
  if (install->parsed()) return glimmer::RunInstallXScreenSaver(installShows, std::cout, std::cerr);
  if (uninstall->parsed())
    return glimmer::RunUninstallXScreenSaver(uninstallShows, std::cout, std::cerr);

  if (play->parsed()) {
    if (!ParseSize(playSize, playOptions.width, playOptions.height))
      return Usage("--size must be WxH with sides from 1 to 16384, for example 1280x720");
    playOptions.vsync = !playNoVsync;
    if (!playPosition.empty())
      playOptions.extra.picturePosition = glimmer::ParsePicturePosition(playPosition);
    playOptions.extra.maxFrames = playMaxFrames;
    playOptions.extra.volume = playVolume;
    playOptions.extra.dumpFrames = playDump;
    return glimmer::RunPlay(docArgs, playOptions);
  }
  if (config->parsed()) {
    for (const std::string& extra : config->remaining()) configArgs.push_back(extra);
    return glimmer::RunConfigCommand(configArgs, std::cout, std::cerr);
  }

  if (render->parsed()) {
    if (!ParseSize(size, renderOptions.width, renderOptions.height))
      return Usage("--size must be WxH with sides from 1 to 16384, for example 1920x1080");
    if (!(renderOptions.fps >= 0.01 && renderOptions.fps <= 1000))
      return Usage("--fps must be a number from 0.01 to 1000");
    if (renderOptions.seconds && !(*renderOptions.seconds > 0 && *renderOptions.seconds <= 86400))
      return Usage("--seconds must be a number above 0 and up to 86400 (a day)");
    for (double t : renderOptions.at) {
      if (!std::isfinite(t) || t < 0)
        return Usage("--at times must be finite numbers of seconds, 0 or more");
    }
    renderOptions.picturePosition = position == "stretch" ? 0 : position == "fit" ? 1 : 2;
    if (!clock.empty()) {
      const auto fixed = glimmer::ParseTimeOfDay(clock.c_str());
      if (!fixed) return Usage("--clock must be HH:MM:SS, for example 03:30:00");
      glimmer::SetFixedLocalTime(fixed);
    }
    return glimmer::RunRender(docArgs, renderOptions, std::cout);
  }

  if (info->parsed()) return glimmer::RunInfo(docArgs, std::cout);
  if (dump->parsed()) return glimmer::RunDump(docArgs, dumpDir, std::cout);
  if (classes->parsed()) return glimmer::RunClasses(std::cout);
  return 0;
}
