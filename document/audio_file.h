#pragma once
// ZT_AudioFile: one entry of the show's music list, a name and the encoded
// sound file it carries.

#include <string>

#include "store/records.h"
#include "store/stored_item.h"

namespace glimmer {

class ZT_AudioFile : public ZT_IOF_Item {
  GLIMMER_STORED_CLASS(ZT_AudioFile, 1)

 public:
  void Serialize(Archive& ar, int32_t version) override;

  std::u16string Name;
  NamedBlob Data;
};

}  // namespace glimmer
