#pragma once
// GLSL for the fixed-function pipeline: one vertex shader per vertex-side
// state combination, one fragment shader per texture-stage combination,
// generated on first use. The stage interface (v_color0, v_color1, v_tex0,
// v_tex1) is shared with the pixel shaders of effects.

#include <cstdint>
#include <functional>
#include <string>

namespace glimmer {

inline constexpr int kStages = 2;

// Attribute locations of the flexible vertex formats.
enum : uint32_t {
  kAttrPosition = 0,
  kAttrNormal = 1,
  kAttrDiffuse = 2,
  kAttrSpecular = 3,
  kAttrTex0 = 4,
  kAttrTex1 = 5
};

struct VertexKey {
  uint32_t fvf = 0;
  bool lighting = false;
  bool specular = false;  // specular lighting enabled
  bool clipPlane = false;
  struct Stage {
    uint8_t texCoordIndex = 0;    // which input set
    bool cameraSpace = false;     // coordinates from the camera-space position
    uint16_t transformFlags = 0;  // D3DTTFF_* (count, projected)
    bool operator==(const Stage&) const = default;
  } stages[kStages];
  bool operator==(const VertexKey&) const = default;
};

struct FragmentKey {
  struct Stage {
    uint8_t colorOp = 0, colorArg1 = 0, colorArg2 = 0;
    uint8_t alphaOp = 0, alphaArg1 = 0, alphaArg2 = 0;
    bool projected = false;
    bool textured = false;  // a texture is set (without one the stage reads white)
    bool operator==(const Stage&) const = default;
  } stages[kStages];
  bool specularAdd = false;
  uint8_t alphaFunc = 8;  // the alpha test's Direct3D compare function; 8 (always) when off
  bool operator==(const FragmentKey&) const = default;
};

struct VertexKeyHash {
  size_t operator()(const VertexKey& k) const;
};
struct FragmentKeyHash {
  size_t operator()(const FragmentKey& k) const;
};

std::string GenerateVertexShader(const VertexKey& key);
std::string GenerateFragmentShader(const FragmentKey& key);

// The one conversion of a Direct3D clip position to OpenGL's, for every
// vertex shader: declares u_target and u_ySign (set per draw by the device)
// and vec4 D3DClipToGl(vec4 clip). Follows the #version line.
std::string ClipConversion();

// The declarations every fragment shader starts with (inputs, output and
// the alpha test), followed by a pixel shader's own source. Generated
// fixed-function shaders test alpha with the compare function of their key
// instead, and read only the textures that are set, so that a pixel does
// no work its states do not ask for.
std::string FragmentPrelude();

// The declarations every translated vertex shader starts with: the stage
// outputs and D3DClipToGl(clip), which turns a Direct3D clip-space position
// into gl_Position. The generated vertex shaders use the same function, so
// the conversion is written once.
std::string VertexPrelude();

}  // namespace glimmer
