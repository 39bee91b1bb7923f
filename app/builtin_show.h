#pragma once
// The show the player carries when no other is given (composed at build time).

#include <cstdint>
#include <span>

namespace glimmer {

std::span<const uint8_t> BuiltinShow();

}  // namespace glimmer
