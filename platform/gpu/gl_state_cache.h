#pragma once
// GlStateCache: what the device last set in its OpenGL context, so that a
// draw issues calls only for what differs. Every setter compares with the
// shadow and calls OpenGL on a difference; Invalidate forgets everything, so
// that the next setters call OpenGL whatever they are asked. Code that
// changes the context's state by other paths reports it here (a texture
// bound for an upload, a deleted object) or invalidates.

#include <array>
#include <cstdint>

namespace glimmer {

class GlStateCache {
 public:
  static constexpr uint32_t kUnits = 8;
  enum Cap : uint32_t { kBlend, kDepthTest, kCullFace, kClipDistance0, kScissorTest, kCapCount };

  GlStateCache() { Invalidate(); }

  void Invalidate();

  void Enable(Cap cap, bool on);
  void BlendFunc(uint32_t src, uint32_t dst);
  void BlendEquation(uint32_t equation);
  // Bits 0..3: red, green, blue, alpha.
  void ColorMask(uint32_t mask);
  void DepthFunc(uint32_t func);
  void DepthMask(bool write);
  void CullFace(uint32_t face);
  void StencilMask(uint32_t mask);
  void Viewport(int32_t x, int32_t y, int32_t width, int32_t height);
  void DepthRange(float nearZ, float farZ);

  void UseProgram(uint32_t program);
  // Binds both the draw and the read framebuffer.
  void BindFramebuffer(uint32_t framebuffer);
  void BindVertexArray(uint32_t vao);
  void BindArrayBuffer(uint32_t buffer);
  // The element buffer binding belongs to the bound vertex array; the device
  // uses one vertex array, so one shadow serves.
  void BindElementBuffer(uint32_t buffer);
  void BindTexture(uint32_t unit, uint32_t texture);
  void BindSampler(uint32_t unit, uint32_t sampler);

  // The vertex attributes last pointed at: a draw with the same format,
  // stride, base and buffer keeps them.
  struct VertexLayout {
    uint32_t fvf = 0, stride = 0, buffer = 0;
    const void* base = nullptr;
    bool operator==(const VertexLayout&) const = default;
  };
  // True when the layout is already set; otherwise records it as set.
  bool SameLayout(const VertexLayout& layout);

  // Reports from code that binds or deletes objects itself.
  void TextureBound(uint32_t texture);  // on the active unit
  void TextureDeleted(uint32_t texture);
  void ArrayBufferBound(uint32_t buffer);
  void BufferDeleted(uint32_t buffer);
  // A framebuffer bound for a copy or a blit, not through BindFramebuffer.
  void FramebufferChanged() { framebuffer_ = kUnknown; }

 private:
  static constexpr uint32_t kUnknown = 0xFFFFFFFFu;
  void ActiveUnit(uint32_t unit);

  std::array<uint32_t, kCapCount> caps_{};
  uint32_t blendSrc_, blendDst_, blendEquation_, colorMask_, depthFunc_, depthMask_, cullFace_,
      stencilMask_;
  std::array<int32_t, 4> viewport_{};
  bool viewportKnown_ = false;
  std::array<float, 2> depthRange_{};
  bool depthRangeKnown_ = false;
  uint32_t program_, framebuffer_, vao_, arrayBuffer_, elementBuffer_, activeUnit_;
  std::array<uint32_t, kUnits> textures_{}, samplers_{};
  VertexLayout layout_;
  bool layoutKnown_ = false;
};

}  // namespace glimmer
