#pragma once
// ZT_SpriteArrayObj: the runtime of every sprite group. It owns one
// SpriteRecord per sprite in one contiguous vector, asks its constructor copy
// to spawn and move them, rebuilds the quads into one reused buffer (32-bit
// indices past 16,383 quads) and is drawn by the slide as a blended object:
// texture × vertex colour, normal alpha or additive by the blend mode.

#include <memory>
#include <vector>

#include "render/drawables.h"
#include "render/meshes.h"
#include "scene/layer_kind.h"
#include "sprites/base_sprite_prop.h"

namespace glimmer {

// The most sprites one group holds; a document asking for more gets this many
// and one message on standard error naming the layer.
inline constexpr uint32_t kMaxSpritesPerGroup = 100'000;

class ZT_SpriteArrayObj : public ZT_ABObj, public BlendedDrawable {
 public:
  explicit ZT_SpriteArrayObj(std::unique_ptr<ZT_BaseSpriteProp> owner);

  ZT_BaseSpriteProp& Owner() { return static_cast<ZT_BaseSpriteProp&>(Constructor()); }
  const ZT_BaseSpriteProp& Owner() const {
    return static_cast<const ZT_BaseSpriteProp&>(Constructor());
  }
  const std::vector<SpriteRecord>& Records() const { return records_; }
  std::vector<SpriteRecord>& Records() { return records_; }
  const ZT_SpriteArrayT<DX_V::PCT>& Geometry() const { return geometry_; }
  // The quads drawn: the owner's sprite count, at most the records held.
  uint32_t DrawnCount() const;

  // Clocks, moves, frames, then the quads.
  void Advance(float t) override;
  void Draw(ZT_ABRender& renderer) override;
  // The time line and the clocks restart; the records stay, their timers zeroed.
  void Restart() override;

  // The group's size: records appended (spawned) or removed at the end,
  // quads for n (0 keeps the buffers). Capped at kMaxSpritesPerGroup.
  void SetCount(uint32_t n);

  // BlendedDrawable.
  const D3DXMATRIX& WorldMatrix() const override { return world_; }
  TexturePtr Texture() const override;
  TexturePtr OverlayTexture() const override { return overlay_; }
  bool IsAdditive() const override { return Owner().blendMode.Value() != 0; }
  void DrawGeometry(GpuDevice& device) override;

 private:
  // Loads the pictures and makes the records, once a device is there.
  void Attach();
  void TakeTargetSize();
  // The vertex fill: every record's quad with its colour through the owner's
  // visibility and its texture coordinates (sheet frame and flips).
  void Rebuild();

  std::vector<SpriteRecord> records_;
  ZT_SpriteArrayT<DX_V::PCT> geometry_{nullptr};
  uint32_t quadCapacity_ = 0;
  SpriteSheetClock sheet_;
  FrameSequence sequence_;
  std::vector<TexturePtr> textures_;
  std::vector<float> delays_;
  float uMax_ = 1, vMax_ = 1;
  TexturePtr overlay_;
  D3DXMATRIX world_;
  bool attached_ = false;
  bool dirty_ = true;
  bool capReported_ = false;
};

// The runtime of kind Ctor: a sprite group around its own copy of the kind.
template <class Ctor>
class SpriteGroup : public ZT_SpriteArrayObj {
 public:
  explicit SpriteGroup(const Ctor& constructor)
      : ZT_SpriteArrayObj(std::make_unique<Ctor>(constructor)) {}
  Ctor& settings() { return static_cast<Ctor&>(Owner()); }
};

// Registers a sprite kind with the group runtime.
#define GLIMMER_REGISTER_SPRITE_KIND(Ctor) \
  GLIMMER_REGISTER_LAYER_KIND(Ctor, ::glimmer::SpriteGroup<Ctor>)

}  // namespace glimmer
