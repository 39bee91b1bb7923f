#pragma once
// Geometries of the particle tree: the stored base every node's geometry
// derives from (pool, transform table, the shared look of its particles),
// the timed emitter base and the emitters that create particles over time
// (point, sector, rectangle, stream, path line, placed path).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "params/geometry_params.h"
#include "params/paths.h"
#include "particles/tree/transforms.h"
#include "particles/tree/tree_item.h"

namespace glimmer {

// At most this many live particles in one geometry; births beyond are
// dropped with one message.
inline constexpr uint32_t kMaxTreeParticlesPerGeometry = 1'000'000;
// An emitter's particles per burst are capped here, with one message.
inline constexpr uint32_t kMaxTreeBurstCount = 100'000;

// A geometry's particles: slots in fixed blocks, so addresses (and the
// handles children hold) stay valid while the pool grows; freed slots are
// reused with a new generation. `Live` keeps birth order.
class TreePool {
 public:
  TreePool() = default;
  TreePool(const TreePool&) {}
  TreePool& operator=(const TreePool&) { return *this; }

  // A slot, or null at the cap.
  TreeParticle* Allocate();
  // Drops every particle whose dead flag is set, keeping the others' order.
  void Sweep();
  void Clear();
  size_t Count() const { return live_.size(); }
  const std::vector<TreeParticle*>& Live() const { return live_; }

 private:
  static constexpr size_t kBlock = 1024;
  std::vector<std::unique_ptr<TreeParticle[]>> blocks_;
  std::vector<TreeParticle*> free_;
  std::vector<TreeParticle*> live_;
};

// What the drawing leaf lends the geometry below it.
struct LeafLink {
  const ColourTable* colours = nullptr;  // every particle gets a colour transform
  // A trace leaf's trail: its life in seconds and size and opacity over it.
  float traceLife = 0;
  const LifeEnvelope7* traceSize = nullptr;
  const LifeEnvelope7* traceOpacity = nullptr;
};

class QVX_PtclSys_Geometry : public QVX_IOF_Item {
  GLIMMER_STORED_CLASS(QVX_PtclSys_Geometry, 1)

 public:
  QVX_PtclSys_Geometry();
  QVX_PtclSys_Geometry(const QVX_PtclSys_Geometry&) = default;

  void Serialize(Archive& ar, int32_t version) override;

  // A new particle on `parent` (may be empty) at the geometry's position,
  // initialised by InitParticle and appended; null at the cap.
  TreeParticle* CreateParticle(const ParticleHandle& parent);
  // The cell draws and the shared transforms' draws.
  void InitParticle(TreeParticle& p);
  // Particles made one-for-one for `parent` (followers); appended to `out`.
  virtual void Spawn(const ParticleHandle& parent, std::vector<TreeParticle*>& out) {
    (void)parent;
    (void)out;
  }
  // Particles due over time for `parent` in a step of dt (emitters).
  virtual void Emit(float dt, TreeParticle& parent, std::vector<TreeParticle*>& out) {
    (void)dt;
    (void)parent;
    (void)out;
  }
  // Drops every particle.
  void Reset() { pool.Clear(); }
  // One step of every particle: the reset, the age, death with a dead
  // parent, the transforms; the dead are dropped, the others keep order.
  void Step(float dt);
  // The texture's cell grid; redraws the cell of every particle held.
  void SetGrid(int32_t columns, int32_t rows);
  void Link(const LeafLink& link);
  const TransformTable& Table();

  std::u16string name;
  MediaParamT<D3DXVECTOR3> position;
  OscillationParam sizeWave, opacityWave;
  QVX_JitterParam size{100, 0.01f, 0.0f};
  QVX_JitterParam opacity{0, -0.01f, 1.0f};
  LifeEnvelope7 sizeEnvelope, opacityEnvelope;
  OscillationParam alongWave{1.0f, 50}, acrossWave{1.0f, 50};
  SpinParams spin;
  int32_t columns = 1, rows = 1;

  TreePool pool;

 protected:
  // The kind's table: the shared transforms (AddShared) where the kind's
  // order puts them, then its own; the leaf's colour last.
  virtual void BuildTable(TransformTable& table);
  void AddShared(TransformTable& table);
  void DrawCell(TreeParticle& p) const;
  // The transforms after the shared ones get their draws.
  void InitRest(TreeParticle& p);
  // A slot for a newborn, or null at the cap (reported once).
  TreeParticle* Allocate();
  size_t sharedFirst_ = 0, sharedEnd_ = 0;
  // The leaf's loan; a copy waits for its own leaf to link it.
  const LeafLink& Linked() const { return linked_.value; }

 private:
  FreshOnCopy<LeafLink> linked_;
  FreshOnCopy<TransformTable> table_;
  bool capReported_ = false;
};

class QVX_PSGeometry_Emitter : public QVX_PtclSys_Geometry {
  GLIMMER_STORED_CLASS(QVX_PSGeometry_Emitter, 1)

 public:
  QVX_PSGeometry_Emitter();
  void Serialize(Archive& ar, int32_t version) override;

  // Particles due for a parent of age T in a step of dt: count spread
  // evenly over every burst, none during pauses or before the delay; none
  // for a count or duration of 0 or a non-finite timing.
  uint32_t EmissionCount(float T, float dt) const;
  // Every emission: the particles due for `parent`, each with its life, its
  // place and InitParticle; then, for each of them in turn, the kind's own
  // direction, speed and draws.
  void Emit(float dt, TreeParticle& parent, std::vector<TreeParticle*>& out) override;

  float life = 2.0f;
  uint32_t count = 0;
  float duration = 1.0f, pause = 0, delay = 0;
  QVX_JitterParam speed;
  int32_t attached = 0;

 protected:
  void BuildTable(TransformTable& table) override;
  // The kind's transforms after the shared ones.
  virtual void AddOwn(TransformTable& table) { (void)table; }
  // Sets the newborn's own direction, speed and position; the kind's draws.
  virtual void Place(TreeParticle& p, TreeParticle& parent) = 0;

 private:
  mutable bool countReported_ = false;
};

class QVX_PSGeomEmit_Point : public QVX_PSGeometry_Emitter {
  GLIMMER_STORED_CLASS(QVX_PSGeomEmit_Point)
  GLIMMER_TREE_ITEM(QVX_PSGeomEmit_Point)

 public:
  void Serialize(Archive& ar, int32_t version) override;

  MediaDirection direction;
  MediaParamT<uint32_t> spread{360}, offset;
  int32_t cone = 0;
  ForceParams forces;

 protected:
  void AddOwn(TransformTable& table) override;
  void Place(TreeParticle& p, TreeParticle& parent) override;
};

class QVX_PSGeomEmit_Sector : public QVX_PSGeometry_Emitter {
  GLIMMER_STORED_CLASS(QVX_PSGeomEmit_Sector)
  GLIMMER_TREE_ITEM(QVX_PSGeomEmit_Sector)

 public:
  void Serialize(Archive& ar, int32_t version) override;

  MediaDirection sectorAngle;
  MediaParamT<uint32_t> sectorWidth{90}, radius{50};
  MediaDirection emissionAngle;
  MediaParamT<uint32_t> emissionSpread{30};
  ForceParams forces;

 protected:
  void AddOwn(TransformTable& table) override;
  void Place(TreeParticle& p, TreeParticle& parent) override;
};

class QVX_PSGeomEmit_Rect : public QVX_PSGeometry_Emitter {
  GLIMMER_STORED_CLASS(QVX_PSGeomEmit_Rect)
  GLIMMER_TREE_ITEM(QVX_PSGeomEmit_Rect)

 public:
  void Serialize(Archive& ar, int32_t version) override;

  MediaParamT<uint32_t> width{100}, height{100};
  MediaDirection emissionAngle;
  MediaParamT<uint32_t> emissionSpread{30};
  ForceParams forces;

 protected:
  void AddOwn(TransformTable& table) override;
  void Place(TreeParticle& p, TreeParticle& parent) override;
};

class QVX_PSGeomEmit_Stream : public QVX_PSGeometry_Emitter {
  GLIMMER_STORED_CLASS(QVX_PSGeomEmit_Stream)
  GLIMMER_TREE_ITEM(QVX_PSGeomEmit_Stream)

 public:
  QVX_PSGeomEmit_Stream();
  QVX_PSGeomEmit_Stream(const QVX_PSGeomEmit_Stream& o);
  void Serialize(Archive& ar, int32_t version) override;

  D3DXVECTOR3 start{}, end{100, 0, 0};
  MediaDirection startDirection, endDirection;
  int32_t perspective = 0;

 protected:
  void AddOwn(TransformTable& table) override;
  void Place(TreeParticle& p, TreeParticle& parent) override;

 private:
  StreamShape shape_;
};

// A control-point path, sampled after reading; the base of the path emitters.
class QVX_PSGeometry_Line : public QVX_PSGeometry_Emitter {
  GLIMMER_STORED_CLASS(QVX_PSGeometry_Line, 1)

 public:
  void Serialize(Archive& ar, int32_t version) override;
  SplinePath path;

 protected:
  void Place(TreeParticle& p, TreeParticle& parent) override;
};

class QVX_PSGeomEmit_Line : public QVX_PSGeometry_Line {
  GLIMMER_STORED_CLASS(QVX_PSGeomEmit_Line)
  GLIMMER_TREE_ITEM(QVX_PSGeomEmit_Line)

 public:
  void Serialize(Archive& ar, int32_t version) override;

 protected:
  void AddOwn(TransformTable& table) override;
};

class QVX_PSGeomEmit_Path : public QVX_PSGeometry_Line {
  GLIMMER_STORED_CLASS(QVX_PSGeomEmit_Path)
  GLIMMER_TREE_ITEM(QVX_PSGeomEmit_Path)

 public:
  void Serialize(Archive& ar, int32_t version) override;

  int32_t placement = 0;  // 0 at random along the path, other: evenly by birth order
  MediaDirection direction;
  MediaParamT<uint32_t> spread{0};

 protected:
  void AddOwn(TransformTable& table) override;
  void Place(TreeParticle& p, TreeParticle& parent) override;

 private:
  uint32_t placed_ = 0;
};

}  // namespace glimmer
