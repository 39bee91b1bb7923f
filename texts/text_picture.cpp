#include "texts/text_picture.h"

#include "params/param_serialization.h"
#include "platform/gpu/texture_loader.h"
#include "platform/image/image_codec.h"
#include "platform/screen_context.h"
#include "store/archive.h"

namespace glimmer {

TextFont TextStyleRecord::Font() const {
  TextFont f;
  f.face = faceName.Value();
  f.height = height.Value();
  f.weight = weight.Value();
  f.style = style.Value();
  return f;
}

void Field(Archive& ar, std::string_view name, TextStyleRecord& s) {
  ar.BeginStruct(name);
  Field(ar, "height", s.height);
  Field(ar, "faceName", s.faceName);
  Field(ar, "weight", s.weight);
  Field(ar, "style", s.style);
  Field(ar, "lineSpacing", s.lineSpacing);
  int32_t rgb = int32_t(s.colour.Value());
  Field(ar, "colour", rgb);
  if (ar.IsReading()) s.colour.SetValue(uint32_t(rgb));
  Field(ar, "transparency", s.transparency);
  ar.EndStruct();
}

TextFont FontOf(const FontData& font) {
  TextFont f;
  f.face = font.faceName;
  f.height = font.height;
  f.weight = font.weight;
  f.style = font.style;
  return f;
}

std::vector<uint8_t> TextPng(std::u16string_view text, const TextFont& font, uint32_t* width,
                             uint32_t* height, uint32_t colour) {
  TextPicture picture = RasteriseText(text, font);
  for (size_t i = 0; i < picture.image.rgba.size(); i += 4) {
    picture.image.rgba[i] = uint8_t(colour & 0xFF);
    picture.image.rgba[i + 1] = uint8_t((colour >> 8) & 0xFF);
    picture.image.rgba[i + 2] = uint8_t((colour >> 16) & 0xFF);
  }
  if (width) *width = picture.image.width;
  if (height) *height = picture.image.height;
  if (picture.image.empty()) return {};
  return EncodePng(picture.image);
}

TexturePtr TextTexture(std::u16string_view text, const TextFont& font, uint32_t* width,
                       uint32_t* height, uint32_t colour) {
  GpuDevice* device = CurrentDevice();
  if (!device) return nullptr;
  const std::vector<uint8_t> png = TextPng(text, font, width, height, colour);
  if (png.empty()) return nullptr;
  return CreateTextureFromFileInMemoryEx(*device, png, kD3dxDefault, kD3dxDefault, 1, 0,
                                         D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_TRIANGLE,
                                         D3DX_FILTER_NONE, 0, nullptr);
}

}  // namespace glimmer
