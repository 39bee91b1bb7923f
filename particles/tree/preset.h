#pragma once
// QVX_PtclSysPreset: a ready-made particle tree tuned by a few values: a
// tempo (u × 0.01, the tree's speed), a size factor and a colour for each
// drawing leaf in tree order (depth first, children in order). A leaf
// without an entry keeps its own; a factor outside 0..100 or not finite is
// ignored.

#include <vector>

#include "particles/tree/root.h"

namespace glimmer {

class QVX_PtclSysPreset : public QVX_PSTree_Root {
  GLIMMER_LAYER_KIND(QVX_PtclSysPreset)

 public:
  // The tempo; version 2: the size factors; version 3: the colours; then
  // the root's part.
  void Serialize(Archive& ar, int32_t version) override;
  int32_t GetKind() const override { return 3; }
  std::unique_ptr<QVX_PSTree_Root> Clone() const override;

  // At most this many leaf entries are applied.
  static constexpr size_t kMaxEntries = 256;

  UINTSclaleTo<float> tempo{100, 0.01f, 0.0f};
  std::vector<float> sizes;
  std::vector<uint32_t> colours;  // 0x00BBGGRR

 protected:
  void Prepare() override;
};

}  // namespace glimmer
