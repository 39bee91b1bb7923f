#include "app/saver_command.h"

#include <cstdlib>
#include <iostream>

#include "common/error_codes.h"
#include "host/adapters.h"
#include "host/saver_settings.h"
#include "host/screensaver.h"
#include "host/settings_dialog.h"
#include "platform/gpu/gl_context.h"
#include "platform/settings/settings_file.h"
#include "platform/window/displays.h"

namespace glimmer {
namespace {

SaverSettings LoadSettings(std::optional<std::filesystem::path>& path) {
  path = SettingsFilePath(ProcessEnvironment());
  return path ? SaverSettings::Read(*path) : SaverSettings{};
}

int RunHost(const CommandLine& command, const DocumentArgs& documentArgs,
            const SaverArguments& extra, uint32_t width, uint32_t height, bool playWindow = false) {
  HostOptions options;
  options.command = command;
  std::optional<std::filesystem::path> settingsPath;
  options.settings = LoadSettings(settingsPath);
  options.settingsPath = settingsPath;
  options.picturePosition = extra.picturePosition;
  if (extra.volume) options.settings.soundVolume = *extra.volume;
  if (extra.mute) options.settings.muteSound = true;
  options.volumeOverride = extra.volume;
  options.muteOverride = extra.mute;
  options.windowWidth = int(width);
  options.windowHeight = int(height);
  options.maxFrames = extra.maxFrames;
  options.fpsLimit = extra.fpsLimit;
  options.playKeys = command.mode == RunMode::Test && playWindow;
  options.dumpFrames = extra.dumpFrames;
  DocumentArgs args = documentArgs;
  if (extra.file) args.file = extra.file;
  try {
    options.document = FindShow(args);
  } catch (const GlimmerError& e) {
    // A document that cannot be found is shown like any other failure to
    // load: in the error box, once the windows exist.
    options.document = {};
    options.documentError = e.detail();
  }
  Screensaver saver(std::move(options));
  return saver.Run();
}

// The settings dialog, with the displays as the display settings show them.
int RunSettings() {
  SettingsDialogInputs inputs;
  inputs.settingsFile = SettingsFilePath(ProcessEnvironment());
  const SaverSettings settings =
      inputs.settingsFile ? SaverSettings::Read(*inputs.settingsFile) : SaverSettings{};
  std::string error;
  if (!StartVideo(error)) {
    std::cerr << "glimmer: cannot open the settings dialog: " << error << "\n";
    return 1;
  }
  {
    // Every display shares the one renderer; a CPU renderer means software only.
    bool software = true;
    try {
      software = IsSoftwareRenderer(CreateHeadlessContext()->Renderer());
    } catch (const std::exception&) {
    }
    for (const DisplayInfo& d : EnumerateDisplays()) {
      MonitorChoice m;
      m.screen = d.index + 1;
      m.adapterName = d.name.empty() ? "Display " + std::to_string(m.screen) : d.name;
      m.hasHardware = !software;
      m.hasSoftware = true;
      for (const DisplayModeInfo& mode : UsableModes(d.modes))
        m.modes.push_back({mode.width, mode.height, 22});
      m.settings = SettingsForDisplay(settings, d);
      inputs.monitors.push_back(std::move(m));
    }
  }
  const int result = RunSettingsDialog(inputs);
  return result == kSettingsDialogFailed ? 1 : 0;
}

}  // namespace

int RunSaverCommandLine(const std::vector<std::string>& args, const DocumentArgs& documentArgs) {
  std::string error;
  const std::optional<SaverArguments> extra = SplitSaverArguments(args, error);
  if (!extra) {
    std::cerr << "glimmer: " << error << "\n";
    return 2;
  }
  const char* xscreensaverWindow = std::getenv("XSCREENSAVER_WINDOW");
  const CommandLine command = ParseCommandLine(
      extra->rest,
      xscreensaverWindow ? std::optional<std::string_view>(xscreensaverWindow) : std::nullopt);
  if (!command.error.empty()) {
    std::cerr << "glimmer: " << command.error << "\n";
    return 2;
  }
  switch (command.mode) {
    case RunMode::Settings:
      return RunSettings();
    case RunMode::ChangePassword:
      std::cout
          << "Screen-saver passwords belong to Windows 95, 98 and Me; on this system the desktop's "
             "screen locker asks for the password. Nothing to change.\n";
      return 0;
    case RunMode::RunNothing:
    case RunMode::ShowNothing:
      return 0;
    default:
      return RunHost(command, documentArgs, *extra, 600, 400);
  }
}

int RunPlay(const DocumentArgs& documentArgs, const PlayOptions& options) {
  CommandLine command;
  command.mode = options.fullscreen ? RunMode::FullScreen : RunMode::Test;
  command.vsync = options.vsync;
  command.fps = options.fps;
  return RunHost(command, documentArgs, options.extra, options.width, options.height, true);
}

}  // namespace glimmer
