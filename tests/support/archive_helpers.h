#pragma once
// Writing and reading stored forms in tests through the binary archives.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "store/binary_archive.h"

namespace glimmer::testing {

// The bytes `visit` writes through a binary archive.
template <class Fn>
std::vector<uint8_t> WriteWith(Fn&& visit) {
  ZT_IOF_W w;
  BinaryOutArchive ar(w);
  visit(ar);
  return w.Take();
}

// Reads `bytes` with `visit`; every byte must be consumed.
template <class Fn>
void ReadWith(const std::vector<uint8_t>& bytes, Fn&& visit) {
  ResourceBuffer buffer(bytes);
  ZT_IOF_R reader(buffer);
  BinaryInArchive ar(reader);
  visit(ar);
  EXPECT_EQ(reader.Remaining(), 0u);
}

}  // namespace glimmer::testing
