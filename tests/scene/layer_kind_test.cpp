// A layer kind on the template, end to end: a show's JSON naming the probe
// kind composes to a document, loads through the registry, instantiates the
// kind's runtime object with its typed settings, and draws through the
// effect registered beside it. This is the path of every kind.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "document/resource_manager.h"
#include "platform/image/image_codec.h"
#include "show/show_composer.h"
#include "show/show_document.h"
#include "tests/platform/gpu/gpu_test_support.h"
#include "tests/support/probe_layer.h"

namespace glimmer::testing {
namespace {

namespace fs = std::filesystem;

class LayerKind : public GpuTest {
 protected:
  void SetUp() override {
    GpuTest::SetUp();
    dir_ = fs::temp_directory_path() / ("glimmer_kind_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    Image black{16, 16, std::vector<uint8_t>(16 * 16 * 4, 0)};
    for (size_t i = 3; i < black.rgba.size(); i += 4) black.rgba[i] = 255;
    const std::vector<uint8_t> png = EncodePng(black);
    std::ofstream(dir_ / "black.png", std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
  }
  void TearDown() override { fs::remove_all(dir_); }

  // One slide of the black picture with one probe layer of `layer`'s fields.
  ShowDocument Compose(const std::string& layer) {
    std::ofstream(dir_ / "show.json")
        << R"({"slides": [{"class": "ZT_SlideContainer", "duration": 5,
        "slide": {"class": "ZT_2D_Light", "picture": {"Path": "black.png"}},
        "visualLayers": [{"class": "ProbeLayer", )"
        << layer << "}]}]}";
    return LoadShow(ComposeShowFile(dir_ / "show.json"));
  }
  fs::path dir_;
};

TEST_F(LayerKind, AKindFromAShowDrawsWithItsSettingsThroughItsEffect) {
  // 0xFFFF0000, opaque red; the base class's fields sit under its name.
  ShowDocument doc = Compose(R"("tint": 4294901760, "ZT_ABObj_Constructor": {"name": "probe"})");
  RenderContext context;
  doc.resources->Attach(*device_);
  ScreenScope scope(doc.resources->ScreenFor(device_, &context));
  doc.show->Instantiate(2);
  ZT_SlideContainer& slide = *doc.show->slides[0];
  ASSERT_EQ(slide.visualObjects.size(), 1u);
  auto* probe = dynamic_cast<ProbeObject*>(slide.visualObjects[0].get());
  ASSERT_NE(probe, nullptr) << "the registry made the kind's runtime object";
  EXPECT_EQ(probe->settings().tint.Value(), 0xFFFF0000u);
  EXPECT_EQ(probe->settings().name, u"probe");
  doc.show->AdvanceShow(1.5f);
  doc.show->RenderShow();
  EXPECT_GT(probe->lastTime, 0.0f) << "the layer was advanced";
  EXPECT_TRUE(NearColor(Pixel(kWidth / 2, kHeight / 2), 0xFF0000FF, 2))
      << "drawn through its effect";
}

TEST_F(LayerKind, AMissingEffectSkipsTheDrawing) {
  ShowDocument doc = Compose(R"("tint": 4294901760, "effect": {"Path": "nowhere.fx", "Stamp": 9})");
  RenderContext context;
  doc.resources->Attach(*device_);
  ScreenScope scope(doc.resources->ScreenFor(device_, &context));
  doc.show->Instantiate(2);
  doc.show->AdvanceShow(1.5f);
  doc.show->RenderShow();
  EXPECT_TRUE(NearColor(Pixel(kWidth / 2, kHeight / 2), 0x000000FF, 2)) << "only the picture";
}

}  // namespace
}  // namespace glimmer::testing
