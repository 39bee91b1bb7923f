#pragma once
// Particle trees in tests: trees made from their readable form, the stored
// bytes of the tree shape the shipped document uses, and a headless run.

#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "particles/tree/root.h"
#include "store/json_archive.h"
#include "store/stream_writer.h"
#include "tests/support/archive_helpers.h"
#include "tests/support/particle_kind_test.h"

namespace glimmer::testing {

// A layer read from its JSON form (with its "class").
template <class T = QVX_PSTree_Root>
std::shared_ptr<T> TreeFromJson(const std::string& text) {
  Json json;
  json["layer"] = Json::parse(text);
  FileBlobStore blobs;
  JsonInArchive in(json, blobs);
  ZT_SafePtr<ZT_ABObj_Constructor> layer;
  Field(in, "layer", layer, GeneralRegistry());
  return std::dynamic_pointer_cast<T>(layer);
}

// The geometry base block with recognisable values.
inline void WriteGeometryBase(ZT_IOF_W& w, std::u16string_view name) {
  w.WriteHeader(u"QVX_PtclSys_Geometry", 1);
  w.WriteString(name);
  for (float f : {1.0f, 2.0f, 0.0f}) w.WriteFloat(f);
  for (int k = 0; k < 2; ++k) {  // size and opacity waves: off
    w.WriteUInt32(100);
    w.WriteUInt32(50);
    w.WriteLong(0);
  }
  w.WriteUInt32(100);  // size 1.0
  w.WriteUInt32(0);
  w.WriteUInt32(0);  // opacity 1.0
  w.WriteUInt32(0);
  for (int k = 0; k < 2; ++k) {  // envelopes: flat at 1
    w.WriteLong(1);
    for (uint32_t u : {0u, 0u, 100u, 0u, 0u, 0u, 1u}) w.WriteUInt32(u);
  }
  for (int k = 0; k < 2; ++k) {  // along and across waves: off
    w.WriteUInt32(50);
    w.WriteUInt32(50);
    w.WriteLong(0);
  }
  w.WriteLong(1);  // spin: fixed at angle 0
  w.WriteLong(0);
  w.WriteUInt32(0);
  w.WriteUInt32(0);
  w.WriteLong(0);
  w.WriteUInt32(0);
  w.WriteUInt32(0);
}

// The leaf block: effect 185, the built-in spot, additive, no glow.
inline void WriteLeafBlock(ZT_IOF_W& w) {
  w.WriteString(u"common_res.dll");
  w.WriteUInt64(185);
  w.WriteString(u"Particle shape 1");  // the texture: name, no images, version 3
  w.WriteInt32(0);
  w.WriteUInt32(3);
  w.WriteUInt32(1);
  w.WriteUInt32(1);
  w.WriteString(u"common_res.dll");
  w.WriteUInt64(62);
  w.WriteBool(false);
  w.WriteUInt32(100);  // texture speed
  for (int k = 0; k < 3; ++k) w.WriteLong(0);
  w.WriteUInt32(12);  // base size
  w.WriteUInt32(1);   // colour table: version, colours, mode, phase, transparency
  w.WriteInt32(2);
  w.WriteUInt32(0x00FFFFFF);
  w.WriteUInt32(0x000080FF);
  w.WriteUInt32(1);
  w.WriteUInt32(0);
  w.WriteUInt32(0);
  w.WriteLong(1);  // additive
  w.WriteLong(0);  // no glow
  w.WriteUInt32(50);
  w.WriteInt32(0x00FFFF);
  w.WriteUInt32(100);
  w.WriteLong(2);
}

// The shipped shape: root (version 2, restart 1) → stem "Point Emitter"
// (a point emitter of `count` a second, attached, upwards) → leaf "Point".
inline std::vector<uint8_t> ShippedTreeBytes(uint32_t count = 20, int32_t restart = 1) {
  ZT_IOF_W w;
  w.WriteHeader(u"QVX_PSTree_Root", 2);
  w.WriteString(u"common_res.dll");
  w.WriteUInt64(185);
  for (float f : {100.0f, 80.0f, 0.0f}) w.WriteFloat(f);
  w.WriteLong(0);
  w.WriteLong(restart);
  w.WriteInt32(1);
  w.WriteHeader(u"QVX_PSTree_Stem", 1);
  w.WriteHeader(u"QVX_PSTree_Node", 1);
  w.WriteString(u"Point Emitter");
  w.WriteHeader(u"QVX_PSGeomEmit_Point", 1);
  w.WriteUInt32(90);  // direction: up
  w.WriteUInt32(0);   // no spread
  w.WriteUInt32(0);
  w.WriteLong(0);
  w.WriteLong(2);  // forces: version 2, no drag, no gravity
  w.WriteLong(0);
  w.WriteLong(0);
  w.WriteUInt32(0);
  w.WriteUInt32(0);
  w.WriteHeader(u"QVX_PSGeometry_Emitter", 1);
  w.WriteFloat(2.0f);  // life
  w.WriteUInt32(count);
  w.WriteFloat(1.0f);  // duration
  w.WriteFloat(0.0f);  // pause
  w.WriteFloat(0.0f);  // delay
  w.WriteUInt32(50);   // speed, no jitter
  w.WriteUInt32(0);
  w.WriteLong(1);  // attached
  WriteGeometryBase(w, u"Point Emitter");
  w.WriteInt32(1);  // the stem's children
  w.WriteHeader(u"QVX_PSTree_Leaf", 1);
  WriteLeafBlock(w);
  w.WriteHeader(u"QVX_PSTree_Node", 1);
  w.WriteString(u"Point");
  w.WriteHeader(u"QVX_PSGeometry_Point", 1);
  WriteGeometryBase(w, u"Point");
  w.WriteInt32(0);
  w.WriteHeader(u"ZT_ABObj_Constructor", 1);
  w.WriteString(u"shipped tree");
  return w.Take();
}

inline std::shared_ptr<QVX_PSTree_Root> ReadTree(const std::vector<uint8_t>& bytes) {
  ZT_SafePtr<ZT_ABObj_Constructor> layer;
  ReadWith(bytes, [&](Archive& ar) { Field(ar, "layer", layer, GeneralRegistry()); });
  return std::dynamic_pointer_cast<QVX_PSTree_Root>(layer);
}

// Trees run headless on the shared device with a 320 × 180 target.
class TreeTest : public ParticleKindTest {
 protected:
  std::shared_ptr<QVX_PtclSys_Mesh> StartTree(const QVX_PSTree_Root& root) {
    auto mesh = std::dynamic_pointer_cast<QVX_PtclSys_Mesh>(root.CreateRuntime());
    mesh->Restart();
    return mesh;
  }
  static void RunTree(QVX_PtclSys_Mesh& mesh, float from, float to, float fps = 50) {
    for (int k = 0;; ++k) {
      const float t = from + float(k) / fps;
      if (t > to + 1e-4f) break;
      mesh.Advance(t);
    }
  }
};

}  // namespace glimmer::testing
