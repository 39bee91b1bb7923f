#include "common/error_codes.h"

#include <array>
#include <cstdio>

namespace glimmer {
namespace {

constexpr std::array<ErrorText, 13> kErrorTable{{
    {0x80004005, 2100, "There was an unspecified problem with this screen saver."},
    {0x82000001, 2101,
     "Direct3D 8.0 could not be initialized.  Please install the latest version of DirectX."},
    {0x82000007, 2102, "Could not initialize the screen saver."},
    {0x8200000E, 2103, "Could not create the Direct3D device."},
    {0x82000003, 2104, "Could not find any compatible Direct3D devices."},
    {0x82000005, 2105, "No hardware-accelerated Direct3D devices were found."},
    {0x82000006, 2106,
     "This screen saver requires functionality that is not available on your Direct3D "
     "hardware accelerator."},
    {0x82000009, 2107,
     "This screen saver requires functionality that is not available on your Direct3D "
     "hardware accelerator with the current desktop display settings."},
    {0x8200000B, 2108, "Could not load required media."},
    {0x8200000C, 2109, "Could not reset the Direct3D device."},
    {0x8007000E, 2110, "Not enough memory."},
    {0x8876017C, 2111, "Not enough video memory."},
    {0x8200000F, 2112, "No preview available"},
}};

std::string Compose(uint32_t code, const std::string& detail) {
  std::string s(GetErrorText(code).text);
  s += " (" + FormatCode(code) + ")";
  if (!detail.empty()) s += ": " + detail;
  return s;
}

}  // namespace

ErrorText GetErrorText(uint32_t code, bool* hasOwnText) {
  for (const ErrorText& e : kErrorTable) {
    if (e.code == code && e.stringId != 2100) {
      if (hasOwnText) *hasOwnText = true;
      return e;
    }
  }
  if (hasOwnText) *hasOwnText = false;
  return ErrorText{code, 2100, kErrorTable[0].text};
}

std::string FormatCode(uint32_t code) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", code);
  return buf;
}

GlimmerError::GlimmerError(ErrorCode code, std::string detail)
    : std::runtime_error(Compose(static_cast<uint32_t>(code), detail)),
      code_(static_cast<uint32_t>(code)),
      detail_(std::move(detail)) {}

}  // namespace glimmer
