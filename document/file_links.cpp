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
  glimmer::Serialize(ar, name, key);
  if (ar.IsReading()) {
    ar.FileLinkRead(key);
    SetValue(key);
  }
}

void ZT_NamedFileLink::Serialize(Archive& ar, std::string_view name) {
  ZT_NamedFileLinkData d = Value();
  ar.BeginStruct(name);
  ar.String("Name", d.Name);
  SerializeList(ar, "Images", d.Images, kMinLinkKeyBytes, [&](LinkKey& k) { glimmer::Serialize(ar, "", k); });
  const int32_t version = ar.Version("version", kVersion);
  if (version >= 1) {
    ar.UInt32("Columns", d.Columns);
    ar.UInt32("Rows", d.Rows);
  }
  if (version >= 2) {
    glimmer::Serialize(ar, "Primary", d.Primary);
  } else if (ar.IsReading()) {
    d.Primary = d.Images.empty() ? LinkKey{} : d.Images.front();
  }
  if (version >= 3) ar.Bool("PremultipliedAlpha", d.PremultipliedAlpha);
  ar.EndStruct();
  if (ar.IsReading()) SetValue(d);
}

}  // namespace glimmer
