#pragma once
// The screen-effect core: the stored base of every screen effect (speed,
// technique mode, mask, effect link, scale, effect quad, phase), the three
// intermediate bases (a direction, a centre, a centre with a line through
// it), and the runtime every kind shares: its clock, the effect and mask it
// draws with, the grid over the effect quad, the scene copies it asks for,
// and the common parameters ("Scale", "Mask", "Background", the technique).

#include <cstdint>
#include <memory>
#include <string>

#include "common/guid.h"
#include "document/file_links.h"
#include "params/animated_params.h"
#include "params/geometry_params.h"
#include "params/media_param.h"
#include "params/scaled_slider.h"
#include "platform/gpu/effect.h"
#include "render/meshes.h"
#include "scene/embedded_effects.h"
#include "scene/layer_kind.h"
#include "scene/renderer_interface.h"

namespace glimmer {

// The technique modes: the effect quad through "Main", or the whole screen
// through "MainFX" after a fresh scene copy (1) or as a copy boundary (2).
enum class FxMode : int32_t { Quad = 0, Screen = 1, Boundary = 2 };

class ZT_FX_Constructor : public ZT_ABObj_Constructor, public EmbeddedFx {
  GLIMMER_STORED_CLASS(ZT_FX_Constructor, 4)

 public:
  uint32_t SpeedValue() const override { return speed.Value(); }
  void SetSpeedValue(uint32_t value) override { speed.SetValue(value); }
  void SetEffectQuad(const D3DXVECTOR3 (&corners)[4]) override {
    for (int i = 0; i < 4; ++i) effectQuad.Corners[i].SetValue(corners[i]);
  }
  const ZT_FileLink3& EffectLink() const override { return effect; }

  // Speed, technique mode, mask GUID and name, a flag, the effect link;
  // from version 2 the scale, from 3 the effect quad (and an int), from 4
  // the phase.
  void Serialize(Archive& ar, int32_t version) override;

  // The mode the runtime draws with: a stored mode outside 0 to 2 counts as
  // 0 (said once on standard error, naming the layer).
  FxMode Mode() const;

  MediaSpeedParam speed{50, 0.02f, 0.0f};
  MediaParamT<int32_t> techniqueMode;
  Guid maskId;
  std::u16string maskName;
  bool editorFlag = true;
  ZT_HLSLEffectFile effect;
  UINTSclaleTo<float> scale{50, 0.02f, 0.0f};
  MediaQuad effectQuad;
  int32_t quadReserved = 0;
  UINTSclaleTo<float> phase{0, 6.28318530717958647692f / 100.0f, 0.0f};
};

// A direction (degrees) and a strength; d = (cos a, −sin a).
class ZT_DirectionBased : public ZT_FX_Constructor {
  GLIMMER_STORED_CLASS(ZT_DirectionBased, 1)

 public:
  void Serialize(Archive& ar, int32_t version) override;
  D3DXVECTOR3 DirectionVector() const;

  UINTSclaleTo<float> strength{50, 0.002f, 0.0f};
  MediaParamT<uint32_t> direction;
};

// A centre in slide pixels, placed at the slide's centre the first time a
// runtime draws a constructor that was never placed (a new one: a centre
// read from a document counts as placed).
class ZT_CentralBased : public ZT_FX_Constructor {
  GLIMMER_STORED_CLASS(ZT_CentralBased, 1)

 public:
  void Serialize(Archive& ar, int32_t version) override;

  MediaParamT<D3DXVECTOR3> centre;
  bool placed = false;
};

// A centre and a direction through it; two line equations in fractions of
// the slide (x ÷ W, y ÷ H): through the centre along the direction, and
// through it along the normal. Stores no centre-based header of its own.
class ZT_LineBased : public ZT_CentralBased {
  GLIMMER_STORED_CLASS(ZT_LineBased, 1)

 public:
  void Serialize(Archive& ar, int32_t version) override;
  // (k1, k2, k3) with k1·x + k2·y + k3 = 0 and k1² + k2² = 1, for a slide
  // of w × h; a degenerate line is (0, 0, 0).
  D3DXVECTOR3 Line(int which, float w, float h) const;

  MediaDirection lineDirection;
};

// The wave a clock turns into: 2 triangle, 3 sine, 4 noise, otherwise 0.
float WaveShape(int type, float fxTime, float phase);
// The share 0..1 of a swelling or swing that a wave-shape setting gives
// now: (w + 1) ÷ 2 for the shapes 2 to 4, else 1 (held steady).
float WaveShare(int type, float fxTime, float phase);
// One-dimensional octave value noise, cosine-interpolated; the integer
// noise in wrapping 32-bit arithmetic.
float IntegerNoise(int32_t n);
float OctaveNoise(float x, int octaves, float wavelength, float persistence);

// The runtime of every screen effect.
class ScreenEffectRuntime : public ZT_ABObj {
 public:
  explicit ScreenEffectRuntime(std::unique_ptr<ZT_FX_Constructor> constructor);
  ~ScreenEffectRuntime() override;

  ZT_FX_Constructor& Fx() { return static_cast<ZT_FX_Constructor&>(Constructor()); }
  const ZT_FX_Constructor& Fx() const {
    return static_cast<const ZT_FX_Constructor&>(Constructor());
  }
  float FxTime() const { return fxTime_; }

  void Advance(float t) override;
  void Draw(ZT_ABRender& renderer) override;
  // Full-screen modes draw the whole image from a scene copy: mode 1 takes
  // its own copy first, mode 2 is a boundary the renderer copies at.
  void Render(ZT_ABRender& renderer, int pass) override;
  bool NeedsSceneCopy() const override;
  bool KeepsSceneCopy(bool first) const override;
  void Restart() override;

 protected:
  // Loads the effect and the mask and builds the grid (once the device is
  // there); kinds load their own textures after the base.
  virtual void Prepare();
  // Prepares once, the first time it is called (the first frame, or a
  // slide asking for what the effect loads).
  void Ready();
  // The clock; kinds extend it.
  virtual void AdvanceFx(float t);
  // The kind's own parameters, set right before its draw (the effect may be
  // shared with other layers).
  virtual void SetParameters(ZT_ABRender& renderer) = 0;
  // The built-in effect of the shared module that draws the kind when its
  // effect link gives none (a document's link to an effect the player cannot
  // run): the one the kind links by default; 0 for none.
  virtual uint16_t StandInEffect() const { return 0; }
  // Cells of the grid over the effect quad; 0 draws nothing in mode 0.
  virtual uint32_t GridCells() const { return 2; }
  // "Scale" in its short form (two floats) rather than four.
  virtual bool ShortScale() const { return false; }
  // Modes 0, 1, 2 as the kind draws them; most kinds as stored.
  virtual FxMode DrawMode() const { return Fx().Mode(); }
  // The effect quad through the technique in mode 0, else the whole slide.
  virtual void DrawEffect(ZT_ABRender& renderer);

  // The slide's size in layer coordinates (the picture's), never 0.
  static void SlideSize(const ZT_ABRender& renderer, float& w, float& h);
  float Visibility() const;
  // A picture a kind draws with: the link's first texture, else the
  // player's built-in picture `fallback` of the shared module; null when
  // neither is there (the shaders then draw a pattern of their own).
  static TexturePtr LoadPicture(const ZT_FileLink3& link, uint16_t fallback);
  // A COLORREF (0x00BBGGRR) as (r, g, b, 1), each 0..1.
  static D3DXVECTOR4 Colour(int32_t colorref);
  // The centre of a centre-based kind as fractions of a w × h slide,
  // placed at the slide's middle the first time it is asked for.
  static D3DXVECTOR4 PlacedCentre(ZT_CentralBased& settings, float w, float h);

  std::shared_ptr<Effect> effect_;
  TexturePtr mask_;
  ZT_IndexedMesh<DX_V::PCT> grid_{nullptr};
  float fxTime_ = 0, previous_ = 0;

 private:
  void BuildGrid(float w, float h);
  bool prepared_ = false;
  float gridW_ = 0, gridH_ = 0;
};

// The runtime of screen-effect kind Ctor, reaching its settings typed.
template <class Ctor>
class FxKind : public ScreenEffectRuntime {
 public:
  explicit FxKind(const Ctor& constructor)
      : ScreenEffectRuntime(std::make_unique<Ctor>(constructor)) {}
  Ctor& settings() { return static_cast<Ctor&>(Constructor()); }
  const Ctor& settings() const { return static_cast<const Ctor&>(Constructor()); }

 protected:
  uint16_t StandInEffect() const override {
    static const uint16_t id = [] {
      const Ctor defaults;
      return defaults.effect.FileName() == u"common_res.dll" ? defaults.effect.ResourceId()
                                                             : uint16_t(0);
    }();
    return id;
  }
};

// The runtime of a screen-effect kind that makes no grid over its quad.
template <class Ctor>
class GridlessFxKind : public FxKind<Ctor> {
 public:
  using FxKind<Ctor>::FxKind;

 protected:
  uint32_t GridCells() const override { return 0; }
};

// A screen effect's description: techniques "Main" (over the target,
// weighted by the result's alpha) and "MainFX" (the whole image, opaque),
// each running the function of that name in `glsl`, with samplers for
// "Background", "Mask" and `textures`, and the common parameters besides
// `params`; each of `extra` (technique name, blended) adds a technique running
// the function of that name, alpha-blended over the target or opaque.
std::shared_ptr<const EffectDesc> MakeScreenEffect(
    std::string name, std::string glsl, std::vector<std::pair<std::string, EffectParamType>> params,
    std::vector<std::string> textures = {},
    const std::vector<std::pair<std::string, bool>>& extra = {});

}  // namespace glimmer
