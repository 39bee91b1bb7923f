// Composing documents from their JSON form, and players that carry a show.

#include "show/show_composer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "document/document_source.h"
#include "platform/image/image_codec.h"
#include "scene/slide.h"
#include "show/show_document.h"
#include "tests/support/test_documents.h"

namespace glimmer::testing {
namespace {

namespace fs = std::filesystem;

// The sample show's resources with two slides of their own pictures.
ShowDocument SlideShow() {
  ShowDocument doc = LoadShow(SampleShowBytes());
  for (int i = 0; i < 2; ++i) {
    auto c = std::make_shared<ZT_SlideContainer>();
    c->slide = std::make_shared<ZT_2D_Light>();
    c->slide->camera.Mode.SetValue(i);
    c->slide->picture.SetValue({u"pic" + std::u16string(1, char16_t(u'0' + i)) + u".png", 1});
    Image img{32, 16, std::vector<uint8_t>(32 * 16 * 4, 255)};
    for (size_t p = 0; p < img.rgba.size(); p += 4) img.rgba[p] = uint8_t(p * 7 + 90 * i);
    doc.resources->PictureBlobs.push_back(
        {c->slide->picture.Value(), {{0, u"", EncodePng(img), u""}}});
    doc.show->slides.push_back(c);
  }
  return doc;
}

class Composer : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("glimmer_compose_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  static std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  static int Run(const std::string& args) {
    return std::system((std::string(GLIMMER_BINARY) + " " + args).c_str());
  }
  fs::path dir_;
};

TEST_F(Composer, ADumpedShowComposesToTheSameBytes) {
  ShowDocument doc = SlideShow();
  const std::vector<uint8_t> current = SaveShow(doc);  // at current versions
  FileBlobStore files(dir_, dir_ / "files");
  std::ofstream(dir_ / "show.json") << ShowToJson(doc, files).dump(2);
  EXPECT_EQ(ComposeShowFile(dir_ / "show.json"), current);
  // Moved elsewhere with its files, it still composes the same.
  fs::rename(dir_ / "files", dir_ / "moved_files");
  fs::create_directories(dir_ / "other");
  fs::rename(dir_ / "moved_files", dir_ / "other" / "files");
  fs::rename(dir_ / "show.json", dir_ / "other" / "show.json");
  EXPECT_EQ(ComposeShowFile(dir_ / "other" / "show.json"), current);
}

TEST_F(Composer, AHandWrittenShowCarriesThePicturesItNames) {
  fs::create_directories(dir_ / "pics");
  Image red{8, 4, std::vector<uint8_t>(8 * 4 * 4, 0)};
  for (size_t p = 0; p < red.rgba.size(); p += 4) red.rgba[p] = red.rgba[p + 3] = 255;
  ASSERT_TRUE(WritePng((dir_ / "pics" / "red.png").string(), red));
  std::ofstream(dir_ / "show.json") << R"({"slides": [{"class": "ZT_SlideContainer", "duration": 4,
      "slide": {"class": "ZT_2D_Light", "picture": {"Path": "pics/red.png"}}}]})";
  std::vector<std::string> uncarried;
  const std::vector<uint8_t> bytes = ComposeShowFile(dir_ / "show.json", &uncarried);
  EXPECT_TRUE(uncarried.empty());
  ShowDocument doc = LoadShow(bytes);
  ASSERT_EQ(doc.resources->PictureBlobs.size(), 1u);
  const LinkKey carried = doc.resources->PictureBlobs[0].Key;
  EXPECT_EQ(carried.Path, u"pics/red.png");
  EXPECT_EQ(doc.show->slides.at(0)->slide->picture.Value(), carried)
      << "the link names the carried file";
  EXPECT_EQ(ComposeShowFile(dir_ / "show.json"), bytes) << "the same file keeps the same key";
  // A mistyped path is named (once, however many links use it); a module is not.
  std::ofstream(dir_ / "typo.json") << R"({"slides": [
      {"class": "ZT_SlideContainer", "slide": {"class": "ZT_2D_Light", "picture": {"Path": "pics/rde.png"}}},
      {"class": "ZT_SlideContainer", "slide": {"class": "ZT_2D_Light", "picture": {"Path": "pics/rde.png"}}},
      {"class": "ZT_SlideContainer", "slide": {"class": "ZT_2D_Light", "picture": {"Path": "common_res.dll", "Stamp": 1100}}}]})";
  ComposeShowFile(dir_ / "typo.json", &uncarried);
  EXPECT_EQ(uncarried, std::vector<std::string>{"pics/rde.png"});
  const fs::path composed = dir_ / "red.dds";
  ASSERT_EQ(
      Run("compose " + (dir_ / "show.json").string() + " -o " + composed.string() + " > /dev/null"),
      0);
  fs::remove_all(dir_ / "pics");  // the document is self-contained
  ASSERT_EQ(Run("render " + composed.string() + " --size 32x18 --at 2 --out " +
                (dir_ / "r").string() + " > /dev/null"),
            0);
  std::ifstream in(dir_ / "r" / "at_00002.000.png", std::ios::binary);
  const std::vector<uint8_t> png((std::istreambuf_iterator<char>(in)), {});
  const auto frame = DecodeImage(png);
  ASSERT_TRUE(frame);
  const uint8_t* centre = frame->Pixel(16, 9);
  EXPECT_GT(centre[0], 240);
  EXPECT_LT(centre[1] + centre[2], 20) << "the carried picture is shown";
}

TEST_F(Composer, ErrorsNameTheJsonPathAndWriteNothing) {
  ShowDocument doc = SlideShow();
  FileBlobStore files(dir_, dir_ / "files");
  Json json = ShowToJson(doc, files);
  ASSERT_GE(json["slides"].size(), 1u);
  json["slides"][0]["slide"]["camera"]["Mode"] = "fast";
  std::ofstream(dir_ / "bad.json") << json.dump();
  try {
    ComposeShowFile(dir_ / "bad.json");
    ADD_FAILURE() << "a string where a number belongs was accepted";
  } catch (const JsonFormatError& e) {
    EXPECT_NE(std::string(e.what()).find("slides[0].slide.camera.Mode"), std::string::npos)
        << e.what();
  }
  const fs::path out = dir_ / "out.dds";
  EXPECT_NE(Run((dir_ / "bad.json").string().insert(0, "compose ") + " -o " + out.string() +
                " 2> /dev/null"),
            0);
  EXPECT_FALSE(fs::exists(out));
  EXPECT_FALSE(fs::exists(out.string() + ".tmp")) << "no partial file either";
  std::ofstream(dir_ / "truncated.json") << "{\"slides\": [";
  EXPECT_THROW(ComposeShowFile(dir_ / "truncated.json"), JsonFormatError);
}

TEST_F(Composer, APackedPlayerRendersItsOwnShow) {
  const fs::path show = dir_ / "show.dds";
  {
    ShowDocument doc = SlideShow();
    const std::vector<uint8_t> bytes = SaveShow(doc);
    std::ofstream(show, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  const fs::path packed = dir_ / "packed_player";
  ASSERT_EQ(Run("pack " + show.string() + " -o " + packed.string() + " > /dev/null"), 0);
  const fs::path twice = dir_ / "packed_twice";
  ASSERT_EQ(std::system((packed.string() + " pack " + show.string() + " -o " + twice.string() +
                         " > /dev/null")
                            .c_str()),
            0);
  EXPECT_EQ(fs::file_size(twice), fs::file_size(packed))
      << "packing a packed player replaces its show";
  ASSERT_EQ(std::system((packed.string() + " render --size 64x36 --at 1.5 --out " +
                         (dir_ / "a").string() + " > /dev/null")
                            .c_str()),
            0);
  ASSERT_EQ(Run(show.string().insert(0, "render ") + " --size 64x36 --at 1.5 --out " +
                (dir_ / "b").string() + " > /dev/null"),
            0);
  const std::string a = Read(dir_ / "a" / "at_00001.500.png"),
                    b = Read(dir_ / "b" / "at_00001.500.png");
  EXPECT_FALSE(a.empty());
  EXPECT_EQ(a, b) << "the packed player plays the show it carries";
  const auto payload = ReadAppendedPayload(packed);
  ASSERT_TRUE(payload);
  const std::string carried(payload->begin(), payload->end());
  EXPECT_EQ(carried, Read(show));
}

}  // namespace
}  // namespace glimmer::testing
