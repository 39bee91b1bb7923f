#pragma once
// The program as a user runs it: a command line, its exit code and what it
// printed on standard output and standard error.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace glimmer::testing {

struct ProgramRun {
  int code = -1;
  std::string out, err;
};

// GLIMMER_BINARY with `args` (and `env` before it, such as "env HOME=..."),
// standard input closed.
inline ProgramRun RunGlimmer(const std::string& args, const std::string& env = "") {
  namespace fs = std::filesystem;
  static int runs = 0;
  const fs::path dir = fs::temp_directory_path() /
                       ("glimmer_run_" + std::to_string(::getpid()) + "_" + std::to_string(runs++));
  fs::create_directories(dir);
  const std::string cmd = env + " " + GLIMMER_BINARY + " " + args + " > " + (dir / "out").string() +
                          " 2> " + (dir / "err").string() + " < /dev/null";
  const int status = std::system(cmd.c_str());
  const auto read = [](const fs::path& p) {
    std::ifstream in(p);
    return std::string((std::istreambuf_iterator<char>(in)), {});
  };
  ProgramRun r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, read(dir / "out"), read(dir / "err")};
  fs::remove_all(dir);
  return r;
}

}  // namespace glimmer::testing
