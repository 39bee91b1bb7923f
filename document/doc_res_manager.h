#pragma once
// ZT_DocResManager: the files a show document carries (pictures, frame
// delays, effect and mesh files, pictures keyed by GUID, animation frames),
// kept as the stored records in stored order.

#include <string>
#include <vector>

#include "common/guid.h"
#include "document/resource_manager.h"
#include "store/records.h"
#include "store/stored_item.h"

namespace glimmer {

// A link key with the blobs stored under it.
struct BlobEntry {
  LinkKey Key;
  std::vector<ResourceBlob> Blobs;
};

// A link key with the delays of its animation frames.
struct FrameDelayEntry {
  LinkKey Key;
  std::vector<float> Delays;
};

// A picture addressed by GUID.
struct GuidBlobEntry {
  Guid Id;
  std::u16string Name;
  bool Flag = false;
  NamedBlob Blob;
};

// A link key with the encoded frames of its animation.
struct FrameEntry {
  LinkKey Key;
  std::vector<ImageFrame> Frames;
};

class ZT_DocResManager : public ZT_IOF_Item, public QVX_DocResManager {
  GLIMMER_STORED_CLASS(ZT_DocResManager, 4)

 public:
  // Reading also indexes the collections by key for the lookups.
  void Serialize(Archive& ar, int32_t version) override;
  // A module link reads the module's resource (or the player's own picture
  // with that id); a path reads the file, unless it names a ".gif".
  bool LoadRaw(const ZT_FileLink3& link, std::vector<ImageFrame>& frames) override;
  // A link's bytes from the effect-and-mesh files first, then the pictures'
  // blobs (documents differ in where they keep a sound), then as the base.
  std::vector<uint8_t> FileBytes(const ZT_FileLink3& link) override;

  std::vector<BlobEntry> PictureBlobs;        // turned into textures at load
  std::vector<FrameDelayEntry> DelayEntries;  // delays of multi-blob pictures
  std::vector<BlobEntry> FileBlobs;           // effect and mesh files, kept raw (version 2+)
  std::vector<GuidBlobEntry> GuidEntries;     // version 3+
  std::vector<FrameEntry> FrameEntries;       // version 4+

 private:
  void IndexCollections();
};

}  // namespace glimmer
