#pragma once
// The `config` subcommand of the glimmer program: get, set and list the user
// settings in the per-user settings file (see host/settings_command.h).

#include <ostream>
#include <string>
#include <vector>

namespace glimmer {

// `args` are the words after "config", e.g. {"set", "SoundVolume", "80"}.
// Returns the process exit code: 0 success, 1 the file cannot be written,
// 2 a usage error, an unknown name or a bad value.
int RunConfigCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace glimmer
