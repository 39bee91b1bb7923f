#include "common/guid.h"

#include <atomic>
#include <cstdio>

namespace glimmer {
namespace {

int HexValue(char32_t c) {
  if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
  return -1;
}

template <class Str>
std::optional<Guid> ParseAny(const Str& s) {
  // {8-4-4-4-12}
  if (s.size() != 38 || s[0] != '{' || s[37] != '}') return std::nullopt;
  for (size_t pos : {9u, 14u, 19u, 24u}) {
    if (s[pos] != '-') return std::nullopt;
  }
  uint8_t bytes[16];
  size_t n = 0;
  for (size_t i = 1; i < 37;) {
    if (s[i] == '-') {
      ++i;
      continue;
    }
    const int hi = HexValue(static_cast<char32_t>(s[i]));
    const int lo = HexValue(static_cast<char32_t>(s[i + 1]));
    if (hi < 0 || lo < 0 || s[i + 1] == '-') return std::nullopt;
    bytes[n++] = static_cast<uint8_t>(hi * 16 + lo);
    i += 2;
  }
  if (n != 16) return std::nullopt;
  Guid g;
  g.Data1 = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) |
            bytes[3];
  g.Data2 = static_cast<uint16_t>((bytes[4] << 8) | bytes[5]);
  g.Data3 = static_cast<uint16_t>((bytes[6] << 8) | bytes[7]);
  for (int i = 0; i < 8; ++i) g.Data4[i] = bytes[8 + i];
  return g;
}

}  // namespace

std::string Guid::ToUtf8String() const {
  char buf[40];
  std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", Data1, Data2,
                Data3, Data4[0], Data4[1], Data4[2], Data4[3], Data4[4], Data4[5], Data4[6],
                Data4[7]);
  return buf;
}

std::u16string Guid::ToString() const {
  const std::string s = ToUtf8String();
  return std::u16string(s.begin(), s.end());
}

std::optional<Guid> Guid::Parse(std::u16string_view s) {
  return ParseAny(s);
}

Guid Guid::Fresh() {
  static std::atomic<uint64_t> counter{0};
  const uint64_t n = ++counter;
  Guid g;
  g.Data1 = 0x474C4D52;  // "GLMR"
  g.Data2 = 0x4652;
  g.Data3 = 0x4D45;
  for (int i = 0; i < 8; ++i) g.Data4[i] = uint8_t(n >> (8 * (7 - i)));
  return g;
}
std::optional<Guid> Guid::Parse(std::string_view s) {
  return ParseAny(s);
}

}  // namespace glimmer
