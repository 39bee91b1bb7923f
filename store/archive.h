#pragma once
// Archive: the one interface through which every stored class states its
// stored form. A class writes a single Serialize(Archive&, version) that names
// its fields in stored order; the same function then reads any stored version
// from a document, writes the current version, and reads or writes the
// readable JSON form. Conversions of older versions live in the branches on
// `version`; writers always pass the current version.

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/guid.h"
#include "store/records.h"
#include "store/stored_item.h"

namespace glimmer {

// The value and structure members an archive defined out of line declares
// (the binary reader, the JSON writer and reader): one list, so the
// implementations cannot drift from the interface.
#define GLIMMER_ARCHIVE_VALUES_OVERRIDE                           \
  void Int32(std::string_view name, int32_t& v) override;         \
  void UInt32(std::string_view name, uint32_t& v) override;       \
  void Int16(std::string_view name, int16_t& v) override;         \
  void Int64(std::string_view name, int64_t& v) override;         \
  void UInt64(std::string_view name, uint64_t& v) override;       \
  void Float(std::string_view name, float& v) override;           \
  void Bool(std::string_view name, bool& v) override;             \
  void Char(std::string_view name, char& v) override;             \
  void Point(std::string_view name, Point32& v) override;         \
  void String(std::string_view name, std::u16string& v) override; \
  void Guid(std::string_view name, glimmer::Guid& v) override;    \
  void Bytes(std::string_view name, std::vector<uint8_t>& data) override;
#define GLIMMER_ARCHIVE_STRUCTURE_OVERRIDE                                                \
  size_t BeginList(std::string_view name, size_t count, size_t minElementBytes) override; \
  void EndList() override;                                                                \
  void BeginStruct(std::string_view name) override;                                       \
  void EndStruct() override;                                                              \
  void BeginObject(std::string_view name, std::u16string& className, int32_t& version,    \
                   bool polymorphic) override;                                            \
  void EndObject() override;                                                              \
  int32_t BeginBase(std::u16string_view className, int32_t currentVersion) override;      \
  void EndBase() override;                                                                \
  [[noreturn]] void Fail(const std::string& problem) override;

class Archive {
 public:
  virtual ~Archive() = default;

  // True while filling objects from a source (document or JSON).
  virtual bool IsReading() const = 0;
  // True for the binary document form, which stores a version with every
  // object; the JSON form is always at the current versions.
  virtual bool StoresVersions() const = 0;

  // Primitives, one per stored encoding. `name` is the field's name: the JSON
  // key, and in the binary form the description used when a read fails.
  virtual void Int32(std::string_view name, int32_t& v) = 0;
  virtual void UInt32(std::string_view name, uint32_t& v) = 0;
  virtual void Int16(std::string_view name, int16_t& v) = 0;
  virtual void Int64(std::string_view name, int64_t& v) = 0;
  virtual void UInt64(std::string_view name, uint64_t& v) = 0;
  virtual void Float(std::string_view name, float& v) = 0;
  virtual void Bool(std::string_view name, bool& v) = 0;
  virtual void Char(std::string_view name, char& v) = 0;
  virtual void Point(std::string_view name, Point32& v) = 0;
  virtual void String(std::string_view name, std::u16string& v) = 0;
  virtual void Guid(std::string_view name, glimmer::Guid& v) = 0;
  // int32 n, then n bytes: the contents of an embedded file.
  virtual void Bytes(std::string_view name, std::vector<uint8_t>& data) = 0;
  // The int32 version of a record stored inline (without a class name).
  // Returns the stored one when reading a document, `current` otherwise;
  // writes `current`. Absent from the JSON form, which is always current.
  virtual int32_t Version(std::string_view name, int32_t current) = 0;

  // An int32 count, then that many elements. Returns the element count (the
  // stored one when reading, after checking that `count` elements of at least
  // `minElementBytes` each fit in what remains). Elements are visited between
  // BeginList and EndList with empty names.
  virtual size_t BeginList(std::string_view name, size_t count, size_t minElementBytes) = 0;
  virtual void EndList() = 0;

  // A group of fields without framing in the binary form (a record, a map
  // entry); an object in the JSON form.
  virtual void BeginStruct(std::string_view name) = 0;
  virtual void EndStruct() = 0;

  // An object introduced by its header (class name, version). Reading fills
  // both from the source; writing stores them. `polymorphic` objects come from
  // a registry and carry their class name in the JSON form too.
  virtual void BeginObject(std::string_view name, std::u16string& className, int32_t& version,
                           bool polymorphic) = 0;
  virtual void EndObject() = 0;

  // The stored part of a base class: its own header, then its fields. Returns
  // the version to read the part with.
  virtual int32_t BeginBase(std::u16string_view className, int32_t currentVersion) = 0;
  virtual void EndBase() = 0;

  // Abandons the operation with a message that says where it happened.
  [[noreturn]] virtual void Fail(const std::string& problem) = 0;

  // The bytes a document has left to read; unbounded for the other forms.
  // Blocks whose counts are stored apart from them check against it before
  // allocating.
  virtual size_t RemainingBytes() const { return SIZE_MAX; }
  // A file link was just read; a reader that gathers the files a document
  // names may give it another key. The others leave it as it is.
  virtual void FileLinkRead(LinkKey& key) { (void)key; }
};

// Field(ar, name, x): the one way a Serialize function names a field, in
// stored order. One overload set covers the primitive values, records,
// members of fixed class (stored with their own header), objects that come
// through a registry (store/class_registry.h), parameters
// (params/param_serialization.h) and lists.
inline void Field(Archive& ar, std::string_view n, int32_t& v) {
  ar.Int32(n, v);
}
inline void Field(Archive& ar, std::string_view n, uint32_t& v) {
  ar.UInt32(n, v);
}
inline void Field(Archive& ar, std::string_view n, int16_t& v) {
  ar.Int16(n, v);
}
inline void Field(Archive& ar, std::string_view n, int64_t& v) {
  ar.Int64(n, v);
}
inline void Field(Archive& ar, std::string_view n, uint64_t& v) {
  ar.UInt64(n, v);
}
inline void Field(Archive& ar, std::string_view n, float& v) {
  ar.Float(n, v);
}
inline void Field(Archive& ar, std::string_view n, bool& v) {
  ar.Bool(n, v);
}
inline void Field(Archive& ar, std::string_view n, char& v) {
  ar.Char(n, v);
}
inline void Field(Archive& ar, std::string_view n, Point32& v) {
  ar.Point(n, v);
}
inline void Field(Archive& ar, std::string_view n, std::u16string& v) {
  ar.String(n, v);
}
inline void Field(Archive& ar, std::string_view n, glimmer::Guid& v) {
  ar.Guid(n, v);
}
// int32 n, then n bytes.
inline void Field(Archive& ar, std::string_view n, std::vector<uint8_t>& v) {
  ar.Bytes(n, v);
}

// A stored object of fixed class: its header (name, version), then its fields
// at the stored version.
template <class T>
requires std::derived_from<T, ZT_IOF_Item>
void Field(Archive& ar, std::string_view name, T& member) {
  std::u16string className(member.StoredName());
  int32_t version = member.StoredVersion();
  ar.BeginObject(name, className, version, false);
  if (!ar.StoresVersions()) version = member.StoredVersion();
  member.Serialize(ar, version);
  ar.EndObject();
}

// A record that states its own stored form under a field name (paths, file
// links, points): its Serialize(ar, name).
template <class T>
requires requires(T& t, Archive& ar) {
  t.Serialize(ar, std::string_view{});
}
void Field(Archive& ar, std::string_view name, T& record) {
  record.Serialize(ar, name);
}

// The elements of a vector: a count, then each element through `each`.
// Reading grows the vector element by element, so a large stored count costs
// memory only as its elements are actually read; the count is first checked
// against what remains at `minElementBytes` an element.
template <class T, class Fn>
requires std::invocable<Fn&, T&>
void Field(Archive& ar, std::string_view name, std::vector<T>& items, size_t minElementBytes,
           Fn&& each) {
  const size_t n = ar.BeginList(name, items.size(), minElementBytes);
  if (ar.IsReading()) {
    items.clear();
    items.reserve(n < 256 ? n : 256);
    for (size_t i = 0; i < n; ++i) each(items.emplace_back());
  } else {
    for (T& item : items) each(item);
  }
  ar.EndList();
}

// A list whose elements are fields themselves (records, values).
template <class T>
void Field(Archive& ar, std::string_view name, std::vector<T>& items, size_t minElementBytes) {
  Field(ar, name, items, minElementBytes, [&](T& item) { Field(ar, "", item); });
}

// The stored part of base class B of `self`: B's header and B's own fields.
template <class B, class D>
void SerializeBase(Archive& ar, D& self) {
  const int32_t version = ar.BeginBase(B::kStoredName, B::kStoredVersion);
  self.B::Serialize(ar, version);
  ar.EndBase();
}

}  // namespace glimmer
