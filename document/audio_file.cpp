#include "document/audio_file.h"

#include "store/archive.h"

namespace glimmer {

void ZT_AudioFile::Serialize(Archive& ar, int32_t) {
  Field(ar, "Name", Name);
  Field(ar, "Data", Data);
}

}  // namespace glimmer
