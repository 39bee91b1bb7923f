#include "host/input_policy.h"

namespace glimmer {

bool InterruptPolicy::OnInput(HostInput input, int x, int y) {
  if (input == HostInput::Quit) return true;
  if (input == HostInput::WindowClosed) {
    // Full screen swallows the close command; every other window ends with it.
    return mode_ != RunMode::FullScreen || owner_;
  }
  if (owner_ || mode_ == RunMode::Test || mode_ == RunMode::Preview) return false;
  switch (input) {
    case HostInput::MouseMove: {
      // The first report is where the pointer already was when the window
      // appeared (the window system sends it on entering): the baseline.
      const bool first = !hasLast_;
      if (!first && x == lastX_ && y == lastY_) return false;
      hasLast_ = true;
      lastX_ = x;
      lastY_ = y;
      return !first && ++moves_ >= kMovesThatEnd;
    }
    case HostInput::Key:
    case HostInput::Button:
    case HostInput::FocusLost:
    case HostInput::Suspend:
      return true;
    default:
      return false;
  }
}

}  // namespace glimmer
