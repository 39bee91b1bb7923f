// glimmer: the player for animated screensaver shows, and its tools.

#include <cstdio>
#include <iostream>
#include <string>

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

  glimmer::RenderOptions renderOptions;
  std::string size = "1280x720", position = "fill";
  CLI::App* render = app.add_subcommand(
      "render", "Play a show headless and write its frames as PNG files (frame k shows time k / fps)");
  render->add_option("FILE", docArgs.file, "Show document or screensaver program");
  render->add_option("--size", size, "Frame size WxH")->capture_default_str();
  render->add_option("--fps", renderOptions.fps, "Frames per second")->capture_default_str()->check(CLI::PositiveNumber);
  render->add_option("--seconds", renderOptions.seconds, "Length of the sequence")->capture_default_str();
  render->add_option("--at", renderOptions.at, "Write single frames at these times instead (T1,T2,...)")
      ->delimiter(',');
  render->add_option("--out", renderOptions.outDir, "Folder for the frames")->capture_default_str();
  render->add_option("--capture-scale", renderOptions.captureScale,
                     "Scene copies at most K times the frame size (1 to 3; 1 is cheapest on CPU renderers)")
      ->capture_default_str()
      ->check(CLI::Range(1, 3));
  render->add_option("--position", position, "Picture position: stretch, fit or fill")
      ->capture_default_str()
      ->check(CLI::IsMember({"stretch", "fit", "fill"}));

  CLI11_PARSE(app, argc, argv);

  if (render->parsed()) {
    unsigned w = 0, h = 0;
    char x = 0;
    if (std::sscanf(size.c_str(), "%u%c%u", &w, &x, &h) != 3 || (x != 'x' && x != 'X') || w == 0 || h == 0 ||
        w > 16384 || h > 16384) {
      std::cerr << "glimmer: --size must be WxH, for example 1920x1080\n";
      return 2;
    }
    renderOptions.width = w;
    renderOptions.height = h;
    renderOptions.picturePosition = position == "stretch" ? 0 : position == "fit" ? 1 : 2;
    return glimmer::RunRender(docArgs, renderOptions, std::cout);
  }

  if (info->parsed()) return glimmer::RunInfo(docArgs, std::cout);
  if (dump->parsed()) return glimmer::RunDump(docArgs, dumpDir, std::cout);
  if (classes->parsed()) return glimmer::RunClasses(std::cout);
  return 0;
}
