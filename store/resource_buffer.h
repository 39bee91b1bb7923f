#pragma once
// The byte source of a document: a view of the whole document and the position
// of the next unread byte. It knows its size, so every read can be checked.

#include <cstddef>
#include <cstdint>
#include <span>

namespace glimmer {

struct ResourceBuffer {
  ResourceBuffer() = default;
  explicit ResourceBuffer(std::span<const uint8_t> bytes)
      : begin(bytes.data()), size(bytes.size()) {}

  const uint8_t* begin = nullptr;
  size_t size = 0;
  size_t pos = 0;  // offset of the next unread byte

  const uint8_t* cur() const { return begin + pos; }
  size_t Remaining() const { return size - pos; }
};

}  // namespace glimmer
