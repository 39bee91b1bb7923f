#include "store/stream_reader.h"

#include <bit>
#include <cstring>

namespace glimmer {
namespace {

std::string Detail(size_t offset, const std::string& context, const std::string& problem) {
  std::string s = problem + " at byte " + std::to_string(offset);
  if (!context.empty()) s += " while reading " + context;
  return s;
}

template <class T>
T LoadLE(const uint8_t* p) {
  T v{};
  // Documents are little-endian, as is every platform we build for.
  static_assert(std::endian::native == std::endian::little);
  std::memcpy(&v, p, sizeof v);
  return v;
}

}  // namespace

LoadError::LoadError(size_t offset, const std::string& context, const std::string& problem)
    : GlimmerError(ErrorCode::MediaNotFound, Detail(offset, context, problem)), offset_(offset) {}

void ZT_IOF_R::Fail(const std::string& problem) const {
  throw LoadError(buf_.pos, context_ ? context_->Describe() : std::string(), problem);
}

void ZT_IOF_R::Need(size_t bytes, const char* what) const {
  if (bytes > buf_.Remaining()) {
    Fail(std::string("the document ends inside ") + what + " (" + std::to_string(bytes) +
         " bytes needed, " + std::to_string(buf_.Remaining()) + " remain)");
  }
}

#define GLIMMER_READ_SCALAR(Fn, T, what) \
  void ZT_IOF_R::Fn(T& out) {            \
    Need(sizeof(T), what);               \
    out = LoadLE<T>(buf_.cur());         \
    buf_.pos += sizeof(T);               \
  }

GLIMMER_READ_SCALAR(ReadInt64, int64_t, "an int64")
GLIMMER_READ_SCALAR(ReadUInt64, uint64_t, "a uint64")
GLIMMER_READ_SCALAR(ReadFloat, float, "a float")
GLIMMER_READ_SCALAR(ReadInt32, int32_t, "an int32")
GLIMMER_READ_SCALAR(ReadInt16, int16_t, "an int16")
GLIMMER_READ_SCALAR(ReadUInt32, uint32_t, "a uint32")
GLIMMER_READ_SCALAR(ReadChar, char, "a char")
GLIMMER_READ_SCALAR(ReadLong, int32_t, "a long")
#undef GLIMMER_READ_SCALAR

void ZT_IOF_R::ReadBool(bool& out) {
  Need(1, "a bool");
  out = *buf_.cur() != 0;
  buf_.pos += 1;
}

void ZT_IOF_R::ReadPoint(Point32& out) {
  Need(8, "a point");
  out.x = LoadLE<int32_t>(buf_.cur());
  out.y = LoadLE<int32_t>(buf_.cur() + 4);
  buf_.pos += 8;
}

void ZT_IOF_R::ReadBytes(void* out, size_t count) {
  Need(count, "raw bytes");
  if (count) std::memcpy(out, buf_.cur(), count);
  buf_.pos += count;
}

size_t ZT_IOF_R::ReadLength(const char* what) {
  // One byte; 0xFF escalates to a uint16, and 0xFFFF to a uint32.
  Need(1, what);
  uint32_t len = *buf_.cur();
  buf_.pos += 1;
  if (len == 0xFF) {
    Need(2, what);
    len = LoadLE<uint16_t>(buf_.cur());
    buf_.pos += 2;
    if (len == 0xFFFF) {
      Need(4, what);
      len = LoadLE<uint32_t>(buf_.cur());
      buf_.pos += 4;
    }
  }
  return len;
}

void ZT_IOF_R::ReadString(std::u16string& out) {
  // The Unicode string marker FF FE FF. A misplaced read almost never meets
  // it by chance, so checking it stops a damaged document right where it is.
  Need(3, "a string marker");
  const uint8_t* p = buf_.cur();
  if (p[0] != 0xFF || p[1] != 0xFE || p[2] != 0xFF) {
    Fail("a string does not begin with the marker FF FE FF");
  }
  buf_.pos += 3;
  const uint64_t len = ReadLength("a string length");
  Need(len * 2, "a string");
  out.resize(len);
  for (uint64_t i = 0; i < len; ++i) out[i] = LoadLE<char16_t>(buf_.cur() + 2 * i);
  buf_.pos += len * 2;
}

void ZT_IOF_R::ReadAnsiString(std::string& out) {
  const uint64_t len = ReadLength("a narrow string length");
  Need(len, "a narrow string");
  out.assign(reinterpret_cast<const char*>(buf_.cur()), len);
  buf_.pos += len;
}

void ZT_IOF_R::ReadSizedBytes(std::vector<uint8_t>& out, const char* what) {
  int32_t n = 0;
  ReadInt32(n);
  if (n < 0) Fail(std::string("negative byte count ") + std::to_string(n) + " of " + what);
  Need(static_cast<size_t>(n), what);
  out.assign(buf_.cur(), buf_.cur() + n);
  buf_.pos += static_cast<size_t>(n);
}

void ZT_IOF_R::ReadSizedBytes(SharedBytes& out, const char* what) {
  std::vector<uint8_t> read;
  ReadSizedBytes(read, what);
  out = std::move(read);
}

void ZT_IOF_R::ReadBlob(NamedBlob& out) {
  ReadSizedBytes(out.Data, "a blob");
  ReadString(out.Name);
}

void ZT_IOF_R::ReadResourceBlob(ResourceBlob& out) {
  ReadInt32(out.ResourceId);
  ReadString(out.Module);
  ReadSizedBytes(out.Data, "a resource blob");
  ReadString(out.Name);
}

void ZT_IOF_R::ReadGuid(Guid& out) {
  std::u16string s;
  ReadString(s);
  out = Guid::Parse(s).value_or(Guid{});
}

size_t ZT_IOF_R::ReadCount(size_t minElementBytes, const char* what) {
  int32_t n = 0;
  ReadInt32(n);
  if (n < 0) Fail(std::string("negative count ") + std::to_string(n) + " of " + what);
  const uint64_t need = static_cast<uint64_t>(n) * (minElementBytes ? minElementBytes : 1);
  if (need > buf_.Remaining()) {
    Fail(std::string("a count of ") + std::to_string(n) + " " + what + " cannot fit in the " +
         std::to_string(buf_.Remaining()) + " bytes that remain");
  }
  return static_cast<size_t>(n);
}

}  // namespace glimmer
