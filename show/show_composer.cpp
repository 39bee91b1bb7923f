#include "show/show_composer.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "common/wide_string.h"
#include "document/document_source.h"
#include "show/show_document.h"
#include "texts/text_picture.h"

namespace glimmer {
namespace {

std::u16string LowerExtension(const std::u16string& path) {
  const size_t dot = path.find_last_of(u'.');
  if (dot == std::u16string::npos || path.find_first_of(u"/\\", dot) != std::u16string::npos)
    return {};
  std::u16string ext = path.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](char16_t c) { return c < 128 ? char16_t(std::tolower(c)) : c; });
  return ext;
}

bool IsModule(const std::u16string& path) {
  const std::u16string ext = LowerExtension(path);
  return ext == u".dll" || ext == u".exe" || ext == u".scr";
}

bool IsPicture(const std::u16string& path) {
  const std::u16string ext = LowerExtension(path);
  for (const char16_t* e : {u".png", u".jpg", u".jpeg", u".bmp", u".gif", u".tga", u".dds"}) {
    if (ext == e) return true;
  }
  return false;
}

// The stamp of a carried file: a hash of its bytes, so composing the same
// file again gives the same key.
uint64_t ContentStamp(const std::vector<uint8_t>& bytes) {
  uint64_t h = 14695981039346656037ull;
  for (uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
  return h;
}

// Stands in for the embedded files when only the links matter.
class NoFiles : public BlobStore {
 public:
  Json Store(std::span<const uint8_t>, const std::string&) override { return nullptr; }
  std::vector<uint8_t> Load(const Json&, const std::string&) override { return {}; }
};

}  // namespace

std::vector<uint8_t> ComposeShowFile(const std::filesystem::path& path,
                                     std::vector<std::string>* uncarried) {
  const std::vector<uint8_t> text = ReadWholeFile(path, 64u << 20);
  return ComposeShowText(text, path.string(), path.parent_path(), uncarried);
}

std::vector<uint8_t> ComposeShowText(std::span<const uint8_t> text, const std::string& name,
                                     const std::filesystem::path& folder,
                                     std::vector<std::string>* uncarried) {
  Json json;
  try {
    json = Json::parse(text.begin(), text.end());
  } catch (const Json::exception& e) {
    // Syntax errors, and numbers too large for a double.
    throw JsonFormatError(name + ": not JSON: " + e.what());
  }
  FileBlobStore files(folder);
  // First as written (without reading its files), to learn which links the
  // resources already carry.
  std::set<LinkKey> carried;
  {
    NoFiles none;
    ShowDocument written = ShowFromJson(json, none);
    for (const auto* list : {&written.resources->PictureBlobs, &written.resources->FileBlobs}) {
      for (const BlobEntry& e : *list) carried.insert(e.Key);
    }
    for (const FrameEntry& e : written.resources->FrameEntries) carried.insert(e.Key);
  }
  // Then every other link naming a file beside the JSON carries that file.
  std::map<LinkKey, std::vector<uint8_t>> found;
  std::set<std::u16string> missing;
  JsonInArchive ar(json, files);
  ar.SetFileLinkHook([&](LinkKey& key) {
    if (key.Path.empty() || carried.count(key) || IsModule(key.Path)) return;
    const std::filesystem::path file = folder / std::filesystem::path(ToUtf8(key.Path));
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
      missing.insert(key.Path);
      return;
    }
    std::vector<uint8_t> bytes = ReadWholeFile(file, FileBlobStore::kMaxFileBytes);
    key.Stamp = ContentStamp(bytes);
    found.emplace(key, std::move(bytes));
  });
  ShowDocument doc;
  doc.Serialize(ar);
  ar.Finish();
  // Text layers that give a string but carry no picture get one drawn now.
  for (const auto& slide : doc.show->slides) {
    if (!slide) continue;
    for (const auto& layer : slide->visualLayers) {
      if (auto* text = dynamic_cast<TextPictureSource*>(layer.get()))
        text->ComposeTextPicture(*doc.resources);
    }
  }
  for (auto& [key, bytes] : found) {
    if (carried.count(key)) continue;
    auto& list = IsPicture(key.Path) ? doc.resources->PictureBlobs : doc.resources->FileBlobs;
    list.push_back({key, {{0, u"", std::move(bytes), u""}}});
  }
  if (uncarried) {
    for (const std::u16string& p : missing) uncarried->push_back(ToUtf8(p));
  }
  return SaveShow(doc);
}

}  // namespace glimmer
