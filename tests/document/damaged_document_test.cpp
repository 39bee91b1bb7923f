// Damaged and hostile documents end the load with "Could not load required
// media.", the byte offset and what was being read; never a crash.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "show/show_document.h"
#include "store/stream_reader.h"
#include "tests/support/test_documents.h"

namespace glimmer {
namespace {

std::string LoadFailure(const std::vector<uint8_t>& bytes) {
  try {
    LoadShow(bytes);
  } catch (const LoadError& e) {
    return e.what();
  }
  return "loaded";
}

// Offset of the first occurrence of `needle` in `hay`.
size_t Find(const std::vector<uint8_t>& hay, const std::vector<uint8_t>& needle) {
  auto it = std::search(hay.begin(), hay.end(), needle.begin(), needle.end());
  return static_cast<size_t>(it - hay.begin());
}

TEST(DamagedDocuments, EveryTruncationFails) {
  const std::vector<uint8_t> full = testing::SampleShowBytes();
  ASSERT_EQ(LoadFailure(full), "loaded");
  for (size_t n = 0; n < full.size(); ++n) {
    const std::vector<uint8_t> cut(full.begin(), full.begin() + long(n));
    const std::string error = LoadFailure(cut);
    ASSERT_NE(error, "loaded") << "prefix of " << n << " bytes";
    ASSERT_EQ(error.rfind("Could not load required media. (0x8200000B): ", 0), 0u) << error;
  }
}

TEST(DamagedDocuments, HugeCountsFailAtOnce) {
  std::vector<uint8_t> doc = testing::SampleShowBytes();
  // The music count follows the (empty) slide count right after the root header.
  const size_t root = Find(doc, {'Z', 0, 'T', 0, '_', 0, 'S', 0});
  const size_t slideCount = root + 2 * 18 + 4;
  int32_t huge = 2000000000;
  std::vector<uint8_t> a = doc;
  std::memcpy(&a[slideCount], &huge, 4);
  EXPECT_NE(LoadFailure(a).find("count of 2000000000"), std::string::npos) << LoadFailure(a);
  std::vector<uint8_t> b = doc;
  std::memcpy(&b[slideCount + 4], &huge, 4);
  EXPECT_NE(LoadFailure(b).find("music"), std::string::npos) << LoadFailure(b);
  // The first music entry's blob count.
  const size_t blob = Find(doc, {'I', 'D', '3', 0}) - 4;
  std::vector<uint8_t> c = doc;
  std::memcpy(&c[blob], &huge, 4);
  const std::string error = LoadFailure(c);
  EXPECT_NE(error.find("ZT_AudioFile > Data > Data"), std::string::npos) << error;
  EXPECT_NE(error.find("at byte " + std::to_string(blob + 4)), std::string::npos) << error;
  int32_t negative = -1;
  std::memcpy(&c[blob], &negative, 4);
  EXPECT_NE(LoadFailure(c).find("negative"), std::string::npos);
}

TEST(DamagedDocuments, WrongStringMarkerFails) {
  std::vector<uint8_t> doc = testing::SampleShowBytes();
  doc[1] = 0xFD;
  EXPECT_NE(LoadFailure(doc).find("marker"), std::string::npos);
}

TEST(DamagedDocuments, UnknownSlideOrLayerClassAbandonsTheLoad) {
  EXPECT_NE(LoadFailure(testing::DocumentWithSlide(u"ZT_Bogus")).find("unknown class \"ZT_Bogus\""),
            std::string::npos);
  // A slide kind where a slide container is expected is unknown there.
  EXPECT_NE(LoadFailure(testing::DocumentWithSlide(u"ZT_2D_Light")).find("unknown class"),
            std::string::npos);
  // A layer of no known class names where it sat and the byte it failed at.
  const std::string unknown = LoadFailure(testing::DocumentWithLayer(u"ZT_BogusLayer"));
  EXPECT_NE(unknown.find("unknown class \"ZT_BogusLayer\""), std::string::npos) << unknown;
  EXPECT_NE(unknown.find("ZT_SlideContainer > visualLayers > ZT_BogusLayer"), std::string::npos)
      << unknown;
  EXPECT_NE(unknown.find("at byte"), std::string::npos);
}

TEST(DamagedDocuments, AnyBannerLoads) {
  ShowDocument doc = testing::SampleShow();
  doc.banner = u"not the usual banner";
  const auto bytes = SaveShow(doc);
  EXPECT_EQ(LoadShow(bytes).banner, u"not the usual banner");
}

TEST(DamagedDocuments, EmptyDocumentFails) {
  EXPECT_NE(LoadFailure({}).find("empty"), std::string::npos);
}

// The program reports a failed load on standard error with a non-zero exit.
TEST(DamagedDocuments, ProgramReportsFailedLoad) {
  const auto path = std::filesystem::temp_directory_path() / "glimmer_damaged_test.dds";
  std::vector<uint8_t> doc = testing::SampleShowBytes();
  doc.resize(doc.size() / 2);
  {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(doc.data()), long(doc.size()));
  }
  const std::string cmd =
      std::string(GLIMMER_BINARY) + " info " + path.string() + " 2>&1 >/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string output;
  char buf[512];
  while (size_t n = fread(buf, 1, sizeof buf, p)) output.append(buf, n);
  const int status = pclose(p);
  std::filesystem::remove(path);
  EXPECT_NE(status, 0);
  EXPECT_NE(output.find("Could not load required media. (0x8200000B): the document ends inside"),
            std::string::npos)
      << output;
}

}  // namespace
}  // namespace glimmer
