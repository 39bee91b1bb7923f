#include "platform/gpu/carried_effect.h"

#include <mojoshader.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <regex>
#include <set>

#include "platform/gpu/builtin_effects.h"
#include "platform/gpu/effect_expression.h"
#include "platform/gpu/ff_shaders.h"

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

// Our attribute location for a vertex shader input, or -1.
int AttributeLocation(int usage, int index) {
  if ((usage == MOJOSHADER_USAGE_POSITION || usage == MOJOSHADER_USAGE_POSITIONT) && index == 0)
    return kAttrPosition;
  if (usage == MOJOSHADER_USAGE_NORMAL && index == 0) return kAttrNormal;
  if (usage == MOJOSHADER_USAGE_COLOR && (index == 0 || index == 1))
    return index == 0 ? kAttrDiffuse : kAttrSpecular;
  if (usage == MOJOSHADER_USAGE_TEXCOORD && (index == 0 || index == 1)) return kAttrTex0 + index;
  return -1;
}

const char* UsageName(int usage) {
  static const char* const kNames[] = {"position",
                                       "blend weight",
                                       "blend indices",
                                       "normal",
                                       "point size",
                                       "texture coordinates",
                                       "tangent",
                                       "binormal",
                                       "tessellation factor",
                                       "pre-transformed position",
                                       "colour",
                                       "fog",
                                       "depth",
                                       "sample"};
  return usage >= 0 && usage < int(std::size(kNames)) ? kNames[usage] : "unknown";
}

// The GLSL 1.20 text of MojoShader for a vertex shader made to follow
// VertexPrelude(): attributes at our locations, outputs to the v_* of the
// stage interface by usage (texture coordinates beyond the second and fog,
// which no pixel shader of ours reads, to locals), the position through
// D3DClipToGl.
bool RewriteVertexGlsl(const std::string& in, const std::map<std::string, int>& locations,
                       TranslatedVertexShader& out, std::string& error) {
  static const std::regex uniforms(R"(^uniform vec4 vs_uniforms_vec4\[(\d+)\];$)");
  static const std::regex attribute(R"(^attribute vec4 (\w+);$)");
  static const std::regex varying(R"(^varying (vec4 \w+;)$)");
  std::string s;
  size_t pos = 0;
  while (pos < in.size()) {
    size_t end = in.find('\n', pos);
    if (end == std::string::npos) end = in.size();
    const std::string line = in.substr(pos, end - pos);
    pos = end + 1;
    std::smatch m;
    if (line.rfind("#version", 0) == 0 || line.rfind("#extension", 0) == 0) continue;
    if (std::regex_match(line, m, uniforms)) {
      out.registers = uint32_t(std::stoul(m[1].str()));
    } else if (std::regex_match(line, m, attribute)) {
      auto it = locations.find(m[1].str());
      if (it == locations.end()) {
        error = "the vertex shader reads an input without a usage";
        return false;
      }
      s += "layout(location = " + std::to_string(it->second) + ") in vec4 " + m[1].str() + ";\n";
      continue;
    } else if (std::regex_match(line, m, varying)) {
      s += m[1].str() + "\n";  // an output no pixel shader of ours reads
      continue;
    }
    s += line + "\n";
  }
  for (const char* bad : {"vs_uniforms_ivec4", "vs_uniforms_bool"}) {
    if (s.find(bad) != std::string::npos) {
      error = "the vertex shader uses integer or boolean constants";
      return false;
    }
  }
  if (s.find("sampler") != std::string::npos) {
    error = "the vertex shader samples textures";
    return false;
  }
  static const std::vector<std::pair<std::regex, std::string>> swaps = {
      {std::regex(R"(\bgl_Position\b)"), "vs_position"},
      {std::regex(R"(\bgl_FrontSecondaryColor\b)"), "v_color1"},
      {std::regex(R"(\bgl_FrontColor\b)"), "v_color0"},
      {std::regex(R"(gl_TexCoord\[0\])"), "v_tex0"},
      {std::regex(R"(gl_TexCoord\[1\])"), "v_tex1"},
      {std::regex(R"(gl_TexCoord\[(\d+)\])"), "vs_tex$1"},
      {std::regex(R"(\bgl_FogFragCoord\b)"), "vs_fog"},
      {std::regex(R"(\bvoid main\(\))"), "void vs_main()"},
  };
  for (const auto& [re, with] : swaps) s = std::regex_replace(s, re, with);
  static const std::regex builtin(R"(\bgl_\w+)");
  for (auto it = std::sregex_iterator(s.begin(), s.end(), builtin); it != std::sregex_iterator();
       ++it) {
    if (it->str() != "gl_PointSize") {
      error = "the vertex shader writes " + it->str();
      return false;
    }
  }
  std::string locals = "vec4 vs_position;\nfloat vs_fog;\n";
  static const std::regex extraTex(R"(\bvs_tex(\d+)\b)");
  std::set<std::string> declared;
  for (auto it = std::sregex_iterator(s.begin(), s.end(), extraTex); it != std::sregex_iterator();
       ++it) {
    if (declared.insert(it->str()).second) locals += "vec4 " + it->str() + ";\n";
  }
  // Outputs the shader does not write keep Direct3D's defaults.
  out.glsl = locals + s +
             "void main() {\n"
             "  v_color0 = vec4(1.0);\n"
             "  v_color1 = vec4(0.0);\n"
             "  v_tex0 = vec4(0.0, 0.0, 0.0, 1.0);\n"
             "  v_tex1 = vec4(0.0, 0.0, 0.0, 1.0);\n"
             "  vs_position = vec4(0.0, 0.0, 0.0, 1.0);\n"
             "  vs_main();\n"
             "  gl_Position = D3DClipToGl(vs_position);\n"
             "}\n";
  return true;
}

// MojoShader's own preshader parser is not safe with untrusted bytes (it
// asserts and reads past its buffer), so it never sees one: the preshader a
// shader carries in a comment tagged PRES among those after its version
// word is taken out and read by our own reader, and the shader goes to
// MojoShader without it. A comment tagged PRES anywhere else is refused.
bool SplitPreshader(std::span<const uint8_t> bytecode, std::vector<uint8_t>& shader,
                    std::shared_ptr<const EffectExpression>& preshader, std::string& error) {
  auto word = [&](size_t i) {
    uint32_t w;
    std::memcpy(&w, bytecode.data() + i * 4, 4);
    return w;
  };
  auto tagged = [&](size_t i) {
    return (word(i) & 0xFFFF) == 0xFFFE && i + 1 < bytecode.size() / 4 &&
           std::memcmp(bytecode.data() + (i + 1) * 4, "PRES", 4) == 0;
  };
  if (bytecode.size() < 8) {
    error = "it is too short to be a shader";
    return false;
  }
  shader.assign(bytecode.begin(), bytecode.end());
  const size_t words = bytecode.size() / 4;
  size_t cutFrom = 0, cutWords = 0;
  for (size_t at = 1; at < words && (word(at) & 0xFFFF) == 0xFFFE;) {
    const size_t length = (word(at) >> 16) & 0x7FFF;
    if (length > words - at - 1) break;
    if (length > 0 && tagged(at)) {
      std::string why;
      auto parsed = EffectExpression::Parse(bytecode.subspan((at + 2) * 4, (length - 1) * 4), why);
      if (!parsed) {
        error = "its preshader: " + why;
        return false;
      }
      preshader = std::make_shared<const EffectExpression>(std::move(*parsed));
      cutFrom = at;
      cutWords = 1 + length;
      break;
    }
    at += 1 + length;
  }
  for (size_t i = 1; i < words; ++i) {
    if (tagged(i) && !(i >= cutFrom && i < cutFrom + cutWords)) {
      error = "it carries a preshader out of place";
      return false;
    }
  }
  if (cutWords) {
    shader.erase(shader.begin() + ptrdiff_t(cutFrom * 4),
                 shader.begin() + ptrdiff_t((cutFrom + cutWords) * 4));
  }
  return true;
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

// Constant-table entries of float and sampler registers.
std::vector<TranslatedPixelShader::Symbol> Symbols(const MOJOSHADER_parseData& p) {
  std::vector<TranslatedPixelShader::Symbol> out;
  for (int i = 0; i < p.symbol_count; ++i) {
    const MOJOSHADER_symbol& s = p.symbols[i];
    if (s.register_set != MOJOSHADER_SYMREGSET_FLOAT4 &&
        s.register_set != MOJOSHADER_SYMREGSET_SAMPLER)
      continue;
    out.push_back({s.name ? s.name : "", s.register_set == MOJOSHADER_SYMREGSET_SAMPLER,
                   s.register_index, std::max(1u, s.register_count),
                   s.info.parameter_class == MOJOSHADER_SYMCLASS_MATRIX_COLUMNS});
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

// MojoShader's reading of a shader state's bytecode, its preshader split off
// into `preshader`; null with `error` set when it fails or holds another kind
// of shader than `expected` (`kind` names it in the messages).
using ParsedShader =
    std::unique_ptr<const MOJOSHADER_parseData, void (*)(const MOJOSHADER_parseData*)>;
ParsedShader ParseShader(std::span<const uint8_t> bytecode, MOJOSHADER_shaderType expected,
                         const char* kind, std::shared_ptr<const EffectExpression>& preshader,
                         std::string& error) {
  ParsedShader none(nullptr, MOJOSHADER_freeParseData);
  std::vector<uint8_t> shader;
  if (!SplitPreshader(bytecode, shader, preshader, error)) {
    error = std::string("the ") + kind + ": " + error;
    return none;
  }
  ParsedShader p(
      MOJOSHADER_parse(MOJOSHADER_PROFILE_GLSL120, "main", shader.data(), unsigned(shader.size()),
                       nullptr, 0, nullptr, 0, nullptr, nullptr, nullptr),
      MOJOSHADER_freeParseData);
  if (p->error_count > 0) {
    error = std::string("MojoShader: ") + (p->errors[0].error ? p->errors[0].error : "error");
    return none;
  }
  if (p->shader_type != expected) {
    error = std::string("the ") + kind + " state holds another kind of shader";
    return none;
  }
  return p;
}

}  // namespace

bool TranslatePixelShader(std::span<const uint8_t> bytecode, TranslatedPixelShader& out,
                          std::string& error) {
  const ParsedShader p =
      ParseShader(bytecode, MOJOSHADER_TYPE_PIXEL, "pixel shader", out.preshader, error);
  if (!p) return false;
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
  out.symbols = Symbols(*p);
  return RewriteGlsl(std::string(p->output, size_t(p->output_len)), out, error);
}

bool TranslateVertexShader(std::span<const uint8_t> bytecode, TranslatedVertexShader& out,
                           std::string& error) {
  const ParsedShader p =
      ParseShader(bytecode, MOJOSHADER_TYPE_VERTEX, "vertex shader", out.preshader, error);
  if (!p) return false;
  std::map<std::string, int> locations;
  for (int i = 0; i < p->attribute_count; ++i) {
    const MOJOSHADER_attribute& a = p->attributes[i];
    const int location = AttributeLocation(a.usage, a.index);
    if (location < 0) {
      error = std::string("the vertex shader reads ") + UsageName(a.usage) + " " +
              std::to_string(a.index) + ", which our vertices do not carry";
      return false;
    }
    if (a.name) locations[a.name] = location;
  }
  out.symbols = Symbols(*p);
  return RewriteVertexGlsl(std::string(p->output, size_t(p->output_len)), locations, out, error);
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
