#include "sprites/sprite_array.h"

#include <algorithm>
#include <iostream>

#include "common/wide_string.h"
#include "document/resource_manager.h"
#include "params/random_source.h"
#include "scene/render_context.h"
#include "scene/renderer_interface.h"

namespace glimmer {

ZT_SpriteArrayObj::ZT_SpriteArrayObj(std::unique_ptr<ZT_BaseSpriteProp> owner)
    : ZT_ABObj(std::move(owner)) {
  D3DXMatrixIdentity(&world_);
}

uint32_t ZT_SpriteArrayObj::DrawnCount() const {
  return std::min<uint32_t>(Owner().SpriteCount(), uint32_t(records_.size()));
}

void ZT_SpriteArrayObj::TakeTargetSize() {
  const RenderContext* c = CurrentRenderContext();
  if (!c) return;
  Owner().SetTargetSize(c->PictureWidth > 0 ? c->PictureWidth : c->TargetWidth,
                        c->PictureHeight > 0 ? c->PictureHeight : c->TargetHeight);
}

void ZT_SpriteArrayObj::Attach() {
  if (attached_) return;
  attached_ = true;
  ZT_BaseSpriteProp& o = Owner();
  geometry_ = ZT_SpriteArrayT<DX_V::PCT>(CurrentDevice());
  TakeTargetSize();
  if (QVX_DocResManager* resources = QVX_DocResManager::Current()) {
    std::vector<ImageFrame> inlineFrames;
    o.ResolveInlineImage(inlineFrames);
    if (!inlineFrames.empty()) resources->Frames[o.image.Value()] = std::move(inlineFrames);
    const auto load = [&](const ZT_ImageFileLink& link) {
      return o.imageKind == 2 ? resources->GetFrameTextures(link, 1)
                              : resources->FindTextures(link, 1);
    };
    const TextureSet set = load(o.image);
    textures_ = set.Textures;
    delays_ = set.Delays;
    uMax_ = set.UMax > 0 ? set.UMax : 1;
    vMax_ = set.VMax > 0 ? set.VMax : 1;
    // A missing picture has no aspect; its sprites have no height.
    o.aspect = set.ImageWidth > 0 ? float(set.ImageHeight) / float(set.ImageWidth) : set.Aspect;
    if (o.animated) o.aspect *= float(o.Frames());
    if (!o.overlay.Path().empty()) {
      const TextureSet extra = load(o.overlay);
      if (!extra.empty()) overlay_ = extra.Textures[sequence_.FrameIndex % extra.Textures.size()];
    }
  }
  o.Prepare();
  SetCount(o.count.Value());
}

void ZT_SpriteArrayObj::SetCount(uint32_t n) {
  ZT_BaseSpriteProp& o = Owner();
  if (n > kMaxSpritesPerGroup) {
    if (!capReported_) {
      std::cerr << "glimmer: the sprite layer \"" << ToUtf8(o.name) << "\" asks for " << n
                << " sprites; it shows " << kMaxSpritesPerGroup << "\n";
      capReported_ = true;
    }
    n = kMaxSpritesPerGroup;
  }
  if (n != 0 && n != quadCapacity_) {
    geometry_.SetQuadCount(n);
    quadCapacity_ = n;
  }
  if (n < records_.size()) records_.resize(n);
  records_.reserve(n);
  while (records_.size() < n) {
    SpriteRecord& r = records_.emplace_back();
    r.scale = RandomUniform(o.scaleMin, o.scaleMax);
    r.aspect = o.aspect;
    o.ApplySizeRule(r);
    r.colour = o.ColourFor(1);
    r.pulseRate = OddDraw() ? -o.pulseRate : o.pulseRate;
    o.SpawnSprite(r);
  }
  dirty_ = true;
}

void ZT_SpriteArrayObj::Advance(float t) {
  Attach();
  TakeTargetSize();
  ZT_BaseSpriteProp& o = Owner();
  const uint32_t wanted = std::min(o.count.Value(), kMaxSpritesPerGroup);
  if (wanted != records_.size()) SetCount(o.count.Value());
  o.changed = false;
  o.AdvanceClocks(t);
  o.Prepare();
  for (SpriteRecord& r : records_) o.MoveSprite(r);
  const bool frameChanged = sequence_.Advance(delays_, o.animTime);
  if (o.staticGeometry.Value() == 0 || frameChanged || dirty_) Rebuild();
}

void ZT_SpriteArrayObj::Rebuild() {
  if (geometry_.VertexCount / 4 != records_.size()) return;
  DX_V::PCT* v = geometry_.Lock();
  if (!v) return;
  ZT_BaseSpriteProp& o = Owner();
  const bool flipU = o.flipH.Value() != 0, flipV = o.flipV.Value() != 0;
  const uint32_t frames = o.Frames();
  if (o.animated) {
    const uint32_t f = sheet_.Advance(o.motionTime, o.frameRate,
                                      [&](uint32_t i) { return o.NextFrame(i) % frames; });
    const float uA = float(f) / float(frames), uB = float(f + 1) / float(frames);
    for (size_t i = 0; i < records_.size(); ++i) {
      const SpriteRecord& r = records_[i];
      WriteSpriteQuad(v + 4 * i, r.position, r.right, r.up, r.halfWidth, r.halfHeight,
                      o.ApplyVisibility(r.colour), flipU ? uB : uA, flipU ? uA : uB,
                      flipV ? r.vB : r.vA, flipV ? r.vA : r.vB);
    }
  } else {
    for (size_t i = 0; i < records_.size(); ++i) {
      const SpriteRecord& r = records_[i];
      WriteSpriteQuad(v + 4 * i, r.position, r.right, r.up, r.halfWidth, r.halfHeight,
                      o.ApplyVisibility(r.colour), flipU ? r.uB : r.uA, flipU ? r.uA : r.uB,
                      flipV ? r.vB : r.vA, flipV ? r.vA : r.vB);
    }
  }
  if (o.imageKind == 2) {
    // A frame picture covers only part of its texture.
    const float c = flipU ? 0 : uMax_, f = flipU ? uMax_ : 0;
    const float d = flipV ? 0 : vMax_, e = flipV ? vMax_ : 0;
    const float uv[4][2] = {{f, d}, {f, e}, {c, d}, {c, e}};
    for (size_t i = 0; i < 4 * records_.size(); ++i) {
      v[i].u = uv[i % 4][0];
      v[i].v = uv[i % 4][1];
    }
  }
  geometry_.Unlock();
  dirty_ = false;
}

void ZT_SpriteArrayObj::Restart() {
  ZT_ABObj::Restart();
  Attach();
  for (SpriteRecord& r : records_) {
    r.timeMark = 0;
    r.waitTime = 0;
    r.pauseEnd = 0;
    r.pauseClock = 0;
  }
}

TexturePtr ZT_SpriteArrayObj::Texture() const {
  return textures_.empty() ? nullptr : textures_[sequence_.FrameIndex % textures_.size()];
}

void ZT_SpriteArrayObj::Draw(ZT_ABRender& renderer) {
  // A missing picture draws nothing.
  if (DrawnCount() == 0 || textures_.empty()) return;
  renderer.DrawBlended(*this);
}

void ZT_SpriteArrayObj::DrawGeometry(GpuDevice& device) {
  const uint32_t n = DrawnCount();
  if (n == 0 || !geometry_.VertexBuffer || !geometry_.IndexBuffer) return;
  device.SetFVF(DX_V::kFvf);
  device.SetStreamSource(0, geometry_.VertexBuffer, 0, sizeof(DX_V::PCT));
  device.SetIndices(geometry_.IndexBuffer);
  device.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, geometry_.VertexCount, 0, 2 * n);
}

}  // namespace glimmer
