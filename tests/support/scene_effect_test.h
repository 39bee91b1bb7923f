#pragma once
// Stored forms of the scene particle effects: an effect's own block as a
// document writes it (raw values, through the test writer), followed by
// its base kind's header and part.

#include <cstdint>
#include <vector>

#include "store/archive.h"
#include "store/stream_writer.h"
#include "tests/support/archive_helpers.h"

namespace glimmer::testing {

// The bytes of `own` followed by base B's header and part written from
// `base`.
template <class B>
std::vector<uint8_t> OwnBlockThenBase(ZT_IOF_W& own, B& base) {
  std::vector<uint8_t> bytes = own.Take();
  const std::vector<uint8_t> tail = WriteWith([&](Archive& ar) { SerializeBase<B>(ar, base); });
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  return bytes;
}

// Reads `bytes` into `effect` at its stored version; every byte is consumed.
template <class Effect>
void ReadEffect(const std::vector<uint8_t>& bytes, Effect& effect) {
  ReadWith(bytes, [&](Archive& ar) { effect.Serialize(ar, Effect::kStoredVersion); });
}

}  // namespace glimmer::testing
