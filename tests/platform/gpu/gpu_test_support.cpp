#include "tests/platform/gpu/gpu_test_support.h"

#include <cstdio>
#include <cstdlib>

namespace glimmer::testing {

GpuDevice* GpuTest::device_ = nullptr;
std::unique_ptr<GpuDevice> GpuTest::owned_;

void GpuTest::SetUpTestSuite() {
  if (!owned_) {
    owned_ = GpuDevice::CreateHeadless({kWidth, kHeight, true});
    device_ = owned_.get();
  }
}

void GpuTest::TearDownTestSuite() {}

void GpuTest::SetUp() {
  ASSERT_NE(device_, nullptr);
  device_->Reset({kWidth, kHeight, true});
  device_->SetRenderState(D3DRS_LIGHTING, 0);
  device_->SetRenderState(D3DRS_ZENABLE, 0);
  device_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
}

void GpuTest::DrawRect(float x0, float y0, float x1, float y1, D3DCOLOR color) {
  // Pixel (i, j) has its centre at (i, j): a rectangle over pixels
  // [x0, x1) runs from x0 - 0.5 to x1 - 0.5.
  const TlVertex v[4] = {{x0 - 0.5f, y1 - 0.5f, 0.5f, 1, color, 0, 1},
                         {x0 - 0.5f, y0 - 0.5f, 0.5f, 1, color, 0, 0},
                         {x1 - 0.5f, y1 - 0.5f, 0.5f, 1, color, 1, 1},
                         {x1 - 0.5f, y0 - 0.5f, 0.5f, 1, color, 1, 0}};
  device_->SetFVF(kTlFvf);
  device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TlVertex));
}

TexturePtr GpuTest::MakeTexture(uint32_t w, uint32_t h, const std::vector<uint32_t>& rgba,
                                D3DFORMAT format) {
  Image img{w, h, std::vector<uint8_t>(size_t(w) * h * 4)};
  for (size_t i = 0; i < rgba.size(); ++i) {
    img.rgba[i * 4] = uint8_t(rgba[i] >> 24);
    img.rgba[i * 4 + 1] = uint8_t(rgba[i] >> 16);
    img.rgba[i * 4 + 2] = uint8_t(rgba[i] >> 8);
    img.rgba[i * 4 + 3] = uint8_t(rgba[i]);
  }
  TexturePtr t = device_->CreateTexture(w, h, 1, 0, format, D3DPOOL_MANAGED);
  t->UploadImage(0, img);
  return t;
}

uint32_t GpuTest::Pixel(uint32_t x, uint32_t y) {
  const Image img = Back();
  const uint8_t* p = img.Pixel(x, y);
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

::testing::AssertionResult NearColor(uint32_t actual, uint32_t expected, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8) {
    const int a = int((actual >> shift) & 0xFF), e = int((expected >> shift) & 0xFF);
    if (std::abs(a - e) > tolerance) {
      char buf[96];
      std::snprintf(buf, sizeof buf, "0x%08X is not within %d of 0x%08X", actual, tolerance,
                    expected);
      return ::testing::AssertionFailure() << buf;
    }
  }
  return ::testing::AssertionSuccess();
}

size_t CountDifferingPixels(const Image& a, const Image& b, int tolerance) {
  size_t off = 0;
  for (size_t i = 0; i + 3 < a.rgba.size() && i + 3 < b.rgba.size(); i += 4) {
    for (int c = 0; c < 3; ++c) {
      if (std::abs(int(a.rgba[i + c]) - int(b.rgba[i + c])) > tolerance) {
        ++off;
        break;
      }
    }
  }
  return off;
}

}  // namespace glimmer::testing
