#pragma once
// What the slide's draw services need of the objects they draw that are not
// plain meshes: frame hierarchies (3D objects), blended sprite groups and
// objects that set their own device states.

#include <cstddef>

#include "platform/gpu/gpu_device.h"
#include "render/frame.h"

namespace glimmer {

// A hierarchy of frames drawn one frame at a time.
class FrameDrawable {
 public:
  virtual size_t FrameCount() const = 0;
  virtual const QVX_Frame& FrameAt(size_t index) const = 0;
  // Draws the geometry of one frame; the world transform is already set.
  virtual void DrawFrame(size_t index, GpuDevice& device) = 0;
  // Transparent objects are drawn with alpha blending, both faces.
  virtual bool IsTransparent() const { return false; }

 protected:
  ~FrameDrawable() = default;
};

// Geometry drawn with alpha blending: once with its own texture (none for a
// missing picture) and again with its overlay texture when it has one.
class BlendedDrawable {
 public:
  virtual const D3DXMATRIX& WorldMatrix() const = 0;
  virtual TexturePtr Texture() const = 0;
  virtual TexturePtr OverlayTexture() const { return nullptr; }
  // The geometry (and its overlay) adds to the target instead of covering it.
  virtual bool IsAdditive() const { return false; }
  virtual void DrawGeometry(GpuDevice& device) = 0;

 protected:
  ~BlendedDrawable() = default;
};

// Indexed geometry that sets its own states (textures, stage operations)
// before it is drawn.
class StateDrawable {
 public:
  virtual const D3DXMATRIX& WorldMatrix() const = 0;
  virtual void SetStates(GpuDevice& device, int arg) = 0;
  virtual void DrawIndexed(GpuDevice& device) = 0;

 protected:
  ~StateDrawable() = default;
};

}  // namespace glimmer
