#include "platform/gpu/gpu_resources.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstring>

#include "platform/gpu/gl_state_cache.h"
#include "platform/gpu/gpu_device.h"

namespace glimmer {
namespace {

struct GlFormat {
  GLint internal;
  GLenum format;
  GLenum type;
  uint32_t bytes;  // per pixel in Direct3D's layout
};

GlFormat FormatOf(D3DFORMAT f) {
  switch (f) {
    case D3DFMT_A8:
      return {GL_R8, GL_RED, GL_UNSIGNED_BYTE, 1};
    case D3DFMT_V8U8:
      return {GL_RG8_SNORM, GL_RG, GL_BYTE, 2};
    case D3DFMT_V16U16:
      return {GL_RG16_SNORM, GL_RG, GL_SHORT, 4};
    default:
      return {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, 4};
  }
}

uint32_t LevelSize(uint32_t size, uint32_t level) {
  return std::max(1u, size >> level);
}

uint32_t FullChain(uint32_t w, uint32_t h) {
  uint32_t levels = 1;
  while ((w >> levels) > 0 || (h >> levels) > 0) ++levels;
  return levels;
}

}  // namespace

GpuResource::GpuResource(GpuDevice* device, D3DPOOL pool) : device_(device), pool_(pool) {
  device_->Register(this);
}

GpuResource::~GpuResource() {
  if (device_) device_->Unregister(this);
}

GlStateCache* GpuResource::GlState() const {
  return device_ ? &device_->gl_ : nullptr;
}

D3DSURFACE_DESC GpuSurface::GetDesc() const {
  return texture_->GetLevelDesc(level_);
}

GpuTexture::GpuTexture(GpuDevice* device, uint32_t width, uint32_t height, uint32_t levels,
                       uint32_t usage, D3DFORMAT format, D3DPOOL pool, bool cleared)
    : GpuResource(device, pool),
      width_(std::max(1u, width)),
      height_(std::max(1u, height)),
      levels_(levels == 0 ? FullChain(width_, height_)
                          : std::min(levels, FullChain(width_, height_))),
      usage_(usage),
      format_(format == D3DFMT_UNKNOWN ? D3DFMT_A8R8G8B8 : format) {
  Allocate(cleared);
}

GpuTexture::~GpuTexture() {
  if (!IsLost()) {
    device_->MakeCurrent();
    ReleaseGl();
  }
}

void GpuTexture::ReleaseGl() {
  if (texture_) {
    glDeleteTextures(1, &texture_);
    if (GlStateCache* gl = GlState()) gl->TextureDeleted(texture_);
  }
  texture_ = 0;
}

void GpuTexture::Allocate(bool cleared) {
  device_->MakeCurrent();
  glGenTextures(1, &texture_);
  glBindTexture(GL_TEXTURE_2D, texture_);
  GlState()->TextureBound(texture_);
  const GlFormat f = FormatOf(format_);
  for (uint32_t l = 0; l < levels_; ++l) {
    glTexImage2D(GL_TEXTURE_2D, GLint(l), f.internal, GLsizei(LevelSize(width_, l)),
                 GLsizei(LevelSize(height_, l)), 0, f.format, f.type, nullptr);
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, GLint(levels_ - 1));
  if (format_ == D3DFMT_X8R8G8B8) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, GL_ONE);
  if (format_ == D3DFMT_A8) {
    // Colour reads 0, alpha the stored value.
    const GLint swizzle[4] = {GL_ZERO, GL_ZERO, GL_ZERO, GL_RED};
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
  }
  if (!cleared) return;
  // Direct3D's new textures are zeroed. The driver clears in place where it
  // can; otherwise zero rows go up a band at a time, so a large texture
  // needs no zeroed copy of its own size.
  if (epoxy_gl_version() >= 44 || epoxy_has_gl_extension("GL_ARB_clear_texture")) {
    for (uint32_t l = 0; l < levels_; ++l)
      glClearTexImage(texture_, GLint(l), f.format, f.type, nullptr);
    return;
  }
  constexpr size_t kBandBytes = size_t{1} << 20;
  const size_t rowBytes = size_t(width_) * f.bytes;
  const uint32_t bandRows = uint32_t(std::clamp<size_t>(kBandBytes / rowBytes, 1, height_));
  const std::vector<uint8_t> zeros(rowBytes * bandRows, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (uint32_t l = 0; l < levels_; ++l) {
    const uint32_t w = LevelSize(width_, l), h = LevelSize(height_, l);
    for (uint32_t y = 0; y < h; y += bandRows) {
      glTexSubImage2D(GL_TEXTURE_2D, GLint(l), 0, GLint(y), GLsizei(w),
                      GLsizei(std::min(bandRows, h - y)), f.format, f.type, zeros.data());
    }
  }
}

uint32_t GpuTexture::Width(uint32_t level) const {
  return LevelSize(width_, level);
}
uint32_t GpuTexture::Height(uint32_t level) const {
  return LevelSize(height_, level);
}

D3DSURFACE_DESC GpuTexture::GetLevelDesc(uint32_t level) const {
  return {format_, usage_, Pool(), Width(level), Height(level)};
}

std::shared_ptr<GpuSurface> GpuTexture::GetSurfaceLevel(uint32_t level) {
  if (level >= levels_) return nullptr;
  return std::make_shared<GpuSurface>(shared_from_this(), level);
}

void GpuTexture::UploadLevel(uint32_t level, const void* data) {
  if (IsLost() || level >= levels_) return;
  device_->TextureTouched(this);
  device_->MakeCurrent();
  const GlFormat f = FormatOf(format_);
  glBindTexture(GL_TEXTURE_2D, texture_);
  GlState()->TextureBound(texture_);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexSubImage2D(GL_TEXTURE_2D, GLint(level), 0, 0, GLsizei(Width(level)), GLsizei(Height(level)),
                  f.format, f.type, data);
}

bool GpuTexture::UploadRows(uint32_t level, const Image& image, uint32_t y0, uint32_t rows) {
  // RGBA bytes go to the device as they are for the 32-bit colour formats.
  if (format_ != D3DFMT_A8R8G8B8 && format_ != D3DFMT_X8R8G8B8 && format_ != D3DFMT_UNKNOWN)
    return false;
  if (IsLost() || level >= levels_ || image.width != Width(level) ||
      image.height != Height(level) || y0 >= image.height) {
    return true;
  }
  rows = std::min(rows, image.height - y0);
  device_->TextureTouched(this);
  device_->MakeCurrent();
  glBindTexture(GL_TEXTURE_2D, texture_);
  GlState()->TextureBound(texture_);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  // RGB rows take alpha 1, as an opaque picture's RGBA would give.
  glTexSubImage2D(GL_TEXTURE_2D, GLint(level), 0, GLint(y0), GLsizei(image.width), GLsizei(rows),
                  image.channels == 3 ? GL_RGB : GL_RGBA, GL_UNSIGNED_BYTE, image.Pixel(0, y0));
  return true;
}

void GpuTexture::UploadImage(uint32_t level, const Image& image) {
  if (IsLost() || level >= levels_ || image.width != Width(level) ||
      image.height != Height(level)) {
    return;
  }
  if (UploadRows(level, image, 0, image.height)) return;
  const size_t n = size_t(image.width) * image.height;
  std::vector<uint8_t> data(n * FormatOf(format_).bytes);
  for (size_t i = 0; i < n; ++i) {
    const uint8_t* p = &image.rgba[i * image.channels];
    const uint8_t alpha = image.channels == 4 ? p[3] : 255;
    switch (format_) {
      case D3DFMT_A8:
        data[i] = alpha;
        break;
      case D3DFMT_V8U8:
        data[i * 2] = uint8_t(int(p[0]) - 128);
        data[i * 2 + 1] = uint8_t(int(p[1]) - 128);
        break;
      case D3DFMT_V16U16: {
        const int16_t u = int16_t((int(p[0]) - 128) * 256), v = int16_t((int(p[1]) - 128) * 256);
        std::memcpy(&data[i * 4], &u, 2);
        std::memcpy(&data[i * 4 + 2], &v, 2);
        break;
      }
      default:
        data[i * 4] = p[2];
        data[i * 4 + 1] = p[1];
        data[i * 4 + 2] = p[0];
        // DXT1 keeps one bit of alpha.
        data[i * 4 + 3] = format_ == D3DFMT_DXT1 ? (alpha >= 128 ? 255 : 0) : alpha;
        break;
    }
  }
  UploadLevel(level, data.data());
}

Image GpuTexture::ReadLevel(uint32_t level) const {
  Image img{Width(level), Height(level), {}};
  img.rgba.assign(size_t(img.width) * img.height * 4, 0);
  if (IsLost() || level >= levels_) return img;
  device_->TextureTouched(this);
  device_->MakeCurrent();
  glBindTexture(GL_TEXTURE_2D, texture_);
  GlState()->TextureBound(texture_);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  const size_t n = size_t(img.width) * img.height;
  switch (format_) {
    case D3DFMT_A8: {
      std::vector<uint8_t> a(n);
      glGetTexImage(GL_TEXTURE_2D, GLint(level), GL_RED, GL_UNSIGNED_BYTE, a.data());
      for (size_t i = 0; i < n; ++i) img.rgba[i * 4 + 3] = a[i];
      break;
    }
    case D3DFMT_V8U8:
    case D3DFMT_V16U16: {
      std::vector<float> uv(n * 2);
      glGetTexImage(GL_TEXTURE_2D, GLint(level), GL_RG, GL_FLOAT, uv.data());
      for (size_t i = 0; i < n; ++i) {
        img.rgba[i * 4] = uint8_t(std::clamp(uv[i * 2] * 127.5f + 127.5f, 0.0f, 255.0f));
        img.rgba[i * 4 + 1] = uint8_t(std::clamp(uv[i * 2 + 1] * 127.5f + 127.5f, 0.0f, 255.0f));
        img.rgba[i * 4 + 3] = 255;
      }
      break;
    }
    default:
      glGetTexImage(GL_TEXTURE_2D, GLint(level), GL_RGBA, GL_UNSIGNED_BYTE, img.rgba.data());
      if (format_ == D3DFMT_X8R8G8B8) {
        for (size_t i = 0; i < n; ++i) img.rgba[i * 4 + 3] = 255;
      }
      break;
  }
  return img;
}

void GpuTexture::GenerateMips() {
  if (IsLost() || levels_ < 2) return;
  device_->TextureTouched(this);
  device_->MakeCurrent();
  glBindTexture(GL_TEXTURE_2D, texture_);
  GlState()->TextureBound(texture_);
  glGenerateMipmap(GL_TEXTURE_2D);
}

GpuDepthStencil::GpuDepthStencil(GpuDevice* device, uint32_t width, uint32_t height)
    : GpuResource(device, D3DPOOL_DEFAULT),
      width_(std::max(1u, width)),
      height_(std::max(1u, height)) {
  device_->MakeCurrent();
  glGenRenderbuffers(1, &renderbuffer_);
  glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, GLsizei(width_), GLsizei(height_));
}

GpuDepthStencil::~GpuDepthStencil() {
  if (!IsLost()) {
    device_->MakeCurrent();
    ReleaseGl();
  }
}

void GpuDepthStencil::ReleaseGl() {
  if (renderbuffer_) glDeleteRenderbuffers(1, &renderbuffer_);
  renderbuffer_ = 0;
}

GpuBuffer::GpuBuffer(GpuDevice* device, uint32_t bytes, uint32_t usage, D3DPOOL pool,
                     uint32_t target)
    : GpuResource(device, pool), data_(bytes, 0), usage_(usage), target_(target) {
  device_->MakeCurrent();
  glGenBuffers(1, &buffer_);
  glBindBuffer(target_, buffer_);
  if (target_ == GL_ARRAY_BUFFER) GlState()->ArrayBufferBound(buffer_);
  glBufferData(target_, GLsizeiptr(bytes), data_.data(),
               (usage & D3DUSAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
}

GpuBuffer::~GpuBuffer() {
  if (!IsLost()) {
    device_->MakeCurrent();
    ReleaseGl();
  }
}

void GpuBuffer::ReleaseGl() {
  if (buffer_) {
    glDeleteBuffers(1, &buffer_);
    if (GlStateCache* gl = GlState()) gl->BufferDeleted(buffer_);
  }
  buffer_ = 0;
}

void* GpuBuffer::Lock(uint32_t offset, uint32_t size) {
  if (IsLost() || locked_) return nullptr;
  if (offset == 0 && size == 0) size = Size();
  if (uint64_t{offset} + size > data_.size()) return nullptr;
  locked_ = true;
  lockOffset_ = offset;
  lockSize_ = size;
  return data_.data() + offset;
}

void GpuBuffer::Unlock() {
  if (!locked_) return;
  locked_ = false;
  if (IsLost() || lockSize_ == 0) return;
  device_->MakeCurrent();
  glBindBuffer(target_, buffer_);
  if (target_ == GL_ARRAY_BUFFER) GlState()->ArrayBufferBound(buffer_);
  glBufferSubData(target_, GLintptr(lockOffset_), GLsizeiptr(lockSize_),
                  data_.data() + lockOffset_);
}

GpuVertexBuffer::GpuVertexBuffer(GpuDevice* device, uint32_t bytes, uint32_t usage, uint32_t fvf,
                                 D3DPOOL pool)
    : GpuBuffer(device, bytes, usage, pool, GL_ARRAY_BUFFER), fvf_(fvf) {}

// Index data is written through the copy target, so that uploading never
// disturbs the index binding of the device's vertex array.
GpuIndexBuffer::GpuIndexBuffer(GpuDevice* device, uint32_t bytes, uint32_t usage,
                               D3DFORMAT_INDEX format, D3DPOOL pool)
    : GpuBuffer(device, bytes, usage, pool, GL_COPY_WRITE_BUFFER), format_(format) {}

}  // namespace glimmer
