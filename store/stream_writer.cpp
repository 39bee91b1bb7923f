#include "store/stream_writer.h"

#include <bit>
#include <cstring>
#include <stdexcept>

namespace glimmer {

template <class T>
void ZT_IOF_W::Put(T v) {
  static_assert(std::endian::native == std::endian::little);
  uint8_t b[sizeof(T)];
  std::memcpy(b, &v, sizeof(T));
  out_.insert(out_.end(), b, b + sizeof(T));
}

void ZT_IOF_W::WriteInt64(int64_t v) {
  Put(v);
}
void ZT_IOF_W::WriteUInt64(uint64_t v) {
  Put(v);
}
void ZT_IOF_W::WriteFloat(float v) {
  Put(v);
}
void ZT_IOF_W::WriteInt32(int32_t v) {
  Put(v);
}
void ZT_IOF_W::WriteInt16(int16_t v) {
  Put(v);
}
void ZT_IOF_W::WriteUInt32(uint32_t v) {
  Put(v);
}
void ZT_IOF_W::WriteChar(char v) {
  Put(v);
}
void ZT_IOF_W::WriteBool(bool v) {
  Put<uint8_t>(v ? 1 : 0);
}
void ZT_IOF_W::WriteLong(int32_t v) {
  Put(v);
}

void ZT_IOF_W::WritePoint(Point32 p) {
  Put(p.x);
  Put(p.y);
}

void ZT_IOF_W::WriteBytes(std::span<const uint8_t> bytes) {
  out_.insert(out_.end(), bytes.begin(), bytes.end());
}

void ZT_IOF_W::WriteLength(uint64_t len) {
  if (len > 0xFFFFFFFFu) throw std::length_error("string too long for a document");
  if (len < 0xFF) {
    Put<uint8_t>(static_cast<uint8_t>(len));
  } else if (len < 0xFFFE) {  // 0xFFFE here is the marker of a wide string
    Put<uint8_t>(0xFF);
    Put<uint16_t>(static_cast<uint16_t>(len));
  } else {
    Put<uint8_t>(0xFF);
    Put<uint16_t>(0xFFFF);
    Put<uint32_t>(static_cast<uint32_t>(len));
  }
}

void ZT_IOF_W::WriteString(std::u16string_view s) {
  Put<uint8_t>(0xFF);
  Put<uint8_t>(0xFE);
  Put<uint8_t>(0xFF);
  WriteLength(s.size());
  for (char16_t c : s) Put<uint16_t>(c);
}

void ZT_IOF_W::WriteAnsiString(std::string_view s) {
  WriteLength(s.size());
  out_.insert(out_.end(), s.begin(), s.end());
}

void ZT_IOF_W::WriteSizedBytes(std::span<const uint8_t> bytes) {
  if (bytes.size() > 0x7FFFFFFF) throw std::length_error("blob too large for a document");
  WriteInt32(static_cast<int32_t>(bytes.size()));
  WriteBytes(bytes);
}

void ZT_IOF_W::WriteBlob(const NamedBlob& blob) {
  WriteSizedBytes(blob.Data);
  WriteString(blob.Name);
}

void ZT_IOF_W::WriteResourceBlob(const ResourceBlob& blob) {
  WriteInt32(blob.ResourceId);
  WriteString(blob.Module);
  WriteSizedBytes(blob.Data);
  WriteString(blob.Name);
}

void ZT_IOF_W::WriteGuid(const Guid& g) {
  WriteString(g.ToString());
}

void ZT_IOF_W::WriteHeader(std::u16string_view className, int32_t version) {
  WriteString(className);
  WriteInt32(version);
}

}  // namespace glimmer
