#include "platform/gpu/builtin_effects.h"

#include <map>

#include "platform/gpu/embedded_glsl.h"

namespace glimmer {
namespace {

std::u16string Lower(std::u16string_view s) {
  std::u16string out(s);
  for (char16_t& c : out) {
    if (c >= u'A' && c <= u'Z') c = char16_t(c + 32);
  }
  return out;
}

// The file name of a module path ("C:\x\common_res.dll" → "common_res.dll").
std::u16string FileName(std::u16string_view path) {
  const size_t slash = path.find_last_of(u"\\/");
  return Lower(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

struct Registered {
  EffectDescFactory make;
  std::shared_ptr<const EffectDesc> desc;  // made on first use
};

std::map<std::pair<std::u16string, uint32_t>, Registered>& Registry() {
  static std::map<std::pair<std::u16string, uint32_t>, Registered> registry;
  return registry;
}

}  // namespace

bool RegisterBuiltinEffect(std::u16string_view module, uint32_t id, EffectDescFactory make) {
  return Registry().try_emplace({FileName(module), id}, Registered{make, nullptr}).second;
}

std::shared_ptr<const EffectDesc> BuiltinEffectDesc(std::u16string_view module, uint32_t id) {
  auto it = Registry().find({FileName(module), id});
  if (it == Registry().end()) return nullptr;
  if (!it->second.desc) it->second.desc = it->second.make();
  return it->second.desc;
}

std::unique_ptr<Effect> CreateBuiltinEffect(GpuDevice& device, std::u16string_view module,
                                            uint32_t id) {
  auto desc = BuiltinEffectDesc(module, id);
  return desc ? std::make_unique<Effect>(device, std::move(desc)) : nullptr;
}

std::vector<uint32_t> BuiltinEffectIds(std::u16string_view module) {
  const std::u16string name = FileName(module);
  std::vector<uint32_t> ids;
  for (const auto& [key, entry] : Registry()) {
    if (key.first == name) ids.push_back(key.second);
  }
  return ids;
}

std::string TechniqueShader(std::string_view glslPath, std::string_view function,
                            std::string_view prelude) {
  std::string source(prelude);
  source += EmbeddedGlsl(glslPath);
  source += "\nvoid main() { o_color = ";
  source += function;
  source += "(); }\n";
  return source;
}

const std::vector<std::pair<D3DRENDERSTATETYPE, uint32_t>>& ShaderPassStates() {
  static const std::vector<std::pair<D3DRENDERSTATETYPE, uint32_t>> states = {
      {D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_ALL},
      {D3DRS_ALPHABLENDENABLE, 0},
      {D3DRS_CULLMODE, D3DCULL_NONE},
      {D3DRS_ALPHATESTENABLE, 0},
      {D3DRS_ZENABLE, 0},
  };
  return states;
}

std::vector<std::pair<D3DRENDERSTATETYPE, uint32_t>> BlendPassStates(uint32_t source,
                                                                     uint32_t dest) {
  return {{D3DRS_ALPHABLENDENABLE, 1},
          {D3DRS_SRCBLEND, source},
          {D3DRS_DESTBLEND, dest},
          {D3DRS_BLENDOP, D3DBLENDOP_ADD},
          {D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_ALL},
          {D3DRS_CULLMODE, D3DCULL_NONE},
          {D3DRS_ZENABLE, 0},
          {D3DRS_ALPHATESTENABLE, 0},
          {D3DRS_LIGHTING, 0}};
}

const std::vector<std::pair<D3DRENDERSTATETYPE, uint32_t>>& AlphaBlendPassStates() {
  static const std::vector<std::pair<D3DRENDERSTATETYPE, uint32_t>> states =
      BlendPassStates(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
  return states;
}

}  // namespace glimmer
