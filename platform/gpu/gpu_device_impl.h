#pragma once
// Shared by the files that implement GpuDevice (gpu_device.cpp for
// creation, targets and frames, gpu_states.cpp, gpu_programs.cpp,
// gpu_draws.cpp): a linked program with the uniform values it last received,
// and the translation of Direct3D state values to OpenGL enums.

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "platform/gpu/gpu_device.h"

namespace glimmer {

// One uniform of a program: its location (-1 when the program does not use
// it) and the bits last uploaded, so that an unchanged value is not sent again.
struct ProgramUniform {
  int32_t location = -1;
  bool known = false;
  uint32_t bytes = 0;
  std::array<uint32_t, 32> last{};
};

struct GpuDevice::Program {
  using Uniform = ProgramUniform;
  uint32_t name = 0;
  // Window positions count rows from the target's first row, which a
  // window's framebuffer keeps at the bottom: such a program draws only
  // into textures.
  bool readsFragCoord = false;
  Uniform worldView, projection, target, ySign, texMatrix, lightDir, lightDiffuse, lightSpecular,
      lightAmbient;
  Uniform matDiffuse, matAmbient, matSpecular, matEmissive, matPower, ambient, clipPlane;
  Uniform alphaFunc, alphaRef, tfactor;
  Uniform bumpMatrix[kStages], bumpLuminance[kStages];
  // The uniforms of an effect's pixel shader, by name.
  std::unordered_map<std::string, Uniform> named;
};

// Direct3D values to OpenGL enums (gpu_states.cpp).
uint32_t GlBlend(uint32_t d3dBlend);
uint32_t GlBlendOp(uint32_t d3dBlendOp);
uint32_t GlCompare(uint32_t d3dCmp);
uint32_t GlAddress(uint32_t d3dAddress);

}  // namespace glimmer
