#include "document/file_links.h"

#include "store/archive.h"

namespace glimmer {

std::u16string ZT_FileLink3::FileName() const {
  const std::u16string& p = Path();
  const size_t slash = p.find_last_of(u"\\/");
  return slash == std::u16string::npos ? p : p.substr(slash + 1);
}

std::u16string ZT_FileLink3::Extension() const {
  const std::u16string name = FileName();
  const size_t dot = name.find_last_of(u'.');
  if (dot == std::u16string::npos) return {};
  std::u16string ext = name.substr(dot);
  for (char16_t& c : ext) {
    if (c >= u'A' && c <= u'Z') c = char16_t(c + 32);
  }
  return ext;
}

void ZT_FileLink3::Serialize(Archive& ar, std::string_view name) {
  LinkKey key = Value();
  Field(ar, name, key);
  if (ar.IsReading()) {
    ar.FileLinkRead(key);
    SetValue(key);
  }
}

void ZT_NamedFileLink::Serialize(Archive& ar, std::string_view name) {
  ZT_NamedFileLinkData d = Value();
  ar.BeginStruct(name);
  Field(ar, "Name", d.Name);
  Field(ar, "Images", d.Images, kMinLinkKeyBytes);
  const int32_t version = ar.Version("version", kVersion);
  if (version >= 1) {
    Field(ar, "Columns", d.Columns);
    Field(ar, "Rows", d.Rows);
  }
  if (version >= 2) {
    Field(ar, "Primary", d.Primary);
  } else if (ar.IsReading()) {
    d.Primary = d.Images.empty() ? LinkKey{} : d.Images.front();
  }
  if (version >= 3) Field(ar, "PremultipliedAlpha", d.PremultipliedAlpha);
  ar.EndStruct();
  if (ar.IsReading()) SetValue(d);
}

}  // namespace glimmer
