#pragma once
// ZT_ABRender: what a layer sees of the slide that draws it.

namespace glimmer {

class ZT_ABRender {
 public:
  virtual ~ZT_ABRender() = default;
  // The scene copy protocol: `remaining` pending copies; `keep` when the
  // object draws the whole final image itself.
  virtual void CopyScene(int remaining, bool keep) = 0;
};

}  // namespace glimmer
