#pragma once
// ZT_IOF_R: the reading archive stream. Every read is checked against the end
// of the document; a read that does not fit fails the load with the byte
// offset and a description of what was being read.

#include <cstdint>
#include <string>
#include <vector>

#include "common/error_codes.h"
#include "common/guid.h"
#include "store/records.h"
#include "store/resource_buffer.h"

namespace glimmer {

// A failed document load: code 0x8200000B, the byte offset and what was read.
class LoadError : public GlimmerError {
 public:
  LoadError(size_t offset, const std::string& context, const std::string& problem);
  size_t offset() const { return offset_; }

 private:
  size_t offset_;
};

// Describes, for a failure message, what the reader was in the middle of
// reading (class and field). Implemented by the archive that drives the reader.
class ReadContext {
 public:
  virtual std::string Describe() const = 0;

 protected:
  ~ReadContext() = default;
};

class ZT_IOF_R {
 public:
  explicit ZT_IOF_R(ResourceBuffer& buffer) : buf_(buffer) {}

  void SetContext(const ReadContext* context) { context_ = context; }
  size_t Offset() const { return buf_.pos; }
  size_t Remaining() const { return buf_.Remaining(); }

  void ReadResourceBlob(ResourceBlob& out);
  void ReadBlob(NamedBlob& out);
  void ReadAnsiString(std::string& out);
  void ReadString(std::u16string& out);
  void ReadInt64(int64_t& out);
  void ReadUInt64(uint64_t& out);
  void ReadFloat(float& out);
  void ReadPoint(Point32& out);
  void ReadInt32(int32_t& out);
  void ReadInt16(int16_t& out);
  void ReadUInt32(uint32_t& out);
  void ReadChar(char& out);
  void ReadBool(bool& out);
  void ReadLong(int32_t& out);
  void ReadBytes(void* out, size_t count);
  // A GUID stored as its 38-character braced string; a string that does not
  // parse gives the null GUID.
  void ReadGuid(Guid& out);

  // int32 n followed by n bytes, into `out`.
  void ReadSizedBytes(std::vector<uint8_t>& out, const char* what);
  void ReadSizedBytes(SharedBytes& out, const char* what);
  // An int32 element count. Fails when it is negative or when `count` elements
  // of at least `minElementBytes` each cannot fit in the bytes that remain.
  size_t ReadCount(size_t minElementBytes, const char* what);

  [[noreturn]] void Fail(const std::string& problem) const;

 private:
  void Need(size_t bytes, const char* what) const;
  size_t ReadLength(const char* what);

  ResourceBuffer& buf_;
  const ReadContext* context_ = nullptr;
};

}  // namespace glimmer
