#include "store/records.h"

#include "store/archive.h"

namespace glimmer {

void Field(Archive& ar, std::string_view name, SharedBytes& bytes) {
  if (ar.IsReading()) {
    std::vector<uint8_t> read;
    ar.Bytes(name, read);
    bytes = std::move(read);
  } else {
    // A writing archive only reads the bytes it is handed.
    ar.Bytes(name, const_cast<std::vector<uint8_t>&>(bytes.Vector()));
  }
}

void Field(Archive& ar, std::string_view name, NamedBlob& blob) {
  ar.BeginStruct(name);
  Field(ar, "Data", blob.Data);
  Field(ar, "Name", blob.Name);
  ar.EndStruct();
}

void Field(Archive& ar, std::string_view name, ResourceBlob& blob) {
  ar.BeginStruct(name);
  Field(ar, "ResourceId", blob.ResourceId);
  Field(ar, "Module", blob.Module);
  Field(ar, "Data", blob.Data);
  Field(ar, "Name", blob.Name);
  ar.EndStruct();
}

void Field(Archive& ar, std::string_view name, ImageFrame& frame) {
  ar.BeginStruct(name);
  ar.Version("Marker", 1);  // 1 in stored shows; nothing depends on it
  Field(ar, "Data", frame.Data);
  Field(ar, "Delay", frame.Delay);
  ar.EndStruct();
}

void Field(Archive& ar, std::string_view name, LinkKey& key) {
  ar.BeginStruct(name);
  Field(ar, "Path", key.Path);
  Field(ar, "Stamp", key.Stamp);
  ar.EndStruct();
}

}  // namespace glimmer
