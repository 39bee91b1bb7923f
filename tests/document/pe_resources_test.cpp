// The PE resource reader, on PE files the tests build.

#include "document/pe_resources.h"

#include <gtest/gtest.h>

#include "tests/support/pe_builder.h"

namespace glimmer {
namespace {

using testing::PeBuilder;

std::vector<uint8_t> SampleModule(bool pe32) {
  PeBuilder b;
  b.Add(std::u16string(u"DDS"), uint16_t{107}, {1, 2, 3, 4, 5});
  b.Add(std::u16string(u"DDS"), uint16_t{62}, {6, 7});
  b.Add(kRtRcData, uint16_t{97}, {0x01, 0x09, 0xFF, 0xFE});
  b.Add(std::u16string(u"OTHER"), std::u16string(u"NAMED"), {9});
  return b.Build(pe32);
}

std::vector<uint8_t> Bytes(std::optional<std::span<const uint8_t>> s) {
  return s ? std::vector<uint8_t>(s->begin(), s->end()) : std::vector<uint8_t>{0xEE};
}

TEST(PeResources, FindsResourcesByTypeNameAndId) {
  for (bool pe32 : {false, true}) {
    const auto file = SampleModule(pe32);
    auto pe = PeResources::Parse(file);
    ASSERT_TRUE(pe) << pe32;
    EXPECT_EQ(Bytes(pe->Find(std::u16string(u"DDS"), uint16_t{107})),
              (std::vector<uint8_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(Bytes(pe->Find(std::u16string(u"dds"), uint16_t{62})), (std::vector<uint8_t>{6, 7}))
        << "type names compare without case";
    EXPECT_EQ(Bytes(pe->Find(kRtRcData, uint16_t{97})), (std::vector<uint8_t>{1, 9, 0xFF, 0xFE}));
    EXPECT_EQ(Bytes(pe->Find(std::u16string(u"Other"), std::u16string(u"named"))),
              std::vector<uint8_t>{9});
    EXPECT_FALSE(pe->Find(std::u16string(u"DDS"), uint16_t{108}));
    EXPECT_FALSE(pe->Find(kRtRcData, uint16_t{107}));
    EXPECT_FALSE(pe->Find(uint16_t{3}, uint16_t{107}));
  }
}

TEST(PeResources, RejectsWhatIsNotPe) {
  EXPECT_FALSE(PeResources::Parse(std::vector<uint8_t>{}));
  EXPECT_FALSE(PeResources::Parse(std::vector<uint8_t>{'M', 'Z'}));
  std::vector<uint8_t> file = SampleModule(false);
  file[0x40] = 'X';  // PE signature
  EXPECT_FALSE(PeResources::Parse(file));
}

TEST(PeResources, DamagedFilesNeverReadOutside) {
  const auto file = SampleModule(false);
  // Every truncation, and every single byte flipped: the reader must stay in
  // bounds (the sanitizer build checks that) and give either nothing or bytes
  // that lie inside the file.
  for (size_t n = 0; n < file.size(); ++n) {
    std::vector<uint8_t> cut(file.begin(), file.begin() + long(n));
    if (auto pe = PeResources::Parse(cut)) {
      auto found = pe->Find(std::u16string(u"DDS"), uint16_t{107});
      if (found) {
        EXPECT_GE(found->data(), cut.data());
        EXPECT_LE(found->data() + found->size(), cut.data() + cut.size());
      }
    }
  }
  for (size_t i = 0; i < file.size(); ++i) {
    std::vector<uint8_t> bad = file;
    bad[i] ^= 0xA5;
    if (auto pe = PeResources::Parse(bad)) {
      for (uint16_t id : {uint16_t{107}, uint16_t{62}}) {
        auto found = pe->Find(std::u16string(u"DDS"), id);
        if (found) {
          EXPECT_LE(found->data() + found->size(), bad.data() + bad.size());
        }
      }
    }
  }
}

}  // namespace
}  // namespace glimmer
