#pragma once
// The effects the player carries in place of compiled effect files, looked
// up by the module id of an effect link: the module's file name (compared
// without case) and the resource id. The code that owns an effect registers
// it beside itself with GLIMMER_REGISTER_EFFECT; its pixel shaders live in a
// .glsl file there, one function per technique (see TechniqueShader).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/gpu/effect.h"

namespace glimmer {

using EffectDescFactory = std::shared_ptr<const EffectDesc> (*)();

// Registers the effect made by `make` under (module, id); the description is
// made once, on first use. The first registration of a module id wins;
// returns whether this one did.
bool RegisterBuiltinEffect(std::u16string_view module, uint32_t id, EffectDescFactory make);

// The effect registered for (module, id), or null when we have none.
std::unique_ptr<Effect> CreateBuiltinEffect(GpuDevice& device, std::u16string_view module,
                                            uint32_t id);
std::shared_ptr<const EffectDesc> BuiltinEffectDesc(std::u16string_view module, uint32_t id);
// The ids of `module` that have an effect, ascending.
std::vector<uint32_t> BuiltinEffectIds(std::u16string_view module);

// A pixel shader running one technique of an effect's GLSL file: `prelude`
// (constants the code owns), the file, then a main() writing `function()`.
std::string TechniqueShader(std::string_view glslPath, std::string_view function,
                            std::string_view prelude = {});

// The states of a pass that runs a pixel shader over the whole target:
// all colour channels, no blending, culling, alpha test or depth.
const std::vector<std::pair<D3DRENDERSTATETYPE, uint32_t>>& ShaderPassStates();
// The states of a pass drawn over the target with straight alpha blending
// (source alpha, one minus source alpha): all colour channels, no culling,
// depth, alpha test or lighting.
const std::vector<std::pair<D3DRENDERSTATETYPE, uint32_t>>& AlphaBlendPassStates();
// The same with the given source and destination blend factors.
std::vector<std::pair<D3DRENDERSTATETYPE, uint32_t>> BlendPassStates(uint32_t source,
                                                                     uint32_t dest);

}  // namespace glimmer

#define GLIMMER_EFFECT_CONCAT2(a, b) a##b
#define GLIMMER_EFFECT_CONCAT(a, b) GLIMMER_EFFECT_CONCAT2(a, b)
// At namespace scope in the owner's .cpp: `Factory` makes the EffectDesc of
// effect `Id` of `Module` (a u"" file name).
#define GLIMMER_REGISTER_EFFECT(Module, Id, Factory)                                \
  namespace {                                                                       \
  [[maybe_unused]] const bool GLIMMER_EFFECT_CONCAT(kEffectRegistered_, __LINE__) = \
      ::glimmer::RegisterBuiltinEffect(Module, Id, Factory);                        \
  }
