#include "host/error_box.h"

#include <algorithm>
#include <sstream>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb/stb_easy_font.h>
#pragma GCC diagnostic pop

namespace glimmer {
namespace {
constexpr float kTextScale = 2.0f;
constexpr float kLineHeight = 12.0f;  // the font's rows at scale 1, with spacing
constexpr D3DCOLOR kWindowColour = 0xFFF0F0F0;
constexpr D3DCOLOR kBlack = 0xFF000000;

float TextWidth(const std::string& s, float scale) {
  return float(stb_easy_font_width(const_cast<char*>(s.c_str()))) * scale;
}

}  // namespace

void ErrorBox::AddRect(float x0, float y0, float x1, float y1, D3DCOLOR c) const {
  const Vertex a{x0, y0, 0.5f, 1, c}, b{x1, y0, 0.5f, 1, c}, d{x0, y1, 0.5f, 1, c},
      e{x1, y1, 0.5f, 1, c};
  vertices_.insert(vertices_.end(), {a, b, d, d, b, e});
}

void ErrorBox::Start(float screenWidth, float screenHeight, bool fillScreen) {
  screenWidth_ = screenWidth;
  screenHeight_ = screenHeight;
  if (fillScreen) {
    x = y = 0;
    width = screenWidth;
    height = screenHeight;
    vx = vy = 0;
    return;
  }
  width = std::min(kWidth, screenWidth);
  height = std::min(kHeight, screenHeight);
  x = (screenWidth - width) / 2;
  y = (screenHeight - height) / 2;
  vx = screenWidth / 10;
  vy = screenHeight / 20;
}

bool ErrorBox::Step(float dt) {
  if (vx == 0 && vy == 0) return false;
  // A component reverses when the next step would leave the screen.
  if (x + vx * dt < 0 || x + width + vx * dt > screenWidth_) vx = -vx;
  if (y + vy * dt < 0 || y + height + vy * dt > screenHeight_) vy = -vy;
  const float nx = std::clamp(x + vx * dt, 0.0f, std::max(0.0f, screenWidth_ - width));
  const float ny = std::clamp(y + vy * dt, 0.0f, std::max(0.0f, screenHeight_ - height));
  const bool moved = nx != x || ny != y;
  x = nx;
  y = ny;
  return moved;
}

std::vector<std::string> WrapText(const std::string& text, float width, float scale) {
  std::vector<std::string> lines;
  std::istringstream words(text);
  std::string word, line;
  while (words >> word) {
    const std::string candidate = line.empty() ? word : line + " " + word;
    if (!line.empty() && TextWidth(candidate, scale) > width) {
      lines.push_back(line);
      line = word;
    } else {
      line = candidate;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

void ErrorBox::Draw(GpuDevice& device, const std::string& text) const {
  device.Clear(D3DCLEAR_TARGET, kBlack, 1.0f, 0);
  vertices_.clear();
  AddRect(x, y, x + width, y + height, kWindowColour);
  // A one-pixel black frame inside the box.
  AddRect(x, y, x + width, y + 1, kBlack);
  AddRect(x, y + height - 1, x + width, y + height, kBlack);
  AddRect(x, y, x + 1, y + height, kBlack);
  AddRect(x + width - 1, y, x + width, y + height, kBlack);
  const std::vector<std::string> lines = WrapText(text, width - 16, kTextScale);
  const float total = float(lines.size()) * kLineHeight * kTextScale;
  float ty = y + (height - total) / 2;
  glyphQuads_.resize(64 * 1024);
  for (const std::string& line : lines) {
    const float tx = x + (width - TextWidth(line, kTextScale)) / 2;
    unsigned char black[4] = {0, 0, 0, 255};
    const int n = stb_easy_font_print(0, 0, const_cast<char*>(line.c_str()), black,
                                      glyphQuads_.data(), int(glyphQuads_.size()));
    // Each quad: four vertices of x, y, z and a colour, 16 bytes each.
    const float* q = reinterpret_cast<const float*>(glyphQuads_.data());
    for (int i = 0; i < n; ++i, q += 16) {
      const float x0 = tx + q[0] * kTextScale, y0 = ty + q[1] * kTextScale;
      const float x1 = tx + q[8] * kTextScale, y1 = ty + q[9] * kTextScale;
      AddRect(x0, y0, x1, y1, kBlack);
    }
    ty += kLineHeight * kTextScale;
  }
  device.SetTexture(0, nullptr);
  device.SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
  device.SetRenderState(D3DRS_ZENABLE, 0);
  device.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  device.SetFVF(DX_V::kTcFvf);
  device.DrawPrimitiveUP(D3DPT_TRIANGLELIST, uint32_t(vertices_.size() / 3), vertices_.data(),
                         sizeof(Vertex));
  device.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
}

}  // namespace glimmer
