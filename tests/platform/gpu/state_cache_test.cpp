// The device sends OpenGL only what differs from what it last set: these
// draws change bindings, objects and programs between draws in the ways
// that a stale record of the context would get wrong, and check the pixels.

#include <epoxy/gl.h>

#include "tests/platform/gpu/gpu_test_support.h"

namespace glimmer::testing {
namespace {

using StateCache = GpuTest;

constexpr uint32_t kRed = 0xFF0000FF, kGreen = 0x00FF00FF, kBlue = 0x0000FFFF;

TEST_F(StateCache, TexturesStayBoundThroughUploadsAndDeletedNames) {
  const auto solid = [&](uint32_t rgba) { return MakeTexture(2, 2, {rgba, rgba, rgba, rgba}); };
  const TexturePtr red = solid(kRed);
  TexturePtr blue = solid(kBlue);
  device_->SetTexture(0, red);
  DrawRect(0, 0, 4, 4, 0xFFFFFFFF);
  device_->SetTexture(0, blue);
  DrawRect(4, 0, 8, 4, 0xFFFFFFFF);
  // Making and filling a texture binds it on the unit the last draw changed.
  const TexturePtr green = solid(kGreen);
  DrawRect(8, 0, 12, 4, 0xFFFFFFFF);
  EXPECT_EQ(Pixel(1, 1), kRed);
  EXPECT_EQ(Pixel(5, 1), kBlue);
  EXPECT_EQ(Pixel(9, 1), kBlue) << "the upload's binding replaced the stage's texture";

  // A texture deleted while bound is unbound, and drivers that reuse names
  // may give its name to the next one (Mesa does not).
  device_->SetTexture(1, green);
  DrawRect(12, 0, 16, 4, 0xFFFFFFFF);
  device_->SetTexture(0, nullptr);
  blue.reset();
  const TexturePtr reborn = solid(kRed);
  device_->SetTexture(0, reborn);
  DrawRect(16, 0, 20, 4, 0xFFFFFFFF);
  EXPECT_EQ(Pixel(13, 1), kBlue);
  EXPECT_EQ(Pixel(17, 1), kRed);
}

// Drivers that reuse names may give a deleted buffer's name to the next one,
// which must then be pointed at again (Mesa does not reuse them).
TEST_F(StateCache, ANewVertexBufferWithADeletedOnesNameIsRead) {
  auto quad = [](float x0, float x1, D3DCOLOR c) {
    VertexBufferPtr vb =
        device_->CreateVertexBuffer(4 * sizeof(TlVertex), 0, kTlFvf, D3DPOOL_MANAGED);
    auto* v = static_cast<TlVertex*>(vb->Lock(0, 0));
    v[0] = {x0 - 0.5f, 3.5f, 0.5f, 1, c, 0, 1};
    v[1] = {x0 - 0.5f, -0.5f, 0.5f, 1, c, 0, 0};
    v[2] = {x1 - 0.5f, 3.5f, 0.5f, 1, c, 1, 1};
    v[3] = {x1 - 0.5f, -0.5f, 0.5f, 1, c, 1, 0};
    vb->Unlock();
    return vb;
  };
  device_->SetFVF(kTlFvf);
  VertexBufferPtr first = quad(0, 4, 0xFFFF0000);
  device_->SetStreamSource(0, first, 0, sizeof(TlVertex));
  device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  device_->SetStreamSource(0, nullptr, 0, 0);
  first.reset();
  const VertexBufferPtr second = quad(8, 12, 0xFF00FF00);
  device_->SetStreamSource(0, second, 0, sizeof(TlVertex));
  device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  EXPECT_EQ(Pixel(1, 1), kRed);
  EXPECT_EQ(Pixel(9, 1), kGreen) << "the attributes still read the deleted buffer";
  EXPECT_EQ(Pixel(5, 1), 0x000000FFu);
}

TEST_F(StateCache, EachProgramGetsTheValuesItLacks) {
  // Two programs reading the texture factor: the first must be sent the
  // factor the second already received.
  device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
  device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
  device_->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  const auto draw = [&](uint32_t op, D3DCOLOR factor, float x) {
    device_->SetTextureStageState(0, D3DTSS_COLOROP, op);
    device_->SetRenderState(D3DRS_TEXTUREFACTOR, factor);
    DrawRect(x, 0, x + 4, 4, 0xFFFFFFFF);
  };
  draw(D3DTOP_SELECTARG1, 0xFFFF0000, 0);
  draw(D3DTOP_MODULATE, 0xFF00FF00, 4);
  draw(D3DTOP_SELECTARG1, 0xFF00FF00, 8);
  draw(D3DTOP_MODULATE, 0xFF0000FF, 12);
  draw(D3DTOP_MODULATE, 0xFF0000FF, 16);  // nothing changed
  EXPECT_EQ(Pixel(1, 1), kRed);
  EXPECT_EQ(Pixel(5, 1), kGreen);
  EXPECT_EQ(Pixel(9, 1), kGreen);
  EXPECT_EQ(Pixel(13, 1), kBlue);
  EXPECT_EQ(Pixel(17, 1), kBlue);
}

TEST_F(StateCache, StatesSetBackAfterAClearAndAfterOpenGLUsedDirectly) {
  device_->SetRenderState(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_RED);
  DrawRect(0, 0, 4, 4, 0xFFFFFFFF);
  // Clears write every channel; the next draw writes red only again.
  device_->Clear(D3DCLEAR_TARGET, 0xFF000000, 1, 0);
  DrawRect(4, 0, 8, 4, 0xFFFFFFFF);
  EXPECT_EQ(Pixel(5, 1), 0xFF0000FFu);

  // Code drawing with OpenGL on the device's context hands it back by
  // setting a render target.
  device_->SetRenderState(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_ALL);
  DrawRect(8, 0, 12, 4, 0xFF00FF00);
  device_->MakeCurrent();
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, 1, 1);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ZERO, GL_ZERO);
  glUseProgram(0);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glBindVertexArray(0);
  device_->SetRenderTarget(0, device_->GetBackBuffer());
  DrawRect(12, 0, 16, 4, 0xFF00FF00);
  EXPECT_EQ(Pixel(13, 1), kGreen);
  EXPECT_EQ(Pixel(9, 1), kGreen);
}

TEST_F(StateCache, EveryAlphaCompareFunction) {
  device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  device_->SetRenderState(D3DRS_ALPHATESTENABLE, 1);
  device_->SetRenderState(D3DRS_ALPHAREF, 0x80);
  const uint32_t alphas[3] = {0x7F, 0x80, 0x81};
  float x = 0;
  for (uint32_t func = D3DCMP_NEVER; func <= D3DCMP_ALWAYS; ++func) {
    device_->SetRenderState(D3DRS_ALPHAFUNC, func);
    for (uint32_t a : alphas) {
      DrawRect(x, 0, x + 1, 1, (a << 24) | 0xFFFFFF);
      const bool passes = func == D3DCMP_LESS           ? a < 0x80
                          : func == D3DCMP_EQUAL        ? a == 0x80
                          : func == D3DCMP_LESSEQUAL    ? a <= 0x80
                          : func == D3DCMP_GREATER      ? a > 0x80
                          : func == D3DCMP_NOTEQUAL     ? a != 0x80
                          : func == D3DCMP_GREATEREQUAL ? a >= 0x80
                                                        : func == D3DCMP_ALWAYS;
      EXPECT_EQ(Pixel(uint32_t(x), 0), passes ? 0xFFFFFF00u | a : 0x000000FFu)
          << "function " << func << " alpha " << a;
      x += 1;
    }
  }
  // Off, the test passes whatever the function.
  device_->SetRenderState(D3DRS_ALPHATESTENABLE, 0);
  device_->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_NEVER);
  DrawRect(x, 0, x + 1, 1, 0x10FFFFFF);
  EXPECT_EQ(Pixel(uint32_t(x), 0), 0xFFFFFF10u);
}

TEST_F(StateCache, DrawsFromPointersSurviveTheStreamBufferFilling) {
  // Large pointer draws of two strides, so that data lands at offsets
  // unaligned to the other stride and the buffer fills and starts over.
  using TcVertex = DX_V::TC;
  std::vector<TlVertex> strip(20000);
  std::vector<TcVertex> points(20000);
  for (int i = 0; i < 48; ++i) {
    const float x = float(i % kWidth), y = float(i / kWidth * 2);
    const D3DCOLOR c = D3DCOLOR_ARGB(255, uint32_t(i * 5), 255 - uint32_t(i * 5), 128);
    if (i % 2 == 0) {
      // Two triangles over the pixel, then degenerate ones.
      strip.assign(strip.size(), TlVertex{x + 0.5f, y + 0.5f, 0.5f, 1, c, 0, 0});
      strip[0] = {x - 0.5f, y + 0.5f, 0.5f, 1, c, 0, 0};
      strip[1] = {x - 0.5f, y - 0.5f, 0.5f, 1, c, 0, 0};
      strip[2] = {x + 0.5f, y + 0.5f, 0.5f, 1, c, 0, 0};
      strip[3] = {x + 0.5f, y - 0.5f, 0.5f, 1, c, 0, 0};
      device_->SetFVF(kTlFvf);
      device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, uint32_t(strip.size() - 2), strip.data(),
                               sizeof(TlVertex));
    } else {
      // Indexed from vertex 100 on.
      points[100] = {x - 0.5f, y + 0.5f, 0.5f, 1, c};
      points[101] = {x - 0.5f, y - 0.5f, 0.5f, 1, c};
      points[102] = {x + 0.5f, y + 0.5f, 0.5f, 1, c};
      points[103] = {x + 0.5f, y - 0.5f, 0.5f, 1, c};
      const std::vector<uint16_t> shifted = {100, 101, 102, 102, 101, 103};
      device_->SetFVF(DX_V::kTcFvf);
      device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, uint32_t(points.size()), 2,
                                      shifted.data(), D3DFMT_INDEX16, points.data(),
                                      sizeof(TcVertex));
    }
  }
  const Image back = Back();
  for (int i = 0; i < 48; ++i) {
    const uint8_t* p = back.Pixel(uint32_t(i % kWidth), uint32_t(i / kWidth * 2));
    EXPECT_EQ(p[0], uint8_t(i * 5)) << "draw " << i;
    EXPECT_EQ(p[1], uint8_t(255 - i * 5)) << "draw " << i;
    EXPECT_EQ(p[2], 128) << "draw " << i;
  }
}

}  // namespace
}  // namespace glimmer::testing
