#pragma once
// ZT_IOF_Item: the base of every stored object. A stored class names itself
// and its current version with GLIMMER_STORED_CLASS and states its stored form
// in Serialize (see store/archive.h).

#include <cstdint>
#include <string_view>

#include "store/vocabulary.h"

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

// Inside a class body: its stored name (the class's own name) and current
// version. A class of the vocabulary (store/vocabulary.h) names only itself
// and takes its version from there; other stored classes (members, test
// kinds) state theirs: GLIMMER_STORED_CLASS(Name) or (Name, Version).
#define GLIMMER_STORED_CLASS(...)                                                                  \
  GLIMMER_STORED_CLASS_PICK(__VA_ARGS__, GLIMMER_STORED_CLASS_VERSION, GLIMMER_STORED_CLASS_KNOWN) \
  (__VA_ARGS__)
#define GLIMMER_STORED_CLASS_PICK(_1, _2, Chosen, ...) Chosen
#define GLIMMER_STORED_CLASS_KNOWN(Class)                                       \
  GLIMMER_STORED_CLASS_VERSION(Class, ::glimmer::VocabularyVersion(u"" #Class)) \
  static_assert(kStoredVersion >= 0, #Class " is not in the vocabulary: state its version");
#define GLIMMER_STORED_CLASS_VERSION(Class, Version)             \
 public:                                                         \
  static constexpr std::u16string_view kStoredName = u"" #Class; \
  static constexpr int32_t kStoredVersion = Version;             \
  std::u16string_view StoredName() const override {              \
    return kStoredName;                                          \
  }                                                              \
  int32_t StoredVersion() const override {                       \
    return kStoredVersion;                                       \
  }
