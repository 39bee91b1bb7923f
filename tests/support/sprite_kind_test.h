#pragma once
// Sprite kinds run headless: a kind's group on the shared device with a
// 320 × 180 slide installed, advanced frame by frame; and the older stored
// forms of the sprite base for documents made with the test writer.

#include <memory>

#include "params/time_lines.h"
#include "sprites/sprite_array.h"
#include "store/stream_writer.h"
#include "tests/support/scene_test.h"

namespace glimmer::testing {

class SpriteKindTest : public LayerKindTest<ZT_SpriteArrayObj> {
 protected:
  using LayerKindTest::Run;
  static void Run(ZT_SpriteArrayObj& group, float from, float to) {
    Run(group, from, to, [](float) {});
  }
  static void SetVisibility(ZT_SpriteArrayObj& group, TimeLineState state, float visibility) {
    QVX_Timing& line = *group.GetTiming().Line();
    line.CurrentState = state;
    line.CurrentVisibility = visibility;
  }
};

// The sprite base at `version` (and the view part at 1 or 2) with default
// values: count 3, size 16, a module picture from version 2, frame count 1.
inline void WriteSpriteBase(ZT_IOF_W& w, int32_t version, uint32_t motionSpeed = 60) {
  w.WriteHeader(u"ZT_BaseSpriteProp", version);
  w.WriteHeader(u"ZT_ViewObjCtrl", version <= 2 ? 1 : 2);
  for (int i = 0; i < 6; ++i) w.WriteInt32(10 * i);  // rectangle
  for (float f : {0.1f, 0.9f, 0.2f, 0.8f}) w.WriteFloat(f);
  w.WriteBool(false);
  if (version > 2) w.WriteUInt32(motionSpeed);
  w.WriteHeader(u"ZT_ABObj_Constructor", 1);
  w.WriteString(u"old sprites");
  w.WriteUInt32(3);  // count
  if (version <= 2) w.WriteUInt32(motionSpeed);
  w.WriteUInt32(16);        // size
  w.WriteUInt32(50);        // transparency %
  w.WriteLong(1);           // blend
  w.WriteLong(0x00336699);  // colour
  for (float f : {0.5f, 0.2f, 0.9f, 1.0f, 2.0f}) w.WriteFloat(f);
  if (version == 1) {
    w.WriteInt32(1);  // one inline picture
    w.WriteInt32(1);  // marker
    const uint8_t picture[3] = {1, 2, 3};
    w.WriteSizedBytes(picture);
    w.WriteFloat(0.1f);
    w.WriteInt32(0);  // the blob: no resource, no bytes
    w.WriteString(u"");
    w.WriteSizedBytes({});
    w.WriteString(u"");
  } else {
    w.WriteString(u"common_res.dll");
    w.WriteUInt64(62);
    w.WriteString(u"");
    w.WriteUInt64(0);
  }
  w.WriteUInt32(1);
  w.WriteFloat(0);
  w.WriteUInt32(4);  // frames
  w.WriteFloat(8);   // per second
  w.WriteBool(true);
  if (version == 1) {
    w.WriteInt32(1);
    w.WriteUInt32(7);
    return;
  }
  if (version >= 4) w.WriteLong(0);
  if (version >= 5) {
    w.WriteLong(1);  // flip vertical
    w.WriteLong(0);
  }
  if (version >= 6) w.WriteLong(1);
  if (version >= 7) w.WriteUInt32(200);
}

}  // namespace glimmer::testing
