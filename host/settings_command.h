#pragma once
// `glimmer config`: reads and changes the user settings from the shell.
//
//   config get NAME         the value in effect (the default when unset)
//   config set NAME VALUE   checks the value and writes the file atomically
//   config list             every name with its value in effect
//   config path             where the settings file lives
//
// NAME is a value of [Screensaver] (PicPos, SoundVolume, SoundBalance,
// MuteSound, AllScreensSame) or "Screen N/KEY" for monitor N (1 to 9) with
// KEY one of Width, Height, Format, Adapter ID, Leave Black, Disable
// Hardware. Names match in any case.

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace glimmer {

// `args` are the words after "config". Returns 0 on success, 1 when the file
// cannot be written (or has no location), 2 for a usage error, an unknown
// name or a value of the wrong type or range; messages go to `err`.
int RunSettingsCommand(const std::vector<std::string>& args,
                       const std::optional<std::filesystem::path>& file, std::ostream& out,
                       std::ostream& err);

}  // namespace glimmer
