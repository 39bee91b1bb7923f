#pragma once
// The box that shows a failure on every screen while the saver runs: 300 ×
// 150 pixels, starting centred and drifting at (width ÷ 10, height ÷ 20)
// pixels a second, bouncing off the screen's edges; in a preview it fills
// the window.

#include <string>
#include <vector>

#include "platform/gpu/gpu_device.h"
#include "render/vertex_pct.h"

namespace glimmer {

class ErrorBox {
 public:
  static constexpr float kWidth = 300, kHeight = 150;

  void Start(float screenWidth, float screenHeight, bool fillScreen);
  // Moves the box by dt seconds; true when it moved (and needs repainting).
  bool Step(float dt);
  // Clears the screen black and draws the box with `text` centred and
  // word-wrapped.
  void Draw(GpuDevice& device, const std::string& text) const;

  float x = 0, y = 0, width = kWidth, height = kHeight;
  float vx = 0, vy = 0;

 private:
  using Vertex = DX_V::TC;
  void AddRect(float x0, float y0, float x1, float y1, D3DCOLOR c) const;

  float screenWidth_ = 0, screenHeight_ = 0;
  // Reused from frame to frame: the box's triangles and the font's quads.
  mutable std::vector<Vertex> vertices_;
  mutable std::vector<char> glyphQuads_;
};

// Splits `text` into lines no wider than `width` pixels of the box's font at
// `scale`, breaking between words (a single long word keeps its own line).
std::vector<std::string> WrapText(const std::string& text, float width, float scale);

}  // namespace glimmer
