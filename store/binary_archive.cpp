#include "store/binary_archive.h"

#include <limits>
#include <stdexcept>

#include "common/wide_string.h"

namespace glimmer {

BinaryInArchive::BinaryInArchive(ZT_IOF_R& reader) : reader_(reader) {
  reader_.SetContext(this);
}

BinaryInArchive::~BinaryInArchive() {
  reader_.SetContext(nullptr);
}

std::string BinaryInArchive::Describe() const {
  std::string s;
  for (const std::string& frame : path_) {
    if (frame.empty()) continue;
    if (!s.empty()) s += " > ";
    s += frame;
  }
  if (!field_.empty()) {
    if (!s.empty()) s += " > ";
    s += field_;
  }
  return s;
}

void BinaryInArchive::Push(std::string frame) {
  path_.push_back(std::move(frame));
  field_ = {};
}

void BinaryInArchive::Pop() {
  path_.pop_back();
  field_ = {};
}

void BinaryInArchive::Fail(const std::string& problem) {
  reader_.Fail(problem);
}

#define GLIMMER_FIELD(Method, T, Read)                        \
  void BinaryInArchive::Method(std::string_view name, T& v) { \
    Field(name);                                              \
    reader_.Read(v);                                          \
  }
GLIMMER_FIELD(Int32, int32_t, ReadInt32)
GLIMMER_FIELD(UInt32, uint32_t, ReadUInt32)
GLIMMER_FIELD(Int16, int16_t, ReadInt16)
GLIMMER_FIELD(Int64, int64_t, ReadInt64)
GLIMMER_FIELD(UInt64, uint64_t, ReadUInt64)
GLIMMER_FIELD(Float, float, ReadFloat)
GLIMMER_FIELD(Bool, bool, ReadBool)
GLIMMER_FIELD(Char, char, ReadChar)
GLIMMER_FIELD(Point, Point32, ReadPoint)
GLIMMER_FIELD(String, std::u16string, ReadString)
GLIMMER_FIELD(Guid, glimmer::Guid, ReadGuid)
#undef GLIMMER_FIELD

void BinaryInArchive::Bytes(std::string_view name, std::vector<uint8_t>& data) {
  Field(name);
  reader_.ReadSizedBytes(data, "the bytes of an embedded file");
}

int32_t BinaryInArchive::Version(std::string_view name, int32_t) {
  Field(name);
  int32_t version = 0;
  reader_.ReadInt32(version);
  return version;
}

size_t BinaryInArchive::BeginList(std::string_view name, size_t, size_t minElementBytes) {
  Field(name);
  const size_t n = reader_.ReadCount(minElementBytes, "list elements");
  Push(std::string(name));
  return n;
}

void BinaryInArchive::EndList() {
  Pop();
}

void BinaryInArchive::BeginStruct(std::string_view name) {
  Push(std::string(name));
}

void BinaryInArchive::EndStruct() {
  Pop();
}

void BinaryInArchive::BeginObject(std::string_view name, std::u16string& className,
                                  int32_t& version, bool) {
  Field(name.empty() ? std::string_view("class name") : name);
  if (depth_ >= kMaxDepth)
    Fail("objects nest deeper than " + std::to_string(kMaxDepth) + " levels");
  reader_.ReadString(className);
  Push(ToUtf8(className));
  field_ = "version";
  reader_.ReadInt32(version);
  field_ = {};
  ++depth_;
}

void BinaryInArchive::EndObject() {
  --depth_;
  Pop();
}

int32_t BinaryInArchive::BeginBase(std::u16string_view className, int32_t) {
  // The stored base name is not compared: the part is read by fixed code.
  Field("base class header");
  std::u16string stored;
  reader_.ReadString(stored);
  Push(ToUtf8(className));
  field_ = "version";
  int32_t version = 0;
  reader_.ReadInt32(version);
  field_ = {};
  return version;
}

void BinaryInArchive::EndBase() {
  Pop();
}

size_t BinaryOutArchive::BeginList(std::string_view, size_t count, size_t) {
  if (count > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    Fail("a list too long for a document");
  }
  writer_.WriteInt32(static_cast<int32_t>(count));
  return count;
}

void BinaryOutArchive::Fail(const std::string& problem) {
  throw std::runtime_error(problem);
}

}  // namespace glimmer
