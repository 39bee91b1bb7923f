#pragma once
// Identity of a picture, mesh or effect of a document: the link's path and
// its 64-bit stamp.

#include <compare>
#include <cstdint>
#include <string>

namespace glimmer {

struct LinkKey {
  std::u16string Path;
  uint64_t Stamp = 0;
  auto operator<=>(const LinkKey&) const = default;
};

}  // namespace glimmer
