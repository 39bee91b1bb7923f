// GpuDevice's creation, resources, targets, clears, frames and device loss.
// States, programs and draws live in gpu_states.cpp, gpu_programs.cpp and
// gpu_draws.cpp.

#include "platform/gpu/gpu_device.h"

#include <epoxy/gl.h>
#include <malloc.h>

#include <algorithm>

#include "platform/gpu/gpu_device_impl.h"

namespace glimmer {

// ---------------------------------------------------------------- creation

GpuDevice::GpuDevice(std::unique_ptr<GlContext> context, const PresentParameters& params)
    : context_(std::move(context)), params_(params) {
  // Pictures, their decodes and (on a software device) textures are blocks
  // of megabytes, made and freed as slides come and go, on several threads.
  // Left to itself the allocator raises its threshold for mapping a block to
  // the largest one freed, after which such blocks come from its heaps and
  // are kept there when freed: twelve photo slides held twice the memory of
  // two. A fixed threshold gives every such block back when it is freed.
  static const bool fixedThreshold = mallopt(M_MMAP_THRESHOLD, 1 << 20) == 1;
  (void)fixedThreshold;
  MakeCurrent();
  glGenFramebuffers(1, &fbo_);
  glGenFramebuffers(1, &readFbo_);
  glGenVertexArrays(1, &vao_);
  gl_.BindVertexArray(vao_);
  glGenBuffers(1, &streamVbo_.name);
  glGenBuffers(1, &streamIbo_.name);
  glGenSamplers(GLsizei(samplers_.size()), samplers_.data());
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  GLint maxSize = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
  maxTextureSize_ = maxSize > 0 ? uint32_t(maxSize) : 4096;
  if (context_->HasWindow()) {
    // The window's framebuffer can stand for the back buffer only with the
    // depth and stencil the automatic surface has.
    GLint depth = 0, stencil = 0, alpha = 0;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH,
                                          GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE, &depth);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_STENCIL,
                                          GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE, &stencil);
    // Double-buffered windows draw into the back buffer, pbuffers into the front.
    for (GLenum buffer : {GL_BACK_LEFT, GL_FRONT_LEFT}) {
      GLint bits = 0;
      glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, buffer,
                                            GL_FRAMEBUFFER_ATTACHMENT_ALPHA_SIZE, &bits);
      alpha = std::max(alpha, bits);
    }
    while (glGetError() != GL_NO_ERROR) {
    }
    windowUsable_ = depth >= 24 && stencil >= 8;
    windowAlpha_ = alpha >= 8;
    gl_.FramebufferChanged();
  }
  CreateBackBuffer();
  SetDefaultStates();
}

std::unique_ptr<GpuDevice> GpuDevice::CreateHeadless(const PresentParameters& params) {
  return std::unique_ptr<GpuDevice>(new GpuDevice(CreateHeadlessContext(), params));
}

std::unique_ptr<GpuDevice> GpuDevice::CreateForWindow(SDL_Window* window,
                                                      const PresentParameters& params) {
  return std::unique_ptr<GpuDevice>(new GpuDevice(CreateWindowContext(window), params));
}

std::unique_ptr<GpuDevice> GpuDevice::CreateOnContext(std::unique_ptr<GlContext> context,
                                                      const PresentParameters& params) {
  return std::unique_ptr<GpuDevice>(new GpuDevice(std::move(context), params));
}

GpuDevice::~GpuDevice() {
  MakeCurrent();
  // Objects still held elsewhere outlive the device: release their GL
  // objects now and leave them lost.
  target_.reset();
  depth_.reset();
  backSurface_.reset();
  backBuffer_.reset();
  autoDepth_.reset();
  stream_.reset();
  indices_.reset();
  for (auto& t : textures_) t.reset();
  for (GpuResource* r : std::vector<GpuResource*>(resources_.begin(), resources_.end())) {
    r->MarkLost();
    r->device_ = nullptr;
  }
  for (auto& [key, p] : programs_) glDeleteProgram(p->name);
  glDeleteSamplers(GLsizei(samplers_.size()), samplers_.data());
  glDeleteBuffers(1, &streamVbo_.name);
  glDeleteBuffers(1, &streamIbo_.name);
  glDeleteVertexArrays(1, &vao_);
  glDeleteFramebuffers(1, &fbo_);
  glDeleteFramebuffers(1, &readFbo_);
}

void GpuDevice::MakeCurrent() {
  context_->MakeCurrent();
}

std::string GpuDevice::RendererName() {
  MakeCurrent();
  return context_->Renderer();
}

void GpuDevice::CreateBackBuffer() {
  backBuffer_ =
      std::make_shared<GpuTexture>(this, params_.BackBufferWidth, params_.BackBufferHeight, 1,
                                   D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  backSurface_ = backBuffer_->GetSurfaceLevel(0);
  autoDepth_ = params_.EnableAutoDepthStencil
                   ? CreateDepthStencilSurface(params_.BackBufferWidth, params_.BackBufferHeight)
                   : nullptr;
  depth_ = autoDepth_;
  windowDrawn_ = false;
  ChooseFrameTarget();
  SetRenderTarget(0, backSurface_);
  // New surfaces start defined: black back buffer, depth 1, stencil 0.
  gl_.Enable(GlStateCache::kScissorTest, false);
  gl_.DepthMask(true);
  gl_.StencilMask(0xFF);
  glClearDepth(1.0);
  glClearStencil(0);
  glClear(depth_ ? GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT : 0);
}

void GpuDevice::SetDefaultStates() {
  renderStates_.fill(0);
  renderStates_[D3DRS_ZENABLE] = autoDepth_ ? 1 : 0;
  renderStates_[D3DRS_ZWRITEENABLE] = 1;
  renderStates_[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  renderStates_[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  renderStates_[D3DRS_CULLMODE] = D3DCULL_CCW;
  renderStates_[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  renderStates_[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
  renderStates_[D3DRS_LIGHTING] = 1;
  renderStates_[D3DRS_COLORWRITEENABLE] = D3DCOLORWRITEENABLE_ALL;
  renderStates_[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
  renderStates_[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
  for (uint32_t s = 0; s < kStages; ++s) {
    auto& st = stageStates_[s];
    st.fill(0);
    st[D3DTSS_COLOROP] = s == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    st[D3DTSS_ALPHAOP] = s == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    st[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    st[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    st[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    st[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    st[D3DTSS_TEXCOORDINDEX] = s;
  }
  for (auto& sm : samplerStates_) {
    sm.fill(0);
    sm[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
    sm[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
    sm[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
    sm[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    sm[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
  }
  samplerDirty_.fill(true);
  for (auto& t : textures_) t.reset();
  transforms_.clear();
  light_ = {};
  lightEnabled_ = false;
  material_ = {};
  clipPlane_ = {};
  pixelShader_ = nullptr;
  vertexShader_ = nullptr;
  fvf_ = 0;
  stream_.reset();
  indices_.reset();
}

TexturePtr GpuDevice::CreateTexture(uint32_t width, uint32_t height, uint32_t levels,
                                    uint32_t usage, D3DFORMAT format, D3DPOOL pool) {
  return NewTexture(width, height, levels, usage, format, pool, true);
}

TexturePtr GpuDevice::CreateTextureToFill(uint32_t width, uint32_t height, uint32_t levels,
                                          uint32_t usage, D3DFORMAT format, D3DPOOL pool) {
  return NewTexture(width, height, levels, usage, format, pool, false);
}

TexturePtr GpuDevice::NewTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                 D3DFORMAT format, D3DPOOL pool, bool cleared) {
  if (width == 0 || height == 0 || width > maxTextureSize_ || height > maxTextureSize_)
    return nullptr;
  // Render targets live in the default pool, as Direct3D requires.
  if (usage & D3DUSAGE_RENDERTARGET) pool = D3DPOOL_DEFAULT;
  return std::make_shared<GpuTexture>(this, width, height, levels, usage, format, pool, cleared);
}

DepthStencilPtr GpuDevice::CreateDepthStencilSurface(uint32_t width, uint32_t height) {
  return std::make_shared<GpuDepthStencil>(this, width, height);
}

VertexBufferPtr GpuDevice::CreateVertexBuffer(uint32_t bytes, uint32_t usage, uint32_t fvf,
                                              D3DPOOL pool) {
  return std::make_shared<GpuVertexBuffer>(this, bytes, usage, fvf, pool);
}

IndexBufferPtr GpuDevice::CreateIndexBuffer(uint32_t bytes, uint32_t usage, D3DFORMAT_INDEX format,
                                            D3DPOOL pool) {
  return std::make_shared<GpuIndexBuffer>(this, bytes, usage, format, pool);
}

// ---------------------------------------------------------------- targets

SurfacePtr GpuDevice::GetBackBuffer() {
  return backSurface_;
}

D3DSURFACE_DESC GpuDevice::GetBackBufferDesc() const {
  return backBuffer_->GetLevelDesc(0);
}

void GpuDevice::SetRenderTarget(uint32_t index, SurfacePtr surface) {
  if (index != 0 || !surface) return;
  // A target switch is where code that drew with OpenGL itself hands the
  // context back: forget what the cache believes is set.
  gl_.Invalidate();
  target_ = std::move(surface);
  const D3DSURFACE_DESC d = target_->GetDesc();
  viewport_ = {0, 0, d.Width, d.Height, 0.0f, 1.0f};
  BindTarget();
}

SurfacePtr GpuDevice::GetRenderTarget(uint32_t index) const {
  return index == 0 ? target_ : nullptr;
}

void GpuDevice::SetDepthStencilSurface(DepthStencilPtr surface) {
  depth_ = std::move(surface);
  BindTarget();
}

int32_t GpuDevice::GlRow(uint32_t top, uint32_t height) const {
  if (!TargetIsWindow()) return int32_t(top);  // rows are stored from the top
  return int32_t(backBuffer_->Height()) - int32_t(top) - int32_t(height);
}

void GpuDevice::BindTarget() {
  MakeCurrent();
  if (TargetIsWindow() && depth_ && depth_ != autoDepth_) {
    // The window's depth stands only for the automatic surface.
    LeaveWindow();
    return;
  }
  if (TargetIsWindow()) {
    gl_.BindFramebuffer(0);
  } else {
    BindTextureTarget();
  }
  gl_.Viewport(GLint(viewport_.X), GlRow(viewport_.Y, viewport_.Height), GLsizei(viewport_.Width),
               GLsizei(viewport_.Height));
  gl_.DepthRange(viewport_.MinZ, viewport_.MaxZ);
}

void GpuDevice::BindTextureTarget() {
  gl_.BindFramebuffer(fbo_);
  const bool usable = target_ && !target_->Texture()->IsLost();
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                         usable ? target_->Texture()->GlName() : 0,
                         usable ? GLint(target_->Level()) : 0);
  const bool withDepth = depth_ && !depth_->IsLost();
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                            withDepth ? depth_->GlName() : 0);
}

void GpuDevice::SetViewport(const D3DVIEWPORT9& viewport) {
  viewport_ = viewport;
  MakeCurrent();
  gl_.Viewport(GLint(viewport_.X), GlRow(viewport_.Y, viewport_.Height), GLsizei(viewport_.Width),
               GLsizei(viewport_.Height));
  gl_.DepthRange(viewport_.MinZ, viewport_.MaxZ);
}

void GpuDevice::Clear(uint32_t flags, D3DCOLOR color, float z, uint32_t stencil) {
  if (state_ != DeviceState::Ok || !target_ || target_->Texture()->IsLost()) return;
  MakeCurrent();
  const bool window = TargetIsWindow();
  gl_.BindFramebuffer(window ? 0 : fbo_);
  windowDrawn_ |= window;
  gl_.Enable(GlStateCache::kScissorTest, true);
  glScissor(GLint(viewport_.X), GlRow(viewport_.Y, viewport_.Height), GLsizei(viewport_.Width),
            GLsizei(viewport_.Height));
  GLbitfield mask = 0;
  if (flags & D3DCLEAR_TARGET) {
    gl_.ColorMask(0xF);
    glClearColor(float((color >> 16) & 0xFF) / 255.0f, float((color >> 8) & 0xFF) / 255.0f,
                 float(color & 0xFF) / 255.0f, float(color >> 24) / 255.0f);
    mask |= GL_COLOR_BUFFER_BIT;
  }
  if (depth_ && !depth_->IsLost()) {
    if (flags & D3DCLEAR_ZBUFFER) {
      gl_.DepthMask(true);
      glClearDepth(z);
      mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_STENCIL) {
      gl_.StencilMask(0xFF);
      glClearStencil(GLint(stencil));
      mask |= GL_STENCIL_BUFFER_BIT;
    }
  }
  if (mask) glClear(mask);
}

// ---------------------------------------------------------------- frames

Image GpuDevice::ReadFrame() {
  Image frame = ReadBackBuffer();
  if (frame.channels == 4) {
    for (size_t i = 3; i < frame.rgba.size(); i += 4) frame.rgba[i] = 255;
  }
  return frame;
}

void GpuDevice::Present() {
  if (state_ != DeviceState::Ok) return;
  MakeCurrent();
  if (!context_->HasWindow()) {
    glFlush();
    return;
  }
  if (!direct_) {
    int w = 0, h = 0;
    context_->DrawableSize(w, h);
    gl_.FramebufferChanged();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, readFbo_);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                           backBuffer_->GlName(), 0);
    glFramebufferRenderbuffer(GL_READ_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    gl_.Enable(GlStateCache::kScissorTest, false);
    gl_.ColorMask(0xF);
    // Row 0 of the back buffer is the top of the window.
    glBlitFramebuffer(0, 0, GLint(backBuffer_->Width()), GLint(backBuffer_->Height()), 0, h, w, 0,
                      GL_COLOR_BUFFER_BIT, GL_LINEAR);
  }
  // A window's frame is opaque whatever the blending left in alpha: where
  // its framebuffer keeps alpha (a compositor would show it), it is set to 1.
  if (windowAlphaBits_ < 0) {
    gl_.BindFramebuffer(0);
    GLint bits = 0;
    glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, GL_BACK_LEFT,
                                          GL_FRAMEBUFFER_ATTACHMENT_ALPHA_SIZE, &bits);
    windowAlphaBits_ = bits;
  }
  if (windowAlphaBits_ > 0) {
    gl_.BindFramebuffer(0);
    gl_.Enable(GlStateCache::kScissorTest, false);
    gl_.ColorMask(0x8);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  context_->SwapBuffers();
  windowDrawn_ = false;
  ChooseFrameTarget();
  BindTarget();
}

void GpuDevice::SetDrawDirect(bool on) {
  wantDirect_ = on;
  if (direct_ && !on) {
    LeaveWindow();
  } else if (!windowDrawn_) {
    ChooseFrameTarget();
    if (target_) BindTarget();
  }
}

void GpuDevice::ChooseFrameTarget() {
  int w = 0, h = 0;
  if (context_->HasWindow()) context_->DrawableSize(w, h);
  direct_ = wantDirect_ && windowUsable_ && backBuffer_ && uint32_t(w) == backBuffer_->Width() &&
            uint32_t(h) == backBuffer_->Height();
}

void GpuDevice::LeaveWindow() {
  if (!direct_) return;
  MakeCurrent();
  direct_ = false;
  if (windowDrawn_ && !backBuffer_->IsLost()) {
    // The frame so far, flipped into the texture's rows, with its depth and
    // stencil when the automatic surface is there to take them.
    const GLint w = GLint(backBuffer_->Width()), h = GLint(backBuffer_->Height());
    const bool withDepth = autoDepth_ && !autoDepth_->IsLost();
    gl_.FramebufferChanged();
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, readFbo_);
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                           backBuffer_->GlName(), 0);
    glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                              withDepth ? autoDepth_->GlName() : 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    gl_.Enable(GlStateCache::kScissorTest, false);
    gl_.ColorMask(0xF);
    gl_.DepthMask(true);
    gl_.StencilMask(0xFF);
    glBlitFramebuffer(0, 0, w, h, 0, h, w, 0, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    if (withDepth) {
      glBlitFramebuffer(0, 0, w, h, 0, h, w, 0, GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT,
                        GL_NEAREST);
      // Formats that do not match refuse the copy; colour alone is kept.
      while (glGetError() != GL_NO_ERROR) {
      }
    }
  }
  windowDrawn_ = false;
  if (target_) BindTarget();
}

void GpuDevice::Finish() {
  MakeCurrent();
  glFinish();
}

bool GpuDevice::Reset(const PresentParameters& params) {
  MakeCurrent();
  params_ = params;
  target_.reset();
  depth_.reset();
  for (GpuResource* r : std::vector<GpuResource*>(resources_.begin(), resources_.end())) {
    if (r->Pool() == D3DPOOL_DEFAULT && !r->IsLost()) r->MarkLost();
  }
  gl_.Invalidate();
  lastProgram_ = nullptr;
  CreateBackBuffer();
  SetDefaultStates();
  state_ = DeviceState::Ok;
  return true;
}

Image GpuDevice::ReadSurface(const SurfacePtr& surface) {
  if (!surface) return {};
  glFinish();
  return surface->Texture()->ReadLevel(surface->Level());
}

}  // namespace glimmer
