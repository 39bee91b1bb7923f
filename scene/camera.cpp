#include "scene/camera.h"

#include "document/archive.h"
#include "params/param_serialization.h"

namespace glimmer {

void ZQN_Camera::Serialize(Archive& ar, int32_t version) {
  if (version >= 3) {
    SerializeParam(ar, "Mode", Mode);
    SerializeParam(ar, "WindowWidth", WindowWidth);
    SerializeParam(ar, "WindowHeight", WindowHeight);
    Path.Serialize(ar, "Path");
  } else {
    // Older cameras store only whether they move.
    int32_t moving = 0;
    ar.Int32("moving", moving);
    Mode.SetValue(moving != 0 ? 1 : 0);
  }
  SerializeParam(ar, "Zoom", Zoom);
  SerializeParam(ar, "Speed", Speed);
  if (version >= 2) Image.Serialize(ar, "Image");
}

}  // namespace glimmer
