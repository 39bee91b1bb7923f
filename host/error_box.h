#pragma once
// The box that shows a failure on every screen while the saver runs: 300 ×
// 150 pixels, starting centred and drifting at (width ÷ 10, height ÷ 20)
// pixels a second, bouncing off the screen's edges; in a preview it fills
// the window.

#include <functional>
#include <string>
#include <vector>

#include "platform/gpu/gpu_device.h"
#include "render/vertex_pct.h"

namespace glimmer {

class ErrorBox {
 public:
  static constexpr float kWidth = 300, kHeight = 150;

  // Screens larger than 1280 × 720 get a box and text scaled up with them,
  // up to three times; in a preview the box is the window.
  void Start(float screenWidth, float screenHeight, bool fillScreen);
  // Moves the box by dt seconds; true when it moved (and needs repainting).
  bool Step(float dt);
  // Clears the screen black and draws the box with `text` in the dialogs'
  // font, word-wrapped and centred; the text shrinks until it fits.
  void Draw(GpuDevice& device, const std::string& text) const;

  float x = 0, y = 0, width = kWidth, height = kHeight;
  float vx = 0, vy = 0;
  // The size factor of the box and its text for this screen.
  float Scale() const { return scale_; }

 private:
  // One line of text as a picture on the device, placed from the box's top
  // left corner.
  struct Line {
    TexturePtr texture;
    float left = 0, top = 0, width = 0, height = 0;
  };
  void Layout(GpuDevice& device, const std::string& text) const;
  void AddRect(float x0, float y0, float x1, float y1, D3DCOLOR c) const;

  float screenWidth_ = 0, screenHeight_ = 0, scale_ = 1;
  // Reused from frame to frame: the box's triangles, and the text's lines
  // laid out for the text, the box's size and the device they were made for.
  mutable std::vector<DX_V::TC> vertices_;
  mutable std::vector<Line> lines_;
  mutable std::string laidText_;
  mutable float laidWidth_ = 0, laidHeight_ = 0;
  mutable const GpuDevice* laidDevice_ = nullptr;
};

// Splits `text` into lines no wider than `width` as `measure` gives widths,
// breaking between words (a single long word keeps its own line).
std::vector<std::string> WrapText(const std::string& text, float width,
                                  const std::function<float(const std::string&)>& measure);

}  // namespace glimmer
