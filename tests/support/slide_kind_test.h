#pragma once
// Tests of the special slide kinds: a one-slide show of a composed picture
// (w × h, left half `left`, right half `right`, 0xRRGGBB) with the slide's
// JSON fields, loaded, instantiated on the headless device and started.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "document/resource_manager.h"
#include "platform/image/image_codec.h"
#include "scene/slide_container.h"
#include "scene/slide_show.h"
#include "show/show_composer.h"
#include "show/show_document.h"
#include "tests/platform/gpu/gpu_test_support.h"

namespace glimmer::testing {

class SlideKindTest : public GpuTest {
 protected:
  void SetUp() override {
    GpuTest::SetUp();
    dir_ = std::filesystem::temp_directory_path() /
           ("glimmer_slide_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    scope_.reset();
    doc_.reset();
    std::filesystem::remove_all(dir_);
  }

  // Loads the show and starts its one slide; returns the slide. Empty fields
  // make a plain picture slide.
  template <class Slide>
  Slide* Start(const std::string& slideFields, uint32_t w = 64, uint32_t h = 48,
               uint32_t left = 0x3060C0, uint32_t right = 0xE0C040) {
    Image picture{w, h, std::vector<uint8_t>(size_t{w} * h * 4)};
    for (uint32_t y = 0; y < h; ++y) {
      for (uint32_t x = 0; x < w; ++x) {
        const uint32_t c = x < w / 2 ? left : right;
        uint8_t* p = picture.Pixel(x, y);
        p[0] = uint8_t(c >> 16);
        p[1] = uint8_t(c >> 8);
        p[2] = uint8_t(c);
        p[3] = 255;
      }
    }
    WritePng((dir_ / "picture.png").string(), picture);
    const std::string light = R"("picture": {"Path": "picture.png"}, "camera": {"Mode": 0})";
    std::ofstream(dir_ / "show.json")
        << R"({"slides": [{"class": "ZT_SlideContainer", "fadeIn": 0, "fadeOut": 0, "duration": 30, "slide": {)"
        << (slideFields.empty() ? R"("class": "ZT_2D_Light", )" + light + "}"
                                : slideFields + R"(, "ZT_2D_Light": {)" + light + "}}")
        << (layers_.empty() ? "" : ", \"visualLayers\": [" + layers_ + "]") << "}]"
        << (resources_.empty() ? "" : ", \"resources\": " + resources_) << "}";
    doc_.emplace(LoadShow(ComposeShowFile(dir_ / "show.json")));
    doc_->resources->Attach(*device_);
    scope_.emplace(doc_->resources->ScreenFor(device_, &context_));
    doc_->show->Instantiate(1);
    return dynamic_cast<Slide*>(doc_->show->slides[0]->slide.get());
  }
  // Advances the show to t and draws a frame.
  void Frame(float t) {
    doc_->show->AdvanceShow(t);
    doc_->show->RenderShow();
  }

  std::filesystem::path dir_;
  std::string layers_;     // the slide's layers, JSON objects separated by commas
  std::string resources_;  // the document's resources, a JSON object; files in dir_
  RenderContext context_;
  std::optional<ShowDocument> doc_;
  std::optional<ScreenScope> scope_;
};

}  // namespace glimmer::testing
