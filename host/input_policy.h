#pragma once
// What ends the saver: in full screen the sixth mouse move to a new
// position (after the first report, which only says where the pointer is), a key, a button, losing
// focus or a suspend request; in test mode only closing the window; in preview and daemon-owned
// windows the owner decides, so only closing or a quit request ends it.

#include "host/command_line.h"

namespace glimmer {

enum class HostInput { MouseMove, Key, Button, FocusLost, Suspend, WindowClosed, Quit };

class InterruptPolicy {
 public:
  // `ownerHandlesInput`: the window belongs to another program (preview,
  // -window-id, -root), which ends the saver itself.
  InterruptPolicy(RunMode mode, bool ownerHandlesInput) : mode_(mode), owner_(ownerHandlesInput) {}

  // True when this input ends the saver. (x, y) matter for mouse moves only.
  bool OnInput(HostInput input, int x = 0, int y = 0);
  // Forgets the counted moves (after the saver was resumed).
  void ResetMoves() { moves_ = 0; }
  int MouseMoves() const { return moves_; }

  static constexpr int kMovesThatEnd = 6;

 private:
  RunMode mode_;
  bool owner_;
  int moves_ = 0;
  bool hasLast_ = false;
  int lastX_ = 0, lastY_ = 0;
};

}  // namespace glimmer
