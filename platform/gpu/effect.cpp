#include "platform/gpu/effect.h"

#include <algorithm>
#include <iostream>
#include <set>
#include <utility>

namespace glimmer {

Effect::Effect(GpuDevice& device, std::shared_ptr<const EffectDesc> desc)
    : device_(device), desc_(std::move(desc)) {
  for (const auto& [name, type] : desc_->params) {
    Value v;
    v.type = type;
    v.count = type == EffectParamType::Float2   ? 2
              : type == EffectParamType::Float3 ? 3
              : type == EffectParamType::Float4 ? 4
              : type == EffectParamType::Matrix ? 16
                                                : 1;
    if (auto it = desc_->initialValues.find(name); it != desc_->initialValues.end()) {
      std::copy_n(it->second.begin(), std::min(it->second.size(), v.floats.size()),
                  v.floats.begin());
      v.integer = int(v.floats[0]);
    }
    values_.emplace(name, std::move(v));
  }
  for (const auto& technique : desc_->techniques) {
    auto& passes = shaders_.emplace_back();
    auto& vertexPasses = vertexShaders_.emplace_back();
    for (const auto& pass : technique.passes) {
      vertexPasses.push_back(
          pass.vertexShader.empty() ? nullptr : std::make_unique<VertexShader>(pass.vertexShader));
      std::vector<std::string> samplers;
      for (const auto& s : pass.samplers) samplers.push_back(s.name);
      passes.push_back(pass.pixelShader.empty()
                           ? nullptr
                           : std::make_unique<PixelShader>(pass.pixelShader, std::move(samplers)));
    }
  }
}

bool Effect::HasTechnique(const std::string& name) const {
  return std::any_of(desc_->techniques.begin(), desc_->techniques.end(),
                     [&](const EffectTechniqueDesc& t) { return t.name == name; });
}

bool Effect::SetTechnique(const std::string& name) {
  for (size_t i = 0; i < desc_->techniques.size(); ++i) {
    if (desc_->techniques[i].name == name) {
      technique_ = i;
      return true;
    }
  }
  // Nothing draws through a technique the effect does not have (one of a
  // carried file that did not translate, say), rather than the one chosen
  // before it.
  technique_ = kNoTechnique;
  static std::set<std::pair<std::string, std::string>> said;
  if (said.insert({desc_->name, name}).second) {
    std::cerr << "glimmer: the effect \"" << desc_->name << "\" has no technique \"" << name
              << "\"; what draws through it is skipped\n";
  }
  return false;
}

const std::string& Effect::Technique() const {
  static const std::string none;
  return technique_ < desc_->techniques.size() ? desc_->techniques[technique_].name : none;
}

Effect::Value* Effect::Find(const std::string& name) {
  auto it = values_.find(name);
  return it == values_.end() ? nullptr : &it->second;
}

const Effect::Value* Effect::Find(const std::string& name) const {
  auto it = values_.find(name);
  return it == values_.end() ? nullptr : &it->second;
}

void Effect::SetFloat(const std::string& name, float v) {
  SetFloatArray(name, &v, 1);
}

void Effect::SetVector(const std::string& name, const D3DXVECTOR4& v) {
  const float f[4] = {v.x, v.y, v.z, v.w};
  SetFloatArray(name, f, 4);
}

void Effect::SetFloatArray(const std::string& name, const float* v, int count) {
  if (Value* p = Find(name)) {
    const int n = std::min(count, int(p->floats.size()));
    std::copy(v, v + n, p->floats.begin());
  }
}

void Effect::SetMatrix(const std::string& name, const D3DXMATRIX& m) {
  SetFloatArray(name, &m.m[0][0], 16);
}

void Effect::SetInt(const std::string& name, int v) {
  if (Value* p = Find(name)) {
    p->integer = v;
    p->floats[0] = float(v);
  }
}

void Effect::SetBool(const std::string& name, bool v) {
  SetInt(name, v ? 1 : 0);
}

void Effect::SetTexture(const std::string& name, TexturePtr texture) {
  if (Value* p = Find(name)) p->texture = std::move(texture);
}

float Effect::GetFloat(const std::string& name) const {
  const Value* p = Find(name);
  return p ? p->floats[0] : 0.0f;
}

D3DXVECTOR4 Effect::GetVector(const std::string& name) const {
  const Value* p = Find(name);
  return p ? D3DXVECTOR4{p->floats[0], p->floats[1], p->floats[2], p->floats[3]} : D3DXVECTOR4{};
}

void Effect::GetFloatArray(const std::string& name, float* out, int count) const {
  const Value* p = Find(name);
  for (int i = 0; i < count; ++i)
    out[i] = p && i < int(p->floats.size()) ? p->floats[size_t(i)] : 0.0f;
}

TexturePtr Effect::GetTexture(const std::string& name) const {
  const Value* p = Find(name);
  return p ? p->texture : nullptr;
}

uint32_t Effect::Begin() {
  if (technique_ >= desc_->techniques.size()) return 0;
  const auto& technique = desc_->techniques[technique_];
  saved_ = {};
  for (const auto& pass : technique.passes) {
    for (const auto& [state, value] : pass.renderStates) {
      saved_.renderStates.push_back({state, device_.GetRenderState(state)});
    }
    for (const auto& s : pass.stageStates) {
      saved_.stageStates.push_back(
          {s.stage, s.type, device_.GetTextureStageState(s.stage, s.type)});
    }
    for (const auto& s : pass.samplerStates) {
      saved_.samplerStates.push_back({s.stage, s.type, device_.GetSamplerState(s.stage, s.type)});
    }
    using Kind = EffectPassDesc::ComputedState::Kind;
    for (const auto& s : pass.computedStates) {
      if (s.kind == Kind::Render) {
        const auto state = D3DRENDERSTATETYPE(s.type);
        saved_.renderStates.push_back({state, device_.GetRenderState(state)});
      } else if (s.kind == Kind::Stage) {
        const auto type = D3DTEXTURESTAGESTATETYPE(s.type);
        saved_.stageStates.push_back({s.stage, type, device_.GetTextureStageState(s.stage, type)});
      } else {
        const auto type = D3DSAMPLERSTATETYPE(s.type);
        saved_.samplerStates.push_back({s.stage, type, device_.GetSamplerState(s.stage, type)});
      }
    }
    for (size_t i = 0; i < pass.samplers.size(); ++i) {
      for (D3DSAMPLERSTATETYPE t : {D3DSAMP_MINFILTER, D3DSAMP_MAGFILTER, D3DSAMP_MIPFILTER,
                                    D3DSAMP_ADDRESSU, D3DSAMP_ADDRESSV}) {
        saved_.samplerStates.push_back({uint32_t(i), t, device_.GetSamplerState(uint32_t(i), t)});
      }
    }
  }
  for (uint32_t s = 0; s < saved_.textures.size(); ++s) saved_.textures[s] = device_.GetTexture(s);
  saved_.pixelShader = device_.GetPixelShader();
  saved_.vertexShader = device_.GetVertexShader();
  begun_ = true;
  return uint32_t(technique.passes.size());
}

void Effect::Apply(const EffectPassDesc& pass, PixelShader* shader, VertexShader* vertexShader) {
  for (const auto& [state, value] : pass.renderStates) device_.SetRenderState(state, value);
  for (const auto& s : pass.stageStates) device_.SetTextureStageState(s.stage, s.type, s.value);
  for (const auto& s : pass.samplerStates) device_.SetSamplerState(s.stage, s.type, s.value);
  for (const auto& t : pass.stageTextures) {
    const Value* v = Find(t.param);
    device_.SetTexture(t.stage, v ? v->texture : nullptr);
  }
  for (size_t i = 0; i < pass.samplers.size(); ++i) {
    const auto& s = pass.samplers[i];
    const uint32_t unit = uint32_t(i);
    device_.SetSamplerState(unit, D3DSAMP_MINFILTER, s.minFilter);
    device_.SetSamplerState(unit, D3DSAMP_MAGFILTER, s.magFilter);
    device_.SetSamplerState(unit, D3DSAMP_MIPFILTER, s.mipFilter);
    device_.SetSamplerState(unit, D3DSAMP_ADDRESSU, s.addressU);
    device_.SetSamplerState(unit, D3DSAMP_ADDRESSV, s.addressV);
    const Value* v = Find(s.textureParam);
    device_.SetTexture(unit, v ? v->texture : nullptr);
  }
  if (shader) {
    for (const auto& [name, value] : values_) {
      if (value.type == EffectParamType::Texture) continue;
      if (value.type == EffectParamType::Int || value.type == EffectParamType::Bool) {
        shader->SetInt(name, value.integer);
      } else {
        shader->SetFloats(name, value.floats.data(), value.count);
      }
    }
    if (pass.prepare) pass.prepare(*this, *shader);
  }
  using Kind = EffectPassDesc::ComputedState::Kind;
  for (const auto& s : pass.computedStates) {
    const uint32_t value = s.value(*this);
    if (s.kind == Kind::Render) {
      device_.SetRenderState(D3DRENDERSTATETYPE(s.type), value);
    } else if (s.kind == Kind::Stage) {
      device_.SetTextureStageState(s.stage, D3DTEXTURESTAGESTATETYPE(s.type), value);
    } else {
      device_.SetSamplerState(s.stage, D3DSAMPLERSTATETYPE(s.type), value);
    }
  }
  if (vertexShader && pass.prepareVertex) pass.prepareVertex(*this, *vertexShader);
  device_.SetPixelShader(shader);
  device_.SetVertexShader(vertexShader);
}

void Effect::BeginPass(uint32_t pass) {
  if (!begun_ || technique_ >= desc_->techniques.size()) return;
  const auto& technique = desc_->techniques[technique_];
  if (pass >= technique.passes.size()) return;
  activePass_ = int(pass);
  Apply(technique.passes[pass], shaders_[technique_][pass].get(),
        vertexShaders_[technique_][pass].get());
}

void Effect::CommitChanges() {
  if (activePass_ < 0 || technique_ >= desc_->techniques.size()) return;
  const auto& technique = desc_->techniques[technique_];
  const size_t pass = size_t(activePass_);
  Apply(technique.passes[pass], shaders_[technique_][pass].get(),
        vertexShaders_[technique_][pass].get());
}

void Effect::EndPass() {
  activePass_ = -1;
}

void Effect::End() {
  if (!begun_) return;
  for (const auto& [state, value] : saved_.renderStates) device_.SetRenderState(state, value);
  for (const auto& s : saved_.stageStates) device_.SetTextureStageState(s.stage, s.type, s.value);
  for (const auto& s : saved_.samplerStates) device_.SetSamplerState(s.stage, s.type, s.value);
  for (uint32_t s = 0; s < saved_.textures.size(); ++s) device_.SetTexture(s, saved_.textures[s]);
  device_.SetPixelShader(saved_.pixelShader);
  device_.SetVertexShader(saved_.vertexShader);
  begun_ = false;
  activePass_ = -1;
}

}  // namespace glimmer
