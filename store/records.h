#pragma once
// Plain records of the document: byte blobs, picture frames and the key that
// identifies every picture, mesh and effect.

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/link_key.h"
#include "common/shared_bytes.h"

namespace glimmer {

class Archive;

struct Point32 {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const Point32&) const = default;
};

// A named byte array: int32 n, n bytes, wide-string name. Copies of a
// record share its bytes.
struct NamedBlob {
  std::u16string Name;
  SharedBytes Data;  // empty when the stored count is 0
  bool operator==(const NamedBlob&) const = default;
};

// A blob that may instead name a resource of a module: int32 id, wide-string
// module, then the blob layout.
struct ResourceBlob {
  int32_t ResourceId = 0;
  std::u16string Module;
  SharedBytes Data;
  std::u16string Name;
  bool operator==(const ResourceBlob&) const = default;
};

// One encoded picture of an animation and how long it is shown.
struct ImageFrame {
  SharedBytes Data;
  float Delay = 0.0f;
  bool operator==(const ImageFrame&) const = default;
};

// Stored forms. `name` is the field name the record is stored under.
void Field(Archive& ar, std::string_view name, SharedBytes& bytes);
void Field(Archive& ar, std::string_view name, NamedBlob& blob);
void Field(Archive& ar, std::string_view name, ResourceBlob& blob);
void Field(Archive& ar, std::string_view name, ImageFrame& frame);
void Field(Archive& ar, std::string_view name, LinkKey& key);

// Smallest number of bytes each record takes in a document, for count checks.
inline constexpr size_t kMinStringBytes = 4;
inline constexpr size_t kMinBlobBytes = 4 + kMinStringBytes;
inline constexpr size_t kMinResourceBlobBytes = 4 + kMinStringBytes + kMinBlobBytes;
inline constexpr size_t kMinImageFrameBytes = 12;
inline constexpr size_t kMinLinkKeyBytes = kMinStringBytes + 8;
inline constexpr size_t kMinHeaderBytes = kMinStringBytes + 4;

}  // namespace glimmer
