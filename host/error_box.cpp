#include "host/error_box.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "common/wide_string.h"
#include "platform/text/text_raster.h"

namespace glimmer {
namespace {
constexpr D3DCOLOR kWindowColour = 0xFFF0F0F0;  // the dialogs' window background
constexpr D3DCOLOR kFrameColour = 0xFF8C8C8C;
constexpr D3DCOLOR kBlack = 0xFF000000;
constexpr float kFontPixels = 15;  // the dialogs' font size, at scale 1
constexpr float kMinFontPixels = 8;
constexpr float kPadding = 14;  // between the frame and the text, at scale 1

TextFont DialogFont(float pixels) {
  return {u"DejaVu Sans", -int32_t(std::lround(pixels)), 400, 0};
}

}  // namespace

void ErrorBox::AddRect(float x0, float y0, float x1, float y1, D3DCOLOR c) const {
  const DX_V::TC a{x0, y0, 0.5f, 1, c}, b{x1, y0, 0.5f, 1, c}, d{x0, y1, 0.5f, 1, c},
      e{x1, y1, 0.5f, 1, c};
  vertices_.insert(vertices_.end(), {a, b, d, d, b, e});
}

void ErrorBox::Start(float screenWidth, float screenHeight, bool fillScreen) {
  screenWidth_ = screenWidth;
  screenHeight_ = screenHeight;
  scale_ = std::clamp(std::min(screenWidth / 1280, screenHeight / 720), 1.0f, 3.0f);
  laidText_.clear();
  if (fillScreen) {
    x = y = 0;
    width = screenWidth;
    height = screenHeight;
    vx = vy = 0;
    return;
  }
  width = std::min(std::round(kWidth * scale_), screenWidth);
  height = std::min(std::round(kHeight * scale_), screenHeight);
  x = std::round((screenWidth - width) / 2);
  y = std::round((screenHeight - height) / 2);
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

std::vector<std::string> WrapText(const std::string& text, float width,
                                  const std::function<float(const std::string&)>& measure) {
  std::vector<std::string> lines;
  std::istringstream words(text);
  std::string word, line;
  while (words >> word) {
    const std::string candidate = line.empty() ? word : line + " " + word;
    if (!line.empty() && measure(candidate) > width) {
      lines.push_back(line);
      line = word;
    } else {
      line = candidate;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

void ErrorBox::Layout(GpuDevice& device, const std::string& text) const {
  lines_.clear();
  laidText_ = text;
  laidWidth_ = width;
  laidHeight_ = height;
  laidDevice_ = &device;
  const float padding = std::min(kPadding * scale_, std::min(width, height) / 8);
  const float roomW = std::max(1.0f, width - 2 * padding);
  const float roomH = std::max(1.0f, height - 2 * padding);
  // The dialogs' size first; smaller until every line fits the box.
  std::vector<TextPicture> pictures;
  for (float px = kFontPixels * scale_;; px = std::max(kMinFontPixels, std::floor(px * 0.85f))) {
    const TextFont font = DialogFont(px);
    const auto measure = [&](const std::string& s) {
      return float(RasteriseText(FromUtf8(s), font).boxWidth);
    };
    pictures.clear();
    float widest = 0, total = 0;
    for (const std::string& line : WrapText(text, roomW, measure)) {
      pictures.push_back(RasteriseText(FromUtf8(line), font));
      widest = std::max(widest, float(pictures.back().boxWidth));
      total += float(pictures.back().boxHeight);
    }
    if ((widest <= roomW && total <= roomH) || px <= kMinFontPixels) break;
  }
  float total = 0;
  for (const TextPicture& p : pictures) total += float(p.boxHeight);
  float top = std::round((height - total) / 2);
  for (const TextPicture& p : pictures) {
    Line line;
    line.width = float(p.image.width);
    line.height = float(p.image.height);
    // The text box is centred; the picture has a margin around it.
    line.left = std::round((width - float(p.boxWidth)) / 2) - float(kTextMargin);
    line.top = top - float(kTextMargin);
    top += float(p.boxHeight);
    if (p.image.empty()) continue;
    line.texture =
        device.CreateTexture(p.image.width, p.image.height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    if (!line.texture) continue;
    line.texture->UploadImage(0, p.image);
    lines_.push_back(std::move(line));
  }
}

void ErrorBox::Draw(GpuDevice& device, const std::string& text) const {
  bool stale =
      text != laidText_ || width != laidWidth_ || height != laidHeight_ || &device != laidDevice_;
  for (const Line& l : lines_) stale = stale || l.texture->IsLost();
  if (stale) Layout(device, text);

  device.Clear(D3DCLEAR_TARGET, kBlack, 1.0f, 0);
  vertices_.clear();
  const float bx = std::round(x), by = std::round(y);
  AddRect(bx, by, bx + width, by + height, kWindowColour);
  // A one-pixel frame inside the box, as the dialogs' windows have.
  AddRect(bx, by, bx + width, by + 1, kFrameColour);
  AddRect(bx, by + height - 1, bx + width, by + height, kFrameColour);
  AddRect(bx, by, bx + 1, by + height, kFrameColour);
  AddRect(bx + width - 1, by, bx + width, by + height, kFrameColour);
  device.SetTexture(0, nullptr);
  device.SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
  device.SetRenderState(D3DRS_ZENABLE, 0);
  device.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  device.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  device.SetFVF(DX_V::kTcFvf);
  device.DrawPrimitiveUP(D3DPT_TRIANGLELIST, uint32_t(vertices_.size() / 3), vertices_.data(),
                         sizeof(DX_V::TC));

  // The lines: black through each picture's coverage, texel for pixel.
  device.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  device.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  device.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device.SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  device.SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
  device.SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
  device.SetFVF(DX_V::kTlFvf);
  for (const Line& l : lines_) {
    const float x0 = bx + l.left - 0.5f, y0 = by + l.top - 0.5f;
    const float x1 = x0 + l.width, y1 = y0 + l.height;
    const DX_V::TL quad[4] = {{x0, y1, 0.5f, 1, kBlack, 0, 1},
                              {x0, y0, 0.5f, 1, kBlack, 0, 0},
                              {x1, y1, 0.5f, 1, kBlack, 1, 1},
                              {x1, y0, 0.5f, 1, kBlack, 1, 0}};
    device.SetTexture(0, l.texture);
    device.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(DX_V::TL));
  }
  device.SetTexture(0, nullptr);
  device.SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
  device.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
}

}  // namespace glimmer
