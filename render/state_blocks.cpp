#include "render/state_blocks.h"

#include <bit>

namespace glimmer {

void StateBlock::Apply(GpuDevice& d) const {
  d.SetRenderState(D3DRS_ALPHABLENDENABLE, blend ? 1 : 0);
  d.SetRenderState(D3DRS_SRCBLEND, srcBlend);
  d.SetRenderState(D3DRS_DESTBLEND, destBlend);
  d.SetRenderState(D3DRS_BLENDOP, blendOp);
  d.SetRenderState(D3DRS_ZENABLE, depth ? 1 : 0);
  d.SetRenderState(D3DRS_ZWRITEENABLE, depthWrite ? 1 : 0);
  d.SetRenderState(D3DRS_CULLMODE, cull);
  d.SetRenderState(D3DRS_LIGHTING, 0);
  d.SetRenderState(D3DRS_ALPHATESTENABLE, 0);
  d.SetRenderState(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_ALL);
  d.SetTextureStageState(0, D3DTSS_COLOROP, colorOp);
  d.SetTextureStageState(0, D3DTSS_COLORARG1, colorArg1);
  d.SetTextureStageState(0, D3DTSS_COLORARG2, colorArg2);
  d.SetTextureStageState(0, D3DTSS_ALPHAOP, alphaOp);
  d.SetTextureStageState(0, D3DTSS_ALPHAARG1, alphaArg1);
  d.SetTextureStageState(0, D3DTSS_ALPHAARG2, alphaArg2);
  d.SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  d.SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  d.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  d.SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  d.SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
  d.SetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  d.SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  d.SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  d.SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
  d.SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
  d.SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_MIRROR);
}

void BumpBlock::Apply(GpuDevice& d) const {
  base.Apply(d);
  d.SetSamplerState(0, D3DSAMP_ADDRESSU, bumpAddress);
  d.SetSamplerState(0, D3DSAMP_ADDRESSV, bumpAddress);
  const D3DTEXTURESTAGESTATETYPE entries[4] = {D3DTSS_BUMPENVMAT00, D3DTSS_BUMPENVMAT01,
                                               D3DTSS_BUMPENVMAT10, D3DTSS_BUMPENVMAT11};
  for (int i = 0; i < 4; ++i)
    d.SetTextureStageState(0, entries[i], std::bit_cast<uint32_t>(matrix[i]));
  d.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_BUMPENVMAP);
  d.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  d.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
  d.SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, stage1Coords);
  d.SetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, stage1Transform);
  d.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  d.SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  d.SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  d.SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  d.SetSamplerState(1, D3DSAMP_ADDRESSU, stage1Address);
  d.SetSamplerState(1, D3DSAMP_ADDRESSV, stage1Address);
  d.SetSamplerState(1, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  d.SetSamplerState(1, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  d.SetSamplerState(1, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
}

}  // namespace glimmer
