#pragma once
// The look and built-in physics of a particle system's particles: texture
// (a sprite sheet, possibly animated), effect, size and opacity over life,
// colours, spin, orientation, glow, waves and simple physics, with the stored
// form of every appearance version (1 to 11).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/file_links.h"
#include "params/animated_params.h"
#include "params/colour_params.h"
#include "params/media_param.h"
#include "params/scaled_slider.h"

namespace glimmer {

class Archive;

// A level over a particle's life x = age / life: rising from startLevel to 1
// until riseEnd, 1, then falling to endLevel after fallStart (each u × 0.01).
struct LifeEnvelope {
  UINTSclaleTo<float> riseEnd{0, 0.01f, 0.0f};
  UINTSclaleTo<float> fallStart{100, 0.01f, 0.0f};
  UINTSclaleTo<float> startLevel{0, 0.01f, 0.0f};
  UINTSclaleTo<float> endLevel{0, 0.01f, 0.0f};

  // The rise is tested first (x < riseEnd), then the fall (x > fallStart);
  // a fall that starts at 1 or later has no slope and stays at endLevel's
  // side of 1 without dividing by zero.
  float Level(float x) const;
};

// An oscillation of one particle value: amplitude, frequency (u × 0.1
// radians per second of age) and mode (0 none, 1 sine, 2 noise).
struct OscillationParam {
  explicit OscillationParam(float amplitudeScale = 0.005f, uint32_t amplitude = 100)
      : amplitude(amplitude, amplitudeScale, 0.0f) {}
  UINTSclaleTo<float> amplitude;
  UINTSclaleTo<float> frequency{50, 0.1f, 0.0f};
  MediaParamT<int32_t> mode;
};
// The turn about z of rotation mode 1, for flat systems and trees alike: the
// cosine and sine that lay a quad's x axis along `v` in the picture plane.
// False (and no turn) when `v` has no extent there. (The turn is made to
// follow the direction itself, so a quad flying diagonally lies along its
// flight rather than across it.)
bool AlongDirection(const D3DXVECTOR3& v, float& c, float& s);
// An oscillation's fields (amplitude, frequency, mode) as one record `name`.
void FieldWave(Archive& ar, std::string_view name, OscillationParam& wave);

// Colour over life: mode 0 the first colour, 1 a gradient from colour 0 to
// colour 1, 2 or more a pick from the list; colours are 0x00BBGGRR; the
// transparency's Scaled() is the alpha byte (255 at 0 %).
struct ColourTable {
  MediaParamT<int32_t> mode;
  MediaParamT<int32_t> randomPhase;
  MediaParamT<std::vector<uint32_t>> colours{std::vector<uint32_t>{0xFFFFFF, 0}};
  UINTSclaleTo<uint8_t> transparency{0, kTransparencyScale, 255.0f};
};

// Flags of the appearance.
enum AppearanceFlags : int32_t {
  kPhysics = 1,          // gravity and air resistance
  kFilteredTexture = 2,  // the texture is loaded with filtering
  kSizeIsRnd1 = 4,       // the size factor is rnd1 itself
  kOpacityIsRnd2 = 8,    // the opacity factor is rnd2 itself
  kLateralWaves = 16,    // the along and across waves are on
};

class ParticleAppearance {
 public:
  static constexpr int32_t kVersion = 11;
  ParticleAppearance();

  // The version-dependent fields of appearance version `version` (the
  // version and name are stored by the owner before them).
  void SerializeFields(Archive& ar, int32_t version);
  // The block as stored inside its owners: the appearance's version, its
  // name, then its fields at that version (`name` and `versionName`: the
  // block's own names, for owners with two appearances; the archive keeps
  // them, so they outlive it).
  void SerializeBlock(Archive& ar, std::string_view name = "appearance",
                      std::string_view versionName = "appearanceVersion");

  MediaParamT<std::u16string> name;
  ZT_NamedFileLink texture;
  ZT_HLSLEffectFile effect{u"common_res.dll", 185};
  MediaSpeedParam textureSpeed{1, 0.01f, 0.0f};
  MediaParamT<int32_t> textureReverse, flipV, flipU;
  ColourTable colours;
  MediaParamT<uint32_t> baseSize;
  LifeEnvelope sizeEnvelope;
  UINTSclaleTo<float> sizeVariation{0, 0.01f, 0.0f};
  LifeEnvelope opacityEnvelope;
  UINTSclaleTo<float> opacityVariation{0, 0.01f, 0.0f};
  MediaParamT<int32_t> spinDirection;  // 0 positive, 1 negative, 2 random sign
  MediaSpeedParam spinSpeed{0, 0.05f, 0.0f};
  QVX_JitterMediaPrm spinJitter;
  MediaParamT<int32_t> blend;         // 0 "BlendNormal", 1 "BlendSum"
  MediaParamT<int32_t> rotationMode;  // 0 fixed, 1 along the velocity, 2 spinning
  MediaParamT<uint32_t> angle, angleSpread;
  MediaParamT<int32_t> glowMode;  // 0 none, 1 glow, 2 glow over a scene copy
  MediaParamT<uint32_t> blurStrength{50};
  SmartCOLORREF glowColour{0x00FFFF};
  UINTSclaleTo<float> glowBrightness{100, 0.02f, 0.0f};
  MediaParamT<int32_t> glowBlur{2};
  OscillationParam opacityWave, sizeWave;
  MediaParamT<int32_t> flags;
  MediaParamT<int32_t> gravityMode;  // 1 down (+g), 2 up (−g), other none
  UINTSclaleTo<float> gravity{0, 5.0f, 0.0f};
  UINTSclaleTo<float> airResistance{0, 0.01f, 0.0f};
  OscillationParam alongWave{1.0f, 50}, acrossWave{1.0f, 50};
};

// The built-in textures the older constructors name by shape index 0 to 5.
// Null for any other index.
const char16_t* BuiltinShapeName(int32_t index);

}  // namespace glimmer
