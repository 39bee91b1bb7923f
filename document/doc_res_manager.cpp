#include "document/doc_res_manager.h"

#include "document/resource_modules.h"
#include "store/archive.h"

namespace glimmer {
namespace {

void SerializeBlobEntries(Archive& ar, std::string_view name, std::vector<BlobEntry>& entries) {
  Field(ar, name, entries, kMinLinkKeyBytes + 4, [&](BlobEntry& e) {
    ar.BeginStruct("");
    Field(ar, "Key", e.Key);
    Field(ar, "Blobs", e.Blobs, kMinResourceBlobBytes);
    ar.EndStruct();
  });
}

}  // namespace

void ZT_DocResManager::Serialize(Archive& ar, int32_t version) {
  SerializeBlobEntries(ar, "PictureBlobs", PictureBlobs);
  Field(ar, "FrameDelays", DelayEntries, kMinLinkKeyBytes + 4, [&](FrameDelayEntry& e) {
    ar.BeginStruct("");
    Field(ar, "Key", e.Key);
    Field(ar, "Delays", e.Delays, 4);
    ar.EndStruct();
  });
  if (version >= 2) SerializeBlobEntries(ar, "FileBlobs", FileBlobs);
  if (version >= 3) {
    Field(ar, "GuidBlobs", GuidEntries, kMinStringBytes * 2 + 1 + kMinBlobBytes,
          [&](GuidBlobEntry& e) {
            ar.BeginStruct("");
            Field(ar, "Id", e.Id);
            Field(ar, "Name", e.Name);
            Field(ar, "Flag", e.Flag);
            Field(ar, "Blob", e.Blob);
            ar.EndStruct();
          });
  }
  if (version >= 4) {
    Field(ar, "Frames", FrameEntries, kMinLinkKeyBytes + 4, [&](FrameEntry& e) {
      ar.BeginStruct("");
      Field(ar, "Key", e.Key);
      Field(ar, "Frames", e.Frames, kMinImageFrameBytes);
      ar.EndStruct();
    });
  }
  if (ar.IsReading()) IndexCollections();
}

void ZT_DocResManager::IndexCollections() {
  Blobs.clear();
  pictureKeys_.clear();
  for (const BlobEntry& e : PictureBlobs) {
    auto& list = Blobs[e.Key];
    list.insert(list.end(), e.Blobs.begin(), e.Blobs.end());
    pictureKeys_.insert(e.Key);
  }
  for (const BlobEntry& e : FileBlobs) {
    auto& list = Blobs[e.Key];
    list.insert(list.end(), e.Blobs.begin(), e.Blobs.end());
  }
  FrameDelays.clear();
  for (const FrameDelayEntry& e : DelayEntries) FrameDelays[e.Key] = e.Delays;
  Frames.clear();
  for (const FrameEntry& e : FrameEntries) {
    auto& list = Frames[e.Key];
    list.insert(list.end(), e.Frames.begin(), e.Frames.end());
  }
  GuidBlobs.clear();
  for (const GuidBlobEntry& e : GuidEntries) GuidBlobs[e.Id] = {e.Name, e.Flag, e.Blob};
}

std::vector<uint8_t> ZT_DocResManager::FileBytes(const ZT_FileLink3& link) {
  for (const auto* collection : {&FileBlobs, &PictureBlobs}) {
    for (const BlobEntry& e : *collection) {
      if (e.Key != link.Value()) continue;
      for (const ResourceBlob& blob : e.Blobs)
        if (!blob.Data.empty()) return blob.Data;
    }
  }
  return QVX_DocResManager::FileBytes(link);
}

bool ZT_DocResManager::LoadRaw(const ZT_FileLink3& link, std::vector<ImageFrame>& frames) {
  const std::u16string ext = link.Extension();
  if (ext == u".dll") {
    std::span<const uint8_t> data;
    if (const ResourceModule* m = GetResourceModule(link.Path()))
      data = m->Find(std::u16string(u"DDS"), link.ResourceId());
    if (data.empty()) data = BuiltinPicture(link.ResourceId());
    if (data.empty()) return false;
    FramesFromResource(data, frames);
    return !frames.empty();
  }
  // An animation the document does not carry is not looked for on disk.
  if (ext == u".gif") return false;
  auto file = LocateFile(link.Path());
  if (!file) return false;
  auto bytes = ReadResourceFile(*file);
  if (!bytes || bytes->size() < 6) return false;
  FramesFromResource(*bytes, frames);
  return !frames.empty();
}

}  // namespace glimmer
