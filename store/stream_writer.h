#pragma once
// ZT_IOF_W: the writing archive stream, the mirror of ZT_IOF_R. The player
// itself never writes; the authoring commands and the tests do.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/guid.h"
#include "store/records.h"

namespace glimmer {

class ZT_IOF_W {
 public:
  const std::vector<uint8_t>& bytes() const { return out_; }
  std::vector<uint8_t> Take() { return std::move(out_); }
  size_t Offset() const { return out_.size(); }

  void WriteResourceBlob(const ResourceBlob& blob);
  void WriteBlob(const NamedBlob& blob);
  void WriteAnsiString(std::string_view s);
  void WriteString(std::u16string_view s);
  void WriteInt64(int64_t v);
  void WriteUInt64(uint64_t v);
  void WriteFloat(float v);
  void WritePoint(Point32 p);
  void WriteInt32(int32_t v);
  void WriteInt16(int16_t v);
  void WriteUInt32(uint32_t v);
  void WriteChar(char v);
  void WriteBool(bool v);
  void WriteLong(int32_t v);
  void WriteBytes(std::span<const uint8_t> bytes);
  void WriteGuid(const Guid& g);
  // int32 n followed by n bytes.
  void WriteSizedBytes(std::span<const uint8_t> bytes);
  // Object header: class name and version.
  void WriteHeader(std::u16string_view className, int32_t version);

 private:
  void WriteLength(uint64_t len);
  template <class T>
  void Put(T v);

  std::vector<uint8_t> out_;
};

}  // namespace glimmer
