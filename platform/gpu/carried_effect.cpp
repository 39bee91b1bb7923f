#include "platform/gpu/carried_effect.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/gpu/builtin_effects.h"
#include "platform/gpu/effect_expression.h"

namespace glimmer {
namespace {

// Render states in the order of the container's state table.
constexpr std::array<uint32_t, kFxFirstStageState> kRenderStates = {
    7,   8,   9,   14,  15,  16,  19,  20,  22,  23,  24,  25,  26,  27,  28,  29,  34,  35,
    36,  37,  38,  48,  52,  53,  54,  55,  56,  57,  58,  59,  60,  128, 129, 130, 131, 132,
    133, 134, 135, 198, 199, 200, 201, 202, 203, 204, 205, 136, 137, 139, 140, 141, 142, 143,
    145, 146, 147, 148, 151, 152, 154, 155, 166, 156, 157, 158, 159, 160, 161, 162, 163, 165,
    167, 168, 170, 171, 172, 173, 174, 175, 176, 178, 179, 180, 181, 182, 183, 184, 185, 186,
    187, 188, 189, 190, 191, 192, 193, 194, 195, 206, 207, 208, 209};
static_assert(kRenderStates.back() == 209, "every render state of the table is listed");
// Texture-stage states, from kFxFirstStageState.
constexpr std::array<uint32_t, 18> kStageStates = {1, 26, 2, 3,  4,  27, 5,  6,  28,
                                                   7, 8,  9, 10, 11, 22, 23, 24, 32};
constexpr uint32_t kSamplerStateCount = 13;  // address U .. displacement-map offset

std::string Hex(uint32_t v) {
  char b[16];
  std::snprintf(b, sizeof b, "0x%X", v);
  return b;
}

float AsFloat(uint32_t w) {
  float f;
  std::memcpy(&f, &w, 4);
  return f;
}

// Sets the registers the preshader computes that no constant-table entry
// feeds.
template <typename Shader>
void ApplyPreshader(const Effect& e, const EffectExpression& preshader,
                    const std::vector<uint32_t>& registers, const std::string& prefix,
                    const std::string& suffix, Shader& shader) {
  const std::vector<double>& out = preshader.Evaluate(
      [&e](const std::string& name, float* v, int count) { e.GetFloatArray(name, v, count); });
  for (uint32_t r : registers) {
    const float v[4] = {float(out[r * 4]), float(out[r * 4 + 1]), float(out[r * 4 + 2]),
                        float(out[r * 4 + 3])};
    shader.SetFloats(prefix + std::to_string(r) + suffix, v, 4);
  }
}

// Registers below `count` that the preshader writes and no binding feeds.
std::vector<uint32_t> PreshaderRegisters(
    const EffectExpression* preshader, const std::vector<uint32_t>& candidates,
    const std::vector<TranslatedPixelShader::Symbol>& symbols) {
  std::vector<uint32_t> out;
  if (!preshader) return out;
  for (uint32_t r : candidates) {
    if (r >= preshader->OutputRegisters()) continue;
    const bool bound = std::any_of(symbols.begin(), symbols.end(), [r](const auto& s) {
      return !s.sampler && r >= s.reg && r < s.reg + s.count;
    });
    if (!bound) out.push_back(r);
  }
  return out;
}

EffectParamType ParamType(const EffectTypeDesc& t) {
  if (t.type >= kFxTexture && t.type <= kFxTextureCube) return EffectParamType::Texture;
  if (t.type == kFxBool) return EffectParamType::Bool;
  if (t.type == kFxInt && t.cls == kFxScalar) return EffectParamType::Int;
  if (t.cls == kFxScalar && t.elements <= 1) return EffectParamType::Float;
  if (t.cls == kFxVector && t.elements <= 1) {
    return t.columns == 2   ? EffectParamType::Float2
           : t.columns == 3 ? EffectParamType::Float3
                            : EffectParamType::Float4;
  }
  return EffectParamType::Matrix;  // matrices and arrays: up to 16 values
}

// Initial values laid out as the effect keeps them: four to a row.
std::vector<float> InitialFloats(const EffectValueDesc& v) {
  const EffectTypeDesc& t = v.type;
  std::vector<float> out;
  if (t.cls > kFxMatrixColumns) return out;
  const bool wide = t.cls >= kFxMatrixRows || t.elements > 1;
  const uint32_t stride = wide ? 4 : t.columns;
  const uint32_t count = t.rows * std::max<uint32_t>(1, t.elements);
  for (uint32_t r = 0; r < count && r < 16 / std::max<uint32_t>(1, stride); ++r) {
    for (uint32_t c = 0; c < stride; ++c) {
      const size_t i = size_t(r) * t.columns + c;
      const bool have = c < t.columns && i < v.words.size();
      out.push_back(!have                ? 0.0f
                    : t.type == kFxFloat ? AsFloat(v.words[i])
                                         : float(int32_t(v.words[i])));
    }
  }
  return out;
}

const EffectParameterDesc* FindParam(const EffectContainer& fx, const std::string& name) {
  for (const auto& p : fx.parameters)
    if (p.Name() == name) return &p;
  return nullptr;
}

// A float constant register fed from a parameter.
struct Binding {
  std::string uniform;
  std::string param;
  uint32_t offset = 0;
  bool columns = false;
};

// Parameters keep 16 values; a constant spanning more registers than that
// could not be fed.
bool FitsAParameter(const TranslatedPixelShader::Symbol& sym, std::string& error) {
  if (sym.count <= 4) return true;
  error = "its constant \"" + sym.name + "\" spans " + std::to_string(sym.count) +
          " registers, more than a matrix";
  return false;
}

// Four values of register `offset` of a parameter, in the layout its
// constant table states: a row of the parameter, or a column.
void RegisterValues(const Effect& e, const Binding& b, float v[4]) {
  float m[16];
  e.GetFloatArray(b.param, m, 16);
  for (uint32_t i = 0; i < 4; ++i) v[i] = b.columns ? m[i * 4 + b.offset] : m[b.offset * 4 + i];
}

// A state computed from the parameters by the expression attached to it.
bool AddComputedState(const EffectStateDesc& s, EffectPassDesc::ComputedState::Kind kind,
                      uint32_t stage, uint32_t type, EffectPassDesc& out, std::string& error) {
  if (s.expression != kFxComputedValue) {
    error = "state " + Hex(s.operation) +
            " takes an element of an array chosen by an expression, which is not run";
    return false;
  }
  std::string why;
  auto expression = EffectExpression::Parse(s.expressionData, why);
  if (expression && expression->OutputRegisters() == 0) why = "it computes no value";
  if (!expression || expression->OutputRegisters() == 0) {
    error = "state " + Hex(s.operation) + " is computed by an expression that is not run: " + why;
    return false;
  }
  auto shared = std::make_shared<const EffectExpression>(std::move(*expression));
  const uint32_t valueType = s.value.type.type;
  out.computedStates.push_back({kind, stage, type, [shared, valueType](const Effect& e) {
                                  const std::vector<double>& result = shared->Evaluate(
                                      [&e](const std::string& name, float* v, int count) {
                                        e.GetFloatArray(name, v, count);
                                      });
                                  return ExpressionStateValue(result[0], valueType);
                                }});
  return true;
}

bool TranslatePass(const EffectContainer& fx, const EffectContainerPass& in, EffectPassDesc& out,
                   const GlslCheck& compileError, std::string& error) {
  out.name = in.name;
  using Kind = EffectPassDesc::ComputedState::Kind;
  for (const EffectStateDesc& s : in.states) {
    const uint32_t op = s.operation;
    if (s.expression) {
      bool ok = false;
      if (op < kFxFirstStageState) {
        ok = AddComputedState(s, Kind::Render, 0, kRenderStates[op], out, error);
      } else if (op < kFxFirstStageState + kStageStates.size()) {
        ok = AddComputedState(s, Kind::Stage, s.index, kStageStates[op - kFxFirstStageState], out,
                              error);
      } else if (op >= kFxFirstSamplerState && op < kFxFirstSamplerState + kSamplerStateCount) {
        ok = AddComputedState(s, Kind::Sampler, s.index, op - kFxFirstSamplerState + 1, out, error);
      } else {
        error = "state " + Hex(op) + " is chosen by an expression, which is not run";
      }
      if (!ok) {
        error = "pass \"" + in.name + "\": " + error;
        return false;
      }
      continue;
    }
    const uint32_t value = s.value.words.empty() ? 0 : s.value.words[0];
    if (op < kFxFirstStageState) {
      out.renderStates.push_back({D3DRENDERSTATETYPE(kRenderStates[op]), value});
    } else if (op < kFxFirstStageState + kStageStates.size()) {
      out.stageStates.push_back(
          {s.index, D3DTEXTURESTAGESTATETYPE(kStageStates[op - kFxFirstStageState]), value});
    } else if (op >= kFxFirstSamplerState && op < kFxFirstSamplerState + kSamplerStateCount) {
      out.samplerStates.push_back(
          {s.index, D3DSAMPLERSTATETYPE(op - kFxFirstSamplerState + 1), value});
    } else if (op == kFxTextureState) {
      if (!s.parameter.empty()) out.stageTextures.push_back({s.index, s.parameter});
    } else if (op == kFxVertexShaderState) {
      if (value >= fx.objects.size() || fx.objects[value].empty()) continue;
      TranslatedVertexShader vs;
      std::string why;
      if (!TranslateVertexShader(fx.objects[value], vs, why)) {
        error = "pass \"" + in.name + "\": " + why;
        return false;
      }
      if (compileError) {
        const std::string log = compileError(vs.glsl, true);
        if (!log.empty()) {
          error = "pass \"" + in.name + "\": its vertex shader's GLSL does not compile: " + log;
          return false;
        }
      }
      std::vector<Binding> bindings;
      for (const auto& sym : vs.symbols) {
        if (sym.sampler) continue;
        if (!FitsAParameter(sym, why)) {
          error = "pass \"" + in.name + "\": the vertex shader: " + why;
          return false;
        }
        for (uint32_t r = sym.reg; r < sym.reg + sym.count && r < vs.registers; ++r) {
          bindings.push_back(
              {"vs_uniforms_vec4[" + std::to_string(r) + "]", sym.name, r - sym.reg, sym.columns});
        }
      }
      std::vector<uint32_t> all(vs.registers);
      for (uint32_t r = 0; r < vs.registers; ++r) all[r] = r;
      std::vector<uint32_t> computed = PreshaderRegisters(vs.preshader.get(), all, vs.symbols);
      out.vertexShader = std::move(vs.glsl);
      out.prepareVertex = [bindings = std::move(bindings), preshader = vs.preshader,
                           computed = std::move(computed)](const Effect& e, VertexShader& shader) {
        for (const Binding& b : bindings) {
          float v[4];
          RegisterValues(e, b, v);
          shader.SetFloats(b.uniform, v, 4);
        }
        if (preshader) ApplyPreshader(e, *preshader, computed, "vs_uniforms_vec4[", "]", shader);
      };
    } else if (op == kFxPixelShaderState) {
      if (value >= fx.objects.size() || fx.objects[value].empty()) continue;
      TranslatedPixelShader ps;
      std::string why;
      if (!TranslatePixelShader(fx.objects[value], ps, why)) {
        error = "pass \"" + in.name + "\": " + why;
        return false;
      }
      if (compileError) {
        const std::string log = compileError(ps.glsl, false);
        if (!log.empty()) {
          error = "pass \"" + in.name + "\": its GLSL does not compile: " + log;
          return false;
        }
      }
      // Sampler unit N reads the texture of the sampler in register N.
      uint32_t units = 0;
      for (uint32_t r : ps.samplers) units = std::max(units, r + 1);
      out.samplers.assign(units, EffectSamplerDesc{});
      for (uint32_t r : ps.samplers) out.samplers[r].name = "ps_s" + std::to_string(r);
      for (const auto& sym : ps.symbols) {
        if (!sym.sampler || sym.reg >= units) continue;
        EffectSamplerDesc& d = out.samplers[sym.reg];
        const EffectParameterDesc* p = FindParam(fx, sym.name);
        if (!p || p->value.samplers.empty()) continue;
        for (const EffectStateDesc& st : p->value.samplers[0]) {
          if (st.expression) {
            const bool sampler = st.operation >= kFxFirstSamplerState &&
                                 st.operation < kFxFirstSamplerState + kSamplerStateCount;
            std::string why = "state " + Hex(st.operation) + " is chosen by an expression";
            if (!sampler || !AddComputedState(st, Kind::Sampler, sym.reg,
                                              st.operation - kFxFirstSamplerState + 1, out, why)) {
              error = "pass \"" + in.name + "\": sampler \"" + sym.name + "\": " + why;
              return false;
            }
            continue;
          }
          const uint32_t v = st.value.words.empty() ? 0 : st.value.words[0];
          switch (st.operation) {
            case kFxTextureState:
              d.textureParam = st.parameter;
              break;
            case kFxFirstSamplerState + D3DSAMP_ADDRESSU - 1:
              d.addressU = v;
              break;
            case kFxFirstSamplerState + D3DSAMP_ADDRESSV - 1:
              d.addressV = v;
              break;
            case kFxFirstSamplerState + D3DSAMP_MAGFILTER - 1:
              d.magFilter = v;
              break;
            case kFxFirstSamplerState + D3DSAMP_MINFILTER - 1:
              d.minFilter = v;
              break;
            case kFxFirstSamplerState + D3DSAMP_MIPFILTER - 1:
              d.mipFilter = v;
              break;
            default:
              break;
          }
        }
      }
      std::vector<Binding> bindings;
      for (uint32_t r : ps.registers) {
        for (const auto& sym : ps.symbols) {
          if (sym.sampler || r < sym.reg || r >= sym.reg + sym.count) continue;
          if (!FitsAParameter(sym, why)) {
            error = "pass \"" + in.name + "\": the pixel shader: " + why;
            return false;
          }
          bindings.push_back({"ps_c" + std::to_string(r), sym.name, r - sym.reg, sym.columns});
          break;
        }
      }
      std::vector<uint32_t> computed =
          PreshaderRegisters(ps.preshader.get(), ps.registers, ps.symbols);
      out.pixelShader = std::move(ps.glsl);
      out.prepare = [bindings = std::move(bindings), preshader = ps.preshader,
                     computed = std::move(computed)](const Effect& e, PixelShader& shader) {
        for (const Binding& b : bindings) {
          float v[4];
          RegisterValues(e, b, v);
          shader.SetFloats(b.uniform, v, 4);
        }
        if (preshader) ApplyPreshader(e, *preshader, computed, "ps_c", "", shader);
      };
    } else if (op == kFxStateCount - 1) {
      continue;  // sampler binding: samplers follow the shader's registers
    } else {
      error = "pass \"" + in.name + "\" sets state " + Hex(op) +
              " (transform, light, material or shader constant), which is not run";
      return false;
    }
  }
  return true;
}

}  // namespace
bool CarriedEffect::AllTranslated() const {
  return std::all_of(techniques.begin(), techniques.end(),
                     [](const CarriedTechnique& t) { return t.translated; });
}

std::string CarriedEffect::Summary() const {
  if (AllTranslated()) return "all " + std::to_string(techniques.size()) + " techniques translate";
  std::string s;
  for (const auto& t : techniques) {
    if (t.translated) continue;
    if (!s.empty()) s += "; ";
    s += "technique \"" + t.name + "\": " + t.reason;
  }
  return s;
}

CarriedEffect TranslateEffect(const EffectContainer& fx, const GlslCheck& compileError) {
  auto desc = std::make_shared<EffectDesc>();
  desc->name = "carried effect";
  for (const auto& p : fx.parameters) {
    if (p.Name().empty() || p.value.type.IsSampler() || p.value.type.cls == kFxStruct) continue;
    if (p.value.type.IsObject() &&
        !(p.value.type.type >= kFxTexture && p.value.type.type <= kFxTextureCube))
      continue;
    desc->params.push_back({p.Name(), ParamType(p.value.type)});
    auto init = InitialFloats(p.value);
    if (!init.empty()) desc->initialValues[p.Name()] = std::move(init);
  }
  CarriedEffect out;
  for (const auto& t : fx.techniques) {
    CarriedTechnique report{t.name, t.passes.size(), false, {}};
    EffectTechniqueDesc technique{t.name, {}};
    bool ok = !t.passes.empty();
    if (!ok) report.reason = "it has no passes";
    for (const auto& pass : t.passes) {
      if (!ok) break;
      ok = TranslatePass(fx, pass, technique.passes.emplace_back(), compileError, report.reason);
    }
    report.translated = ok;
    if (ok) desc->techniques.push_back(std::move(technique));
    out.techniques.push_back(std::move(report));
  }
  out.desc = std::move(desc);
  return out;
}

CarriedEffect LoadCarriedEffect(std::span<const uint8_t> bytes, GpuDevice* device,
                                std::string* error) {
  std::string why;
  auto fx = ReadEffectContainer(bytes, &why);
  if (!fx) {
    if (error) *error = "the effect file does not read: " + why;
    return {};
  }
  GlslCheck check;
  if (device) {
    check = [device](const std::string& source, bool vertex) {
      return vertex ? device->VertexShaderError(source) : device->PixelShaderError(source);
    };
  }
  return TranslateEffect(*fx, check);
}

std::string DescribeCarriedEffect(std::span<const uint8_t> bytes, std::u16string_view module,
                                  uint32_t id) {
  std::string out;
  std::string error;
  const CarriedEffect fx = LoadCarriedEffect(bytes, nullptr, &error);
  const bool builtin = BuiltinEffectDesc(module, id) != nullptr;
  if (!fx.desc) {
    out += "    " + error + "\n";
  } else {
    for (const auto& t : fx.techniques) {
      out += "    technique \"" + t.name + "\": " + std::to_string(t.passes) +
             (t.passes == 1 ? " pass, " : " passes, ") +
             (t.translated ? "translates" : "does not translate: " + t.reason) + "\n";
    }
  }
  std::string runs;
  if (fx.desc && fx.AllTranslated() && !fx.desc->techniques.empty()) {
    runs = "the carried effect";
  } else if (builtin) {
    runs = "the built-in effect";
  } else if (fx.desc && !fx.desc->techniques.empty()) {
    runs = "the carried effect's translated techniques";
  } else {
    runs = "nothing (no built-in effect for this id)";
  }
  return out + "    runs: " + runs + "\n";
}

}  // namespace glimmer
