#pragma once
// A whole show document: the format banner, the show root and the resource
// manager, in that order. LoadShow reads the binary form; SaveShow writes it;
// the JSON functions give and take the readable form.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/safe_ptr.h"
#include "document/doc_res_manager.h"
#include "scene/slide_show.h"
#include "store/json_archive.h"

namespace glimmer {

struct ShowDocument {
  // Read and kept, never compared: any banner loads.
  std::u16string banner = u"YRB v 4.0.0";
  // The resources outlive the show: its layers hand back what they hold
  // (losable render targets) to them as they go.
  ZT_SafePtr<ZT_DocResManager> resources = std::make_shared<ZT_DocResManager>();
  ZT_SafePtr<ZT_SlideShow_Light> show = std::make_shared<ZT_SlideShow_Light>();

  void Serialize(Archive& ar);
};

// Reads a document. A document that is empty, damaged or uses a class this
// player does not have throws LoadError (0x8200000B) saying where and what;
// running out of memory throws GlimmerError 0x8007000E.
ShowDocument LoadShow(std::span<const uint8_t> bytes);
// Writes a document at the current versions.
std::vector<uint8_t> SaveShow(ShowDocument& doc);

Json ShowToJson(ShowDocument& doc, BlobStore& blobs);
// Throws JsonFormatError naming the JSON path of the first problem.
ShowDocument ShowFromJson(const Json& json, BlobStore& blobs);

}  // namespace glimmer
