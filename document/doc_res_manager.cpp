#include "document/doc_res_manager.h"

#include "document/archive.h"

namespace glimmer {
namespace {

void SerializeBlobEntries(Archive& ar, std::string_view name, std::vector<BlobEntry>& entries) {
  SerializeList(ar, name, entries, kMinLinkKeyBytes + 4, [&](BlobEntry& e) {
    ar.BeginStruct("");
    Serialize(ar, "Key", e.Key);
    SerializeList(ar, "Blobs", e.Blobs, kMinResourceBlobBytes,
                  [&](ResourceBlob& b) { Serialize(ar, "", b); });
    ar.EndStruct();
  });
}

}  // namespace

void ZT_DocResManager::Serialize(Archive& ar, int32_t version) {
  SerializeBlobEntries(ar, "PictureBlobs", PictureBlobs);
  SerializeList(ar, "FrameDelays", FrameDelays, kMinLinkKeyBytes + 4, [&](FrameDelayEntry& e) {
    ar.BeginStruct("");
    glimmer::Serialize(ar, "Key", e.Key);
    SerializeList(ar, "Delays", e.Delays, 4, [&](float& d) { ar.Float("", d); });
    ar.EndStruct();
  });
  if (version >= 2) SerializeBlobEntries(ar, "FileBlobs", FileBlobs);
  if (version >= 3) {
    SerializeList(ar, "GuidBlobs", GuidBlobs, kMinStringBytes * 2 + 1 + kMinBlobBytes,
                  [&](GuidBlobEntry& e) {
                    ar.BeginStruct("");
                    ar.Guid("Id", e.Id);
                    ar.String("Name", e.Name);
                    ar.Bool("Flag", e.Flag);
                    glimmer::Serialize(ar, "Blob", e.Blob);
                    ar.EndStruct();
                  });
  }
  if (version >= 4) {
    SerializeList(ar, "Frames", Frames, kMinLinkKeyBytes + 4, [&](FrameEntry& e) {
      ar.BeginStruct("");
      glimmer::Serialize(ar, "Key", e.Key);
      SerializeList(ar, "Frames", e.Frames, kMinImageFrameBytes,
                    [&](ImageFrame& f) { glimmer::Serialize(ar, "", f); });
      ar.EndStruct();
    });
  }
}

}  // namespace glimmer
