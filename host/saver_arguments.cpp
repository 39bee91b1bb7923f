#include "host/saver_arguments.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace glimmer {

std::optional<int> ParsePicturePosition(const std::string& name) {
  std::string lower = name;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  if (lower == "stretch") return 0;
  if (lower == "fit") return 1;
  if (lower == "fill") return 2;
  return std::nullopt;
}

namespace {
std::optional<int> ParseInt(const std::string& s, int lo, int hi) {
  int v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc{} || end != s.data() + s.size() || v < lo || v > hi) return std::nullopt;
  return v;
}
}  // namespace

std::optional<SaverArguments> SplitSaverArguments(const std::vector<std::string>& args,
                                                  std::string& error) {
  SaverArguments out;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string word = args[i], value;
    const bool option = word.rfind("--", 0) == 0;
    bool hasValue = false;
    if (option) {
      if (const size_t eq = word.find('='); eq != std::string::npos) {
        value = word.substr(eq + 1);
        word = word.substr(0, eq);
        hasValue = true;
      }
    }
    const auto takeValue = [&]() -> bool {
      if (hasValue) return true;
      if (i + 1 >= args.size()) {
        error = word + " needs a value";
        return false;
      }
      value = args[++i];
      return true;
    };
    if (word == "--position") {
      if (!takeValue()) return std::nullopt;
      out.picturePosition = ParsePicturePosition(value);
      if (!out.picturePosition) {
        error = "--position must be stretch, fit or fill, not \"" + value + "\"";
        return std::nullopt;
      }
    } else if (word == "--volume") {
      if (!takeValue()) return std::nullopt;
      out.volume = ParseInt(value, 0, 100);
      if (!out.volume) {
        error = "--volume must be a whole number from 0 to 100, not \"" + value + "\"";
        return std::nullopt;
      }
    } else if (word == "--mute") {
      out.mute = true;
    } else if (word == "--fps-limit") {
      if (!takeValue()) return std::nullopt;
      const auto n = ParseInt(value, 1, 1000);
      if (!n) {
        error = "--fps-limit must be a whole number from 1 to 1000, not \"" + value + "\"";
        return std::nullopt;
      }
      out.fpsLimit = *n;
    } else if (word == "--max-frames") {
      if (!takeValue()) return std::nullopt;
      const auto n = ParseInt(value, 1, 1 << 30);
      if (!n) {
        error = "--max-frames must be a positive whole number";
        return std::nullopt;
      }
      out.maxFrames = *n;
    } else if (word == "--dump-frames") {
      if (!takeValue()) return std::nullopt;
      out.dumpFrames = value;
    } else if (!out.file && !option) {
      std::error_code ec;
      if (std::filesystem::is_regular_file(word, ec)) {
        out.file = word;
      } else {
        out.rest.push_back(args[i]);
      }
    } else {
      out.rest.push_back(args[i]);
    }
  }
  return out;
}

}  // namespace glimmer
