// Every class the registries know goes through the writer, the reader and
// the JSON form and comes back to the same bytes.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>

#include "common/wide_string.h"
#include "show/show_schema.h"
#include "store/class_registry.h"
#include "store/json_archive.h"
#include "tests/support/archive_helpers.h"

namespace glimmer::testing {
namespace {

TEST(EveryStoredClass, RoundTripsThroughWriterReaderAndJson) {
  size_t classes = 0;
  for (const ClassRegistry* registry : AllRegistries()) {
    for (const std::u16string& name : registry->RegisteredNames()) {
      SCOPED_TRACE(std::string(registry->name()) + " " + ToUtf8(name));
      std::unique_ptr<ZT_IOF_Item> item = registry->CreateByName(name);
      ASSERT_NE(item, nullptr);
      const std::vector<uint8_t> bytes =
          WriteWith([&](Archive& ar) { Field(ar, "object", *item); });
      std::unique_ptr<ZT_IOF_Item> back = registry->CreateByName(name);
      ReadWith(bytes, [&](Archive& ar) { Field(ar, "object", *back); });
      EXPECT_EQ(WriteWith([&](Archive& ar) { Field(ar, "object", *back); }), bytes);
      FileBlobStore blobs;
      JsonOutArchive out(blobs);
      Field(out, "object", *item);
      const Json json = out.Result();
      EXPECT_TRUE(json["object"].is_object());
      std::unique_ptr<ZT_IOF_Item> fromJson = registry->CreateByName(name);
      JsonInArchive in(json, blobs);
      Field(in, "object", *fromJson);
      in.Finish();
      EXPECT_EQ(WriteWith([&](Archive& ar) { Field(ar, "object", *fromJson); }), bytes);
      ++classes;
    }
  }
  EXPECT_GE(classes, 3u) << "the show root, slide containers and slides at least";
}

TEST(ShowFormatPage, DescribesTheClassesAsBuilt) {
  const std::string format = DescribeShowFormat();
  for (const ClassRegistry* registry : AllRegistries()) {
    for (const std::u16string& name : registry->RegisteredNames()) {
      EXPECT_NE(format.find("\n" + ToUtf8(name) + " (registry "), std::string::npos)
          << ToUtf8(name);
    }
  }
  EXPECT_NE(format.find("Zoom: integer = 120"), std::string::npos) << "fields with their defaults";
  // The page holds what the program prints (lists described from its demo show).
  const std::string printed = ::testing::TempDir() + "glimmer_schema.txt";
  ASSERT_EQ(std::system((std::string(GLIMMER_BINARY) + " schema > " + printed).c_str()), 0);
  std::ifstream printedIn(printed);
  const std::string schema((std::istreambuf_iterator<char>(printedIn)), {});
  EXPECT_NE(schema.find("TravelTime: number"), std::string::npos)
      << "list elements shown from the example";
  std::ifstream page(std::string(GLIMMER_SOURCE_DIR) + "/docs/show-format.md");
  const std::string text((std::istreambuf_iterator<char>(page)), {});
  EXPECT_NE(text.find(schema), std::string::npos)
      << "docs/show-format.md is out of date: run scripts/make-show-format-page";
}

}  // namespace
}  // namespace glimmer::testing
