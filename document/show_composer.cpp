#include "document/show_composer.h"


#include "document/document_source.h"
#include <nlohmann/json.hpp>

#include "document/show_document.h"

namespace glimmer {

std::vector<uint8_t> ComposeShowFile(const std::filesystem::path& path) {
  const std::vector<uint8_t> text = ReadWholeFile(path, 64u << 20);
  Json json;
  try {
    json = Json::parse(text.begin(), text.end());
  } catch (const Json::parse_error& e) {
    throw JsonFormatError(path.string() + ": not JSON: " + e.what());
  }
  FileBlobStore files(path.parent_path());
  ShowDocument doc = ShowFromJson(json, files);
  return SaveShow(doc);
}

}  // namespace glimmer
