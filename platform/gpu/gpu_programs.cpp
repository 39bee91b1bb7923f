// Programs and uniforms: the generated fixed-function programs (or an
// effect's pixel shader behind the generated vertex shader), cached per state
// combination, and their uniforms. Each program remembers what it last
// received, so a draw sends only the uniforms whose values changed.

#include <epoxy/gl.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <stdexcept>

#include "platform/gpu/gpu_device_impl.h"

namespace glimmer {
namespace {

using Uniform = ProgramUniform;

std::atomic<uint32_t> g_nextShaderId{1};

// The compiled shader, or 0 with the compiler's log in `log`.
GLuint CompileShader(GLenum type, const std::string& source, std::string& log) {
  GLuint s = glCreateShader(type);
  const char* src = source.c_str();
  glShaderSource(s, 1, &src, nullptr);
  glCompileShader(s);
  GLint ok = 0;
  glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
  if (ok) return s;
  char buffer[2048] = {};
  glGetShaderInfoLog(s, sizeof buffer, nullptr, buffer);
  log = buffer[0] ? buffer : "compile error";
  glDeleteShader(s);
  return 0;
}

GLuint Compile(GLenum type, const std::string& source) {
  std::string log;
  const GLuint s = CompileShader(type, source, log);
  if (!s) throw std::runtime_error("shader does not compile: " + log + "\n" + source);
  return s;
}

// True when the value differs from what the uniform last received (and
// records it as received).
bool Changed(Uniform& u, const void* data, size_t bytes) {
  if (u.known && u.bytes == bytes && std::memcmp(u.last.data(), data, bytes) == 0) return false;
  std::memcpy(u.last.data(), data, bytes);
  u.bytes = uint32_t(bytes);
  u.known = true;
  return true;
}

void SetMatrices(Uniform& u, const D3DXMATRIX* m, int count) {
  // Row-major data read as column-major is the transpose, which turns the
  // row-vector product v × M into GLSL's M' × v.
  if (u.location >= 0 && Changed(u, m, sizeof(D3DXMATRIX) * size_t(count)))
    glUniformMatrix4fv(u.location, count, GL_FALSE, &m[0].m[0][0]);
}

void Set4f(Uniform& u, float x, float y, float z, float w) {
  const float v[4] = {x, y, z, w};
  if (u.location >= 0 && Changed(u, v, sizeof v)) glUniform4fv(u.location, 1, v);
}

void SetColor(Uniform& u, const D3DCOLORVALUE& c) {
  Set4f(u, c.r, c.g, c.b, c.a);
}

void SetD3DColor(Uniform& u, D3DCOLOR c) {
  Set4f(u, float((c >> 16) & 0xFF) / 255.0f, float((c >> 8) & 0xFF) / 255.0f,
        float(c & 0xFF) / 255.0f, float(c >> 24) / 255.0f);
}

void Set1f(Uniform& u, float x) {
  if (u.location >= 0 && Changed(u, &x, sizeof x)) glUniform1f(u.location, x);
}

void Set1i(Uniform& u, int32_t x) {
  if (u.location >= 0 && Changed(u, &x, sizeof x)) glUniform1i(u.location, x);
}

float AsFloat(uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}

}  // namespace

ShaderCode::ShaderCode(std::string source) : id_(g_nextShaderId++), source_(std::move(source)) {}

ShaderCode::Value& ShaderCode::Slot(const std::string& name) {
  for (Value& v : values_) {
    if (v.name == name) return v;
  }
  values_.push_back({name, {}, 0, 0});
  return values_.back();
}

void ShaderCode::SetFloats(const std::string& name, const float* values, int count) {
  Value& v = Slot(name);
  v.count = std::clamp(count, 1, 16);
  std::copy(values, values + v.count, v.floats.begin());
}

void ShaderCode::SetInt(const std::string& name, int value) {
  Value& v = Slot(name);
  v.count = 0;
  v.integer = value;
}

// What the GL compiler says about `source`; empty when it compiles.
static std::string CompileError(GLenum type, const std::string& source) {
  std::string log;
  if (const GLuint s = CompileShader(type, source, log)) glDeleteShader(s);
  return log;
}

std::string GpuDevice::PixelShaderError(const std::string& source) {
  MakeCurrent();
  return CompileError(GL_FRAGMENT_SHADER, FragmentPrelude() + source);
}

std::string GpuDevice::VertexShaderError(const std::string& source) {
  MakeCurrent();
  return CompileError(GL_VERTEX_SHADER, VertexPrelude() + source);
}

size_t GpuDevice::ProgramKeyHash::operator()(const ProgramKey& k) const {
  return VertexKeyHash{}(k.vertex) * 1315423911u ^ FragmentKeyHash {}(k.fragment) ^
         (size_t{k.pixelShader} << 40) ^ (size_t{k.vertexShader} << 20);
}

GpuDevice::Program& GpuDevice::ProgramFor(const ProgramKey& key) {
  auto it = programs_.find(key);
  if (it != programs_.end()) return *it->second;
  const std::string vs = vertexShader_ && key.vertexShader
                             ? VertexPrelude() + vertexShader_->Source()
                             : GenerateVertexShader(key.vertex);
  const std::string fs = pixelShader_ && key.pixelShader
                             ? FragmentPrelude() + pixelShader_->Source()
                             : GenerateFragmentShader(key.fragment);
  const GLuint v = Compile(GL_VERTEX_SHADER, vs);
  const GLuint f = Compile(GL_FRAGMENT_SHADER, fs);
  auto p = std::make_unique<Program>();
  p->readsFragCoord = fs.find("gl_FragCoord") != std::string::npos;
  p->name = glCreateProgram();
  glAttachShader(p->name, v);
  glAttachShader(p->name, f);
  glBindAttribLocation(p->name, kAttrPosition, "a_position");
  glBindAttribLocation(p->name, kAttrNormal, "a_normal");
  glBindAttribLocation(p->name, kAttrDiffuse, "a_diffuse");
  glBindAttribLocation(p->name, kAttrSpecular, "a_specular");
  glBindAttribLocation(p->name, kAttrTex0, "a_tex0");
  glBindAttribLocation(p->name, kAttrTex1, "a_tex1");
  glLinkProgram(p->name);
  glDeleteShader(v);
  glDeleteShader(f);
  GLint ok = 0;
  glGetProgramiv(p->name, GL_LINK_STATUS, &ok);
  if (!ok) {
    char log[2048];
    glGetProgramInfoLog(p->name, sizeof log, nullptr, log);
    glDeleteProgram(p->name);
    throw std::runtime_error(std::string("shader program does not link: ") + log);
  }
  auto loc = [&](Uniform& u, const std::string& n) {
    u.location = glGetUniformLocation(p->name, n.c_str());
  };
  loc(p->worldView, "u_worldView");
  loc(p->projection, "u_projection");
  loc(p->target, "u_target");
  loc(p->ySign, "u_ySign");
  loc(p->texMatrix, "u_texMatrix");
  loc(p->lightDir, "u_lightDir");
  loc(p->lightDiffuse, "u_lightDiffuse");
  loc(p->lightSpecular, "u_lightSpecular");
  loc(p->lightAmbient, "u_lightAmbient");
  loc(p->matDiffuse, "u_matDiffuse");
  loc(p->matAmbient, "u_matAmbient");
  loc(p->matSpecular, "u_matSpecular");
  loc(p->matEmissive, "u_matEmissive");
  loc(p->matPower, "u_matPower");
  loc(p->ambient, "u_ambient");
  loc(p->clipPlane, "u_clipPlane");
  loc(p->alphaFunc, "u_alphaFunc");
  loc(p->alphaRef, "u_alphaRef");
  loc(p->tfactor, "u_tfactor");
  for (int i = 0; i < kStages; ++i) {
    const std::string n = std::to_string(i);
    loc(p->bumpMatrix[i], "u_bumpMatrix" + n);
    loc(p->bumpLuminance[i], "u_bumpLuminance" + n);
  }
  // Sampler i reads texture unit i, set once.
  gl_.UseProgram(p->name);
  if (pixelShader_ && key.pixelShader) {
    const auto& samplers = pixelShader_->Samplers();
    for (size_t i = 0; i < samplers.size(); ++i) {
      const GLint l = glGetUniformLocation(p->name, samplers[i].c_str());
      if (l >= 0) glUniform1i(l, GLint(i));
    }
  } else {
    for (int i = 0; i < kStages; ++i) {
      const GLint l = glGetUniformLocation(p->name, ("u_texture" + std::to_string(i)).c_str());
      if (l >= 0) glUniform1i(l, i);
    }
  }
  return *programs_.emplace(key, std::move(p)).first->second;
}

void GpuDevice::UploadUniforms(Program& p) {
  const D3DXMATRIX view = GetTransform(D3DTS_VIEW);
  if (p.worldView.location >= 0) {
    const D3DXMATRIX worldView = GetTransform(D3DTS_WORLD) * view;
    SetMatrices(p.worldView, &worldView, 1);
  }
  if (p.projection.location >= 0) {
    const D3DXMATRIX projection = GetTransform(D3DTS_PROJECTION);
    SetMatrices(p.projection, &projection, 1);
  }
  if (p.target.location >= 0) {
    const float w = float(std::max(1u, viewport_.Width)), h = float(std::max(1u, viewport_.Height));
    Set4f(p.target, w, h, 1.0f / w, 1.0f / h);
  }
  Set1f(p.ySign, TargetIsWindow() ? 1.0f : -1.0f);
  if (p.texMatrix.location >= 0) {
    const D3DXMATRIX m[2] = {GetTransform(D3DTS_TEXTURE0), GetTransform(D3DTS_TEXTURE1)};
    SetMatrices(p.texMatrix, m, 2);
  }
  if (p.lightDir.location >= 0) {
    // Towards the light, in camera space.
    D3DXVECTOR3 dir{-light_.Direction[0], -light_.Direction[1], -light_.Direction[2]};
    D3DXVec3TransformNormal(&dir, &dir, &view);
    dir = Normalize(dir);
    Set4f(p.lightDir, dir.x, dir.y, dir.z, 0.0f);
  }
  const float on = lightEnabled_ ? 1.0f : 0.0f;
  const D3DCOLORVALUE d = light_.Diffuse, s = light_.Specular, a = light_.Ambient;
  SetColor(p.lightDiffuse, {d.r * on, d.g * on, d.b * on, d.a});
  SetColor(p.lightSpecular, {s.r * on, s.g * on, s.b * on, s.a});
  SetColor(p.lightAmbient, {a.r * on, a.g * on, a.b * on, a.a});
  SetColor(p.matDiffuse, material_.Diffuse);
  SetColor(p.matAmbient, material_.Ambient);
  SetColor(p.matSpecular, material_.Specular);
  SetColor(p.matEmissive, material_.Emissive);
  Set1f(p.matPower, material_.Power);
  SetD3DColor(p.ambient, renderStates_[D3DRS_AMBIENT]);
  SetD3DColor(p.tfactor, renderStates_[D3DRS_TEXTUREFACTOR]);
  if (p.clipPlane.location >= 0) {
    // Planes are given in world space; the shader tests camera-space points.
    D3DXMATRIX inv;
    if (D3DXMatrixInverse(&inv, nullptr, &view)) {
      D3DXMATRIX invT;
      D3DXMatrixTranspose(&invT, &inv);
      D3DXVECTOR4 plane{clipPlane_[0], clipPlane_[1], clipPlane_[2], clipPlane_[3]};
      D3DXVECTOR4 out;
      D3DXVec4Transform(&out, &plane, &invT);
      // v × M with M = inverse(view) transposed maps world planes to camera space.
      Set4f(p.clipPlane, out.x, out.y, out.z, out.w);
    }
  }
  // Generated programs compare in the shader they were made for; effects'
  // pixel shaders may still call the prelude's AlphaPasses.
  Set1i(p.alphaFunc, renderStates_[D3DRS_ALPHATESTENABLE] ? GLint(renderStates_[D3DRS_ALPHAFUNC])
                                                          : GLint(D3DCMP_ALWAYS));
  Set1f(p.alphaRef, float(renderStates_[D3DRS_ALPHAREF] & 0xFF) / 255.0f);
  for (int i = 0; i < kStages; ++i) {
    const auto& st = stageStates_[i];
    if (p.bumpMatrix[i].location >= 0) {
      // u' = u + M00·du + M10·dv, v' = v + M01·du + M11·dv (column-major mat2).
      const float m[4] = {AsFloat(st[D3DTSS_BUMPENVMAT00]), AsFloat(st[D3DTSS_BUMPENVMAT01]),
                          AsFloat(st[D3DTSS_BUMPENVMAT10]), AsFloat(st[D3DTSS_BUMPENVMAT11])};
      if (Changed(p.bumpMatrix[i], m, sizeof m))
        glUniformMatrix2fv(p.bumpMatrix[i].location, 1, GL_FALSE, m);
    }
    if (p.bumpLuminance[i].location >= 0) {
      const float l[2] = {AsFloat(st[D3DTSS_BUMPENVLSCALE]), AsFloat(st[D3DTSS_BUMPENVLOFFSET])};
      if (Changed(p.bumpLuminance[i], l, sizeof l)) glUniform2fv(p.bumpLuminance[i].location, 1, l);
    }
  }
  if (pixelShader_) UploadNamed(p, pixelShader_->Values());
  if (vertexShader_ && lastKey_.vertexShader) UploadNamed(p, vertexShader_->Values());
}

void GpuDevice::UploadNamed(Program& p, const std::vector<ShaderCode::Value>& values) {
  for (const ShaderCode::Value& v : values) {
    auto it = p.named.find(v.name);
    if (it == p.named.end()) {
      it = p.named.emplace(v.name, Uniform{}).first;
      it->second.location = glGetUniformLocation(p.name, v.name.c_str());
    }
    Uniform& u = it->second;
    if (u.location < 0) continue;
    if (v.count == 0) {
      Set1i(u, v.integer);
      continue;
    }
    if (!Changed(u, v.floats.data(), sizeof(float) * size_t(v.count))) continue;
    switch (v.count) {
      case 1:
        glUniform1f(u.location, v.floats[0]);
        break;
      case 2:
        glUniform2fv(u.location, 1, v.floats.data());
        break;
      case 3:
        glUniform3fv(u.location, 1, v.floats.data());
        break;
      case 16:
        glUniformMatrix4fv(u.location, 1, GL_FALSE, v.floats.data());
        break;
      default:
        glUniform4fv(u.location, 1, v.floats.data());
        break;
    }
  }
}

}  // namespace glimmer
