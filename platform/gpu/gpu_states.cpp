// Render, sampler and texture-stage states: what callers set, kept in
// Direct3D's terms, and their translation to OpenGL at draw time through the
// device's state cache, which issues only the calls whose values differ from
// what the context already has.

#include <epoxy/gl.h>

#include "platform/gpu/gpu_device_impl.h"

namespace glimmer {

uint32_t GlBlend(uint32_t b) {
  switch (b) {
    case D3DBLEND_ZERO:
      return GL_ZERO;
    case D3DBLEND_ONE:
      return GL_ONE;
    case D3DBLEND_SRCCOLOR:
      return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
      return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
      return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
      return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
      return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
      return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
      return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
      return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
      return GL_SRC_ALPHA_SATURATE;
    default:
      return GL_ONE;
  }
}

uint32_t GlBlendOp(uint32_t op) {
  switch (op) {
    case D3DBLENDOP_SUBTRACT:
      return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT:
      return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN:
      return GL_MIN;
    case D3DBLENDOP_MAX:
      return GL_MAX;
    default:
      return GL_FUNC_ADD;
  }
}

uint32_t GlCompare(uint32_t f) {
  switch (f) {
    case D3DCMP_NEVER:
      return GL_NEVER;
    case D3DCMP_LESS:
      return GL_LESS;
    case D3DCMP_EQUAL:
      return GL_EQUAL;
    case D3DCMP_LESSEQUAL:
      return GL_LEQUAL;
    case D3DCMP_GREATER:
      return GL_GREATER;
    case D3DCMP_NOTEQUAL:
      return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL:
      return GL_GEQUAL;
    default:
      return GL_ALWAYS;
  }
}

uint32_t GlAddress(uint32_t a) {
  switch (a) {
    case D3DTADDRESS_MIRROR:
      return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
      return GL_CLAMP_TO_EDGE;
    default:
      return GL_REPEAT;
  }
}

void GpuDevice::SetRenderState(D3DRENDERSTATETYPE state, uint32_t value) {
  if (state < D3DRS_COUNT) renderStates_[state] = value;
}

void GpuDevice::SetSamplerState(uint32_t sampler, D3DSAMPLERSTATETYPE type, uint32_t value) {
  if (sampler >= samplerStates_.size() || type >= D3DSAMP_COUNT) return;
  if (samplerStates_[sampler][type] != value) samplerDirty_[sampler] = true;
  samplerStates_[sampler][type] = value;
}

uint32_t GpuDevice::GetSamplerState(uint32_t sampler, D3DSAMPLERSTATETYPE type) const {
  return sampler < samplerStates_.size() && type < D3DSAMP_COUNT ? samplerStates_[sampler][type]
                                                                 : 0;
}

void GpuDevice::SetTextureStageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type,
                                     uint32_t value) {
  if (stage < kStages && type < D3DTSS_COUNT) stageStates_[stage][type] = value;
}

uint32_t GpuDevice::GetTextureStageState(uint32_t stage, D3DTEXTURESTAGESTATETYPE type) const {
  return stage < kStages && type < D3DTSS_COUNT ? stageStates_[stage][type] : 0;
}

void GpuDevice::SetTexture(uint32_t stage, TexturePtr texture) {
  if (stage >= textures_.size()) return;
  if (texture) TextureTouched(texture.get());
  textures_[stage] = std::move(texture);
}

TexturePtr GpuDevice::GetTexture(uint32_t stage) const {
  return stage < textures_.size() ? textures_[stage] : nullptr;
}

void GpuDevice::SetTransform(D3DTRANSFORMSTATETYPE type, const D3DXMATRIX& matrix) {
  transforms_[type] = matrix;
}

D3DXMATRIX GpuDevice::GetTransform(D3DTRANSFORMSTATETYPE type) const {
  auto it = transforms_.find(type);
  return it == transforms_.end() ? D3DXMATRIX{} : it->second;
}

void GpuDevice::SetLight(uint32_t index, const D3DLIGHT9& light) {
  if (index == 0) light_ = light;
}

void GpuDevice::LightEnable(uint32_t index, bool enable) {
  if (index == 0) lightEnabled_ = enable;
}

void GpuDevice::SetClipPlane(uint32_t index, const float plane[4]) {
  if (index == 0) std::copy(plane, plane + 4, clipPlane_.begin());
}

void GpuDevice::ApplyStates() {
  const auto& rs = renderStates_;
  gl_.Enable(GlStateCache::kScissorTest, false);
  if (rs[D3DRS_ALPHABLENDENABLE]) {
    gl_.Enable(GlStateCache::kBlend, true);
    gl_.BlendFunc(GlBlend(rs[D3DRS_SRCBLEND]), GlBlend(rs[D3DRS_DESTBLEND]));
    gl_.BlendEquation(GlBlendOp(rs[D3DRS_BLENDOP]));
  } else {
    gl_.Enable(GlStateCache::kBlend, false);
  }
  gl_.ColorMask(rs[D3DRS_COLORWRITEENABLE]);
  const bool depth = depth_ && !depth_->IsLost() && rs[D3DRS_ZENABLE];
  if (depth) {
    gl_.Enable(GlStateCache::kDepthTest, true);
    gl_.DepthFunc(GlCompare(rs[D3DRS_ZFUNC]));
    gl_.DepthMask(rs[D3DRS_ZWRITEENABLE] != 0);
  } else {
    gl_.Enable(GlStateCache::kDepthTest, false);
  }
  // Direct3D's clockwise front faces are OpenGL's counter-clockwise ones in
  // a texture, whose rows are stored from the top; a window's framebuffer
  // turns the winding back.
  const bool window = TargetIsWindow();
  switch (rs[D3DRS_CULLMODE]) {
    case D3DCULL_CW:
      gl_.Enable(GlStateCache::kCullFace, true);
      gl_.CullFace(window ? GL_BACK : GL_FRONT);
      break;
    case D3DCULL_CCW:
      gl_.Enable(GlStateCache::kCullFace, true);
      gl_.CullFace(window ? GL_FRONT : GL_BACK);
      break;
    default:
      gl_.Enable(GlStateCache::kCullFace, false);
      break;
  }
  gl_.Enable(GlStateCache::kClipDistance0, (rs[D3DRS_CLIPPLANEENABLE] & 1) != 0);
  for (uint32_t s = 0; s < samplers_.size(); ++s) {
    if (samplerDirty_[s]) {
      // Sampler objects belong to the device alone, so their parameters are
      // sent only when the stage's states change.
      const auto& sm = samplerStates_[s];
      const bool linear = sm[D3DSAMP_MINFILTER] >= D3DTEXF_LINEAR;
      GLenum minFilter = linear ? GL_LINEAR : GL_NEAREST;
      if (sm[D3DSAMP_MIPFILTER] == D3DTEXF_POINT) {
        minFilter = linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
      } else if (sm[D3DSAMP_MIPFILTER] >= D3DTEXF_LINEAR) {
        minFilter = linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
      }
      glSamplerParameteri(samplers_[s], GL_TEXTURE_MIN_FILTER, GLint(minFilter));
      glSamplerParameteri(samplers_[s], GL_TEXTURE_MAG_FILTER,
                          sm[D3DSAMP_MAGFILTER] >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
      glSamplerParameteri(samplers_[s], GL_TEXTURE_WRAP_S, GLint(GlAddress(sm[D3DSAMP_ADDRESSU])));
      glSamplerParameteri(samplers_[s], GL_TEXTURE_WRAP_T, GLint(GlAddress(sm[D3DSAMP_ADDRESSV])));
      samplerDirty_[s] = false;
    }
    const TexturePtr& t = textures_[s];
    gl_.BindTexture(s, t && !t->IsLost() ? t->GlName() : 0);
    gl_.BindSampler(s, samplers_[s]);
  }
}

}  // namespace glimmer
