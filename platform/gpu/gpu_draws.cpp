// Draws: the program key of the current states, the states and uniforms,
// vertex attributes from the flexible vertex format, and the draw calls.
// Vertices and indices given by pointer go into streaming buffers that are
// appended to and orphaned when full, so that successive draws keep one
// attribute layout and never wait for the ones before.

#include <epoxy/gl.h>

#include <algorithm>
#include <cstring>

#include "platform/gpu/gpu_device_impl.h"

namespace glimmer {
namespace {

constexpr size_t kStreamBytes = size_t{4} << 20;

GLenum Primitive(D3DPRIMITIVETYPE t) {
  switch (t) {
    case D3DPT_POINTLIST:
      return GL_POINTS;
    case D3DPT_LINELIST:
      return GL_LINES;
    case D3DPT_LINESTRIP:
      return GL_LINE_STRIP;
    case D3DPT_TRIANGLESTRIP:
      return GL_TRIANGLE_STRIP;
    case D3DPT_TRIANGLEFAN:
      return GL_TRIANGLE_FAN;
    default:
      return GL_TRIANGLES;
  }
}

uint32_t VertexCount(D3DPRIMITIVETYPE t, uint32_t primitives) {
  switch (t) {
    case D3DPT_POINTLIST:
      return primitives;
    case D3DPT_LINELIST:
      return primitives * 2;
    case D3DPT_LINESTRIP:
      return primitives + 1;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
      return primitives + 2;
    default:
      return primitives * 3;
  }
}

}  // namespace

void GpuDevice::SetStreamSource(uint32_t stream, VertexBufferPtr buffer, uint32_t offset,
                                uint32_t stride) {
  if (stream != 0) return;
  stream_ = std::move(buffer);
  streamOffset_ = offset;
  streamStride_ = stride;
}

GpuDevice::ProgramKey GpuDevice::CurrentProgramKey() const {
  ProgramKey key;
  key.vertex.fvf = fvf_;
  const bool rhw = (fvf_ & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW;
  key.vertex.lighting = renderStates_[D3DRS_LIGHTING] != 0 && !rhw;
  key.vertex.specular = key.vertex.lighting && renderStates_[D3DRS_SPECULARENABLE] != 0;
  key.vertex.clipPlane = (renderStates_[D3DRS_CLIPPLANEENABLE] & 1) != 0;
  for (int i = 0; i < kStages; ++i) {
    const auto& st = stageStates_[i];
    key.vertex.stages[i].texCoordIndex = uint8_t(st[D3DTSS_TEXCOORDINDEX] & 0xFFFF);
    key.vertex.stages[i].cameraSpace =
        (st[D3DTSS_TEXCOORDINDEX] & 0xFFFF0000) == D3DTSS_TCI_CAMERASPACEPOSITION;
    key.vertex.stages[i].transformFlags = uint16_t(st[D3DTSS_TEXTURETRANSFORMFLAGS]);
  }
  // Pre-transformed vertices bypass a vertex shader, as in Direct3D; the
  // generated vertex stage does not depend on the other states then.
  if (vertexShader_ && !rhw) {
    key.vertex = {};
    key.vertexShader = vertexShader_->Id();
  }
  if (pixelShader_) {
    key.pixelShader = pixelShader_->Id();
    return key;
  }
  for (int i = 0; i < kStages; ++i) {
    const auto& st = stageStates_[i];
    auto& f = key.fragment.stages[i];
    f.colorOp = uint8_t(st[D3DTSS_COLOROP]);
    f.colorArg1 = uint8_t(st[D3DTSS_COLORARG1]);
    f.colorArg2 = uint8_t(st[D3DTSS_COLORARG2]);
    f.alphaOp = uint8_t(st[D3DTSS_ALPHAOP]);
    f.alphaArg1 = uint8_t(st[D3DTSS_ALPHAARG1]);
    f.alphaArg2 = uint8_t(st[D3DTSS_ALPHAARG2]);
    f.projected = (st[D3DTSS_TEXTURETRANSFORMFLAGS] & D3DTTFF_PROJECTED) != 0;
    f.textured = textures_[i] && !textures_[i]->IsLost();
    if (f.colorOp == D3DTOP_DISABLE) {
      for (int j = i + 1; j < kStages; ++j) key.fragment.stages[j] = {};
      break;
    }
  }
  key.fragment.specularAdd =
      renderStates_[D3DRS_SPECULARENABLE] != 0 && (key.vertex.lighting || (fvf_ & D3DFVF_SPECULAR));
  key.fragment.alphaFunc = renderStates_[D3DRS_ALPHATESTENABLE]
                               ? uint8_t(renderStates_[D3DRS_ALPHAFUNC])
                               : uint8_t(D3DCMP_ALWAYS);
  return key;
}

void GpuDevice::SetVertexLayout(uint32_t stride, const uint8_t* base, uint32_t bufferName) {
  gl_.BindVertexArray(vao_);
  gl_.BindArrayBuffer(bufferName);
  if (gl_.SameLayout({fvf_, stride, bufferName, base})) return;
  const auto* p = base;
  uint32_t enabled = 0;
  auto attrib = [&](GLuint loc, GLint size, GLenum type, GLboolean norm, uint32_t bytes) {
    glVertexAttribPointer(loc, size, type, norm, GLsizei(stride), p);
    enabled |= 1u << loc;
    p += bytes;
  };
  const bool rhw = (fvf_ & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW;
  if (rhw) {
    attrib(kAttrPosition, 4, GL_FLOAT, GL_FALSE, 16);
  } else {
    attrib(kAttrPosition, 3, GL_FLOAT, GL_FALSE, 12);
  }
  if (fvf_ & D3DFVF_NORMAL) attrib(kAttrNormal, 3, GL_FLOAT, GL_FALSE, 12);
  // D3DCOLOR is B, G, R, A in memory; GL_BGRA reads it as red, green, blue, alpha.
  if (fvf_ & D3DFVF_DIFFUSE) attrib(kAttrDiffuse, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 4);
  if (fvf_ & D3DFVF_SPECULAR) attrib(kAttrSpecular, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 4);
  const uint32_t sets = (fvf_ & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  for (uint32_t t = 0; t < sets; ++t) {
    if (t < 2) {
      attrib(kAttrTex0 + t, 2, GL_FLOAT, GL_FALSE, 8);
    } else {
      p += 8;
    }
  }
  for (GLuint l = 0; l <= kAttrTex1; ++l) {
    if (enabled & (1u << l)) {
      glEnableVertexAttribArray(l);
    } else {
      glDisableVertexAttribArray(l);
    }
  }
}

bool GpuDevice::PrepareDraw(uint32_t stride, const uint8_t* base, uint32_t bufferName) {
  if (state_ != DeviceState::Ok || !target_ || target_->Texture()->IsLost()) return false;
  MakeCurrent();
  const ProgramKey key = CurrentProgramKey();
  if (!lastProgram_ || !(key == lastKey_)) {
    lastProgram_ = &ProgramFor(key);
    lastKey_ = key;
  }
  Program& program = *lastProgram_;
  if (program.readsFragCoord && TargetIsWindow()) LeaveWindow();
  if (direct_ && !windowAlpha_ && TargetIsWindow() && renderStates_[D3DRS_ALPHABLENDENABLE]) {
    // A blend that reads the target's alpha needs the texture's alpha.
    for (uint32_t b : {renderStates_[D3DRS_SRCBLEND], renderStates_[D3DRS_DESTBLEND]}) {
      if (b == D3DBLEND_DESTALPHA || b == D3DBLEND_INVDESTALPHA || b == D3DBLEND_SRCALPHASAT) {
        LeaveWindow();
        break;
      }
    }
  }
  const bool window = TargetIsWindow();
  windowDrawn_ |= window;
  gl_.BindFramebuffer(window ? 0 : fbo_);
  gl_.UseProgram(program.name);
  ApplyStates();
  UploadUniforms(program);
  SetVertexLayout(stride, base, bufferName);
  ++drawCalls_;
  return true;
}

size_t GpuDevice::Stream(StreamBuffer& buffer, bool indices, const void* data, size_t bytes,
                         size_t align) {
  const GLenum target = indices ? GL_ELEMENT_ARRAY_BUFFER : GL_ARRAY_BUFFER;
  gl_.BindVertexArray(vao_);
  if (indices) {
    gl_.BindElementBuffer(buffer.name);
  } else {
    gl_.BindArrayBuffer(buffer.name);
  }
  size_t offset = (buffer.head + align - 1) / align * align;
  if (offset + bytes > buffer.size) {
    // Orphan the full buffer: draws already sent keep reading the old
    // storage, new data starts at 0 in fresh storage.
    buffer.size = std::max(buffer.size, std::max(kStreamBytes, bytes));
    glBufferData(target, GLsizeiptr(buffer.size), nullptr, GL_STREAM_DRAW);
    offset = 0;
  }
  // Unsynchronised: the range was never used since the storage was made.
  void* p =
      glMapBufferRange(target, GLintptr(offset), GLsizeiptr(bytes),
                       GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT | GL_MAP_UNSYNCHRONIZED_BIT);
  if (p) {
    std::memcpy(p, data, bytes);
    glUnmapBuffer(target);
  } else {
    glBufferSubData(target, GLintptr(offset), GLsizeiptr(bytes), data);
  }
  buffer.head = offset + bytes;
  return offset;
}

void GpuDevice::DrawPrimitive(D3DPRIMITIVETYPE type, uint32_t startVertex,
                              uint32_t primitiveCount) {
  if (!stream_ || stream_->IsLost() || primitiveCount == 0) return;
  const uint32_t stride = streamStride_ ? streamStride_ : FvfStride(fvf_);
  const auto* base = reinterpret_cast<const uint8_t*>(uintptr_t{streamOffset_});
  if (!PrepareDraw(stride, base, stream_->GlName())) return;
  glDrawArrays(Primitive(type), GLint(startVertex), GLsizei(VertexCount(type, primitiveCount)));
}

void GpuDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, int32_t baseVertex, uint32_t, uint32_t,
                                     uint32_t startIndex, uint32_t primitiveCount) {
  if (!stream_ || stream_->IsLost() || !indices_ || indices_->IsLost() || primitiveCount == 0)
    return;
  const uint32_t stride = streamStride_ ? streamStride_ : FvfStride(fvf_);
  const auto* base = reinterpret_cast<const uint8_t*>(uintptr_t{streamOffset_});
  if (!PrepareDraw(stride, base, stream_->GlName())) return;
  gl_.BindElementBuffer(indices_->GlName());
  const uint32_t bytes = indices_->IndexBytes();
  glDrawElementsBaseVertex(Primitive(type), GLsizei(VertexCount(type, primitiveCount)),
                           bytes == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                           reinterpret_cast<const void*>(uintptr_t{startIndex} * bytes),
                           baseVertex);
}

void GpuDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t primitiveCount,
                                const void* vertices, uint32_t stride) {
  if (primitiveCount == 0 || !vertices || stride == 0) return;
  if (state_ != DeviceState::Ok) return;
  const uint32_t count = VertexCount(type, primitiveCount);
  MakeCurrent();
  // At a multiple of the stride, so the draw starts at a whole vertex and
  // the attributes keep pointing at the start of the buffer.
  const size_t offset = Stream(streamVbo_, false, vertices, size_t{count} * stride, stride);
  if (!PrepareDraw(stride, nullptr, streamVbo_.name)) return;
  glDrawArrays(Primitive(type), GLint(offset / stride), GLsizei(count));
}

void GpuDevice::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t minIndex,
                                       uint32_t numVertices, uint32_t primitiveCount,
                                       const void* indices, D3DFORMAT_INDEX format,
                                       const void* vertices, uint32_t stride) {
  if (primitiveCount == 0 || !vertices || !indices || stride == 0) return;
  if (state_ != DeviceState::Ok) return;
  const uint32_t count = VertexCount(type, primitiveCount);
  const uint32_t bytes = format == D3DFMT_INDEX32 ? 4 : 2;
  MakeCurrent();
  const size_t vertexOffset =
      Stream(streamVbo_, false, vertices, size_t{minIndex + numVertices} * stride, stride);
  if (!PrepareDraw(stride, nullptr, streamVbo_.name)) return;
  const size_t indexOffset = Stream(streamIbo_, true, indices, size_t{count} * bytes, bytes);
  glDrawElementsBaseVertex(
      Primitive(type), GLsizei(count), bytes == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
      reinterpret_cast<const void*>(indexOffset), GLint(vertexOffset / stride));
}

}  // namespace glimmer
