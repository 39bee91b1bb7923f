#pragma once
// QVX_Tears: the shooting line under another name (tears running down a
// path); it stores nothing of its own.

#include "particles/shooting_line.h"

namespace glimmer {

class QVX_Tears : public QVX_ShootingLine {
  GLIMMER_LAYER_KIND(QVX_Tears)

 public:
  void Serialize(Archive& ar, int32_t version) override;
};

class TearsSystem : public ShootingLineSystem {
 public:
  explicit TearsSystem(const QVX_Tears& constructor)
      : ShootingLineSystem(std::make_unique<QVX_Tears>(constructor)) {}
};

}  // namespace glimmer
