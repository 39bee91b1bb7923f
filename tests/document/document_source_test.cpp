// Where documents come from: files, Windows programs, payloads appended to
// the executable, and the built-in show.

#include "document/document_source.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/error_codes.h"
#include "document/pe_resources.h"
#include "show/show_document.h"
#include "tests/support/pe_builder.h"
#include "tests/support/test_documents.h"

namespace glimmer {
namespace {

namespace fs = std::filesystem;

class DocumentSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("glimmer_source_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const fs::path p = dir_ / name;
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
    return p;
  }
  uint32_t CodeOf(const DocumentSearch& s) {
    try {
      FindDocument(s);
    } catch (const GlimmerError& e) {
      return e.code();
    }
    return 0;
  }
  fs::path dir_;
};

TEST_F(DocumentSourceTest, NamedDocumentFileComesFirst) {
  const auto doc = testing::SampleShowBytes();
  const std::vector<uint8_t> builtin = {1, 2, 3};
  DocumentSearch s;
  s.file = Write("show.dds", doc);
  s.executable = Write("player", AppendPayload(std::vector<uint8_t>(50, 0x90), builtin));
  s.builtin = builtin;
  const DocumentBytes found = FindDocument(s);
  EXPECT_EQ(found.bytes, doc);
  EXPECT_EQ(found.origin, s.file->string());
}

TEST_F(DocumentSourceTest, WindowsProgramCarriesResource107) {
  const auto doc = testing::SampleShowBytes();
  testing::PeBuilder pe;
  pe.Add(std::u16string(u"DDS"), kDocumentResourceId, doc);
  pe.Add(std::u16string(u"DDS"), uint16_t{5}, {9, 9});
  DocumentSearch s;
  s.file = Write("Show.scr", pe.Build(true));
  EXPECT_EQ(FindDocument(s).bytes, doc);
  EXPECT_EQ(LoadShow(FindDocument(s).bytes).show->music.size(), 2u);

  testing::PeBuilder without;
  without.Add(std::u16string(u"DDS"), uint16_t{5}, {9, 9});
  s.file = Write("Other.scr", without.Build());
  EXPECT_EQ(CodeOf(s), 0x8200000Bu);
  s.file = Write("Broken.scr", {'M', 'Z', 0, 0});
  EXPECT_EQ(CodeOf(s), 0x8200000Bu);
}

TEST_F(DocumentSourceTest, AppendedPayloadThenBuiltin) {
  const auto doc = testing::SampleShowBytes();
  const std::vector<uint8_t> builtin = {7, 7, 7};
  DocumentSearch s;
  s.executable = Write("packed", AppendPayload(std::vector<uint8_t>(1000, 0xCC), doc));
  s.builtin = builtin;
  EXPECT_EQ(FindDocument(s).bytes, doc);

  s.executable = Write("plain", std::vector<uint8_t>(1000, 0xCC));
  EXPECT_EQ(FindDocument(s).bytes, builtin);
  EXPECT_EQ(FindDocument(s).origin, "built-in show");

  // A trailer claiming more than the file holds is not a payload.
  auto lying = AppendPayload(std::vector<uint8_t>(10, 0), doc);
  lying[lying.size() - 16] = 0xFF;
  lying[lying.size() - 11] = 0x7F;
  s.executable = Write("lying", lying);
  EXPECT_EQ(FindDocument(s).bytes, builtin);
}

TEST_F(DocumentSourceTest, NoDocumentAnywhere) {
  DocumentSearch s;
  s.executable = dir_ / "missing-executable";
  EXPECT_EQ(CodeOf(s), 0x8200000Bu);
}

TEST_F(DocumentSourceTest, RefusesWhatIsNotARegularFile) {
  DocumentSearch s;
  s.file = dir_;
  EXPECT_EQ(CodeOf(s), 0x8200000Bu);
  s.file = dir_ / "nope.dds";
  EXPECT_EQ(CodeOf(s), 0x8200000Bu);
  s.file = "/dev/zero";
  EXPECT_EQ(CodeOf(s), 0x8200000Bu);
}

}  // namespace
}  // namespace glimmer
