#pragma once
// Base64 (RFC 4648, with padding) for embedding file contents in JSON.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace glimmer {

std::string Base64Encode(std::span<const uint8_t> bytes);
// nullopt when `text` is not valid padded base64.
std::optional<std::vector<uint8_t>> Base64Decode(std::string_view text);

}  // namespace glimmer
