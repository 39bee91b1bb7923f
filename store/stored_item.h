#pragma once
// ZT_IOF_Item: the base of every stored object. A stored class names itself
// and its current version with GLIMMER_STORED_CLASS and states its stored form
// in Serialize (see document/archive.h).

#include <cstdint>
#include <string_view>

namespace glimmer {

class Archive;

class ZT_IOF_Item {
 public:
  virtual ~ZT_IOF_Item() = default;

  // Class name and current version as written in documents.
  virtual std::u16string_view StoredName() const = 0;
  virtual int32_t StoredVersion() const = 0;
  // This class's own fields for `version`, followed by its base's part.
  virtual void Serialize(Archive& ar, int32_t version) = 0;
};

}  // namespace glimmer

// Inside a class body: its stored name (the class's own name) and version.
#define GLIMMER_STORED_CLASS(Class, Version)                                     \
 public:                                                                         \
  static constexpr std::u16string_view kStoredName = u"" #Class;                 \
  static constexpr int32_t kStoredVersion = Version;                             \
  std::u16string_view StoredName() const override { return kStoredName; }        \
  int32_t StoredVersion() const override { return kStoredVersion; }
