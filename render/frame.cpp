#include "render/frame.h"

namespace glimmer {

void QVX_Frame::UpdateTransforms(const D3DXMATRIX* parent) {
  World = Animator ? Animator->ComputeWorld(*this) : Local;
  if (parent) World = World * *parent;
  for (QVX_Frame* child : Children) {
    if (child) child->UpdateTransforms(&World);
  }
}

}  // namespace glimmer
