// The archive stream's encodings, read back through ZT_IOF_R.

#include "store/stream_reader.h"

#include <gtest/gtest.h>

#include <cstring>

#include "store/stream_writer.h"

namespace glimmer {
namespace {

std::u16string Repeat(size_t n) {
  return std::u16string(n, u'x');
}

struct Reading {
  explicit Reading(std::vector<uint8_t> b) : bytes(std::move(b)), buffer(bytes), reader(buffer) {}
  std::vector<uint8_t> bytes;
  ResourceBuffer buffer;
  ZT_IOF_R reader;
};

// The 16-bit length form stops at 65533: FF FE FF is the marker other
// readers of the format expect, so 65534 takes the 32-bit form.
TEST(StreamStrings, LengthEscalatesAt255And65534CodeUnits) {
  struct Case {
    size_t length;
    size_t bytes;
    std::vector<uint8_t> lengthBytes;
  };
  const Case cases[] = {
      {0, 4, {0x00}},
      {254, 4 + 2 * 254, {0xFE}},
      {255, 6 + 2 * 255, {0xFF, 0xFF, 0x00}},
      {65533, 6 + 2 * 65533, {0xFF, 0xFD, 0xFF}},
      {65534, 10 + 2 * 65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
      {65535, 10 + 2 * 65535, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
  };
  for (const Case& c : cases) {
    ZT_IOF_W w;
    w.WriteString(Repeat(c.length));
    const auto& b = w.bytes();
    ASSERT_EQ(b.size(), c.bytes) << c.length;
    EXPECT_EQ(std::vector<uint8_t>(b.begin(), b.begin() + 3),
              (std::vector<uint8_t>{0xFF, 0xFE, 0xFF}));
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 3, b.begin() + 3 + long(c.lengthBytes.size())),
              c.lengthBytes)
        << c.length;
    Reading r(w.Take());
    std::u16string s = u"old";
    r.reader.ReadString(s);
    EXPECT_EQ(s, Repeat(c.length));
    EXPECT_EQ(r.reader.Offset(), c.bytes);
  }
}

TEST(StreamStrings, EmptyWideStringIsFourBytes) {
  Reading r({0xFF, 0xFE, 0xFF, 0x00});
  std::u16string s = u"not empty";
  r.reader.ReadString(s);
  EXPECT_TRUE(s.empty());
  EXPECT_EQ(r.reader.Remaining(), 0u);
}

TEST(StreamStrings, KeepsUtf16CodeUnitsAsStored) {
  const std::u16string s = u"\u00e9\U0001F600\xD800";  // includes an unpaired surrogate
  ZT_IOF_W w;
  w.WriteString(s);
  Reading r(w.Take());
  std::u16string back;
  r.reader.ReadString(back);
  EXPECT_EQ(back, s);
}

TEST(StreamStrings, WrongMarkerFailsAtItsOffset) {
  Reading r({0, 0, 0, 0, 0xFF, 0xFE, 0xFE, 0x00});
  int32_t skip = 0;
  r.reader.ReadInt32(skip);
  std::u16string s;
  try {
    r.reader.ReadString(s);
    FAIL() << "no error";
  } catch (const LoadError& e) {
    EXPECT_EQ(e.offset(), 4u);
    EXPECT_EQ(e.code(), 0x8200000Bu);
    EXPECT_NE(std::string(e.what()).find("Could not load required media."), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("marker"), std::string::npos);
  }
}

TEST(StreamStrings, LengthBeyondTheEndFailsWithoutAllocating) {
  // A uint32 length of 2,000,000,000 code units in a 20-byte document.
  std::vector<uint8_t> b = {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x94, 0x35, 0x77};
  b.resize(20, 'a');
  Reading r(b);
  std::u16string s;
  EXPECT_THROW(r.reader.ReadString(s), LoadError);
  EXPECT_EQ(s.capacity() < 1000, true);
}

TEST(StreamStrings, NarrowStringUsesTheSameEscalation) {
  ZT_IOF_W w;
  w.WriteAnsiString(std::string(300, 'n'));
  w.WriteAnsiString("");
  EXPECT_EQ(w.bytes().size(), 3u + 300u + 1u);
  Reading r(w.Take());
  std::string a, b = "x";
  r.reader.ReadAnsiString(a);
  r.reader.ReadAnsiString(b);
  EXPECT_EQ(a, std::string(300, 'n'));
  EXPECT_EQ(b, "");
}

TEST(StreamBlobs, ZeroCountBlobConsumesCountAndNameOnly) {
  ZT_IOF_W w;
  w.WriteInt32(0);
  w.WriteString(u"name");
  Reading r(w.Take());
  NamedBlob blob;
  blob.Data = {1, 2, 3};
  r.reader.ReadBlob(blob);
  EXPECT_TRUE(blob.Data.empty());
  EXPECT_EQ(blob.Name, u"name");
  EXPECT_EQ(r.reader.Offset(), 4u + 4u + 8u);
}

TEST(StreamBlobs, ResourceBlobLayout) {
  const ResourceBlob in{97, u"common_res.dll", {1, 9, 0xFF, 0xFE}, u"fx"};
  ZT_IOF_W w;
  w.WriteResourceBlob(in);
  EXPECT_EQ(w.bytes().size(), 4 + (4 + 28) + 4 + 4 + (4 + 4));
  Reading r(w.Take());
  ResourceBlob out;
  r.reader.ReadResourceBlob(out);
  EXPECT_EQ(out, in);
}

TEST(StreamBlobs, CountLargerThanTheRestFailsAtOnce) {
  std::vector<uint8_t> b(100, 0);
  const int32_t huge = 2000000000;
  std::memcpy(b.data(), &huge, 4);
  {
    Reading r(b);
    NamedBlob blob;
    EXPECT_THROW(r.reader.ReadBlob(blob), LoadError);
    EXPECT_TRUE(blob.Data.empty());
  }
  {
    Reading r(b);
    EXPECT_THROW(r.reader.ReadCount(1, "entries"), LoadError);
  }
  const int32_t negative = -5;
  std::memcpy(b.data(), &negative, 4);
  {
    Reading r(b);
    EXPECT_THROW(r.reader.ReadCount(1, "entries"), LoadError);
  }
}

TEST(StreamBlobs, CountIsCheckedAgainstTheSmallestElement) {
  ZT_IOF_W w;
  w.WriteInt32(3);
  w.WriteBytes(std::vector<uint8_t>(24, 0));
  {
    Reading r(w.bytes());
    EXPECT_EQ(r.reader.ReadCount(8, "entries"), 3u);
  }
  Reading r(w.bytes());
  EXPECT_THROW(r.reader.ReadCount(9, "entries"), LoadError);
}

TEST(StreamPrimitives, RoundTripWithExactSizes) {
  ZT_IOF_W w;
  w.WriteInt64(-1234567890123ll);
  w.WriteUInt64(0xFEDCBA9876543210ull);
  w.WriteFloat(-0.5f);
  w.WritePoint({-3, 7});
  w.WriteInt32(-2);
  w.WriteInt16(-300);
  w.WriteUInt32(0xFFFFFFF0u);
  w.WriteChar('q');
  w.WriteBool(true);
  w.WriteLong(77);
  EXPECT_EQ(w.bytes().size(), 8u + 8 + 4 + 8 + 4 + 2 + 4 + 1 + 1 + 4);
  Reading r(w.Take());
  int64_t i64;
  uint64_t u64;
  float f;
  Point32 p;
  int32_t i32, l;
  int16_t i16;
  uint32_t u32;
  char c;
  bool b;
  r.reader.ReadInt64(i64);
  r.reader.ReadUInt64(u64);
  r.reader.ReadFloat(f);
  r.reader.ReadPoint(p);
  r.reader.ReadInt32(i32);
  r.reader.ReadInt16(i16);
  r.reader.ReadUInt32(u32);
  r.reader.ReadChar(c);
  r.reader.ReadBool(b);
  r.reader.ReadLong(l);
  EXPECT_EQ(i64, -1234567890123ll);
  EXPECT_EQ(u64, 0xFEDCBA9876543210ull);
  EXPECT_EQ(f, -0.5f);
  EXPECT_EQ(p, (Point32{-3, 7}));
  EXPECT_EQ(i32, -2);
  EXPECT_EQ(i16, -300);
  EXPECT_EQ(u32, 0xFFFFFFF0u);
  EXPECT_EQ(c, 'q');
  EXPECT_TRUE(b);
  EXPECT_EQ(l, 77);
  EXPECT_EQ(r.reader.Remaining(), 0u);
}

TEST(StreamPrimitives, AnyNonZeroByteIsTrue) {
  Reading r({0x00, 0x02, 0xFF});
  bool a = true, b = false, c = false;
  r.reader.ReadBool(a);
  r.reader.ReadBool(b);
  r.reader.ReadBool(c);
  EXPECT_FALSE(a);
  EXPECT_TRUE(b);
  EXPECT_TRUE(c);
}

TEST(StreamPrimitives, ReadPastTheEndFailsWithOffset) {
  Reading r({1, 2, 3, 4, 5, 6});
  int32_t v;
  r.reader.ReadInt32(v);
  try {
    r.reader.ReadInt32(v);
    FAIL();
  } catch (const LoadError& e) {
    EXPECT_EQ(e.offset(), 4u);
    EXPECT_NE(std::string(e.what()).find("at byte 4"), std::string::npos);
  }
  uint8_t dst[3];
  EXPECT_THROW(r.reader.ReadBytes(dst, 3), LoadError);
  r.reader.ReadBytes(dst, 2);
  EXPECT_EQ(dst[1], 6);
}

TEST(StreamGuids, BracedFormRoundTripsAndBadFormsGiveNull) {
  const Guid g = *Guid::Parse(std::string_view("{6B29FC40-CA47-1067-B31D-00DD010662DA}"));
  EXPECT_EQ(g.Data1, 0x6B29FC40u);
  EXPECT_EQ(g.Data2, 0xCA47);
  EXPECT_EQ(g.Data4[7], 0xDA);
  ZT_IOF_W w;
  w.WriteGuid(g);
  EXPECT_EQ(w.bytes().size(), 4u + 2 * 38);
  w.WriteString(u"{6b29fc40-ca47-1067-b31d-00dd010662da}");
  w.WriteString(u"{6B29FC40-CA47-1067-B31D-00DD010662D}");
  w.WriteString(u"6B29FC40-CA47-1067-B31D-00DD010662DA");
  w.WriteString(u"{6B29FC40+CA47-1067-B31D-00DD010662DA}");
  Reading r(w.Take());
  Guid out;
  r.reader.ReadGuid(out);
  EXPECT_EQ(out, g);
  r.reader.ReadGuid(out);
  EXPECT_EQ(out, g) << "lower-case digits parse";
  for (int i = 0; i < 3; ++i) {
    out = g;
    r.reader.ReadGuid(out);
    EXPECT_TRUE(out.IsNull()) << i;
  }
  EXPECT_EQ(g.ToUtf8String(), "{6B29FC40-CA47-1067-B31D-00DD010662DA}");
}

}  // namespace
}  // namespace glimmer
