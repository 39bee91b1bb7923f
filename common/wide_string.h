#pragma once
// Conversions between the documents' UTF-16 strings and UTF-8.

#include <string>
#include <string_view>

namespace glimmer {

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view s);
// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD.
std::u16string FromUtf8(std::string_view s);

}  // namespace glimmer
