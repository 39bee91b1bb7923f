#include "particles/particle_system.h"

#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {

void QVX_ParticleSystemCtrl::Serialize(Archive& ar, int32_t version) {
  if (version >= 5) {
    appearance.SerializeBlock(ar);
  } else {
    SerializeLegacy(ar, version);
  }
  if (version > 3) Field(ar, "speed", speed);
  SerializeBase<ZT_ABObj_Constructor>(ar, *this);
}

// Versions 1 to 4 (documents only): the texture as a list of image links;
// the built-in shape index (an int32 before version 3, then a list of
// 40-byte records of ten int32 whose fourth is the index, −1 when empty); the
// effect link; textureSpeed u; baseSize; colour 0; transparency u; from
// version 2 textureReverse, flipV and flipU.
void QVX_ParticleSystemCtrl::SerializeLegacy(Archive& ar, int32_t version) {
  ParticleAppearance& a = appearance;
  std::vector<LinkKey> images;
  Field(ar, "images", images, kMinLinkKeyBytes);
  int32_t shape = -1;
  if (version < 3) {
    Field(ar, "shape", shape);
  } else {
    struct ShapeRecord {
      int32_t fields[10] = {};
    };
    std::vector<ShapeRecord> records;
    Field(ar, "shapes", records, 40, [&](ShapeRecord& r) {
      ar.BeginStruct("");
      for (int32_t& f : r.fields) Field(ar, "", f);
      ar.EndStruct();
    });
    if (!records.empty()) shape = records.front().fields[3];
  }
  Field(ar, "effect", a.effect);
  Field(ar, "textureSpeed", a.textureSpeed);
  Field(ar, "baseSize", a.baseSize);
  std::vector<uint32_t> colours = a.colours.colours.Value();
  if (colours.empty()) colours.push_back(0);
  int32_t first = static_cast<int32_t>(colours.front());
  Field(ar, "colour", first);
  colours.front() = static_cast<uint32_t>(first);
  Field(ar, "transparency", a.colours.transparency);
  if (version > 1) {
    Field(ar, "textureReverse", a.textureReverse);
    Field(ar, "flipV", a.flipV);
    Field(ar, "flipU", a.flipU);
  }
  ZT_NamedFileLinkData texture;
  for (LinkKey& key : images) {
    ar.FileLinkRead(key);
    texture.Images.push_back(key);
  }
  if (!texture.Images.empty()) texture.Primary = texture.Images.front();
  if (const char16_t* builtin = BuiltinShapeName(shape)) texture.Name = builtin;
  a.texture.SetValue(texture);
  a.colours.colours.SetValue(colours);
}

}  // namespace glimmer
