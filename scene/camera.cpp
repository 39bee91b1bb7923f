#include "scene/camera.h"

#include <cmath>

#include "params/param_serialization.h"
#include "params/random_source.h"
#include "store/archive.h"

namespace glimmer {

void ZQN_Camera::Serialize(Archive& ar, int32_t version) {
  if (version >= 3) {
    Field(ar, "Mode", Mode);
    Field(ar, "WindowWidth", WindowWidth);
    Field(ar, "WindowHeight", WindowHeight);
    Field(ar, "Path", Path);
  } else {
    // Older cameras store only whether they move.
    int32_t moving = 0;
    Field(ar, "moving", moving);
    Mode.SetValue(moving != 0 ? 1 : 0);
  }
  Field(ar, "Zoom", Zoom);
  Field(ar, "Speed", Speed);
  if (version >= 2) Field(ar, "Image", Image);
}

void ZQN_Camera::Reset() {
  SegmentStart = SegmentEnd = 0;
  FromZoom = ToZoom = 1;
  From = To = {PictureWidth * 0.5f, PictureHeight * 0.5f, 0};
  Cursor = 0;
  if (Mode.Value() == 2 && !Path.Points.empty()) {
    From = To = Path.Points.front()->Value();
    FromZoom = ToZoom = static_cast<float>(Path.Points.front()->ZoomPercent.Value()) * 0.01f;
  }
  Forward = true;
}

void ZQN_Camera::NextSegment(float t) {
  From = To;
  FromZoom = ToZoom;
  SegmentStart = t;
  if (Mode.Value() == 1) {
    const int32_t r = NextRandom();
    if (r % 2 == 0) {
      SegmentEnd = SegmentStart + 0.5f;  // rest half a second
      return;
    }
    const float z = Zoom.Scaled();
    const float r1 = static_cast<float>(NextRandom()) / 32767.0f;
    const float r2 = static_cast<float>(NextRandom()) / 32767.0f;
    const float r3 = static_cast<float>(NextRandom()) / 32767.0f;
    To.x = ((1 - z) * (r1 * 2 - 1) / z + 1) * static_cast<float>(PictureWidth) * 0.5f;
    To.y = ((r2 * 2 - 1) * (1 - z) / z + 1) * static_cast<float>(PictureHeight) * 0.5f;
    SegmentEnd = r3 * 2 + 5 + SegmentStart;
    return;
  }
  const size_t n = Path.Points.size();
  if (Mode.Value() != 2 || n < 2 || Cursor >= n) return;
  if (Forward) {
    SegmentEnd = Path.Points[Cursor]->TravelTime.Value() + t;
    if (++Cursor >= n) {
      Forward = false;
      Cursor = n - 2;
      SegmentEnd = Path.Points[Cursor]->TravelTime.Value() + SegmentStart;
    }
  } else {
    --Cursor;
    SegmentEnd = Path.Points[Cursor]->TravelTime.Value() + t;
  }
  if (Cursor == 0) Forward = true;
  const DX_CamPathPnt& p = *Path.Points[Cursor];
  To = p.Value();
  ToZoom = static_cast<float>(p.ZoomPercent.Value()) * 0.01f;
}

ZQN_Camera::Pose ZQN_Camera::Advance(float t) {
  Speed.Advance(t);
  const float T = Speed.LocalTime;
  if (Mode.Value() == 0 || Running.Value() != 1) return {};
  if (T >= SegmentEnd) NextSegment(T);
  // A segment of no length holds its end instead of dividing by zero.
  const float length = SegmentEnd - SegmentStart;
  const float s =
      length > 0 ? (1 - std::cos(3.14159265f * (T - SegmentStart) / length)) * 0.5f : 1.0f;
  Pose pose;
  pose.x = From.x + (To.x - From.x) * s;
  pose.y = From.y + (To.y - From.y) * s;
  if (Mode.Value() == 2 && Path.Points.size() >= 2) pose.zoom = FromZoom + (ToZoom - FromZoom) * s;
  pose.active = true;
  return pose;
}

}  // namespace glimmer
