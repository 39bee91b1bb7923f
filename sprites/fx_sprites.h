#pragma once
// Sprite groups drawn through an effect: the stored bases of the glow kinds
// (ZT_GlowEffectCtrl) and the effect kinds (ZT_BaseFXCtrl,
// ZT_StatBaseFXCtrl), and their runtimes. ZT_GlowingObj draws the sprites'
// glow picture into a 512 × 512 target of its own, composes it over the
// scene with effect 97 and draws the sprites on top; ZT_FXObj lets its kind
// set the effect's parameters and draws the sprites through it.

#include <memory>

#include "common/guid.h"
#include "params/time_lines.h"
#include "render/render_targets.h"
#include "sprites/base_sprite_prop.h"
#include "sprites/sprite_array.h"

namespace glimmer {

class Effect;
class ZT_ABRender;

// The shared resource module's blend effect: "Blend_Max", "Blend_Normal",
// "Blend_Screen" and "Common".
inline constexpr uint16_t kBlendEffectId = 97;

class ZT_FXParticleSystemCtrl : public ZT_ParticleSystemCtrl {
  GLIMMER_STORED_CLASS(ZT_FXParticleSystemCtrl, 1)

 public:
  // The effect link, then the sprite part.
  void Serialize(Archive& ar, int32_t version) override;
  // Loads the effect of the link through the current resource manager; a
  // link that gives none leaves the kind's built-in effect (FallbackEffect).
  virtual void LoadEffectResources();
  // The module id of the effect drawn when the link gives none; 0: none.
  virtual uint16_t FallbackEffect() const { return 0; }

  ZT_HLSLEffectFile effect;
  // Not stored: the loaded effect, null until LoadEffectResources.
  std::shared_ptr<Effect> loadedEffect;
};

class ZT_GlowEffectCtrl : public ZT_FXParticleSystemCtrl {
  GLIMMER_STORED_CLASS(ZT_GlowEffectCtrl, 1)

 public:
  // Glow colour and strength, then the effect part.
  void Serialize(Archive& ar, int32_t version) override;
  void LoadEffectResources() override;
  uint16_t FallbackEffect() const override { return kBlendEffectId; }
  // At the start of every frame, before the clocks.
  virtual void PrepareFrame() {}
  // The glow colour as drawn: (R, G, B ÷ 255, visibility × strength).
  D3DXVECTOR4 GlowColour() const;

  SmartCOLORREF glowColour{0x000000};
  UINTSclaleTo<float> glowStrength{100, 0.01f, 0.0f};
  // Not stored: the current frames of the overlay and the sprite image.
  TexturePtr glowTexture, spriteTexture;

 protected:
  // glowTexture and spriteTexture from the two image links.
  void ResolveGlowTextures();
};

class ZT_BaseFXCtrl : public ZT_FXParticleSystemCtrl {
  GLIMMER_STORED_CLASS(ZT_BaseFXCtrl, 1)

 public:
  // Nothing of its own: the effect part.
  void Serialize(Archive& ar, int32_t version) override;
  // Sets the effect's technique and parameters before the draw; false when
  // the kind drew itself or there is nothing to draw.
  virtual bool SetEffectParameters(ZT_ABRender& renderer,
                                   const ZT_SpriteArrayT<DX_V::PCT>& geometry) = 0;
};

// One quad placed at a point.
class ZT_StatBaseFXCtrl : public ZT_BaseFXCtrl {
  GLIMMER_STORED_CLASS(ZT_StatBaseFXCtrl, 2)

 public:
  // Starts at the centre of the current render target.
  ZT_StatBaseFXCtrl();
  // Position; from version 2 height and width; then the base part.
  void Serialize(Archive& ar, int32_t version) override;
  void SpawnSprite(SpriteRecord&) override {}
  void MoveSprite(SpriteRecord&) override {}

  MediaParamT<D3DXVECTOR3> position;  // pixels
  MediaParamT<uint32_t> quadHeight{0}, quadWidth{0};
};

// The state of the kind's time line (shown without one).
TimeLineState LineState(const ZT_BaseSpriteProp& kind);

class ZT_GlowingObj : public ZT_SpriteArrayObj {
 public:
  explicit ZT_GlowingObj(std::unique_ptr<ZT_GlowEffectCtrl> owner);

  ZT_GlowEffectCtrl& GlowOwner() { return static_cast<ZT_GlowEffectCtrl&>(Owner()); }

  // The kind's frame preparation, then the sprite step.
  void Advance(float t) override;
  void Restart() override;
  // Glow into the target, glow over the scene, sprites on top.
  void Draw(ZT_ABRender& renderer) override;
  void Render(ZT_ABRender& renderer, int pass) override;
  bool NeedsSceneCopy() const override { return IsActive(); }

  const Guid& SurfaceId() const { return surfaceId_; }
  // The glow target set; null before the first frame.
  const RenderTargetSet* GlowTargets() const { return glow_; }

 private:
  void Load();

  Guid surfaceId_ = Guid::Fresh();
  RenderTargetSet* glow_ = nullptr;
  bool loaded_ = false;
};

class ZT_FXObj : public ZT_SpriteArrayObj {
 public:
  explicit ZT_FXObj(std::unique_ptr<ZT_BaseFXCtrl> owner);

  ZT_BaseFXCtrl& FxOwner() { return static_cast<ZT_BaseFXCtrl&>(Owner()); }

  void Advance(float t) override;
  void Restart() override;
  // Draws the quads through the kind's effect when it says so.
  void Draw(ZT_ABRender& renderer) override;

 private:
  void Load();
  bool loaded_ = false;
};

template <class Ctor>
class GlowGroup : public ZT_GlowingObj {
 public:
  explicit GlowGroup(const Ctor& constructor)
      : ZT_GlowingObj(std::make_unique<Ctor>(constructor)) {}
  Ctor& settings() { return static_cast<Ctor&>(Owner()); }
};

template <class Ctor>
class FxGroup : public ZT_FXObj {
 public:
  explicit FxGroup(const Ctor& constructor) : ZT_FXObj(std::make_unique<Ctor>(constructor)) {}
  Ctor& settings() { return static_cast<Ctor&>(Owner()); }
};

#define GLIMMER_REGISTER_GLOW_KIND(Ctor) \
  GLIMMER_REGISTER_LAYER_KIND(Ctor, ::glimmer::GlowGroup<Ctor>)
#define GLIMMER_REGISTER_FX_KIND(Ctor) GLIMMER_REGISTER_LAYER_KIND(Ctor, ::glimmer::FxGroup<Ctor>)

}  // namespace glimmer
