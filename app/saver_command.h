#pragma once
// The screen-saver modes of the program: a command line of switches or
// daemon options, and `glimmer play`.

#include <string>
#include <vector>

#include "app/commands.h"
#include "host/command_line.h"
#include "host/saver_arguments.h"

namespace glimmer {

// `args` are the words after the program name. Returns the exit code.
int RunSaverCommandLine(const std::vector<std::string>& args, const DocumentArgs& documentArgs);

struct PlayOptions {
  bool fullscreen = false;
  uint32_t width = 600, height = 400;
  bool vsync = true;
  bool fps = false;
  SaverArguments extra;  // position, volume, mute, testing aids
};
int RunPlay(const DocumentArgs& documentArgs, const PlayOptions& options);

}  // namespace glimmer
