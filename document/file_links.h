#pragma once
// File links: parameters naming a picture, sprite sheet, mesh or effect file
// by path and 64-bit stamp (the LinkKey), and the named picture sets of
// particle and text appearance.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "params/media_param.h"
#include "store/records.h"

namespace glimmer {

class Archive;

class ZT_FileLink3 : public MediaParamT<LinkKey> {
 public:
  using MediaParamT<LinkKey>::MediaParamT;
  ZT_FileLink3() = default;
  // A resource of a module: the module's name as path, the id as stamp.
  ZT_FileLink3(std::u16string_view module, uint64_t id)
      : MediaParamT<LinkKey>(LinkKey{std::u16string(module), id}) {}

  const std::u16string& Path() const { return Value().Path; }
  uint64_t Stamp() const { return Value().Stamp; }
  // The module resource id a link names: the low 16 bits of the stamp.
  uint16_t ResourceId() const { return static_cast<uint16_t>(Value().Stamp & 0xFFFF); }
  // The path's extension, lower case, with its dot (".gif"), or empty.
  std::u16string Extension() const;
  // The file-name part of the path, whether it uses \ or /.
  std::u16string FileName() const;

  // Path, then 8 bytes of stamp; the link is replaced whole, notifying.
  void Serialize(Archive& ar, std::string_view name);
};

class ZT_ImageFileLink : public ZT_FileLink3 {
 public:
  using ZT_FileLink3::ZT_FileLink3;
  ZT_ImageFileLink() = default;
  // A default image link of a module points at its resource 62.
  explicit ZT_ImageFileLink(std::u16string_view module) : ZT_FileLink3(module, 62) {}
};

class ZT_MeshFile : public ZT_FileLink3 {
 public:
  using ZT_FileLink3::ZT_FileLink3;
};

class ZT_HLSLEffectFile : public ZT_FileLink3 {
 public:
  using ZT_FileLink3::ZT_FileLink3;
};

struct ZT_NamedFileLinkData {
  std::u16string Name;
  std::vector<LinkKey> Images;
  uint32_t Columns = 1;
  uint32_t Rows = 1;
  LinkKey Primary;
  bool PremultipliedAlpha = false;

  // A grid without columns or rows has no cells to pick: owners skip it.
  bool HasCells() const { return Columns > 0 && Rows > 0 && !Images.empty(); }
  bool operator==(const ZT_NamedFileLinkData&) const = default;
};

class ZT_NamedFileLink : public MediaParamT<ZT_NamedFileLinkData> {
 public:
  using MediaParamT<ZT_NamedFileLinkData>::MediaParamT;

  static constexpr int32_t kVersion = 3;
  // Name, the images, a version, then by version the grid, the primary key
  // and the premultiplied-alpha flag.
  void Serialize(Archive& ar, std::string_view name);
};

}  // namespace glimmer
