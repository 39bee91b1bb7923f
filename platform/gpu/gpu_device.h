#pragma once
// GpuDevice: our stand-in for IDirect3DDevice9 over OpenGL 3.3 core. It keeps
// Direct3D's conventions (y down, top-left origin of targets and textures,
// pixel centres of pre-transformed vertices at whole coordinates, row-vector
// matrices, depth 0..1), emulates the fixed-function pipeline with generated
// shaders cached per state combination, and runs pixel shaders of effects.

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/gpu/d3d_types.h"
#include "platform/gpu/d3dx_math.h"
#include "platform/gpu/ff_shaders.h"
#include "platform/gpu/gl_context.h"
#include "platform/gpu/gl_state_cache.h"
#include "platform/gpu/gpu_resources.h"

struct SDL_Window;

namespace glimmer {

// The GLSL of one stage of an effect's shader with values for the uniforms
// it declares, by name.
class ShaderCode {
 public:
  explicit ShaderCode(std::string source);
  uint32_t Id() const { return id_; }
  const std::string& Source() const { return source_; }

  void SetFloats(const std::string& name, const float* values, int count);
  void SetInt(const std::string& name, int value);

  struct Value {
    std::string name;
    std::array<float, 16> floats{};
    int count = 0;  // floats used; 0 means an int
    int integer = 0;
  };
  const std::vector<Value>& Values() const { return values_; }

 private:
  Value& Slot(const std::string& name);
  uint32_t id_;
  std::string source_;
  std::vector<Value> values_;
};

// A pixel shader of an effect: GLSL that follows FragmentPrelude(), with
// named samplers (sampler i reads texture stage i).
class PixelShader : public ShaderCode {
 public:
  PixelShader(std::string source, std::vector<std::string> samplers)
      : ShaderCode(std::move(source)), samplers_(std::move(samplers)) {}
  const std::vector<std::string>& Samplers() const { return samplers_; }

 private:
  std::vector<std::string> samplers_;
};

// A vertex shader of an effect: GLSL that follows VertexPrelude(), reading
// the vertex attributes at the locations of the flexible vertex formats.
class VertexShader : public ShaderCode {
 public:
  using ShaderCode::ShaderCode;
};

struct PresentParameters {
  uint32_t BackBufferWidth = 640;
  uint32_t BackBufferHeight = 480;
  bool EnableAutoDepthStencil = true;
};

enum class DeviceState { Ok, Lost, NotReset };

class GpuDevice {
 public:
  // A device drawing into an off-screen back buffer.
  static std::unique_ptr<GpuDevice> CreateHeadless(const PresentParameters& params);
  // A device presenting to an SDL window created with SDL_WINDOW_OPENGL.
  static std::unique_ptr<GpuDevice> CreateForWindow(SDL_Window* window,
                                                    const PresentParameters& params);
  // A device on a context made elsewhere (an off-screen framebuffer that
  // stands for a window, in tests).
  static std::unique_ptr<GpuDevice> CreateOnContext(std::unique_ptr<GlContext> context,
                                                    const PresentParameters& params);
  ~GpuDevice();
  GpuDevice(const GpuDevice&) = delete;
  GpuDevice& operator=(const GpuDevice&) = delete;

  void MakeCurrent();
  GlContext& Context() { return *context_; }
  std::string RendererName();

  // Resources.
  TexturePtr CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                           D3DFORMAT format, D3DPOOL pool);
  // The same texture left uncleared, for a caller that writes every texel of
  // every level before the texture is drawn or read (a picture's upload).
  TexturePtr CreateTextureToFill(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                 D3DFORMAT format, D3DPOOL pool);
  DepthStencilPtr CreateDepthStencilSurface(uint32_t width, uint32_t height);
  VertexBufferPtr CreateVertexBuffer(uint32_t bytes, uint32_t usage, uint32_t fvf, D3DPOOL pool);
  IndexBufferPtr CreateIndexBuffer(uint32_t bytes, uint32_t usage, D3DFORMAT_INDEX format,
                                   D3DPOOL pool);

  // Targets. Setting render target 0 resets the viewport to the whole surface
  // and makes the next draw set every OpenGL state again, which is how code
  // that used OpenGL directly on the device's context hands it back.
  SurfacePtr GetBackBuffer();
  D3DSURFACE_DESC GetBackBufferDesc() const;
  void SetRenderTarget(uint32_t index, SurfacePtr surface);
  SurfacePtr GetRenderTarget(uint32_t index) const;
  void SetDepthStencilSurface(DepthStencilPtr surface);
  DepthStencilPtr GetDepthStencilSurface() const { return depth_; }
  void SetViewport(const D3DVIEWPORT9& viewport);
  const D3DVIEWPORT9& GetViewport() const { return viewport_; }
  // Clears the viewport of the current target and depth-stencil surface.
  void Clear(uint32_t flags, D3DCOLOR color, float z, uint32_t stencil);

  // States.
  void SetRenderState(D3DRENDERSTATETYPE state, uint32_t value);
  uint32_t GetRenderState(D3DRENDERSTATETYPE state) const { return renderStates_[state]; }
  void SetSamplerState(uint32_t sampler, D3DSAMPLERSTATETYPE type, uint32_t value);
  uint32_t GetSamplerState(uint32_t sampler, D3DSAMPLERSTATETYPE type) const;
  void SetTextureStageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type, uint32_t value);
  uint32_t GetTextureStageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type) const;
  void SetTexture(uint32_t stage, TexturePtr texture);
  TexturePtr GetTexture(uint32_t stage) const;
  void SetTransform(D3DTRANSFORMSTATETYPE type, const D3DXMATRIX& matrix);
  D3DXMATRIX GetTransform(D3DTRANSFORMSTATETYPE type) const;
  void SetLight(uint32_t index, const D3DLIGHT9& light);
  void LightEnable(uint32_t index, bool enable);
  void SetMaterial(const D3DMATERIAL9& material) { material_ = material; }
  void SetClipPlane(uint32_t index, const float plane[4]);
  // An effect's pixel shader replaces the fixed-function texture stages
  // until it is set back to null.
  void SetPixelShader(const PixelShader* shader) { pixelShader_ = shader; }
  const PixelShader* GetPixelShader() const { return pixelShader_; }
  // An effect's vertex shader replaces the fixed-function vertex stage for
  // untransformed vertices; pre-transformed ones (D3DFVF_XYZRHW) bypass it,
  // as in Direct3D.
  void SetVertexShader(const VertexShader* shader) { vertexShader_ = shader; }
  const VertexShader* GetVertexShader() const { return vertexShader_; }

  // Geometry.
  void SetFVF(uint32_t fvf) { fvf_ = fvf; }
  uint32_t GetFVF() const { return fvf_; }
  void SetStreamSource(uint32_t stream, VertexBufferPtr buffer, uint32_t offset, uint32_t stride);
  void SetIndices(IndexBufferPtr buffer) { indices_ = std::move(buffer); }
  void DrawPrimitive(D3DPRIMITIVETYPE type, uint32_t startVertex, uint32_t primitiveCount);
  void DrawIndexedPrimitive(D3DPRIMITIVETYPE type, int32_t baseVertex, uint32_t minIndex,
                            uint32_t numVertices, uint32_t startIndex, uint32_t primitiveCount);
  void DrawPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t primitiveCount, const void* vertices,
                       uint32_t stride);
  void DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t minIndex, uint32_t numVertices,
                              uint32_t primitiveCount, const void* indices, D3DFORMAT_INDEX format,
                              const void* vertices, uint32_t stride);

  // Drawing straight into the window. While on, a frame whose target is the
  // back buffer is drawn into the window's own framebuffer (rows from the
  // bottom), saving Present's copy; the back-buffer texture then holds
  // nothing of the frame. Anything that reads, writes or samples the back
  // buffer's texture in the middle of such a frame first gets the window's
  // pixels copied into it, and the frame goes on in the texture. Pixels of a
  // direct frame are gone once it is presented, so callers that read the
  // back buffer after Present (frame dumps) turn this off. A change takes
  // effect when the frame has drawn nothing into the window yet; windows
  // whose framebuffer differs in size from the back buffer, or lacks depth
  // and stencil, always draw through the texture.
  void SetDrawDirect(bool on);
  // Whether the back buffer currently stands for the window's framebuffer.
  bool DrawsDirect() const { return direct_; }
  // Called by a texture before anything but drawing touches its pixels.
  void TextureTouched(const GpuTexture* texture) {
    if (direct_ && texture == backBuffer_.get()) LeaveWindow();
  }

  // Frames.
  void BeginScene() {}
  void EndScene() {}
  // Shows the back buffer in the window (headless devices just flush).
  void Present();
  // Waits until every command sent so far has run.
  void Finish();

  // Device loss. A lost device draws and presents nothing until Reset,
  // which releases every default-pool object (managed ones survive),
  // recreates the back buffer at the new size and restores default states.
  DeviceState TestCooperativeLevel() const { return state_; }
  void SimulateLoss() { state_ = DeviceState::NotReset; }
  bool Reset(const PresentParameters& params);
  const PresentParameters& GetPresentParameters() const { return params_; }

  // The pixels of a surface as RGBA, rows from the top.
  Image ReadSurface(const SurfacePtr& surface);
  Image ReadBackBuffer() { return ReadSurface(GetBackBuffer()); }
  // The frame as a screen shows it: the back buffer with alpha 255, whatever
  // the blending left in its alpha channel.
  Image ReadFrame();

  // What the GL compiler says about a PixelShader source (the text after
  // FragmentPrelude()); empty when it compiles.
  std::string PixelShaderError(const std::string& source);
  // The same for a VertexShader source (the text after VertexPrelude()).
  std::string VertexShaderError(const std::string& source);
  // Number of shader programs made so far (the state-combination cache).
  size_t ProgramCount() const { return programs_.size(); }
  // Textures wider or taller than this are refused (the driver's limit; a
  // lower one can be set to see how callers fall back).
  uint32_t MaxTextureSize() const { return maxTextureSize_; }
  void LimitTextureSize(uint32_t size) { maxTextureSize_ = std::min(maxTextureSize_, size); }
  uint64_t DrawCallCount() const { return drawCalls_; }

 private:
  friend class GpuResource;
  TexturePtr NewTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                        D3DFORMAT format, D3DPOOL pool, bool cleared);
  struct Program;
  struct ProgramKey {
    VertexKey vertex;
    FragmentKey fragment;
    uint32_t pixelShader = 0;
    uint32_t vertexShader = 0;
    bool operator==(const ProgramKey&) const = default;
  };
  struct ProgramKeyHash {
    size_t operator()(const ProgramKey& k) const;
  };

  GpuDevice(std::unique_ptr<GlContext> context, const PresentParameters& params);
  void Register(GpuResource* r) { resources_.insert(r); }
  void Unregister(GpuResource* r) { resources_.erase(r); }
  void CreateBackBuffer();
  void SetDefaultStates();
  void BindTarget();
  // Attaches the current target and depth surface to the device's framebuffer.
  void BindTextureTarget();
  // Whether draws go to the window's framebuffer now.
  bool TargetIsWindow() const {
    return direct_ && target_ && target_->Texture().get() == backBuffer_.get();
  }
  // OpenGL's row of a rectangle of the current target given from the top.
  int32_t GlRow(uint32_t top, uint32_t height) const;
  // Decides whether the next frame draws into the window.
  void ChooseFrameTarget();
  // Copies what the window holds of this frame into the back buffer's
  // texture and goes on drawing there.
  void LeaveWindow();

  // Draws (gpu_draws.cpp): the program for the current states, the states,
  // the uniforms and the vertex attributes; false when nothing may be drawn.
  bool PrepareDraw(uint32_t stride, const uint8_t* base, uint32_t bufferName);
  ProgramKey CurrentProgramKey() const;
  void SetVertexLayout(uint32_t stride, const uint8_t* base, uint32_t bufferName);
  // Appends data to a streaming buffer at a multiple of `align` and returns
  // its byte offset there; a full buffer is orphaned and refilled from 0.
  struct StreamBuffer {
    uint32_t name = 0;
    size_t size = 0, head = 0;
  };
  size_t Stream(StreamBuffer& buffer, bool indices, const void* data, size_t bytes, size_t align);

  // Programs and uniforms (gpu_programs.cpp).
  Program& ProgramFor(const ProgramKey& key);
  void UploadUniforms(Program& program);
  void UploadNamed(Program& program, const std::vector<ShaderCode::Value>& values);

  // Render, sampler and texture-stage states to OpenGL (gpu_states.cpp).
  void ApplyStates();

  std::unique_ptr<GlContext> context_;
  PresentParameters params_;
  DeviceState state_ = DeviceState::Ok;
  std::unordered_set<GpuResource*> resources_;

  TexturePtr backBuffer_;
  SurfacePtr backSurface_;
  DepthStencilPtr autoDepth_;
  SurfacePtr target_;
  DepthStencilPtr depth_;
  D3DVIEWPORT9 viewport_;

  std::array<uint32_t, D3DRS_COUNT> renderStates_{};
  std::array<std::array<uint32_t, D3DTSS_COUNT>, kStages> stageStates_{};
  std::array<std::array<uint32_t, D3DSAMP_COUNT>, 8> samplerStates_{};
  std::array<bool, 8> samplerDirty_{};
  std::array<TexturePtr, 8> textures_;
  std::unordered_map<uint32_t, D3DXMATRIX> transforms_;
  D3DLIGHT9 light_;
  bool lightEnabled_ = false;
  D3DMATERIAL9 material_;
  std::array<float, 4> clipPlane_{};
  const PixelShader* pixelShader_ = nullptr;
  const VertexShader* vertexShader_ = nullptr;

  uint32_t fvf_ = 0;
  VertexBufferPtr stream_;
  uint32_t streamOffset_ = 0, streamStride_ = 0;
  IndexBufferPtr indices_;

  // Drawing into the window: wished by the caller, possible for this
  // window, chosen for this frame, and whether this frame drew there yet.
  bool wantDirect_ = false, windowUsable_ = false, direct_ = false, windowDrawn_ = false;
  int windowAlphaBits_ = -1;  // alpha bits of the window's framebuffer, once asked
  bool windowAlpha_ = false;  // the window's framebuffer keeps alpha
  uint32_t fbo_ = 0, readFbo_ = 0, vao_ = 0;
  StreamBuffer streamVbo_, streamIbo_;
  std::array<uint32_t, 8> samplers_{};
  std::unordered_map<ProgramKey, std::unique_ptr<Program>, ProgramKeyHash> programs_;
  // The program of the last draw, found again without hashing its key.
  ProgramKey lastKey_;
  Program* lastProgram_ = nullptr;
  // What this device last set in its context.
  GlStateCache gl_;
  uint64_t drawCalls_ = 0;
  uint32_t maxTextureSize_ = 4096;
};

}  // namespace glimmer
