#pragma once
// ZT_DocResManager: the files a show document carries (pictures, frame
// delays, effect and mesh files, pictures keyed by GUID, animation frames),
// kept as the stored records in stored order.

#include <string>
#include <vector>

#include "common/guid.h"
#include "document/records.h"
#include "document/stored_item.h"

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

class ZT_DocResManager : public ZT_IOF_Item {
  GLIMMER_STORED_CLASS(ZT_DocResManager, 4)

 public:
  void Serialize(Archive& ar, int32_t version) override;

  std::vector<BlobEntry> PictureBlobs;       // turned into textures at load
  std::vector<FrameDelayEntry> FrameDelays;  // delays of multi-blob pictures
  std::vector<BlobEntry> FileBlobs;          // effect and mesh files, kept raw (version 2+)
  std::vector<GuidBlobEntry> GuidBlobs;      // version 3+
  std::vector<FrameEntry> Frames;            // version 4+
};

}  // namespace glimmer
