#pragma once
// QVX_Frame: a node of a transform hierarchy.

#include <vector>

#include "platform/gpu/d3dx_math.h"

namespace glimmer {

class QVX_Frame;

// Computes a frame's World matrix (the 3D objects' animation controllers).
class FrameAnimator {
 public:
  virtual D3DXMATRIX ComputeWorld(const QVX_Frame& frame) = 0;

 protected:
  ~FrameAnimator() = default;
};

class QVX_Frame {
 public:
  void AddChild(QVX_Frame* child) { Children.push_back(child); }
  // World = the animator's result, or Local; then × the parent's World when
  // there is one; then the same for every child with this World.
  void UpdateTransforms(const D3DXMATRIX* parent);

  D3DXMATRIX World;
  D3DXMATRIX Local;
  FrameAnimator* Animator = nullptr;
  int32_t CullMode = 1;              // 1: no culling
  std::vector<QVX_Frame*> Children;  // not owned
};

class ZT_Frame : public QVX_Frame {};

}  // namespace glimmer
