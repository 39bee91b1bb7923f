#pragma once
// 128-bit identities of stored objects, in the braced registry string form
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace glimmer {

struct Guid {
  uint32_t Data1 = 0;
  uint16_t Data2 = 0;
  uint16_t Data3 = 0;
  std::array<uint8_t, 8> Data4{};

  bool IsNull() const { return *this == Guid{}; }
  auto operator<=>(const Guid&) const = default;

  // Upper-case braced form, 38 characters.
  std::u16string ToString() const;
  std::string ToUtf8String() const;
  // Accepts the braced form with hex digits of either case; nullopt otherwise.
  static std::optional<Guid> Parse(std::u16string_view s);
  static std::optional<Guid> Parse(std::string_view s);
  // A GUID unique within this process. Made from a counter, not the clock or
  // chance, so runs repeat exactly.
  static Guid Fresh();
};

}  // namespace glimmer
