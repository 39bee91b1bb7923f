// A line drawn in its look's multiply blend: the ribbon goes onto its own
// surface and is multiplied into the scene beneath, which keeps its colour
// elsewhere; the scene copies it takes are the ones the slide counted.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "document/resource_manager.h"
#include "particles/groving_line.h"
#include "platform/image/image_codec.h"
#include "show/show_composer.h"
#include "show/show_document.h"
#include "tests/platform/gpu/gpu_test_support.h"

namespace glimmer::testing {
namespace {

namespace fs = std::filesystem;

class LineBlend : public GpuTest {
 protected:
  void SetUp() override {
    GpuTest::SetUp();
    dir_ = fs::temp_directory_path() / ("glimmer_line_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    // As large as the target, so the picture's pixels are the target's.
    Image grey{kWidth, kHeight, std::vector<uint8_t>(kWidth * kHeight * 4, 200)};
    for (size_t i = 3; i < grey.rgba.size(); i += 4) grey.rgba[i] = 255;
    const std::vector<uint8_t> png = EncodePng(grey);
    std::ofstream(dir_ / "grey.png", std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path dir_;
};

TEST_F(LineBlend, TheMultiplyBlendTintsTheSceneUnderTheRibbonOnly) {
  // A white ribbon tinted red (0x00BBGGRR), 12 pixels wide, across the
  // middle of the target; blended over the scene (0) or multiplied into it
  // (1). With glows over the scene for the ribbon and for a head (drawn off
  // the target's edge) as well, the line takes three copies in one frame.
  for (auto [blend, glow, copies, expected] :
       {std::tuple{0, 0, 0, 0xFF0000FFu}, {1, 0, 1, 0xC80000FFu}, {1, 2, 3, 0xC80000FFu}}) {
    SCOPED_TRACE("blend " + std::to_string(blend) + " glow " + std::to_string(glow));
    std::ofstream(dir_ / "show.json")
        << R"({"slides": [{"class": "ZT_SlideContainer",
      "duration": 5, "slide": {"class": "ZT_2D_Light", "picture": {"Path": "grey.png"}},
      "visualLayers": [{"class": "QVX_GrovingLine", "QVX_StaticLineCtrl": {"width": 12,
        "QVX_LineCtrl": {"showHead": )"
        << (glow ? 1 : 0) << R"(,
          "path": [{"position": {"x": -10, "y": 24, "z": 0}},
                   {"position": {"x": 80, "y": 24, "z": 0}}],
          "lineLook": {"name": "ribbon", "colours": [255], "glowMode": )"
        << glow << R"(, "glowBrightness": 0, "blend": )" << blend << R"(,
            "texture": {"Name": "White", "Primary": {"Path": "common_res.dll", "Stamp": 78}}},
          "QVX_ParticleSystemCtrl": {"speed": 100, "appearance": {"glowMode": )"
        << glow << R"(, "glowBrightness": 0}}}}}]}]})";
    ShowDocument doc = LoadShow(ComposeShowFile(dir_ / "show.json"));
    RenderContext context;
    doc.resources->Attach(*device_);
    ScreenScope scope(doc.resources->ScreenFor(device_, &context));
    doc.show->Instantiate(2);
    ZT_SlideContainer& slide = *doc.show->slides[0];
    ASSERT_EQ(slide.visualObjects.size(), 1u);
    EXPECT_EQ(slide.visualObjects[0]->SceneCopyCount(), copies);
    doc.show->AdvanceShow(1.5f);
    doc.show->RenderShow();
    const uint32_t on = Pixel(kWidth / 2, kHeight / 2), off = Pixel(kWidth / 2, 4);
    EXPECT_TRUE(NearColor(off, 0xC8C8C8FF, 3)) << "the scene stays: " << std::hex << off;
    EXPECT_TRUE(NearColor(on, expected, 3)) << std::hex << on;
  }
}

TEST_F(LineBlend, AFlatSystemBlendsNormallyWhateverItsTexturesPremultipliedFlag) {
  // A half transparent red ribbon: drawn the same whether the texture says
  // its colour is premultiplied or not (only tree leaves draw such textures
  // with the premultiplied blend).
  std::vector<uint32_t> drawn;
  for (const bool premultiplied : {false, true}) {
    SCOPED_TRACE(premultiplied);
    std::ofstream(dir_ / "show.json") << R"({"slides": [{"class": "ZT_SlideContainer",
      "duration": 5, "slide": {"class": "ZT_2D_Light", "picture": {"Path": "grey.png"}},
      "visualLayers": [{"class": "QVX_GrovingLine", "QVX_StaticLineCtrl": {"width": 12,
        "QVX_LineCtrl": {"showHead": 0,
          "path": [{"position": {"x": -10, "y": 24, "z": 0}},
                   {"position": {"x": 80, "y": 24, "z": 0}}],
          "lineLook": {"name": "ribbon", "colours": [255], "transparency": 50, "blend": 0,
            "texture": {"Name": "White", "PremultipliedAlpha": )"
                                      << (premultiplied ? "true" : "false") << R"(,
              "Primary": {"Path": "common_res.dll", "Stamp": 78}}},
          "QVX_ParticleSystemCtrl": {"speed": 100}}}}]}]})";
    ShowDocument doc = LoadShow(ComposeShowFile(dir_ / "show.json"));
    RenderContext context;
    doc.resources->Attach(*device_);
    ScreenScope scope(doc.resources->ScreenFor(device_, &context));
    doc.show->Instantiate(2);
    doc.show->AdvanceShow(1.5f);
    doc.show->RenderShow();
    drawn.push_back(Pixel(kWidth / 2, kHeight / 2));
  }
  EXPECT_NE(drawn[0], 0xC8C8C8FFu) << "the ribbon shows";
  EXPECT_TRUE(NearColor(drawn[1], drawn[0], 2)) << std::hex << drawn[0] << " " << drawn[1];
}

}  // namespace
}  // namespace glimmer::testing
