#include "platform/gpu/carried_effect.h"

#include <mojoshader.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <regex>

#include "platform/gpu/builtin_effects.h"

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

// The GLSL 1.20 text of MojoShader made to follow FragmentPrelude().
bool RewriteGlsl(const std::string& in, TranslatedPixelShader& out, std::string& error) {
  std::string s;
  static const std::regex define(R"(^#define ps_c(\d+) ps_uniforms_vec4\[\d+\]$)");
  // Shader model 3 inputs by usage (5 texture coordinates, 10 colour).
  static const std::regex input(R"(^varying vec4 (io_(\d+)_(\d+));$)");
  // Shader model 1 texture registers start as the coordinates; a global
  // may not be initialised from an input in GLSL 3.30, so main does it.
  static const std::regex initialised(R"(^vec4 (ps_t\d+) = (gl_TexCoord\[\d+\]);$)");
  std::string atStart;
  size_t pos = 0;
  while (pos < in.size()) {
    size_t end = in.find('\n', pos);
    if (end == std::string::npos) end = in.size();
    const std::string line = in.substr(pos, end - pos);
    pos = end + 1;
    std::smatch m;
    if (line.rfind("#version", 0) == 0 || line.rfind("#extension", 0) == 0 ||
        line.rfind("uniform vec4 ps_uniforms_vec4[", 0) == 0)
      continue;
    if (std::regex_match(line, m, define)) {
      s += "uniform vec4 ps_c" + m[1].str() + ";\n";
      continue;
    }
    if (std::regex_match(line, m, input)) {
      const std::string usage = m[2].str(), index = m[3].str();
      if ((usage != "5" && usage != "10") || (index != "0" && index != "1")) {
        error = "the pixel shader reads an input other than two texture coordinates and colours";
        return false;
      }
      s += "#define " + m[1].str() + (usage == "5" ? " v_tex" : " v_color") + index + "\n";
      continue;
    }
    if (std::regex_match(line, m, initialised)) {
      s += "vec4 " + m[1].str() + ";\n";
      atStart += "  " + m[1].str() + " = " + m[2].str() + ";\n";
      continue;
    }
    s += line + "\n";
  }
  for (const char* bad : {"ps_uniforms_vec4", "ps_uniforms_ivec4", "ps_uniforms_bool"}) {
    if (s.find(bad) != std::string::npos) {
      error = std::string(bad) == "ps_uniforms_vec4"
                  ? "the pixel shader addresses constants relatively"
                  : "the pixel shader uses integer or boolean constants";
      return false;
    }
  }
  for (const char* bad : {"sampler3D", "samplerCube", "sampler2DShadow"}) {
    if (s.find(bad) != std::string::npos) {
      error = std::string("the pixel shader samples a ") + bad;
      return false;
    }
  }
  static const std::vector<std::pair<std::regex, std::string>> swaps = {
      {std::regex(R"(gl_TexCoord\[0\])"), "v_tex0"},
      {std::regex(R"(gl_TexCoord\[1\])"), "v_tex1"},
      {std::regex(R"(\bgl_SecondaryColor\b)"), "v_color1"},
      {std::regex(R"(\bgl_Color\b)"), "v_color0"},
      {std::regex(R"(\bgl_FragColor\b)"), "o_color"},
      {std::regex(R"(gl_FragData\[0\])"), "o_color"},
      {std::regex(R"(\btexture2DProjLod\()"), "textureProjLod("},
      {std::regex(R"(\btexture2DProj\()"), "textureProj("},
      {std::regex(R"(\btexture2DLod\()"), "textureLod("},
      {std::regex(R"(\btexture2D\()"), "texture("},
      {std::regex(R"(\bvoid main\(\))"), "void ps_main()"},
  };
  for (const auto& [re, with] : swaps) atStart = std::regex_replace(atStart, re, with);
  for (const auto& [re, with] : swaps) s = std::regex_replace(s, re, with);
  if (s.find("gl_TexCoord") != std::string::npos) {
    error = "the pixel shader reads texture coordinates beyond the second set";
    return false;
  }
  if (s.find("gl_FragData") != std::string::npos) {
    error = "the pixel shader writes more than one target";
    return false;
  }
  // Direct3D's alpha test follows the shader.
  s += "void main() {\n  o_color = vec4(0.0);\n" + atStart +
       "  ps_main();\n"
       "  if (!AlphaPasses(o_color.a)) discard;\n}\n";
  out.glsl = std::move(s);
  return true;
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

bool TranslatePass(const EffectContainer& fx, const EffectContainerPass& in, EffectPassDesc& out,
                   const std::function<std::string(const std::string&)>& compileError,
                   std::string& error) {
  out.name = in.name;
  for (const EffectStateDesc& s : in.states) {
    const uint32_t op = s.operation;
    if (s.expression) {
      error = "state " + Hex(op) + " is computed by an expression";
      return false;
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
      if (value < fx.objects.size() && !fx.objects[value].empty()) {
        error = "pass \"" + in.name + "\" runs a vertex shader, which the player does not run";
        return false;
      }
    } else if (op == kFxPixelShaderState) {
      if (value >= fx.objects.size() || fx.objects[value].empty()) continue;
      TranslatedPixelShader ps;
      std::string why;
      if (!TranslatePixelShader(fx.objects[value], ps, why)) {
        error = "pass \"" + in.name + "\": " + why;
        return false;
      }
      if (compileError) {
        const std::string log = compileError(ps.glsl);
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
          bindings.push_back({"ps_c" + std::to_string(r), sym.name, r - sym.reg, sym.columns});
          break;
        }
      }
      out.pixelShader = std::move(ps.glsl);
      out.prepare = [bindings = std::move(bindings)](const Effect& e, PixelShader& shader) {
        for (const Binding& b : bindings) {
          float m[16];
          e.GetFloatArray(b.param, m, 16);
          float v[4];
          for (uint32_t i = 0; i < 4; ++i)
            v[i] = b.columns ? m[(i * 4 + b.offset) % 16] : m[(b.offset * 4 + i) % 16];
          shader.SetFloats(b.uniform, v, 4);
        }
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

bool TranslatePixelShader(std::span<const uint8_t> bytecode, TranslatedPixelShader& out,
                          std::string& error) {
  const MOJOSHADER_parseData* p = MOJOSHADER_parse(
      MOJOSHADER_PROFILE_GLSL120, "main", bytecode.data(), unsigned(bytecode.size()), nullptr, 0,
      nullptr, 0, nullptr, nullptr, nullptr);
  struct Free {
    const MOJOSHADER_parseData* p;
    ~Free() { MOJOSHADER_freeParseData(p); }
  } freeLater{p};
  if (p->error_count > 0) {
    error = std::string("MojoShader: ") + (p->errors[0].error ? p->errors[0].error : "error");
    return false;
  }
  if (p->shader_type != MOJOSHADER_TYPE_PIXEL) {
    error = "the pixel shader state holds another kind of shader";
    return false;
  }
  for (int i = 0; i < p->uniform_count; ++i) {
    if (p->uniforms[i].type == MOJOSHADER_UNIFORM_FLOAT)
      out.registers.push_back(uint32_t(p->uniforms[i].index));
  }
  for (int i = 0; i < p->sampler_count; ++i) {
    if (p->samplers[i].type != MOJOSHADER_SAMPLER_2D) {
      error = "the pixel shader samples a texture that is not 2D";
      return false;
    }
    out.samplers.push_back(uint32_t(p->samplers[i].index));
  }
  for (int i = 0; i < p->symbol_count; ++i) {
    const MOJOSHADER_symbol& s = p->symbols[i];
    if (s.register_set != MOJOSHADER_SYMREGSET_FLOAT4 &&
        s.register_set != MOJOSHADER_SYMREGSET_SAMPLER)
      continue;
    out.symbols.push_back({s.name ? s.name : "", s.register_set == MOJOSHADER_SYMREGSET_SAMPLER,
                           s.register_index, std::max(1u, s.register_count),
                           s.info.parameter_class == MOJOSHADER_SYMCLASS_MATRIX_COLUMNS});
  }
  return RewriteGlsl(std::string(p->output, size_t(p->output_len)), out, error);
}

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

CarriedEffect TranslateEffect(const EffectContainer& fx,
                              const std::function<std::string(const std::string&)>& compileError) {
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
  std::function<std::string(const std::string&)> check;
  if (device)
    check = [device](const std::string& source) { return device->PixelShaderError(source); };
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
