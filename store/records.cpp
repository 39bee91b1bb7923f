#include "store/records.h"

#include "store/archive.h"

namespace glimmer {

void Serialize(Archive& ar, std::string_view name, NamedBlob& blob) {
  ar.BeginStruct(name);
  ar.Bytes("Data", blob.Data);
  ar.String("Name", blob.Name);
  ar.EndStruct();
}

void Serialize(Archive& ar, std::string_view name, ResourceBlob& blob) {
  ar.BeginStruct(name);
  ar.Int32("ResourceId", blob.ResourceId);
  ar.String("Module", blob.Module);
  ar.Bytes("Data", blob.Data);
  ar.String("Name", blob.Name);
  ar.EndStruct();
}

void Serialize(Archive& ar, std::string_view name, ImageFrame& frame) {
  ar.BeginStruct(name);
  ar.Version("Marker", 1);  // 1 in stored shows; nothing depends on it
  ar.Bytes("Data", frame.Data);
  ar.Float("Delay", frame.Delay);
  ar.EndStruct();
}

void Serialize(Archive& ar, std::string_view name, LinkKey& key) {
  ar.BeginStruct(name);
  ar.String("Path", key.Path);
  ar.UInt64("Stamp", key.Stamp);
  ar.EndStruct();
}

}  // namespace glimmer
