#pragma once
// Particle text: ZT_StaticText, a standing sprite (QVX_StaticObject) that
// shows a text picture through effect 198, with an optional shadow pass.
// The picture is the sprite's own; without one the stored string is drawn
// in the stored style at load. The base of ZT_ScrollingTex and ZT_TextLink.

#include <string>

#include "params/geometry_params.h"
#include "particles/static_object.h"
#include "texts/text_picture.h"

namespace glimmer {

// The shared module's particle-text effect: "Shadow" and "Main" over
// "Texture", "Color" and "Shift".
inline constexpr uint16_t kParticleTextEffectId = 198;

class ZT_StaticText : public QVX_StaticObject, public TextPictureSource {
  GLIMMER_LAYER_KIND(ZT_StaticText)

 public:
  ZT_StaticText();
  // The text, the style, the shadow (enabled, colour, transparency,
  // distance, direction), then the static-object part.
  void Serialize(Archive& ar, int32_t version) override;
  // Carries the text picture as the sprite's picture when it has none; a
  // quad without an area takes the picture's size about its centre.
  bool ComposeTextPicture(ZT_DocResManager& resources) override;
  // One frame of motion time `step`; `hidden` while the time line is.
  virtual void StepText(float step, bool hidden) {
    (void)step;
    (void)hidden;
  }
  // How far the picture is read moved, in picture lengths.
  virtual D3DXVECTOR4 TextShift() const { return {0, 0, 0, 0}; }

  MediaParamT<std::u16string> text;
  TextStyleRecord style;
  MediaParamT<int32_t> shadowEnabled{0};
  SmartCOLORREF shadowColour{0x000000};
  UINTSclaleTo<uint8_t> shadowTransparency{30, kTransparencyScale, 255.0f};
  MediaParamT<uint32_t> shadowDistance{3};
  MediaDirection shadowDirection{45};
};

class ParticleTextSystem : public StaticObjectSystem {
 public:
  explicit ParticleTextSystem(std::unique_ptr<ZT_StaticText> system);
  ZT_StaticText& Text() { return static_cast<ZT_StaticText&>(Constructor()); }

  void Advance(float t) override;
  void Render(ZT_ABRender& renderer, int pass) override;
  // The picture drawn: the sprite's current frame, else the string's.
  TexturePtr Picture() const;
  uint32_t PictureWidth() const { return pictureWidth_; }
  uint32_t PictureHeight() const { return pictureHeight_; }

 protected:
  void AttachResources(QVX_DocResManager* resources, GpuDevice* device) override;

 private:
  TexturePtr drawnText_;
  uint32_t pictureWidth_ = 0, pictureHeight_ = 0;
  float previous_ = 0;
};

template <class Ctor>
class ParticleTextObj : public ParticleTextSystem {
 public:
  explicit ParticleTextObj(const Ctor& constructor)
      : ParticleTextSystem(std::make_unique<Ctor>(constructor)) {}
};

#define GLIMMER_REGISTER_PARTICLE_TEXT(Ctor) \
  GLIMMER_REGISTER_LAYER_KIND(Ctor, ::glimmer::ParticleTextObj<Ctor>)

}  // namespace glimmer
