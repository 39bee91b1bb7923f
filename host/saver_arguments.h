#pragma once
// The player's own words on a screen-saver command line, taken out before
// the switches are read: a show FILE, and the options a daemon's hack entry
// or a script may add.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace glimmer {

struct SaverArguments {
  std::optional<std::filesystem::path> file;        // an existing regular file
  std::optional<int> picturePosition;               // --position stretch|fit|fill
  std::optional<int> volume;                        // --volume 0..100
  bool mute = false;                                // --mute
  int fpsLimit = 0;                                 // --fps-limit N: at most N frames a second
  int maxFrames = 0;                                // --max-frames N (testing aid)
  std::optional<std::filesystem::path> dumpFrames;  // --dump-frames DIR (testing aid)
  std::vector<std::string> rest;                    // what the switch rule reads
};

// Takes the player's options (in "--name value" or "--name=value" form) and
// the first word naming an existing regular file out of `args`. Returns
// nullopt with `error` set for a bad value.
std::optional<SaverArguments> SplitSaverArguments(const std::vector<std::string>& args,
                                                  std::string& error);

// "stretch", "fit", "fill" (any case) as 0, 1, 2.
std::optional<int> ParsePicturePosition(const std::string& name);

}  // namespace glimmer
