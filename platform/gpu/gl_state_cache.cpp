#include "platform/gpu/gl_state_cache.h"

#include <epoxy/gl.h>

namespace glimmer {
namespace {

constexpr GLenum kCapEnums[] = {GL_BLEND, GL_DEPTH_TEST, GL_CULL_FACE, GL_CLIP_DISTANCE0,
                                GL_SCISSOR_TEST};
static_assert(sizeof kCapEnums / sizeof kCapEnums[0] == GlStateCache::kCapCount);

}  // namespace

void GlStateCache::Invalidate() {
  caps_.fill(kUnknown);
  blendSrc_ = blendDst_ = blendEquation_ = colorMask_ = depthFunc_ = depthMask_ = cullFace_ =
      stencilMask_ = kUnknown;
  viewportKnown_ = depthRangeKnown_ = false;
  program_ = framebuffer_ = vao_ = arrayBuffer_ = elementBuffer_ = activeUnit_ = kUnknown;
  textures_.fill(kUnknown);
  samplers_.fill(kUnknown);
  layoutKnown_ = false;
}

void GlStateCache::Enable(Cap cap, bool on) {
  if (caps_[cap] == uint32_t(on)) return;
  caps_[cap] = uint32_t(on);
  if (on) {
    glEnable(kCapEnums[cap]);
  } else {
    glDisable(kCapEnums[cap]);
  }
}

void GlStateCache::BlendFunc(uint32_t src, uint32_t dst) {
  if (blendSrc_ == src && blendDst_ == dst) return;
  blendSrc_ = src;
  blendDst_ = dst;
  glBlendFunc(src, dst);
}

void GlStateCache::BlendEquation(uint32_t equation) {
  if (blendEquation_ == equation) return;
  blendEquation_ = equation;
  glBlendEquation(equation);
}

void GlStateCache::ColorMask(uint32_t mask) {
  mask &= 0xF;
  if (colorMask_ == mask) return;
  colorMask_ = mask;
  glColorMask(mask & 1, (mask >> 1) & 1, (mask >> 2) & 1, (mask >> 3) & 1);
}

void GlStateCache::DepthFunc(uint32_t func) {
  if (depthFunc_ == func) return;
  depthFunc_ = func;
  glDepthFunc(func);
}

void GlStateCache::DepthMask(bool write) {
  if (depthMask_ == uint32_t(write)) return;
  depthMask_ = uint32_t(write);
  glDepthMask(write ? GL_TRUE : GL_FALSE);
}

void GlStateCache::CullFace(uint32_t face) {
  if (cullFace_ == face) return;
  cullFace_ = face;
  glCullFace(face);
}

void GlStateCache::StencilMask(uint32_t mask) {
  if (stencilMask_ == mask) return;
  stencilMask_ = mask;
  glStencilMask(mask);
}

void GlStateCache::Viewport(int32_t x, int32_t y, int32_t width, int32_t height) {
  const std::array<int32_t, 4> v{x, y, width, height};
  if (viewportKnown_ && viewport_ == v) return;
  viewport_ = v;
  viewportKnown_ = true;
  glViewport(x, y, width, height);
}

void GlStateCache::DepthRange(float nearZ, float farZ) {
  const std::array<float, 2> r{nearZ, farZ};
  if (depthRangeKnown_ && depthRange_ == r) return;
  depthRange_ = r;
  depthRangeKnown_ = true;
  glDepthRange(nearZ, farZ);
}

void GlStateCache::UseProgram(uint32_t program) {
  if (program_ == program) return;
  program_ = program;
  glUseProgram(program);
}

void GlStateCache::BindFramebuffer(uint32_t framebuffer) {
  if (framebuffer_ == framebuffer) return;
  framebuffer_ = framebuffer;
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
}

void GlStateCache::BindVertexArray(uint32_t vao) {
  if (vao_ == vao) return;
  vao_ = vao;
  // Another vertex array has its own element buffer and attributes.
  elementBuffer_ = kUnknown;
  layoutKnown_ = false;
  glBindVertexArray(vao);
}

void GlStateCache::BindArrayBuffer(uint32_t buffer) {
  if (arrayBuffer_ == buffer) return;
  arrayBuffer_ = buffer;
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
}

void GlStateCache::BindElementBuffer(uint32_t buffer) {
  if (elementBuffer_ == buffer) return;
  elementBuffer_ = buffer;
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer);
}

void GlStateCache::ActiveUnit(uint32_t unit) {
  if (activeUnit_ == unit) return;
  activeUnit_ = unit;
  glActiveTexture(GL_TEXTURE0 + unit);
}

void GlStateCache::BindTexture(uint32_t unit, uint32_t texture) {
  if (unit >= kUnits || textures_[unit] == texture) return;
  ActiveUnit(unit);
  textures_[unit] = texture;
  glBindTexture(GL_TEXTURE_2D, texture);
}

void GlStateCache::BindSampler(uint32_t unit, uint32_t sampler) {
  if (unit >= kUnits || samplers_[unit] == sampler) return;
  samplers_[unit] = sampler;
  glBindSampler(unit, sampler);
}

bool GlStateCache::SameLayout(const VertexLayout& layout) {
  if (layoutKnown_ && layout_ == layout) return true;
  layout_ = layout;
  layoutKnown_ = true;
  return false;
}

void GlStateCache::TextureBound(uint32_t texture) {
  if (activeUnit_ < kUnits) {
    textures_[activeUnit_] = texture;
  } else {
    textures_.fill(kUnknown);
  }
}

void GlStateCache::TextureDeleted(uint32_t texture) {
  // Deleting a texture unbinds it from every unit; its name may come back
  // for a new texture.
  for (uint32_t& t : textures_) {
    if (t == texture) t = 0;
  }
}

void GlStateCache::ArrayBufferBound(uint32_t buffer) {
  arrayBuffer_ = buffer;
}

void GlStateCache::BufferDeleted(uint32_t buffer) {
  if (arrayBuffer_ == buffer) arrayBuffer_ = 0;
  if (elementBuffer_ == buffer) elementBuffer_ = kUnknown;
  // The attributes still point at the deleted buffer; a new buffer with the
  // same name must be pointed at again.
  if (layoutKnown_ && layout_.buffer == buffer) layoutKnown_ = false;
}

}  // namespace glimmer
