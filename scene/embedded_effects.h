#pragma once
// Screen-effect constructors that a slide kind embeds as a member of fixed
// class (the underwater distortion of the underwater slide). The slide kinds
// and the screen effects sit side by side above the scene, so the effects
// register these classes here and the slides create them by stored name.
// No document names them as layers: they are not in the layer registry.

#include <cstdint>
#include <memory>
#include <string_view>

#include "common/d3dx_vector.h"
#include "document/file_links.h"
#include "platform/gpu/gpu_resources.h"
#include "scene/scene_object.h"
#include "store/class_registry.h"

namespace glimmer {

class Effect;

ClassRegistry& EmbeddedEffectRegistry();

// What a slide reaches of the screen effect it embeds (every screen-effect
// constructor provides it): the stored speed value, for documents that kept
// it apart from the effect, and the quad it draws on.
class EmbeddedFx {
 public:
  virtual ~EmbeddedFx() = default;
  virtual uint32_t SpeedValue() const = 0;
  virtual void SetSpeedValue(uint32_t value) = 0;
  // Corners in picture pixels: top left, bottom left, top right, bottom right.
  virtual void SetEffectQuad(const D3DXVECTOR3 (&corners)[4]) = 0;
  // The effect it draws with.
  virtual const ZT_FileLink3& EffectLink() const = 0;
  // The effect's own two pictures, for kinds that have them.
  virtual void SetPictureLinks(const ZT_ImageFileLink&, const ZT_ImageFileLink&) {}
};

// What a slide reaches of a running embedded effect when it draws through
// the effect itself (the fire of the flame slide): the effect's clock, the
// loaded effect (null when there is none) and its own pictures (0, 1; null
// when missing). The effect and pictures are loaded on first request.
class EmbeddedFxRuntime {
 public:
  virtual ~EmbeddedFxRuntime() = default;
  virtual float EffectTime() const = 0;
  virtual std::shared_ptr<Effect> LoadedEffect() = 0;
  virtual TexturePtr Picture(int which) = 0;
};

// A default constructor of the embedded class `name`, or null when no
// linked effect provides it.
std::unique_ptr<ZT_ABObj_Constructor> CreateEmbeddedEffect(std::u16string_view name);

}  // namespace glimmer
