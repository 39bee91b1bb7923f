#pragma once
// QVX_SprayPtclSys: the splash born continuously, at a rate.

#include "particles/splash.h"

namespace glimmer {

class QVX_SprayPtclSys : public QVX_SplashPtclSys {
  GLIMMER_LAYER_KIND(QVX_SprayPtclSys)

 public:
  // The rate, then the splash's part; version 1 stores the rate, the
  // rectangle and the older splash fields itself, without the splash's
  // header.
  void Serialize(Archive& ar, int32_t version) override;

  QVX_EvenImitter rate;
};

class SpraySystem : public SplashFamilyRuntime<QVX_SprayPtclSys> {
 public:
  using SplashFamilyRuntime::SplashFamilyRuntime;

 protected:
  bool Emit(float dt, size_t first) override;
};

}  // namespace glimmer
