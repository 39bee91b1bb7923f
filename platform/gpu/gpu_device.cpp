#include "platform/gpu/gpu_device.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <stdexcept>

#include "common/error_codes.h"

namespace glimmer {
namespace {

std::atomic<uint32_t> g_nextShaderId{1};

GLenum Blend(uint32_t b) {
  switch (b) {
    case D3DBLEND_ZERO:
      return GL_ZERO;
    case D3DBLEND_ONE:
      return GL_ONE;
    case D3DBLEND_SRCCOLOR:
      return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
      return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
      return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
      return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
      return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
      return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
      return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
      return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
      return GL_SRC_ALPHA_SATURATE;
    default:
      return GL_ONE;
  }
}

GLenum BlendOp(uint32_t op) {
  switch (op) {
    case D3DBLENDOP_SUBTRACT:
      return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT:
      return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN:
      return GL_MIN;
    case D3DBLENDOP_MAX:
      return GL_MAX;
    default:
      return GL_FUNC_ADD;
  }
}

GLenum Compare(uint32_t f) {
  switch (f) {
    case D3DCMP_NEVER:
      return GL_NEVER;
    case D3DCMP_LESS:
      return GL_LESS;
    case D3DCMP_EQUAL:
      return GL_EQUAL;
    case D3DCMP_LESSEQUAL:
      return GL_LEQUAL;
    case D3DCMP_GREATER:
      return GL_GREATER;
    case D3DCMP_NOTEQUAL:
      return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL:
      return GL_GEQUAL;
    default:
      return GL_ALWAYS;
  }
}

GLenum Address(uint32_t a) {
  switch (a) {
    case D3DTADDRESS_MIRROR:
      return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
      return GL_CLAMP_TO_EDGE;
    default:
      return GL_REPEAT;
  }
}

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

GLuint Compile(GLenum type, const std::string& source) {
  GLuint s = glCreateShader(type);
  const char* src = source.c_str();
  glShaderSource(s, 1, &src, nullptr);
  glCompileShader(s);
  GLint ok = 0;
  glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[2048];
    glGetShaderInfoLog(s, sizeof log, nullptr, log);
    glDeleteShader(s);
    throw std::runtime_error(std::string("shader does not compile: ") + log + "\n" + source);
  }
  return s;
}

void UploadMatrix(GLint location, const D3DXMATRIX& m) {
  // Row-major data read as column-major is the transpose, which turns the
  // row-vector product v × M into GLSL's M' × v.
  if (location >= 0) glUniformMatrix4fv(location, 1, GL_FALSE, &m.m[0][0]);
}

void UploadColor(GLint location, const D3DCOLORVALUE& c) {
  if (location >= 0) glUniform4f(location, c.r, c.g, c.b, c.a);
}

void UploadD3DColor(GLint location, D3DCOLOR c) {
  if (location >= 0) {
    glUniform4f(location, float((c >> 16) & 0xFF) / 255.0f, float((c >> 8) & 0xFF) / 255.0f,
                float(c & 0xFF) / 255.0f, float(c >> 24) / 255.0f);
  }
}

float AsFloat(uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}

}  // namespace

// ---------------------------------------------------------------- shaders

PixelShader::PixelShader(std::string source, std::vector<std::string> samplers)
    : id_(g_nextShaderId++), source_(std::move(source)), samplers_(std::move(samplers)) {}

PixelShader::Value& PixelShader::Slot(const std::string& name) {
  for (Value& v : values_) {
    if (v.name == name) return v;
  }
  values_.push_back({name, {}, 0, 0});
  return values_.back();
}

void PixelShader::SetFloats(const std::string& name, const float* values, int count) {
  Value& v = Slot(name);
  v.count = std::clamp(count, 1, 16);
  std::copy(values, values + v.count, v.floats.begin());
}

void PixelShader::SetInt(const std::string& name, int value) {
  Value& v = Slot(name);
  v.count = 0;
  v.integer = value;
}

struct GpuDevice::Program {
  GLuint name = 0;
  GLint worldView, projection, target, texMatrix, lightDir, lightDiffuse, lightSpecular,
      lightAmbient;
  GLint matDiffuse, matAmbient, matSpecular, matEmissive, matPower, ambient, clipPlane;
  GLint alphaFunc, alphaRef, tfactor, texture[kStages], hasTexture[kStages];
  GLint bumpMatrix[kStages], bumpLuminance[kStages];
  std::unordered_map<std::string, GLint> named;

  GLint Location(const std::string& n) {
    auto it = named.find(n);
    if (it != named.end()) return it->second;
    const GLint loc = glGetUniformLocation(name, n.c_str());
    named.emplace(n, loc);
    return loc;
  }
};

size_t GpuDevice::ProgramKeyHash::operator()(const ProgramKey& k) const {
  return VertexKeyHash{}(k.vertex) * 1315423911u ^ FragmentKeyHash {}(k.fragment) ^
         (size_t{k.pixelShader} << 40);
}

// ---------------------------------------------------------------- creation

GpuDevice::GpuDevice(std::unique_ptr<GlContext> context, const PresentParameters& params)
    : context_(std::move(context)), params_(params) {
  MakeCurrent();
  glGenFramebuffers(1, &fbo_);
  glGenFramebuffers(1, &readFbo_);
  glGenVertexArrays(1, &vao_);
  glBindVertexArray(vao_);
  glGenBuffers(1, &streamVbo_);
  glGenBuffers(1, &streamIbo_);
  glGenSamplers(GLsizei(samplers_.size()), samplers_.data());
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  GLint maxSize = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
  maxTextureSize_ = maxSize > 0 ? uint32_t(maxSize) : 4096;
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
  glDeleteBuffers(1, &streamVbo_);
  glDeleteBuffers(1, &streamIbo_);
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
  SetRenderTarget(0, backSurface_);
  // New surfaces start defined: black back buffer, depth 1, stencil 0.
  glDisable(GL_SCISSOR_TEST);
  glDepthMask(GL_TRUE);
  glStencilMask(0xFF);
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
  fvf_ = 0;
  stream_.reset();
  indices_.reset();
}

TexturePtr GpuDevice::CreateTexture(uint32_t width, uint32_t height, uint32_t levels,
                                    uint32_t usage, D3DFORMAT format, D3DPOOL pool) {
  if (width == 0 || height == 0 || width > maxTextureSize_ || height > maxTextureSize_)
    return nullptr;
  // Render targets live in the default pool, as Direct3D requires.
  if (usage & D3DUSAGE_RENDERTARGET) pool = D3DPOOL_DEFAULT;
  return std::make_shared<GpuTexture>(this, width, height, levels, usage, format, pool);
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

void GpuDevice::BindTarget() {
  MakeCurrent();
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  const bool usable = target_ && !target_->Texture()->IsLost();
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                         usable ? target_->Texture()->GlName() : 0,
                         usable ? GLint(target_->Level()) : 0);
  const bool withDepth = depth_ && !depth_->IsLost();
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                            withDepth ? depth_->GlName() : 0);
  glViewport(GLint(viewport_.X), GLint(viewport_.Y), GLsizei(viewport_.Width),
             GLsizei(viewport_.Height));
  glDepthRange(viewport_.MinZ, viewport_.MaxZ);
}

void GpuDevice::SetViewport(const D3DVIEWPORT9& viewport) {
  viewport_ = viewport;
  MakeCurrent();
  // Rows are stored from the top, so Direct3D's y is OpenGL's row.
  glViewport(GLint(viewport_.X), GLint(viewport_.Y), GLsizei(viewport_.Width),
             GLsizei(viewport_.Height));
  glDepthRange(viewport_.MinZ, viewport_.MaxZ);
}

void GpuDevice::Clear(uint32_t flags, D3DCOLOR color, float z, uint32_t stencil) {
  if (state_ != DeviceState::Ok || !target_ || target_->Texture()->IsLost()) return;
  MakeCurrent();
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  glEnable(GL_SCISSOR_TEST);
  glScissor(GLint(viewport_.X), GLint(viewport_.Y), GLsizei(viewport_.Width),
            GLsizei(viewport_.Height));
  GLbitfield mask = 0;
  if (flags & D3DCLEAR_TARGET) {
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(float((color >> 16) & 0xFF) / 255.0f, float((color >> 8) & 0xFF) / 255.0f,
                 float(color & 0xFF) / 255.0f, float(color >> 24) / 255.0f);
    mask |= GL_COLOR_BUFFER_BIT;
  }
  if (depth_ && !depth_->IsLost()) {
    if (flags & D3DCLEAR_ZBUFFER) {
      glDepthMask(GL_TRUE);
      glClearDepth(z);
      mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_STENCIL) {
      glStencilMask(0xFF);
      glClearStencil(GLint(stencil));
      mask |= GL_STENCIL_BUFFER_BIT;
    }
  }
  if (mask) glClear(mask);
  glDisable(GL_SCISSOR_TEST);
}

// ---------------------------------------------------------------- states

void GpuDevice::SetRenderState(D3DRENDERSTATETYPE state, uint32_t value) {
  if (state < D3DRS_COUNT) renderStates_[state] = value;
}

void GpuDevice::SetSamplerState(uint32_t sampler, D3DSAMPLERSTATETYPE type, uint32_t value) {
  if (sampler >= samplerStates_.size() || type >= D3DSAMP_COUNT) return;
  if (samplerStates_[sampler][type] != value) samplerDirty_[sampler] = true;
  samplerStates_[sampler][type] = value;
}

uint32_t GpuDevice::GetSamplerState(uint32_t sampler, D3DSAMPLERSTATETYPE type) const {
  return sampler < samplerStates_.size() && type < D3DSAMP_COUNT ? samplerStates_[sampler][type]
                                                                 : 0;
}

void GpuDevice::SetTextureStageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type,
                                     uint32_t value) {
  if (stage < kStages && type < D3DTSS_COUNT) stageStates_[stage][type] = value;
}

uint32_t GpuDevice::GetTextureStageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type) const {
  return stage < kStages && type < D3DTSS_COUNT ? stageStates_[stage][type] : 0;
}

void GpuDevice::SetTexture(uint32_t stage, TexturePtr texture) {
  if (stage < textures_.size()) textures_[stage] = std::move(texture);
}

TexturePtr GpuDevice::GetTexture(uint32_t stage) const {
  return stage < textures_.size() ? textures_[stage] : nullptr;
}

void GpuDevice::SetTransform(D3DTRANSFORMSTATETYPE type, const D3DXMATRIX& matrix) {
  transforms_[type] = matrix;
}

D3DXMATRIX GpuDevice::GetTransform(D3DTRANSFORMSTATETYPE type) const {
  auto it = transforms_.find(type);
  return it == transforms_.end() ? D3DXMATRIX{} : it->second;
}

void GpuDevice::SetLight(uint32_t index, const D3DLIGHT9& light) {
  if (index == 0) light_ = light;
}

void GpuDevice::LightEnable(uint32_t index, bool enable) {
  if (index == 0) lightEnabled_ = enable;
}

void GpuDevice::SetClipPlane(uint32_t index, const float plane[4]) {
  if (index == 0) std::copy(plane, plane + 4, clipPlane_.begin());
}

void GpuDevice::SetStreamSource(uint32_t stream, VertexBufferPtr buffer, uint32_t offset,
                                uint32_t stride) {
  if (stream != 0) return;
  stream_ = std::move(buffer);
  streamOffset_ = offset;
  streamStride_ = stride;
}

// ---------------------------------------------------------------- drawing

GpuDevice::Program& GpuDevice::ProgramFor(const ProgramKey& key) {
  auto it = programs_.find(key);
  if (it != programs_.end()) return *it->second;
  const std::string vs = GenerateVertexShader(key.vertex);
  const std::string fs = pixelShader_ && key.pixelShader
                             ? FragmentPrelude() + pixelShader_->Source()
                             : GenerateFragmentShader(key.fragment);
  const GLuint v = Compile(GL_VERTEX_SHADER, vs);
  const GLuint f = Compile(GL_FRAGMENT_SHADER, fs);
  auto p = std::make_unique<Program>();
  p->name = glCreateProgram();
  glAttachShader(p->name, v);
  glAttachShader(p->name, f);
  glBindAttribLocation(p->name, kAttrPosition, "a_position");
  glBindAttribLocation(p->name, kAttrNormal, "a_normal");
  glBindAttribLocation(p->name, kAttrDiffuse, "a_diffuse");
  glBindAttribLocation(p->name, kAttrSpecular, "a_specular");
  glBindAttribLocation(p->name, kAttrTex0, "a_tex0");
  glBindAttribLocation(p->name, kAttrTex1, "a_tex1");
  glLinkProgram(p->name);
  glDeleteShader(v);
  glDeleteShader(f);
  GLint ok = 0;
  glGetProgramiv(p->name, GL_LINK_STATUS, &ok);
  if (!ok) {
    char log[2048];
    glGetProgramInfoLog(p->name, sizeof log, nullptr, log);
    throw std::runtime_error(std::string("shader program does not link: ") + log);
  }
  auto loc = [&](const char* n) { return glGetUniformLocation(p->name, n); };
  p->worldView = loc("u_worldView");
  p->projection = loc("u_projection");
  p->target = loc("u_target");
  p->texMatrix = loc("u_texMatrix");
  p->lightDir = loc("u_lightDir");
  p->lightDiffuse = loc("u_lightDiffuse");
  p->lightSpecular = loc("u_lightSpecular");
  p->lightAmbient = loc("u_lightAmbient");
  p->matDiffuse = loc("u_matDiffuse");
  p->matAmbient = loc("u_matAmbient");
  p->matSpecular = loc("u_matSpecular");
  p->matEmissive = loc("u_matEmissive");
  p->matPower = loc("u_matPower");
  p->ambient = loc("u_ambient");
  p->clipPlane = loc("u_clipPlane");
  p->alphaFunc = loc("u_alphaFunc");
  p->alphaRef = loc("u_alphaRef");
  p->tfactor = loc("u_tfactor");
  for (int i = 0; i < kStages; ++i) {
    const std::string n = std::to_string(i);
    p->texture[i] = loc(("u_texture" + n).c_str());
    p->hasTexture[i] = loc(("u_hasTexture" + n).c_str());
    p->bumpMatrix[i] = loc(("u_bumpMatrix" + n).c_str());
    p->bumpLuminance[i] = loc(("u_bumpLuminance" + n).c_str());
  }
  glUseProgram(p->name);
  if (pixelShader_ && key.pixelShader) {
    const auto& samplers = pixelShader_->Samplers();
    for (size_t i = 0; i < samplers.size(); ++i) {
      const GLint l = glGetUniformLocation(p->name, samplers[i].c_str());
      if (l >= 0) glUniform1i(l, GLint(i));
    }
  } else {
    for (int i = 0; i < kStages; ++i) {
      if (p->texture[i] >= 0) glUniform1i(p->texture[i], i);
    }
  }
  return *programs_.emplace(key, std::move(p)).first->second;
}

void GpuDevice::ApplyStates() {
  const auto& rs = renderStates_;
  if (rs[D3DRS_ALPHABLENDENABLE]) {
    glEnable(GL_BLEND);
    glBlendFunc(Blend(rs[D3DRS_SRCBLEND]), Blend(rs[D3DRS_DESTBLEND]));
    glBlendEquation(BlendOp(rs[D3DRS_BLENDOP]));
  } else {
    glDisable(GL_BLEND);
  }
  const uint32_t mask = rs[D3DRS_COLORWRITEENABLE];
  glColorMask(mask & 1, (mask >> 1) & 1, (mask >> 2) & 1, (mask >> 3) & 1);
  const bool depth = depth_ && !depth_->IsLost() && rs[D3DRS_ZENABLE];
  if (depth) {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(Compare(rs[D3DRS_ZFUNC]));
    glDepthMask(rs[D3DRS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);
  } else {
    glDisable(GL_DEPTH_TEST);
  }
  // Direct3D's clockwise front faces are OpenGL's counter-clockwise ones here,
  // because rows are stored from the top.
  switch (rs[D3DRS_CULLMODE]) {
    case D3DCULL_CW:
      glEnable(GL_CULL_FACE);
      glCullFace(GL_FRONT);
      break;
    case D3DCULL_CCW:
      glEnable(GL_CULL_FACE);
      glCullFace(GL_BACK);
      break;
    default:
      glDisable(GL_CULL_FACE);
      break;
  }
  if (rs[D3DRS_CLIPPLANEENABLE] & 1) {
    glEnable(GL_CLIP_DISTANCE0);
  } else {
    glDisable(GL_CLIP_DISTANCE0);
  }
  for (uint32_t s = 0; s < samplers_.size(); ++s) {
    if (samplerDirty_[s]) {
      const auto& sm = samplerStates_[s];
      const bool linear = sm[D3DSAMP_MINFILTER] >= D3DTEXF_LINEAR;
      GLenum minFilter = linear ? GL_LINEAR : GL_NEAREST;
      if (sm[D3DSAMP_MIPFILTER] == D3DTEXF_POINT) {
        minFilter = linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
      } else if (sm[D3DSAMP_MIPFILTER] >= D3DTEXF_LINEAR) {
        minFilter = linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
      }
      glSamplerParameteri(samplers_[s], GL_TEXTURE_MIN_FILTER, GLint(minFilter));
      glSamplerParameteri(samplers_[s], GL_TEXTURE_MAG_FILTER,
                          sm[D3DSAMP_MAGFILTER] >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
      glSamplerParameteri(samplers_[s], GL_TEXTURE_WRAP_S, GLint(Address(sm[D3DSAMP_ADDRESSU])));
      glSamplerParameteri(samplers_[s], GL_TEXTURE_WRAP_T, GLint(Address(sm[D3DSAMP_ADDRESSV])));
      samplerDirty_[s] = false;
    }
    glActiveTexture(GL_TEXTURE0 + s);
    const TexturePtr& t = textures_[s];
    glBindTexture(GL_TEXTURE_2D, t && !t->IsLost() ? t->GlName() : 0);
    glBindSampler(s, samplers_[s]);
  }
}

void GpuDevice::UploadUniforms(Program& p) {
  const D3DXMATRIX world = GetTransform(D3DTS_WORLD), view = GetTransform(D3DTS_VIEW);
  UploadMatrix(p.worldView, world * view);
  UploadMatrix(p.projection, GetTransform(D3DTS_PROJECTION));
  if (p.target >= 0) {
    const float w = float(std::max(1u, viewport_.Width)), h = float(std::max(1u, viewport_.Height));
    glUniform4f(p.target, w, h, 1.0f / w, 1.0f / h);
  }
  if (p.texMatrix >= 0) {
    D3DXMATRIX m[2] = {GetTransform(D3DTS_TEXTURE0), GetTransform(D3DTS_TEXTURE1)};
    glUniformMatrix4fv(p.texMatrix, 2, GL_FALSE, &m[0].m[0][0]);
  }
  if (p.lightDir >= 0) {
    // Towards the light, in camera space.
    D3DXVECTOR3 dir{-light_.Direction[0], -light_.Direction[1], -light_.Direction[2]};
    D3DXVec3TransformNormal(&dir, &dir, &view);
    dir = Normalize(dir);
    const float on = lightEnabled_ ? 1.0f : 0.0f;
    glUniform4f(p.lightDir, dir.x, dir.y, dir.z, 0.0f);
    const D3DCOLORVALUE d = light_.Diffuse, s = light_.Specular, a = light_.Ambient;
    UploadColor(p.lightDiffuse, {d.r * on, d.g * on, d.b * on, d.a});
    UploadColor(p.lightSpecular, {s.r * on, s.g * on, s.b * on, s.a});
    UploadColor(p.lightAmbient, {a.r * on, a.g * on, a.b * on, a.a});
  }
  UploadColor(p.matDiffuse, material_.Diffuse);
  UploadColor(p.matAmbient, material_.Ambient);
  UploadColor(p.matSpecular, material_.Specular);
  UploadColor(p.matEmissive, material_.Emissive);
  if (p.matPower >= 0) glUniform1f(p.matPower, material_.Power);
  UploadD3DColor(p.ambient, renderStates_[D3DRS_AMBIENT]);
  UploadD3DColor(p.tfactor, renderStates_[D3DRS_TEXTUREFACTOR]);
  if (p.clipPlane >= 0) {
    // Planes are given in world space; the shader tests camera-space points.
    D3DXMATRIX inv;
    if (D3DXMatrixInverse(&inv, nullptr, &view)) {
      D3DXMATRIX invT;
      D3DXMatrixTranspose(&invT, &inv);
      D3DXVECTOR4 plane{clipPlane_[0], clipPlane_[1], clipPlane_[2], clipPlane_[3]};
      D3DXVECTOR4 out;
      D3DXVec4Transform(&out, &plane, &invT);
      // v × M with M = inverse(view) transposed maps world planes to camera space.
      glUniform4f(p.clipPlane, out.x, out.y, out.z, out.w);
    }
  }
  if (p.alphaFunc >= 0) {
    glUniform1i(p.alphaFunc, renderStates_[D3DRS_ALPHATESTENABLE]
                                 ? GLint(renderStates_[D3DRS_ALPHAFUNC])
                                 : GLint(D3DCMP_ALWAYS));
    glUniform1f(p.alphaRef, float(renderStates_[D3DRS_ALPHAREF] & 0xFF) / 255.0f);
  }
  for (int i = 0; i < kStages; ++i) {
    if (p.hasTexture[i] >= 0) {
      glUniform1i(p.hasTexture[i], textures_[i] && !textures_[i]->IsLost() ? 1 : 0);
    }
    if (p.bumpMatrix[i] >= 0) {
      const auto& st = stageStates_[i];
      // u' = u + M00·du + M10·dv, v' = v + M01·du + M11·dv (column-major mat2).
      const float m[4] = {AsFloat(st[D3DTSS_BUMPENVMAT00]), AsFloat(st[D3DTSS_BUMPENVMAT01]),
                          AsFloat(st[D3DTSS_BUMPENVMAT10]), AsFloat(st[D3DTSS_BUMPENVMAT11])};
      glUniformMatrix2fv(p.bumpMatrix[i], 1, GL_FALSE, m);
    }
    if (p.bumpLuminance[i] >= 0) {
      glUniform2f(p.bumpLuminance[i], AsFloat(stageStates_[i][D3DTSS_BUMPENVLSCALE]),
                  AsFloat(stageStates_[i][D3DTSS_BUMPENVLOFFSET]));
    }
  }
  if (pixelShader_) {
    for (const PixelShader::Value& v : pixelShader_->Values()) {
      const GLint l = p.Location(v.name);
      if (l < 0) continue;
      switch (v.count) {
        case 0:
          glUniform1i(l, v.integer);
          break;
        case 1:
          glUniform1f(l, v.floats[0]);
          break;
        case 2:
          glUniform2fv(l, 1, v.floats.data());
          break;
        case 3:
          glUniform3fv(l, 1, v.floats.data());
          break;
        case 16:
          glUniformMatrix4fv(l, 1, GL_FALSE, v.floats.data());
          break;
        default:
          glUniform4fv(l, 1, v.floats.data());
          break;
      }
    }
  }
}

bool GpuDevice::PrepareDraw(uint32_t stride, const uint8_t* base, uint32_t bufferName) {
  if (state_ != DeviceState::Ok || !target_ || target_->Texture()->IsLost()) return false;
  MakeCurrent();
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
  if (pixelShader_) {
    key.pixelShader = pixelShader_->Id();
  } else {
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
      if (f.colorOp == D3DTOP_DISABLE) {
        for (int j = i + 1; j < kStages; ++j) key.fragment.stages[j] = {};
        break;
      }
    }
    key.fragment.specularAdd = renderStates_[D3DRS_SPECULARENABLE] != 0 &&
                               (key.vertex.lighting || (fvf_ & D3DFVF_SPECULAR));
  }
  Program& program = ProgramFor(key);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  glUseProgram(program.name);
  ApplyStates();
  UploadUniforms(program);

  glBindVertexArray(vao_);
  glBindBuffer(GL_ARRAY_BUFFER, bufferName);
  const auto* p = base;
  auto attrib = [&](GLuint loc, GLint size, GLenum type, GLboolean norm, uint32_t bytes) {
    glEnableVertexAttribArray(loc);
    glVertexAttribPointer(loc, size, type, norm, GLsizei(stride), p);
    p += bytes;
  };
  for (GLuint l = 0; l <= kAttrTex1; ++l) glDisableVertexAttribArray(l);
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
  ++drawCalls_;
  return true;
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
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices_->GlName());
  const uint32_t bytes = indices_->IndexBytes();
  glDrawElementsBaseVertex(Primitive(type), GLsizei(VertexCount(type, primitiveCount)),
                           bytes == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                           reinterpret_cast<const void*>(uintptr_t{startIndex} * bytes),
                           baseVertex);
}

void GpuDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t primitiveCount,
                                const void* vertices, uint32_t stride) {
  if (primitiveCount == 0 || !vertices) return;
  const uint32_t count = VertexCount(type, primitiveCount);
  MakeCurrent();
  glBindBuffer(GL_ARRAY_BUFFER, streamVbo_);
  glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(size_t{count} * stride), vertices, GL_STREAM_DRAW);
  if (!PrepareDraw(stride, nullptr, streamVbo_)) return;
  glDrawArrays(Primitive(type), 0, GLsizei(count));
}

void GpuDevice::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t minIndex,
                                       uint32_t numVertices, uint32_t primitiveCount,
                                       const void* indices, D3DFORMAT_INDEX format,
                                       const void* vertices, uint32_t stride) {
  if (primitiveCount == 0 || !vertices || !indices) return;
  const uint32_t count = VertexCount(type, primitiveCount);
  const uint32_t bytes = format == D3DFMT_INDEX32 ? 4 : 2;
  MakeCurrent();
  glBindBuffer(GL_ARRAY_BUFFER, streamVbo_);
  glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(size_t{minIndex + numVertices} * stride), vertices,
               GL_STREAM_DRAW);
  if (!PrepareDraw(stride, nullptr, streamVbo_)) return;
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, streamIbo_);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(size_t{count} * bytes), indices, GL_STREAM_DRAW);
  glDrawElements(Primitive(type), GLsizei(count), bytes == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                 nullptr);
}

// ---------------------------------------------------------------- frames

void GpuDevice::Present() {
  if (state_ != DeviceState::Ok) return;
  MakeCurrent();
  if (!context_->HasWindow()) {
    glFlush();
    return;
  }
  int w = 0, h = 0;
  context_->DrawableSize(w, h);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, readFbo_);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                         backBuffer_->GlName(), 0);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  // Row 0 of the back buffer is the top of the window.
  glBlitFramebuffer(0, 0, GLint(backBuffer_->Width()), GLint(backBuffer_->Height()), 0, h, w, 0,
                    GL_COLOR_BUFFER_BIT, GL_LINEAR);
  context_->SwapBuffers();
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
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
