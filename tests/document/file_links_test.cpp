// Stored forms of file links and named picture sets.

#include "document/file_links.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "store/binary_archive.h"
#include "store/json_archive.h"

namespace glimmer {
namespace {

template <class T>
void ReadInto(const std::vector<uint8_t>& bytes, T& link) {
  ResourceBuffer buffer(bytes);
  ZT_IOF_R reader(buffer);
  BinaryInArchive ar(reader);
  Field(ar, "link", link);
  EXPECT_EQ(reader.Remaining(), 0u);
}

TEST(FileLinks, PathAndStampLowWordFirst) {
  ZT_IOF_W w;
  w.WriteString(u"C:\\Shows\\Lake.JPG");
  w.WriteInt32(0x01020304);  // low word
  w.WriteInt32(0x00000005);  // high word
  ZT_ImageFileLink link;
  int notified = 0;
  struct Count : MediaControl {
    int* n;
    void OnChanged(MediaControl*) override { ++*n; }
  } counter;
  counter.n = &notified;
  link.AppendControl(&counter);
  ReadInto(w.Take(), link);
  EXPECT_EQ(link.Stamp(), 0x0000000501020304ull);
  EXPECT_EQ(link.FileName(), u"Lake.JPG");
  EXPECT_EQ(link.Extension(), u".jpg");
  EXPECT_EQ(link.ResourceId(), 0x0304);
  EXPECT_EQ(notified, 1) << "replaced as a whole, observers notified";
  EXPECT_EQ(ZT_ImageFileLink(u"common_res.dll").Stamp(), 62u) << "a module's default picture";
  EXPECT_EQ(ZT_FileLink3(LinkKey{u"noext", 1}).Extension(), u"");
}

std::vector<uint8_t> NamedBytes(uint32_t version) {
  ZT_IOF_W w;
  w.WriteString(u"Sparks");
  w.WriteInt32(2);
  w.WriteString(u"a.png");
  w.WriteUInt64(1);
  w.WriteString(u"b.png");
  w.WriteUInt64(2);
  w.WriteUInt32(version);
  if (version >= 1) {
    w.WriteUInt32(4);
    w.WriteUInt32(2);
  }
  if (version >= 2) {
    w.WriteString(u"b.png");
    w.WriteUInt64(2);
  }
  if (version >= 3) w.WriteBool(true);
  return w.Take();
}

TEST(NamedFileLink, EveryStoredVersion) {
  for (uint32_t v = 0; v <= 3; ++v) {
    ZT_NamedFileLink link;
    ReadInto(NamedBytes(v), link);
    const ZT_NamedFileLinkData& d = link.Value();
    EXPECT_EQ(d.Name, u"Sparks");
    ASSERT_EQ(d.Images.size(), 2u);
    EXPECT_EQ(d.Columns, v >= 1 ? 4u : 1u) << v;
    EXPECT_EQ(d.Rows, v >= 1 ? 2u : 1u) << v;
    EXPECT_EQ(d.Primary, v >= 2 ? d.Images[1] : d.Images[0])
        << "older versions take the first image";
    EXPECT_EQ(d.PremultipliedAlpha, v >= 3) << v;
  }
}

TEST(NamedFileLink, RoundTripsThroughWriterAndJson) {
  ZT_NamedFileLink link;
  ReadInto(NamedBytes(3), link);
  ZT_IOF_W w;
  BinaryOutArchive out(w);
  link.Serialize(out, "link");
  EXPECT_EQ(w.bytes(), NamedBytes(3));
  FileBlobStore blobs;
  JsonOutArchive json(blobs);
  link.Serialize(json, "link");
  const Json j = json.Result();
  EXPECT_EQ(j["link"]["Columns"], 4);
  EXPECT_FALSE(j["link"].contains("version"));
  ZT_NamedFileLink back;
  JsonInArchive in(j, blobs);
  back.Serialize(in, "link");
  in.Finish();
  EXPECT_EQ(back.Value(), link.Value());
}

}  // namespace
}  // namespace glimmer
