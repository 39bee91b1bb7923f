#pragma once
// Result codes of start-up, loading and device failures, with the texts the
// player shows for them.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace glimmer {

enum class ErrorCode : uint32_t {
  Unspecified = 0x80004005,
  NoGraphics = 0x82000001,
  InitFailed = 0x82000007,
  CreateDeviceFailed = 0x8200000E,
  NoCompatibleDevices = 0x82000003,
  NoHardwareDevice = 0x82000005,
  HardwareFeatureMissing = 0x82000006,
  HardwareFeatureMissingAtMode = 0x82000009,
  MediaNotFound = 0x8200000B,
  ResetFailed = 0x8200000C,
  OutOfMemory = 0x8007000E,
  OutOfVideoMemory = 0x8876017C,
  NoPreview = 0x8200000F,
};

struct ErrorText {
  uint32_t code;
  int stringId;
  std::string_view text;
};

// The string table entry for a code; codes without their own text give the
// unspecified entry (string id 2100). `hasOwnText` tells which case it was.
ErrorText GetErrorText(uint32_t code, bool* hasOwnText = nullptr);
inline ErrorText GetErrorText(ErrorCode code, bool* hasOwnText = nullptr) {
  return GetErrorText(static_cast<uint32_t>(code), hasOwnText);
}

// "0x8200000B"
std::string FormatCode(uint32_t code);

// A failure carrying a result code and a detail for standard error. what()
// gives the user-facing text followed by the code and the detail.
class GlimmerError : public std::runtime_error {
 public:
  GlimmerError(ErrorCode code, std::string detail);
  uint32_t code() const { return code_; }
  const std::string& detail() const { return detail_; }

 private:
  uint32_t code_;
  std::string detail_;
};

}  // namespace glimmer
