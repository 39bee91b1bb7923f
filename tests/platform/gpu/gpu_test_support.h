#pragma once
// A headless device shared by the rendering tests, and drawing helpers.

#include <gtest/gtest.h>

#include <memory>

#include "platform/gpu/gpu_device.h"
#include "render/vertex_pct.h"

namespace glimmer::testing {

// Pre-transformed vertex with colour and one texture coordinate.
using TlVertex = DX_V::TL;
using DX_V::kTlFvf;

class GpuTest : public ::testing::Test {
 protected:
  static constexpr uint32_t kWidth = 64, kHeight = 48;
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  // A fresh back buffer of kWidth × kHeight with default states.
  void SetUp() override;

  // A quad over the pixels [x0, x1) × [y0, y1), texture coordinates 0..1.
  void DrawRect(float x0, float y0, float x1, float y1, D3DCOLOR color);
  // An RGBA texture of the given pixels (rows from the top).
  TexturePtr MakeTexture(uint32_t w, uint32_t h, const std::vector<uint32_t>& rgba,
                         D3DFORMAT format = D3DFMT_A8R8G8B8);
  // The back buffer pixel (x, y) as 0xRRGGBBAA.
  uint32_t Pixel(uint32_t x, uint32_t y);
  Image Back() { return device_->ReadBackBuffer(); }

  static GpuDevice* device_;

 private:
  static std::unique_ptr<GpuDevice> owned_;
};

// How many pixels of `a` have a colour channel more than `tolerance` away
// from `b` (same size assumed; alpha is not compared).
size_t CountDifferingPixels(const Image& a, const Image& b, int tolerance);

// Each channel of a and b (0xRRGGBBAA) within `tolerance`.
::testing::AssertionResult NearColor(uint32_t actual, uint32_t expected, int tolerance);

}  // namespace glimmer::testing
