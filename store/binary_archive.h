#pragma once
// The binary document form of Archive: reading through ZT_IOF_R, writing
// through ZT_IOF_W.

#include <string>
#include <vector>

#include "store/archive.h"
#include "store/stream_reader.h"
#include "store/stream_writer.h"

namespace glimmer {

class BinaryInArchive final : public Archive, private ReadContext {
 public:
  // Objects may nest (particle trees); a document nesting deeper than this is
  // refused rather than allowed to exhaust the stack.
  static constexpr size_t kMaxDepth = 128;

  explicit BinaryInArchive(ZT_IOF_R& reader);
  ~BinaryInArchive() override;

  bool IsReading() const override { return true; }
  bool StoresVersions() const override { return true; }

  GLIMMER_ARCHIVE_VALUES_OVERRIDE
  int32_t Version(std::string_view name, int32_t current) override;
  GLIMMER_ARCHIVE_STRUCTURE_OVERRIDE

  size_t RemainingBytes() const override { return reader_.Remaining(); }
  ZT_IOF_R& reader() { return reader_; }

 private:
  std::string Describe() const override;
  void Field(std::string_view name) { field_ = name; }
  void Push(std::string frame);
  void Pop();

  ZT_IOF_R& reader_;
  std::vector<std::string> path_;
  std::string_view field_;
  size_t depth_ = 0;
};

class BinaryOutArchive final : public Archive {
 public:
  explicit BinaryOutArchive(ZT_IOF_W& writer) : writer_(writer) {}

  bool IsReading() const override { return false; }
  bool StoresVersions() const override { return true; }

  void Int32(std::string_view, int32_t& v) override { writer_.WriteInt32(v); }
  void UInt32(std::string_view, uint32_t& v) override { writer_.WriteUInt32(v); }
  void Int16(std::string_view, int16_t& v) override { writer_.WriteInt16(v); }
  void Int64(std::string_view, int64_t& v) override { writer_.WriteInt64(v); }
  void UInt64(std::string_view, uint64_t& v) override { writer_.WriteUInt64(v); }
  void Float(std::string_view, float& v) override { writer_.WriteFloat(v); }
  void Bool(std::string_view, bool& v) override { writer_.WriteBool(v); }
  void Char(std::string_view, char& v) override { writer_.WriteChar(v); }
  void Point(std::string_view, Point32& v) override { writer_.WritePoint(v); }
  void String(std::string_view, std::u16string& v) override { writer_.WriteString(v); }
  void Guid(std::string_view, glimmer::Guid& v) override { writer_.WriteGuid(v); }
  void Bytes(std::string_view, std::vector<uint8_t>& data) override {
    writer_.WriteSizedBytes(data);
  }
  int32_t Version(std::string_view, int32_t current) override {
    writer_.WriteInt32(current);
    return current;
  }
  size_t BeginList(std::string_view name, size_t count, size_t minElementBytes) override;
  void EndList() override {}
  void BeginStruct(std::string_view) override {}
  void EndStruct() override {}
  void BeginObject(std::string_view, std::u16string& className, int32_t& version, bool) override {
    writer_.WriteHeader(className, version);
  }
  void EndObject() override {}
  int32_t BeginBase(std::u16string_view className, int32_t currentVersion) override {
    writer_.WriteHeader(className, currentVersion);
    return currentVersion;
  }
  void EndBase() override {}
  [[noreturn]] void Fail(const std::string& problem) override;

 private:
  ZT_IOF_W& writer_;
};

}  // namespace glimmer
