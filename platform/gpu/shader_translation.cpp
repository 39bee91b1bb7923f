#include "platform/gpu/shader_translation.h"

#include <mojoshader.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <regex>
#include <set>

#include "platform/gpu/effect_expression.h"
#include "platform/gpu/ff_shaders.h"

namespace glimmer {
namespace {

// The lines of `text`, without their line ends.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 1;
  }
  return lines;
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
  for (const std::string& line : SplitLines(in)) {
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
  for (const std::string& line : SplitLines(in)) {
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

}  // namespace glimmer
