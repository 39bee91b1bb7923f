#include "platform/image/drawing_gate.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace glimmer {
namespace {

struct Gate {
  std::mutex mutex;
  std::condition_variable open;
  std::atomic<int> drawing{0};
};

Gate& TheGate() {
  static Gate gate;
  return gate;
}

thread_local int drawingHere = 0;

}  // namespace

FrameDrawing::FrameDrawing() {
  ++drawingHere;
  ++TheGate().drawing;
}

FrameDrawing::~FrameDrawing() {
  --drawingHere;
  Gate& gate = TheGate();
  if (--gate.drawing == 0) {
    // Taking the lock orders this with a waiter between its check and its wait.
    { std::lock_guard lock(gate.mutex); }
    gate.open.notify_all();
  }
}

void YieldToDrawing() {
  Gate& gate = TheGate();
  if (drawingHere > 0 || gate.drawing.load() == 0) return;
  std::unique_lock lock(gate.mutex);
  gate.open.wait_for(lock, kLongestYield, [&gate] { return gate.drawing.load() == 0; });
}

}  // namespace glimmer
