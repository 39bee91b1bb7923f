#pragma once
// Effect: our stand-in for ID3DXEffect. Techniques of passes, parameters by
// name; each pass carries its own render, sampler and texture-stage states
// (fixed, or computed from the parameters when the pass is applied) and
// either drives the fixed-function stages or runs a pixel shader, and the
// fixed-function vertex processing or a vertex shader. Begin saves the
// device states the technique touches and End restores them.

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/gpu/gpu_device.h"

namespace glimmer {

class Effect;

enum class EffectParamType { Float, Float2, Float3, Float4, Matrix, Int, Bool, Texture };

struct EffectSamplerDesc {
  std::string name;          // the sampler uniform in the pixel shader
  std::string textureParam;  // the texture parameter it reads
  uint32_t minFilter = D3DTEXF_LINEAR, magFilter = D3DTEXF_LINEAR, mipFilter = D3DTEXF_LINEAR;
  uint32_t addressU = D3DTADDRESS_CLAMP, addressV = D3DTADDRESS_CLAMP;
};

struct EffectPassDesc {
  struct StageState {
    uint32_t stage;
    D3DTEXTURESTAGESTATETYPE type;
    uint32_t value;
  };
  struct StageTexture {
    uint32_t stage;
    std::string param;
  };
  struct SamplerState {
    uint32_t stage;
    D3DSAMPLERSTATETYPE type;
    uint32_t value;
  };
  std::string name;
  std::vector<std::pair<D3DRENDERSTATETYPE, uint32_t>> renderStates;
  std::vector<StageState> stageStates;
  std::vector<StageTexture> stageTextures;
  std::vector<SamplerState> samplerStates;
  // GLSL following FragmentPrelude(); empty for the fixed-function stages.
  std::string pixelShader;
  std::vector<EffectSamplerDesc> samplers;
  // Derives per-draw uniforms from the parameters (once per commit).
  std::function<void(const Effect&, PixelShader&)> prepare;
  // GLSL following VertexPrelude(); empty for the fixed-function stage.
  std::string vertexShader;
  std::function<void(const Effect&, VertexShader&)> prepareVertex;
  // States whose values are computed from the parameters at every
  // BeginPass and CommitChanges, after the fixed ones.
  struct ComputedState {
    enum class Kind { Render, Stage, Sampler } kind = Kind::Render;
    uint32_t stage = 0;  // stage or sampler unit
    uint32_t type = 0;   // D3DRENDERSTATETYPE, D3DTEXTURESTAGESTATETYPE or D3DSAMPLERSTATETYPE
    std::function<uint32_t(const Effect&)> value;
  };
  std::vector<ComputedState> computedStates;
};

struct EffectTechniqueDesc {
  std::string name;
  std::vector<EffectPassDesc> passes;
};

struct EffectDesc {
  std::string name;
  std::vector<std::pair<std::string, EffectParamType>> params;
  std::vector<EffectTechniqueDesc> techniques;
  // Values parameters start with (four floats to a matrix row); zero otherwise.
  std::map<std::string, std::vector<float>> initialValues;
};

class Effect {
 public:
  Effect(GpuDevice& device, std::shared_ptr<const EffectDesc> desc);

  const EffectDesc& Desc() const { return *desc_; }
  bool HasTechnique(const std::string& name) const;
  // False for a name the effect does not have (said once); the effect then
  // draws nothing (Begin gives no passes) until a technique it has is set.
  bool SetTechnique(const std::string& name);
  const std::string& Technique() const;

  // Setting a parameter the effect does not declare does nothing.
  void SetFloat(const std::string& name, float v);
  void SetVector(const std::string& name, const D3DXVECTOR4& v);
  void SetFloatArray(const std::string& name, const float* v, int count);
  void SetMatrix(const std::string& name, const D3DXMATRIX& m);
  void SetInt(const std::string& name, int v);
  void SetBool(const std::string& name, bool v);
  void SetTexture(const std::string& name, TexturePtr texture);
  float GetFloat(const std::string& name) const;
  D3DXVECTOR4 GetVector(const std::string& name) const;
  // The first `count` floats of a parameter (zeros past its values).
  void GetFloatArray(const std::string& name, float* out, int count) const;
  TexturePtr GetTexture(const std::string& name) const;

  // Returns the number of passes of the current technique.
  uint32_t Begin();
  void BeginPass(uint32_t pass);
  // Sends parameter changes made inside a pass to the device.
  void CommitChanges();
  void EndPass();
  void End();

  void OnLostDevice() {}
  void OnResetDevice() {}

 private:
  struct Value {
    EffectParamType type = EffectParamType::Float;
    std::array<float, 16> floats{};
    int count = 1;
    int integer = 0;
    TexturePtr texture;
  };
  Value* Find(const std::string& name);
  const Value* Find(const std::string& name) const;
  void Apply(const EffectPassDesc& pass, PixelShader* shader, VertexShader* vertexShader);

  GpuDevice& device_;
  std::shared_ptr<const EffectDesc> desc_;
  std::map<std::string, Value> values_;
  static constexpr size_t kNoTechnique = SIZE_MAX;
  size_t technique_ = 0;
  // One pixel shader object per pass that has one, by technique and pass.
  std::vector<std::vector<std::unique_ptr<PixelShader>>> shaders_;
  std::vector<std::vector<std::unique_ptr<VertexShader>>> vertexShaders_;
  int activePass_ = -1;
  bool begun_ = false;

  struct Saved {
    std::vector<std::pair<D3DRENDERSTATETYPE, uint32_t>> renderStates;
    std::vector<EffectPassDesc::StageState> stageStates;
    std::vector<EffectPassDesc::SamplerState> samplerStates;
    std::array<TexturePtr, 8> textures;
    const PixelShader* pixelShader = nullptr;
    const VertexShader* vertexShader = nullptr;
  } saved_;
};

}  // namespace glimmer
