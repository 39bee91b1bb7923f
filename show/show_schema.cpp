#include "show/show_schema.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <sstream>

#include "common/wide_string.h"
#include "show/show_document.h"
#include "store/class_registry.h"

namespace glimmer {
namespace {

std::string TypeName(const Json& v) {
  switch (v.type()) {
    case Json::value_t::boolean:
      return "boolean";
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
      return "integer";
    case Json::value_t::number_float:
      return "number";
    case Json::value_t::string:
      return "string";
    case Json::value_t::array:
      return "list";
    case Json::value_t::object:
      return "object";
    default:
      return "null";
  }
}

// Embedded files as the JSON names them: a file beside it.
class FileNames : public BlobStore {
 public:
  Json Store(std::span<const uint8_t>, const std::string&) override {
    return Json{{"file", "PATH"}};
  }
  std::vector<uint8_t> Load(const Json&, const std::string& path) override {
    throw JsonFormatError(path + ": the format description reads no files");
  }
};

// The first non-empty list stored under `key` anywhere in `json`.
const Json* FindList(const Json& json, const std::string& key) {
  if (json.is_object()) {
    if (auto it = json.find(key); it != json.end() && it->is_array() && !it->empty()) return &*it;
  }
  if (json.is_object() || json.is_array()) {
    for (const Json& child : json) {
      if (const Json* found = FindList(child, key)) return found;
    }
  }
  return nullptr;
}

// The first object in `json` (depth first) whose "class" is `name`.
const Json* FindClass(const Json& json, const std::string& name) {
  if (json.is_object()) {
    if (auto it = json.find("class"); it != json.end() && *it == name) return &json;
  }
  if (json.is_object() || json.is_array()) {
    for (const Json& child : json) {
      if (const Json* found = FindClass(child, name)) return found;
    }
  }
  return nullptr;
}

std::string Shown(const Json& v) {
  std::string shown = v.dump();
  return shown.size() > 60 ? shown.substr(0, 57) + "..." : shown;
}

// One line per field of `fields`; objects list their fields below, indented.
// `example` is the same object in an example show, if there is one: lists
// empty by default show the shape of the example's first element. With
// `isExample` the values shown are the example's, not defaults.
// `open` holds the example lists being described around this call, so a
// list whose elements hold lists of their own kind (a particle tree's
// children) is not taken again as its own example.
void Describe(std::ostream& out, const Json& fields, const Json* example, const Json* exampleRoot,
              int depth, bool isExample = false, std::vector<const Json*>* open = nullptr) {
  std::vector<const Json*> none;
  if (!open) open = &none;
  const std::string indent(size_t(depth) * 2, ' ');
  for (auto it = fields.begin(); it != fields.end(); ++it) {
    const Json& v = it.value();
    const Json* ex = example && example->is_object() && example->contains(it.key())
                         ? &(*example)[it.key()]
                         : nullptr;
    out << indent << it.key() << ": " << TypeName(v);
    if (v.is_object()) {
      out << "\n";
      Describe(out, v, ex, exampleRoot, depth + 1, isExample, open);
      continue;
    }
    if (v.is_array()) {
      const Json* list = !v.empty()                             ? &v
                         : ex && ex->is_array() && !ex->empty() ? ex
                         : exampleRoot                          ? FindList(*exampleRoot, it.key())
                                                                : nullptr;
      if (list && std::find(open->begin(), open->end(), list) != open->end()) list = nullptr;
      const Json* element = list ? &list->front() : nullptr;
      if (!element) {
        out << " (empty by default)\n";
        continue;
      }
      out << " of " << TypeName(*element)
          << (v.empty() ? " (empty by default; an example element:)" : "") << "\n";
      if (element->is_object()) {
        open->push_back(list);
        Describe(out, *element, element, exampleRoot, depth + 1, isExample || v.empty(), open);
        open->pop_back();
      }
      continue;
    }
    out << (isExample ? " e.g. " : " = ") << Shown(v) << "\n";
  }
}

}  // namespace

std::string DescribeShowFormat(std::span<const uint8_t> exampleShow) {
  std::ostringstream out;
  out << "Every field may be left out: it then keeps the default shown. Objects whose class\n"
         "can vary name it in \"class\"; embedded files are {\"file\": PATH} (relative to the\n"
         "JSON file) or {\"base64\": DATA}.\n\n";
  ShowDocument empty;
  FileNames blobs;
  Json example;
  if (!exampleShow.empty()) {
    ShowDocument shown = LoadShow(exampleShow);
    example = ShowToJson(shown, blobs);
  }
  const Json* exampleRoot = example.is_object() ? &example : nullptr;
  out << "Show document (the top level)\n";
  Describe(out, ShowToJson(empty, blobs), exampleRoot, exampleRoot, 1);
  for (const ClassRegistry* registry : AllRegistries()) {
    for (const std::u16string& name : registry->RegisteredNames()) {
      std::unique_ptr<ZT_IOF_Item> item = registry->CreateByName(name);
      JsonOutArchive ar(blobs);
      Field(ar, "object", *item);
      out << "\n"
          << ToUtf8(name) << " (registry " << registry->name() << ", stored version "
          << item->StoredVersion() << ")\n";
      const Json* classExample = exampleRoot ? FindClass(*exampleRoot, ToUtf8(name)) : nullptr;
      Describe(out, ar.Result()["object"], classExample, exampleRoot, 1);
    }
  }
  return out.str();
}

}  // namespace glimmer
