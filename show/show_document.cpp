#include "show/show_document.h"

#include <new>
#include <nlohmann/json.hpp>

#include "store/binary_archive.h"
#include "store/class_registry.h"

namespace glimmer {

void ShowDocument::Serialize(Archive& ar) {
  Field(ar, "banner", banner);
  if (ar.StoresVersions()) {
    // The root is read by fixed code: its class name is not checked and its
    // version is not consulted.
    std::u16string className(ZT_SlideShow_Light::kStoredName);
    int32_t version = ZT_SlideShow_Light::kStoredVersion;
    ar.BeginObject("show", className, version, false);
    show->Serialize(ar, version);
    ar.EndObject();
  } else {
    // In the JSON form the root's fields stand at the top level.
    show->Serialize(ar, ZT_SlideShow_Light::kStoredVersion);
  }
  Field(ar, "resources", *resources);
}

ShowDocument LoadShow(std::span<const uint8_t> bytes) {
  ResourceBuffer buffer(bytes);
  ZT_IOF_R reader(buffer);
  if (bytes.empty()) reader.Fail("the document is empty");
  try {
    ShowDocument doc;
    BinaryInArchive ar(reader);
    doc.Serialize(ar);
    return doc;
  } catch (const std::bad_alloc&) {
    throw GlimmerError(ErrorCode::OutOfMemory,
                       "while reading the document at byte " + std::to_string(reader.Offset()));
  }
}

std::vector<uint8_t> SaveShow(ShowDocument& doc) {
  ZT_IOF_W writer;
  BinaryOutArchive ar(writer);
  doc.Serialize(ar);
  return writer.Take();
}

Json ShowToJson(ShowDocument& doc, BlobStore& blobs) {
  JsonOutArchive ar(blobs);
  doc.Serialize(ar);
  return std::move(ar.Result());
}

ShowDocument ShowFromJson(const Json& json, BlobStore& blobs) {
  ShowDocument doc;
  JsonInArchive ar(json, blobs);
  doc.Serialize(ar);
  ar.Finish();
  return doc;
}

}  // namespace glimmer
