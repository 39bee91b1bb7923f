#include "app/config_command.h"

#include "host/settings_command.h"
#include "platform/settings/settings_file.h"

namespace glimmer {

int RunConfigCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  return RunSettingsCommand(args, SettingsFilePath(ProcessEnvironment()), out, err);
}

}  // namespace glimmer
