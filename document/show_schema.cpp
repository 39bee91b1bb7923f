#include "document/show_schema.h"

#include <nlohmann/json.hpp>

#include <sstream>

#include "common/wide_string.h"
#include "document/class_registry.h"
#include "document/show_document.h"

namespace glimmer {
namespace {

std::string TypeName(const Json& v) {
  switch (v.type()) {
    case Json::value_t::boolean: return "boolean";
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned: return "integer";
    case Json::value_t::number_float: return "number";
    case Json::value_t::string: return "string";
    case Json::value_t::array: return "list";
    case Json::value_t::object: return "object";
    default: return "null";
  }
}

// One line per field; objects list their fields below, indented.
void Describe(std::ostream& out, const Json& object, int depth) {
  for (auto it = object.begin(); it != object.end(); ++it) {
    const Json& v = it.value();
    out << std::string(size_t(depth) * 2, ' ') << it.key() << ": " << TypeName(v);
    if (v.is_object()) {
      out << "\n";
      Describe(out, v, depth + 1);
      continue;
    }
    if (v.is_array()) {
      out << (v.empty() ? " (empty by default)" : " of " + TypeName(v.front())) << "\n";
      if (!v.empty() && v.front().is_object()) Describe(out, v.front(), depth + 1);
      continue;
    }
    std::string shown = v.dump();
    if (shown.size() > 60) shown = shown.substr(0, 57) + "...";
    out << " = " << shown << "\n";
  }
}

}  // namespace

std::string DescribeShowFormat() {
  std::ostringstream out;
  out << "Every field may be left out: it then keeps the default shown. Objects whose class\n"
         "can vary name it in \"class\"; embedded files are {\"file\": PATH} (relative to the\n"
         "JSON file) or {\"base64\": DATA}.\n\n";
  ShowDocument empty;
  FileBlobStore blobs;
  out << "Show document (the top level)\n";
  Describe(out, ShowToJson(empty, blobs), 1);
  for (const ClassRegistry* registry : AllRegistries()) {
    for (const std::u16string& name : registry->RegisteredNames()) {
      std::unique_ptr<ZT_IOF_Item> item = registry->CreateByName(name);
      JsonOutArchive ar(blobs);
      SerializeMember(ar, "object", *item);
      out << "\n" << ToUtf8(name) << " (registry " << registry->name() << ", stored version "
          << item->StoredVersion() << ")\n";
      Describe(out, ar.Result()["object"], 1);
    }
  }
  return out.str();
}

}  // namespace glimmer
