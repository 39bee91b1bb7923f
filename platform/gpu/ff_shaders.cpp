#include "platform/gpu/ff_shaders.h"

#include <cstring>

#include "platform/gpu/d3d_types.h"

namespace glimmer {
namespace {

size_t HashBytes(const void* data, size_t n) {
  // FNV-1a over the key's bytes (keys are padding-free by construction of
  // their field order; unused padding is zeroed by value-initialisation).
  const auto* p = static_cast<const uint8_t*>(data);
  size_t h = 1469598103934665603ull;
  for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211ull;
  return h;
}

const char* kCommon = R"(#version 330 core
)";

std::string Arg(uint8_t arg, int stage) {
  switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE:
      return "diffuse";
    case D3DTA_CURRENT:
      return stage == 0 ? "diffuse" : "current";
    case D3DTA_TEXTURE:
      return "texel" + std::to_string(stage);
    case D3DTA_TFACTOR:
      return "u_tfactor";
    case D3DTA_SPECULAR:
      return "v_color1";
    default:
      return "current";
  }
}

std::string Op(uint8_t op, const std::string& a1, const std::string& a2, const char* swz) {
  const std::string x = "(" + a1 + ")" + swz, y = "(" + a2 + ")" + swz;
  switch (op) {
    case D3DTOP_SELECTARG1:
      return x;
    case D3DTOP_SELECTARG2:
      return y;
    case D3DTOP_MODULATE:
      return x + " * " + y;
    case D3DTOP_MODULATE2X:
      return "min(" + x + " * " + y + " * 2.0, 1.0)";
    case D3DTOP_ADD:
      return "min(" + x + " + " + y + ", 1.0)";
    default:
      return x;
  }
}

}  // namespace

size_t VertexKeyHash::operator()(const VertexKey& k) const {
  size_t h = HashBytes(&k.fvf, sizeof k.fvf);
  h = h * 31 + (k.lighting ? 1 : 0) + (k.specular ? 2 : 0) + (k.clipPlane ? 4 : 0);
  for (const auto& s : k.stages) {
    h = h * 31 + s.texCoordIndex;
    h = h * 31 + (s.cameraSpace ? 1 : 0);
    h = h * 31 + s.transformFlags;
  }
  return h;
}

size_t FragmentKeyHash::operator()(const FragmentKey& k) const {
  size_t h = (k.specularAdd ? 7 : 3) + size_t{k.alphaFunc} * 11;
  for (const auto& s : k.stages) {
    const uint8_t b[8] = {s.colorOp,   s.colorArg1, s.colorArg2,          s.alphaOp,
                          s.alphaArg1, s.alphaArg2, uint8_t(s.projected), uint8_t(s.textured)};
    h = h * 1099511628211ull ^ HashBytes(b, sizeof b);
  }
  return h;
}

std::string GenerateVertexShader(const VertexKey& key) {
  const bool rhw = (key.fvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW;
  const bool normal = (key.fvf & D3DFVF_NORMAL) != 0;
  const bool diffuse = (key.fvf & D3DFVF_DIFFUSE) != 0;
  const bool specular = (key.fvf & D3DFVF_SPECULAR) != 0;
  const uint32_t texSets = (key.fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  std::string s = kCommon;
  s += "layout(location = 0) in vec4 a_position;\n";
  if (normal) s += "layout(location = 1) in vec3 a_normal;\n";
  if (diffuse) s += "layout(location = 2) in vec4 a_diffuse;\n";
  if (specular) s += "layout(location = 3) in vec4 a_specular;\n";
  if (texSets > 0) s += "layout(location = 4) in vec2 a_tex0;\n";
  if (texSets > 1) s += "layout(location = 5) in vec2 a_tex1;\n";
  s += ClipConversion();
  s += R"(
uniform mat4 u_worldView;
uniform mat4 u_projection;
uniform mat4 u_texMatrix[2];
uniform vec4 u_lightDir;        // towards the light, camera space
uniform vec4 u_lightDiffuse, u_lightSpecular, u_lightAmbient;
uniform vec4 u_matDiffuse, u_matAmbient, u_matSpecular, u_matEmissive;
uniform float u_matPower;
uniform vec4 u_ambient;
uniform vec4 u_clipPlane;      // camera space
out vec4 v_color0;
out vec4 v_color1;
out vec4 v_tex0;
out vec4 v_tex1;
void main() {
  vec4 clip;
  vec4 camera = vec4(0.0, 0.0, 0.0, 1.0);
)";
  if (rhw) {
    // Screen positions in pixels: centres at whole numbers, y downwards.
    s += R"(  float w = a_position.w != 0.0 ? 1.0 / a_position.w : 1.0;
  clip = vec4((a_position.x * u_target.z * 2.0 - 1.0) * w, (1.0 - a_position.y * u_target.w * 2.0) * w,
              a_position.z * w, w);
)";
  } else {
    s += R"(  camera = u_worldView * vec4(a_position.xyz, 1.0);
  clip = u_projection * camera;
)";
  }
  s += diffuse ? "  vec4 vdiffuse = a_diffuse;\n" : "  vec4 vdiffuse = vec4(1.0);\n";
  s += specular ? "  vec4 vspecular = a_specular;\n" : "  vec4 vspecular = vec4(0.0);\n";
  if (key.lighting && !rhw) {
    s += normal ? "  vec3 n = normalize(mat3(u_worldView) * a_normal);\n"
                : "  vec3 n = vec3(0.0);\n";
    s += std::string("  vec4 matDiffuse = ") + (diffuse ? "vdiffuse" : "u_matDiffuse") + ";\n";
    s += R"(  float nl = max(dot(n, u_lightDir.xyz), 0.0);
  vec3 lit = u_matEmissive.rgb + u_matAmbient.rgb * (u_ambient.rgb + u_lightAmbient.rgb)
           + matDiffuse.rgb * u_lightDiffuse.rgb * nl;
  vdiffuse = vec4(clamp(lit, 0.0, 1.0), matDiffuse.a);
  vspecular = vec4(0.0);
)";
    if (key.specular) {
      s += R"(  if (nl > 0.0) {
    vec3 h = normalize(u_lightDir.xyz - normalize(camera.xyz));
    float sp = pow(max(dot(n, h), 0.0), u_matPower);
    vspecular = vec4(clamp(u_matSpecular.rgb * u_lightSpecular.rgb * sp, 0.0, 1.0), 0.0);
  }
)";
    }
  }
  s += "  v_color0 = vdiffuse;\n  v_color1 = vspecular;\n";
  for (int i = 0; i < kStages; ++i) {
    const auto& st = key.stages[i];
    std::string in;
    if (st.cameraSpace) {
      in = "vec4(camera.xyz, 1.0)";
    } else if (st.texCoordIndex < texSets) {
      in = "vec4(a_tex" + std::to_string(st.texCoordIndex) + ", 1.0, 0.0)";
    } else {
      in = "vec4(0.0, 0.0, 1.0, 0.0)";
    }
    const std::string out = "v_tex" + std::to_string(i);
    const uint32_t count = st.transformFlags & 0xFF;
    if (count != D3DTTFF_DISABLE) {
      s += "  " + out + " = u_texMatrix[" + std::to_string(i) + "] * " + in + ";\n";
      if (st.transformFlags & D3DTTFF_PROJECTED) {
        // The last transformed component divides the others.
        const char* q = count == D3DTTFF_COUNT2 ? "y" : count == D3DTTFF_COUNT3 ? "z" : "w";
        s += "  " + out + " = vec4(" + out + ".xy, 0.0, " + out + "." + q + ");\n";
      } else {
        s += "  " + out + " = vec4(" + out + ".xy, 0.0, 1.0);\n";
      }
    } else {
      s += "  " + out + " = vec4((" + in + ").xy, 0.0, 1.0);\n";
    }
  }
  if (key.clipPlane && !rhw) s += "  gl_ClipDistance[0] = dot(u_clipPlane, camera);\n";
  s += R"(  gl_Position = D3DClipToGl(clip);
}
)";
  return s;
}

std::string ClipConversion() {
  // Direct3D's conventions to OpenGL's: pixel centres of the viewport at
  // whole coordinates, depth 0..1, and y towards the target's first row:
  // textures store rows from the top (u_ySign -1), a window's framebuffer
  // from the bottom (+1). Rows from the bottom also turn round which of two
  // rows an edge through pixel centres gives its pixels to; a 1/128-pixel
  // lift gives them back to the lower row, as Direct3D's top-left rule does.
  return R"(uniform vec4 u_target;   // viewport width, height, 1/width, 1/height
uniform float u_ySign;   // -1: rows stored from the top; +1: from the bottom
vec4 D3DClipToGl(vec4 clip) {
  float y = u_ySign * (clip.y - clip.w * u_target.w);
  if (u_ySign > 0.0) y += clip.w * u_target.w * (1.0 / 64.0);
  return vec4(clip.x + clip.w * u_target.z, y, 2.0 * clip.z - clip.w, clip.w);
}
)";
}

std::string VertexPrelude() {
  return std::string(kCommon) + ClipConversion() + R"(out vec4 v_color0;
out vec4 v_color1;
out vec4 v_tex0;
out vec4 v_tex1;
)";
}

std::string FragmentPrelude() {
  return std::string(kCommon) + R"(in vec4 v_color0;
in vec4 v_color1;
in vec4 v_tex0;
in vec4 v_tex1;
out vec4 o_color;
uniform int u_alphaFunc;   // Direct3D compare function; 8 (always) when off
uniform float u_alphaRef;
bool AlphaPasses(float a) {
  float r = u_alphaRef;
  if (u_alphaFunc == 1) return false;
  if (u_alphaFunc == 2) return a < r;
  if (u_alphaFunc == 3) return a == r;
  if (u_alphaFunc == 4) return a <= r;
  if (u_alphaFunc == 5) return a > r;
  if (u_alphaFunc == 6) return a != r;
  if (u_alphaFunc == 7) return a >= r;
  return true;
}
)";
}

std::string GenerateFragmentShader(const FragmentKey& key) {
  bool luminance = false;
  for (const auto& st : key.stages) luminance |= st.colorOp == D3DTOP_BUMPENVMAPLUMINANCE;
  std::string s = FragmentPrelude();
  s += R"(uniform sampler2D u_texture0;
uniform sampler2D u_texture1;
uniform vec4 u_tfactor;
uniform mat2 u_bumpMatrix0, u_bumpMatrix1;
uniform vec2 u_bumpLuminance0, u_bumpLuminance1;  // scale, offset
void main() {
  vec4 diffuse = v_color0;
  vec4 current = diffuse;
  vec2 bump = vec2(0.0);
)";
  if (luminance) s += "  float luminance = 1.0;\n";
  for (int i = 0; i < kStages; ++i) {
    const auto& st = key.stages[i];
    if (st.colorOp == D3DTOP_DISABLE || st.colorOp == 0) break;
    const std::string n = std::to_string(i);
    const std::string tc =
        st.projected ? "(v_tex" + n + ".xy / v_tex" + n + ".w)" : "v_tex" + n + ".xy";
    // A stage without a texture reads opaque white, so untextured geometry
    // shows its vertex colour.
    s += "  vec4 texel" + n + " = " +
         (st.textured ? "texture(u_texture" + n + ", " + tc + (i > 0 ? " + bump" : "") + ")"
                      : std::string("vec4(1.0)")) +
         ";\n";
    if (st.colorOp == D3DTOP_BUMPENVMAP || st.colorOp == D3DTOP_BUMPENVMAPLUMINANCE) {
      // (du, dv) of this stage's bump texture offsets the next stage's lookup;
      // with luminance, its third channel scales the next stage's colour.
      s += "  bump = u_bumpMatrix" + n + " * texel" + n + ".rg;\n";
      if (st.colorOp == D3DTOP_BUMPENVMAPLUMINANCE) {
        s += "  luminance = clamp(texel" + n + ".b * u_bumpLuminance" + n + ".x + u_bumpLuminance" +
             n + ".y, 0.0, 1.0);\n";
      }
      continue;
    }
    s += "  {\n    vec3 c = " + Op(st.colorOp, Arg(st.colorArg1, i), Arg(st.colorArg2, i), ".rgb") +
         ";\n";
    if (st.alphaOp == D3DTOP_DISABLE || st.alphaOp == 0) {
      s += "    float a = current.a;\n";
    } else {
      s += "    float a = " + Op(st.alphaOp, Arg(st.alphaArg1, i), Arg(st.alphaArg2, i), ".a") +
           ";\n";
    }
    if (luminance) {
      s += "    current = vec4(c * luminance, a);\n    luminance = 1.0;\n  }\n";
    } else {
      s += "    current = vec4(c, a);\n  }\n";
    }
  }
  if (key.specularAdd) s += "  current.rgb = min(current.rgb + v_color1.rgb, 1.0);\n";
  switch (key.alphaFunc) {
    case D3DCMP_NEVER:
      s += "  discard;\n";
      break;
    case D3DCMP_LESS:
    case D3DCMP_EQUAL:
    case D3DCMP_LESSEQUAL:
    case D3DCMP_GREATER:
    case D3DCMP_NOTEQUAL:
    case D3DCMP_GREATEREQUAL: {
      static const char* const kOps[] = {"<", "==", "<=", ">", "!=", ">="};
      s += std::string("  if (!(current.a ") + kOps[key.alphaFunc - D3DCMP_LESS] +
           " u_alphaRef)) discard;\n";
      break;
    }
    default:
      break;  // always passes: no test
  }
  s += R"(  o_color = current;
}
)";
  return s;
}

}  // namespace glimmer
