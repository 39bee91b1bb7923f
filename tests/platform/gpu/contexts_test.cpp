// Several devices at once, a device on an SDL window, clip planes, and
// writing any target to a PNG.

#include <SDL2/SDL.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/gpu/d3dx_math.h"
#include "platform/screen_context.h"
#include "tests/platform/gpu/gpu_test_support.h"

namespace glimmer::testing {
namespace {

using Contexts = GpuTest;

void Fill(GpuDevice& d, D3DCOLOR color) {
  d.SetRenderState(D3DRS_LIGHTING, 0);
  const TlVertex v[4] = {{0, 8, 0.5f, 1, color, 0, 1},
                         {0, 0, 0.5f, 1, color, 0, 0},
                         {8, 8, 0.5f, 1, color, 1, 1},
                         {8, 0, 0.5f, 1, color, 1, 0}};
  d.SetFVF(kTlFvf);
  d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TlVertex));
}

TEST_F(Contexts, TwoDevicesKeepTheirOwnObjects) {
  auto second = GpuDevice::CreateHeadless({8, 8, false});
  TexturePtr mine = MakeTexture(1, 1, {0x00FF00FF});
  Fill(*second, 0xFFFF0000);
  device_->SetTexture(0, mine);
  Fill(*device_, 0xFFFFFFFF);
  Fill(*second, 0xFF0000FF);  // interleaved: each call makes its own context current
  EXPECT_TRUE(NearColor(Pixel(2, 2), 0x00FF00FF, 0));
  const Image other = second->ReadBackBuffer();
  EXPECT_EQ(other.Pixel(2, 2)[2], 255);
  EXPECT_EQ(other.Pixel(2, 2)[0], 0);
  {
    ScreenScope scope({.device = second.get()});
    EXPECT_EQ(CurrentDevice(), second.get());
    {
      ScreenScope inner({.device = device_});
      EXPECT_EQ(CurrentDevice(), device_);
    }
    EXPECT_EQ(CurrentDevice(), second.get()) << "the enclosing screen comes back";
    try {
      ScreenScope failing({.device = device_});
      throw std::runtime_error("a failing frame");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(CurrentDevice(), second.get()) << "and after an exception too";
  }
  EXPECT_EQ(CurrentDevice(), nullptr);
}

TEST_F(Contexts, ObjectsOutliveTheirDevice) {
  TexturePtr orphan;
  {
    auto temporary = GpuDevice::CreateHeadless({4, 4, false});
    orphan = temporary->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  }
  EXPECT_TRUE(orphan->IsLost()) << "released with the device, still safe to hold";
  EXPECT_EQ(orphan->ReadLevel(0).width, 2u);
}

TEST_F(Contexts, ClipPlaneCutsTransformedGeometry) {
  D3DXMATRIX proj;
  D3DXMatrixOrthoOffCenterLH(&proj, -0.5f, kWidth - 0.5f, kHeight - 0.5f, -0.5f, 0, 1);
  device_->SetTransform(D3DTS_PROJECTION, proj);
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  const float plane[4] = {-1, 0, 0, 20};  // keeps x ≤ 20
  device_->SetClipPlane(0, plane);
  device_->SetRenderState(D3DRS_CLIPPLANEENABLE, 1);
  struct V {
    float x, y, z;
    D3DCOLOR c;
  };
  const V v[4] = {{0, 10, 0.5f, 0xFFFFFFFF},
                  {0, 0, 0.5f, 0xFFFFFFFF},
                  {40, 10, 0.5f, 0xFFFFFFFF},
                  {40, 0, 0.5f, 0xFFFFFFFF}};
  device_->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(V));
  EXPECT_EQ(Pixel(10, 5), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(30, 5), 0x000000FFu);
}

TEST_F(Contexts, AnyTargetWritesAPng) {
  DrawRect(0, 0, 10, 10, 0xFFFF8000);
  const auto path = std::filesystem::temp_directory_path() / "glimmer_target_test.png";
  ASSERT_TRUE(WritePng(path.string(), Back()));
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  std::filesystem::remove(path);
  auto decoded = DecodeImage(bytes);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->width, kWidth);
  EXPECT_EQ(decoded->Pixel(5, 5)[1], 0x80);
}

TEST(WindowDevice, DrawsAndPresentsInAWindow) {
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    GTEST_SKIP() << "no display: the window device is checked where one exists (Xvfb in CI later)";
  }
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
  SDL_Window* window =
      SDL_CreateWindow("glimmer test", 0, 0, 64, 48, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  ASSERT_NE(window, nullptr) << SDL_GetError();
  {
    auto device = GpuDevice::CreateForWindow(window, {64, 48, true});
    EXPECT_TRUE(device->Context().HasWindow());
    Fill(*device, 0xFF00FF00);
    device->Present();
    EXPECT_EQ(device->ReadBackBuffer().Pixel(1, 1)[1], 255);
  }
  SDL_DestroyWindow(window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace
}  // namespace glimmer::testing
