#pragma once
// Device objects: textures and their surfaces, depth-stencil surfaces,
// vertex and index buffers. They are held through shared pointers, as
// Direct3D's are reference-counted. Default-pool objects are lost with the
// device (IsLost, and using them does nothing); managed ones survive.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gpu/d3d_types.h"
#include "platform/image/image_codec.h"

namespace glimmer {

class GpuDevice;
class GlStateCache;

class GpuResource {
 public:
  GpuResource(GpuDevice* device, D3DPOOL pool);
  GpuResource(const GpuResource&) = delete;
  GpuResource& operator=(const GpuResource&) = delete;
  virtual ~GpuResource();

  D3DPOOL Pool() const { return pool_; }
  bool IsLost() const { return lost_; }
  GpuDevice* Device() const { return device_; }

 protected:
  friend class GpuDevice;
  // Deletes the GL objects (the device's context is current).
  virtual void ReleaseGl() = 0;
  void MarkLost() {
    ReleaseGl();
    lost_ = true;
  }
  // The device's record of its context's bindings, told of the bindings and
  // deletions resources make themselves (null without a device).
  GlStateCache* GlState() const;
  GpuDevice* device_;

 private:
  D3DPOOL pool_;
  bool lost_ = false;
};

class GpuTexture;

// One mip level of a texture, as a render target or a copy source.
class GpuSurface {
 public:
  GpuSurface(std::shared_ptr<GpuTexture> texture, uint32_t level)
      : texture_(std::move(texture)), level_(level) {}
  const std::shared_ptr<GpuTexture>& Texture() const { return texture_; }
  uint32_t Level() const { return level_; }
  D3DSURFACE_DESC GetDesc() const;

 private:
  std::shared_ptr<GpuTexture> texture_;
  uint32_t level_;
};

class GpuTexture : public GpuResource, public std::enable_shared_from_this<GpuTexture> {
 public:
  // Cleared to zero, as Direct3D's are, unless `cleared` is false.
  GpuTexture(GpuDevice* device, uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
             D3DFORMAT format, D3DPOOL pool, bool cleared = true);
  ~GpuTexture() override;

  uint32_t Width(uint32_t level = 0) const;
  uint32_t Height(uint32_t level = 0) const;
  uint32_t Levels() const { return levels_; }
  uint32_t Usage() const { return usage_; }
  D3DFORMAT Format() const { return format_; }
  D3DSURFACE_DESC GetLevelDesc(uint32_t level) const;
  std::shared_ptr<GpuSurface> GetSurfaceLevel(uint32_t level);

  // Pixels in Direct3D's memory layout for the format: A8R8G8B8 and X8R8G8B8
  // as B, G, R, A bytes; A8 one byte; V8U8 two signed bytes (U, V); V16U16
  // two signed 16-bit values. Rows from the top, tightly packed.
  void UploadLevel(uint32_t level, const void* data);
  // An RGBA picture (rows from the top), for any pixel format.
  void UploadImage(uint32_t level, const Image& image);
  // Rows [y0, y0 + rows) of an RGBA picture of the level's size, for a
  // picture uploaded a slice at a time; false for a format that needs the
  // whole picture converted (UploadImage then).
  bool UploadRows(uint32_t level, const Image& image, uint32_t y0, uint32_t rows);
  // The level as RGBA, 8 bits a channel (A8: black with the alpha; signed
  // formats mapped from -1..1 to 0..255).
  Image ReadLevel(uint32_t level) const;
  // Builds levels 1.. from level 0 with a box filter.
  void GenerateMips();

  uint32_t GlName() const { return texture_; }

 protected:
  void ReleaseGl() override;

 private:
  void Allocate(bool cleared);
  uint32_t width_, height_, levels_, usage_;
  D3DFORMAT format_;
  uint32_t texture_ = 0;
};

class GpuDepthStencil : public GpuResource {
 public:
  GpuDepthStencil(GpuDevice* device, uint32_t width, uint32_t height);
  ~GpuDepthStencil() override;
  uint32_t Width() const { return width_; }
  uint32_t Height() const { return height_; }
  uint32_t GlName() const { return renderbuffer_; }

 protected:
  void ReleaseGl() override;

 private:
  uint32_t width_, height_;
  uint32_t renderbuffer_ = 0;
};

// A vertex or index buffer: a CPU copy that Lock hands out and Unlock sends
// to the GPU.
class GpuBuffer : public GpuResource {
 public:
  GpuBuffer(GpuDevice* device, uint32_t bytes, uint32_t usage, D3DPOOL pool, uint32_t target);
  ~GpuBuffer() override;

  uint32_t Size() const { return static_cast<uint32_t>(data_.size()); }
  uint32_t Usage() const { return usage_; }
  // Whole buffer when offset and size are both 0. Null when lost or out of range.
  void* Lock(uint32_t offset, uint32_t size);
  void Unlock();
  const uint8_t* Data() const { return data_.data(); }
  uint32_t GlName() const { return buffer_; }

 protected:
  void ReleaseGl() override;

 private:
  std::vector<uint8_t> data_;
  uint32_t usage_;
  uint32_t target_;
  uint32_t buffer_ = 0;
  bool locked_ = false;
  uint32_t lockOffset_ = 0, lockSize_ = 0;
};

class GpuVertexBuffer : public GpuBuffer {
 public:
  GpuVertexBuffer(GpuDevice* device, uint32_t bytes, uint32_t usage, uint32_t fvf, D3DPOOL pool);
  uint32_t Fvf() const { return fvf_; }

 private:
  uint32_t fvf_;
};

class GpuIndexBuffer : public GpuBuffer {
 public:
  GpuIndexBuffer(GpuDevice* device, uint32_t bytes, uint32_t usage, D3DFORMAT_INDEX format,
                 D3DPOOL pool);
  D3DFORMAT_INDEX Format() const { return format_; }
  uint32_t IndexBytes() const { return format_ == D3DFMT_INDEX32 ? 4 : 2; }

 private:
  D3DFORMAT_INDEX format_;
};

using TexturePtr = std::shared_ptr<GpuTexture>;
using SurfacePtr = std::shared_ptr<GpuSurface>;
using DepthStencilPtr = std::shared_ptr<GpuDepthStencil>;
using VertexBufferPtr = std::shared_ptr<GpuVertexBuffer>;
using IndexBufferPtr = std::shared_ptr<GpuIndexBuffer>;

}  // namespace glimmer
