#pragma once
// The effects the player carries in place of compiled effect files, looked
// up by the module id of an effect link: the module's file name (compared
// without case) and the resource id.

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/gpu/effect.h"

namespace glimmer {

// The effect registered for (module, id), or null when we have none.
std::unique_ptr<Effect> CreateBuiltinEffect(GpuDevice& device, std::u16string_view module, uint32_t id);
std::shared_ptr<const EffectDesc> BuiltinEffectDesc(std::u16string_view module, uint32_t id);
// The ids of "common_res.dll" that have an effect.
std::vector<uint32_t> BuiltinEffectIds();

// The blur kernel: seven bilinear reads covering thirteen texels.
inline constexpr float kBlurWeights[4] = {0.196482554f, 0.296906978f, 0.0944703966f, 0.0103813624f};
inline constexpr float kBlurOffsets[4] = {0.0f, 24.0f / 17.0f, 56.0f / 17.0f, 88.0f / 17.0f};

}  // namespace glimmer
