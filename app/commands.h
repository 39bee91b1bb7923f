#pragma once
// The subcommands of the glimmer program.

#include <filesystem>
#include <optional>
#include <vector>
#include <ostream>

namespace glimmer {

struct DocumentArgs {
  std::optional<std::filesystem::path> file;  // none: the carried or built-in show
  std::vector<std::filesystem::path> moduleFolders;  // more places for resource modules
};

// Each returns the process exit code; failures go to standard error.
int RunInfo(const DocumentArgs& args, std::ostream& out);
int RunDump(const DocumentArgs& args, const std::optional<std::filesystem::path>& outDir,
            std::ostream& out);
int RunClasses(std::ostream& out);

}  // namespace glimmer
