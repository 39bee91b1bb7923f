// glimmer: the player for animated screensaver shows, and its tools.

#include <iostream>

#include <CLI/CLI.hpp>

#include "app/commands.h"

int main(int argc, char** argv) {
  CLI::App app{
      "glimmer: plays animated screensaver shows.\n"
      "Without FILE, commands use the show carried by this program (its built-in show,\n"
      "or one packed into it). FILE may be a show document or a Windows screensaver\n"
      "(.scr/.exe) carrying its show as resource \"DDS\" 107.",
      "glimmer"};
  app.require_subcommand(1);

  glimmer::DocumentArgs docArgs;
  std::optional<std::filesystem::path> dumpDir;

  app.add_option("--modules", docArgs.moduleFolders,
                 "Folder to search for resource modules such as common_res.dll (after the\n"
                 "document's folder and the program's); may be given more than once")
      ->check(CLI::ExistingDirectory);

  CLI::App* info = app.add_subcommand("info", "Describe a show: banner, slides, layers, resources, music");
  info->add_option("FILE", docArgs.file, "Show document or screensaver program");

  CLI::App* dump = app.add_subcommand("dump", "Print a show in its readable JSON form");
  dump->add_option("FILE", docArgs.file, "Show document or screensaver program");
  dump->add_option("-o,--out", dumpDir,
                   "Write DIR/show.json and the embedded files under DIR/files instead");

  CLI::App* classes = app.add_subcommand(
      "classes", "List the stored classes each registry knows, and those not built yet");

  CLI11_PARSE(app, argc, argv);

  if (info->parsed()) return glimmer::RunInfo(docArgs, std::cout);
  if (dump->parsed()) return glimmer::RunDump(docArgs, dumpDir, std::cout);
  if (classes->parsed()) return glimmer::RunClasses(std::cout);
  return 0;
}
