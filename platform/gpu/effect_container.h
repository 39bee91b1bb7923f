#pragma once
// Reader of compiled effect files (the bytes 01 09 FF FE first): parameters
// with their annotations and initial values, techniques of passes of states,
// and the objects (shader bytecode, strings) the states refer to. Every
// offset and count is checked against the bytes; nothing here runs a shader.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace glimmer {

// Parameter types and classes as the container numbers them.
enum EffectContainerClass : uint32_t {
  kFxScalar,
  kFxVector,
  kFxMatrixRows,
  kFxMatrixColumns,
  kFxObject,
  kFxStruct
};
enum EffectContainerType : uint32_t {
  kFxVoid,
  kFxBool,
  kFxInt,
  kFxFloat,
  kFxString,
  kFxTexture,
  kFxTexture1D,
  kFxTexture2D,
  kFxTexture3D,
  kFxTextureCube,
  kFxSampler,
  kFxSampler1D,
  kFxSampler2D,
  kFxSampler3D,
  kFxSamplerCube,
  kFxPixelShader,
  kFxVertexShader,
  kFxPixelFragment,
  kFxVertexFragment,
  kFxUnsupported
};

// Operations of a state, as indices into the container's state table.
inline constexpr uint32_t kFxFirstStageState = 0x67;  // colour op of a texture stage
inline constexpr uint32_t kFxVertexShaderState = 0x92;
inline constexpr uint32_t kFxPixelShaderState = 0x93;
inline constexpr uint32_t kFxTextureState = 0xA4;
inline constexpr uint32_t kFxFirstSamplerState = 0xA5;  // address U
inline constexpr uint32_t kFxStateCount = 0xB3;

inline constexpr uint32_t kFxComputedValue = 1;

struct EffectTypeDesc {
  uint32_t type = kFxVoid;
  uint32_t cls = kFxScalar;
  std::string name, semantic;
  uint32_t elements = 0;
  uint32_t columns = 0, rows = 0;
  std::vector<EffectTypeDesc> members;
  bool IsSampler() const { return type >= kFxSampler && type <= kFxSamplerCube; }
  bool IsObject() const { return cls == kFxObject; }
};

struct EffectStateDesc;

// A typed value: numbers as their 32-bit patterns, objects as object ids,
// samplers as their states (one list per element).
struct EffectValueDesc {
  EffectTypeDesc type;
  std::vector<uint32_t> words;
  std::vector<std::vector<EffectStateDesc>> samplers;
};

struct EffectStateDesc {
  uint32_t operation = 0;
  uint32_t index = 0;  // stage, sampler or light number
  EffectValueDesc value;
  // The parameter the state takes its value from ("Texture = <tex>"), when
  // the container names one; empty otherwise.
  std::string parameter;
  // How an attached expression sets the value: kFxComputedValue (the value
  // is computed by `expressionData`, see EffectExpression), or the usage
  // of one that picks an element of an array (2, 3); 0 for a constant.
  uint32_t expression = 0;
  std::vector<uint8_t> expressionData;
};

struct EffectAnnotationDesc {
  EffectValueDesc value;
};

struct EffectParameterDesc {
  EffectValueDesc value;
  uint32_t flags = 0;
  std::vector<EffectAnnotationDesc> annotations;
  const std::string& Name() const { return value.type.name; }
};

struct EffectContainerPass {
  std::string name;
  std::vector<EffectAnnotationDesc> annotations;
  std::vector<EffectStateDesc> states;
};

struct EffectContainerTechnique {
  std::string name;
  std::vector<EffectAnnotationDesc> annotations;
  std::vector<EffectContainerPass> passes;
};

struct EffectContainer {
  std::vector<EffectParameterDesc> parameters;
  std::vector<EffectContainerTechnique> techniques;
  std::vector<std::vector<uint8_t>> objects;  // by object id; empty when absent
};

// Limits on what one file may declare.
inline constexpr uint32_t kFxMaxCount = 4096;  // parameters, techniques, objects, members
inline constexpr uint32_t kFxMaxNesting = 8;   // struct and sampler-state depth
inline constexpr uint32_t kFxMaxValueWords = 1u << 16;

bool LooksLikeEffectFile(std::span<const uint8_t> bytes);

// The container, or nothing with `error` saying what does not fit.
std::optional<EffectContainer> ReadEffectContainer(std::span<const uint8_t> bytes,
                                                   std::string* error = nullptr);

}  // namespace glimmer
