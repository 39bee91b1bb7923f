#include "particles/particle_appearance.h"

#include <cmath>

#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {

float LifeEnvelope::Level(float x) const {
  const float rise = riseEnd.Scaled(), fall = fallStart.Scaled();
  if (x < rise) return x / rise * (1.0f - startLevel.Scaled()) + startLevel.Scaled();
  if (x > fall) {
    // x > fall ≥ 1 leaves no slope: the level is the end level there.
    if (!(fall < 1.0f)) return endLevel.Scaled();
    return (1.0f - x) / (1.0f - fall) * (1.0f - endLevel.Scaled()) + endLevel.Scaled();
  }
  return 1.0f;
}

ParticleAppearance::ParticleAppearance() = default;

namespace {

// A MediaParamT<int32_t> stored as an unsigned 32-bit value.
void FieldAsUInt32(Archive& ar, std::string_view name, MediaParamT<int32_t>& param) {
  uint32_t u = static_cast<uint32_t>(param.Value());
  Field(ar, name, u);
  if (ar.IsReading()) param.SetValue(static_cast<int32_t>(u));
}

// Appearance versions before 7 store the texture as a list of entries, each
// an image link (path, stamp) with a name and a grid; the links become the
// texture's images and the first entry gives its name and grid.
void FieldLegacyTexture(Archive& ar, ZT_NamedFileLink& texture) {
  struct Entry {
    LinkKey link;
    std::u16string name;
    uint32_t columns = 1, rows = 1;
  };
  std::vector<Entry> entries;
  Field(ar, "legacyTexture", entries, kMinLinkKeyBytes + kMinStringBytes + 8, [&](Entry& e) {
    ar.BeginStruct("");
    Field(ar, "link", e.link);
    Field(ar, "name", e.name);
    Field(ar, "columns", e.columns);
    Field(ar, "rows", e.rows);
    ar.EndStruct();
  });
  if (!ar.IsReading()) return;
  ZT_NamedFileLinkData data;
  for (Entry& e : entries) {
    ar.FileLinkRead(e.link);
    data.Images.push_back(e.link);
  }
  if (!entries.empty()) {
    data.Name = entries.front().name;
    data.Columns = entries.front().columns;
    data.Rows = entries.front().rows;
    data.Primary = entries.front().link;
  }
  texture.SetValue(data);
}

}  // namespace

bool AlongDirection(const D3DXVECTOR3& v, float& c, float& s) {
  const float length = std::hypot(v.x, v.y);
  if (!(length > 0) || !std::isfinite(length)) {
    c = 1;
    s = 0;
    return false;
  }
  c = v.x / length;
  s = v.y / length;
  return true;
}

void FieldWave(Archive& ar, std::string_view name, OscillationParam& wave) {
  ar.BeginStruct(name);
  Field(ar, "amplitude", wave.amplitude);
  Field(ar, "frequency", wave.frequency);
  Field(ar, "mode", wave.mode);
  ar.EndStruct();
}

void ParticleAppearance::SerializeFields(Archive& ar, int32_t v) {
  if (v >= 7) {
    Field(ar, "texture", texture);
  } else {
    FieldLegacyTexture(ar, texture);
  }
  Field(ar, "effect", effect);
  Field(ar, "textureSpeed", textureSpeed);
  Field(ar, "textureReverse", textureReverse);
  Field(ar, "flipV", flipV);
  Field(ar, "flipU", flipU);
  Field(ar, "baseSize", baseSize);
  if (v >= 11) {
    uint32_t ignored = 0;  // the colour table's own version, unused
    if (ar.StoresVersions()) Field(ar, "colourTableVersion", ignored);
    Field(ar, "colours", colours.colours);
    FieldAsUInt32(ar, "colourMode", colours.mode);
    FieldAsUInt32(ar, "colourRandomPhase", colours.randomPhase);
    Field(ar, "transparency", colours.transparency);
  } else {
    // The first colour only; the list keeps its other colours.
    std::vector<uint32_t> list = colours.colours.Value();
    if (list.empty()) list.push_back(0);
    int32_t first = static_cast<int32_t>(list.front());
    Field(ar, "colour", first);
    list.front() = static_cast<uint32_t>(first);
    if (ar.IsReading()) colours.colours.SetValue(list);
    Field(ar, "transparency", colours.transparency);
  }
  if (v > 1) {
    Field(ar, "sizeRiseEnd", sizeEnvelope.riseEnd);
    Field(ar, "sizeFallStart", sizeEnvelope.fallStart);
    Field(ar, "opacityRiseEnd", opacityEnvelope.riseEnd);
    Field(ar, "opacityFallStart", opacityEnvelope.fallStart);
    Field(ar, "sizeVariation", sizeVariation);
    Field(ar, "opacityVariation", opacityVariation);
    Field(ar, "spinDirection", spinDirection);
    Field(ar, "spinSpeed", spinSpeed);
    Field(ar, "spinJitter", spinJitter);
    Field(ar, "blend", blend);
  }
  if (v > 2) {
    Field(ar, "sizeStartLevel", sizeEnvelope.startLevel);
    Field(ar, "sizeEndLevel", sizeEnvelope.endLevel);
    Field(ar, "opacityStartLevel", opacityEnvelope.startLevel);
    // Documents store the opacity start level a second time, in place of
    // its end level; the readable form has it once.
    if (ar.StoresVersions()) Field(ar, "opacityStartLevelAgain", opacityEnvelope.startLevel);
  }
  if (v > 3) {
    Field(ar, "rotationMode", rotationMode);
    Field(ar, "angle", angle);
    Field(ar, "angleSpread", angleSpread);
  } else if (ar.IsReading()) {
    rotationMode.SetValue(spinSpeed.Value() != 0 ? 2 : 0);
    angle.SetValue(0);
    angleSpread.SetValue(0);
  }
  if (v > 4) {
    Field(ar, "glowMode", glowMode);
    Field(ar, "blurStrength", blurStrength);
    Field(ar, "glowColour", glowColour);
    Field(ar, "glowBrightness", glowBrightness);
    Field(ar, "glowBlur", glowBlur);
  }
  if (v > 5 && ar.StoresVersions()) {
    // A second effect link (the glow's shader), read and dropped: the glow
    // always blurs through effect 202.
    ZT_HLSLEffectFile glowEffect{u"common_res.dll", 202};
    Field(ar, "glowEffect", glowEffect);
  }
  if (v > 7) {
    FieldWave(ar, "opacityWave", opacityWave);
    FieldWave(ar, "sizeWave", sizeWave);
  }
  if (v > 8) {
    Field(ar, "flags", flags);
    Field(ar, "gravityMode", gravityMode);
    Field(ar, "gravity", gravity);
    Field(ar, "airResistance", airResistance);
  }
  if (v > 9) {
    FieldWave(ar, "alongWave", alongWave);
    FieldWave(ar, "acrossWave", acrossWave);
  }
}

const char16_t* BuiltinShapeName(int32_t index) {
  static const char16_t* const kNames[6] = {u"Particle shape 1", u"Particle shape 2",
                                            u"Particle shape 3", u"Sphere",
                                            u"Bubble",           u"Rain dreop"};
  return index >= 0 && index < 6 ? kNames[index] : nullptr;
}

void ParticleAppearance::SerializeBlock(Archive& ar, std::string_view name,
                                        std::string_view versionName) {
  int32_t version = kVersion;
  if (ar.StoresVersions()) Field(ar, versionName, version);
  if (version < 1 || version > kVersion) {
    ar.Fail("appearance version " + std::to_string(version) + " is not one of 1 to " +
            std::to_string(kVersion));
  }
  ar.BeginStruct(name);
  Field(ar, "name", this->name);
  SerializeFields(ar, version);
  ar.EndStruct();
}

}  // namespace glimmer
