#pragma once
// QVX_FontainPtclSys: the burst thrown continuously, at a rate.

#include "particles/burst.h"

namespace glimmer {

class QVX_FontainPtclSys : public QVX_BurstPtclSys {
  GLIMMER_LAYER_KIND(QVX_FontainPtclSys)

 public:
  // The rate, then the burst's part; version 1 stores the older burst
  // fields itself, without the burst's header.
  void Serialize(Archive& ar, int32_t version) override;

  QVX_EvenImitter rate;
};

class FountainSystem : public BurstFamilyRuntime<QVX_FontainPtclSys> {
 public:
  using BurstFamilyRuntime::BurstFamilyRuntime;

 protected:
  bool Emit(float dt, size_t first) override;
};

}  // namespace glimmer
