#pragma once
// Decoding on worker threads waits while a frame is drawn, so it does not
// take the processor, the memory bandwidth or a shared core from the
// drawing. A loop that paces frames in real time holds a FrameDrawing while
// it draws and presents; decoders call YieldToDrawing() between bands of
// work. One call waits at most kLongestYield, so a decode still goes on
// when frames leave no idle time between them.

#include <chrono>

namespace glimmer {

inline constexpr std::chrono::milliseconds kLongestYield{50};

class FrameDrawing {
 public:
  FrameDrawing();
  ~FrameDrawing();
  FrameDrawing(const FrameDrawing&) = delete;
  FrameDrawing& operator=(const FrameDrawing&) = delete;
};

// Waits while any thread draws a frame, up to kLongestYield; at once on a
// thread that draws one itself (a frame thread decoding what it waits for).
void YieldToDrawing();

}  // namespace glimmer
