// One stored form, three uses: binary reading, binary writing and JSON.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "show/show_document.h"
#include "store/stream_writer.h"
#include "tests/support/test_documents.h"

namespace glimmer {
namespace {

using testing::SampleShow;
using testing::SampleShowBytes;

TEST(ShowDocumentForms, BinaryRoundTripIsByteIdentical) {
  const std::vector<uint8_t> bytes = SampleShowBytes();
  ShowDocument doc = LoadShow(bytes);
  EXPECT_EQ(doc.banner, u"YRB v 4.0.0");
  ASSERT_EQ(doc.show->music.size(), 2u);
  EXPECT_EQ(doc.show->music[1]->Name, u"Rain \u00e9t\u00e9");
  EXPECT_EQ(doc.resources->PictureBlobs[0].Blobs.size(), 2u);
  EXPECT_EQ(doc.resources->PictureBlobs[0].Key.Stamp, 1234567890123ull);
  EXPECT_EQ(doc.resources->DelayEntries[0].Delays[1], 0.25f);
  EXPECT_EQ(doc.resources->GuidEntries[0].Blob.Data.size(), 4u);
  EXPECT_TRUE(doc.resources->GuidEntries[0].Flag);
  EXPECT_EQ(doc.resources->FrameEntries[0].Frames[1].Delay, 0.08f);
  EXPECT_EQ(SaveShow(doc), bytes);
}

TEST(ShowDocumentForms, JsonRoundTripGivesTheSameBytes) {
  ShowDocument doc = SampleShow();
  FileBlobStore blobs;
  const Json json = ShowToJson(doc, blobs);
  ShowDocument back = ShowFromJson(Json::parse(json.dump()), blobs);
  EXPECT_EQ(SaveShow(back), SaveShow(doc));
}

TEST(ShowDocumentForms, JsonUsesFieldNamesAndCleanNumbers) {
  ShowDocument doc = SampleShow();
  FileBlobStore blobs;
  const Json json = ShowToJson(doc, blobs);
  EXPECT_EQ(json["banner"], "YRB v 4.0.0");
  EXPECT_TRUE(json["slides"].is_array());
  EXPECT_EQ(json["music"][0]["Name"], "Opening");
  EXPECT_EQ(json["music"][0]["Data"]["Name"], "opening.mp3");
  EXPECT_TRUE(json["music"][0]["Data"]["Data"].contains("base64"));
  EXPECT_EQ(json["resources"]["FrameDelays"][0]["Delays"][0].dump(), "0.1");
  EXPECT_EQ(json["resources"]["GuidBlobs"][0]["Id"], "{0123ABCD-4567-89EF-0123-456789ABCDEF}");
  EXPECT_FALSE(json["resources"]["Frames"][0]["Frames"][0].contains("Marker"));
}

TEST(ShowDocumentForms, MissingJsonFieldsKeepDefaults) {
  FileBlobStore blobs;
  ShowDocument doc = ShowFromJson(Json::parse(R"({"music": [{"Name": "only a name"}]})"), blobs);
  EXPECT_EQ(doc.banner, u"YRB v 4.0.0");
  ASSERT_EQ(doc.show->music.size(), 1u);
  EXPECT_EQ(doc.show->music[0]->Name, u"only a name");
  EXPECT_TRUE(doc.show->music[0]->Data.Data.empty());
  EXPECT_TRUE(doc.resources->PictureBlobs.empty());
}

TEST(ShowDocumentForms, JsonErrorsNameThePath) {
  FileBlobStore blobs;
  auto errorOf = [&](const char* text) {
    try {
      ShowFromJson(Json::parse(text), blobs);
    } catch (const JsonFormatError& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(errorOf(R"({"music": [{}, {"Name": 5}]})"), "music[1].Name: expected a string");
  EXPECT_EQ(errorOf(R"({"resources": {"FrameDelays": [{"Delays": [1, "x"]}]}})"),
            "resources.FrameDelays[0].Delays[1]: expected a number");
  EXPECT_EQ(errorOf(R"({"resources": {"PictureBlobs": [{"Key": {"Stamp": -1}}]}})"),
            "resources.PictureBlobs[0].Key.Stamp: expected a non-negative integer");
  EXPECT_EQ(errorOf(R"({"musik": []})"), "musik: unknown field");
  EXPECT_EQ(errorOf(R"({"music": {}})"), "music: expected a list");
  EXPECT_EQ(errorOf(R"({"music": [{"Data": {"Data": {"base64": "@@@@"}}}]})"),
            "music[0].Data.Data: invalid base64 data");
  EXPECT_EQ(
      errorOf(R"({"resources": {"GuidBlobs": [{"Id": "{nope}"}]}})"),
      "resources.GuidBlobs[0].Id: expected a GUID like {00000000-0000-0000-0000-000000000000}");
  EXPECT_EQ(errorOf(R"({"slides": [{"class": "ZT_SlideContainer", "slide": {"class": "ZT_2D_Light"},
                                     "visualLayers": [{"class": "ZT_BogusLayer"}]}]})"),
            "slides[0].visualLayers[0]: unknown class \"ZT_BogusLayer\" where the general "
            "registry was consulted");
  EXPECT_EQ(errorOf(R"({"slides": [{"class": "ZT_SlideContainer", "fadeIn": "1"}]})"),
            "slides[0].fadeIn: expected a number");
  EXPECT_EQ(errorOf(R"({"slides": [{}]})"), "slides[0]: expected \"class\": the stored class name");
}

TEST(ShowDocumentForms, OlderResourceManagerVersionsReadFewerCollections) {
  for (int32_t version = 1; version <= 4; ++version) {
    ZT_IOF_W w;
    w.WriteString(u"any banner");
    w.WriteHeader(u"NotTheRootName", 7);  // neither checked nor consulted
    w.WriteInt32(0);
    w.WriteInt32(0);
    testing::WriteEmptyResources(w, version);
    const auto bytes = w.Take();
    ShowDocument doc = LoadShow(bytes);
    EXPECT_EQ(doc.banner, u"any banner");
    // A version-1 manager has two collections; each version adds one.
    EXPECT_TRUE(doc.resources->FrameEntries.empty());
  }
  // A version-2 manager reads exactly its three collections: the fourth int
  // of the document is not consumed by it.
  ZT_IOF_W w;
  w.WriteString(u"YRB v 4.0.0");
  w.WriteHeader(u"ZT_SlideShow_Light", 1);
  w.WriteInt32(0);
  w.WriteInt32(0);
  w.WriteHeader(u"ZT_DocResManager", 2);
  w.WriteInt32(0);
  w.WriteInt32(0);
  w.WriteInt32(1);
  w.WriteString(u"fx.dll");
  w.WriteUInt64(5);
  w.WriteInt32(0);
  ShowDocument doc = LoadShow(w.bytes());
  ASSERT_EQ(doc.resources->FileBlobs.size(), 1u);
  EXPECT_EQ(doc.resources->FileBlobs[0].Key.Path, u"fx.dll");
}

TEST(Base64, EncodesAndRejects) {
  const std::vector<uint8_t> data = {'M', 'a', 'n', 'y', 0, 255};
  FileBlobStore blobs;
  const Json stored = blobs.Store(data, "x");
  EXPECT_EQ(stored["base64"], "TWFueQD/");
  EXPECT_EQ(blobs.Load(stored, "x"), data);
  EXPECT_THROW(blobs.Load(Json{{"base64", "TWFue"}}, "x"), JsonFormatError);
  EXPECT_THROW(blobs.Load(Json{{"base64", "TW=u"}}, "x"), JsonFormatError);
  EXPECT_EQ(blobs.Load(Json{{"base64", "TQ=="}}, "x"), std::vector<uint8_t>{'M'});
}

}  // namespace
}  // namespace glimmer
