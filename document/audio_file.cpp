#include "document/audio_file.h"

#include "store/archive.h"

namespace glimmer {

void ZT_AudioFile::Serialize(Archive& ar, int32_t) {
  ar.String("Name", Name);
  glimmer::Serialize(ar, "Data", Data);
}

}  // namespace glimmer
