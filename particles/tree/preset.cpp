#include "particles/tree/preset.h"

#include <cmath>

#include "params/param_serialization.h"
#include "store/archive.h"

namespace glimmer {

void QVX_PtclSysPreset::Serialize(Archive& ar, int32_t version) {
  Field(ar, "tempo", tempo);
  if (version > 1) Field(ar, "sizes", sizes, 4);
  if (version > 2) Field(ar, "colours", colours);
  SerializeBase<QVX_PSTree_Root>(ar, *this);
}

std::unique_ptr<QVX_PSTree_Root> QVX_PtclSysPreset::Clone() const {
  return std::make_unique<QVX_PtclSysPreset>(*this);
}

namespace {
void CollectLeaves(const TreeNodeList& nodes, std::vector<QVX_PSTree_Leaf*>& out) {
  for (const auto& node : nodes) {
    if (!node) continue;
    if (auto* leaf = dynamic_cast<QVX_PSTree_Leaf*>(node.get())) out.push_back(leaf);
    CollectLeaves(node->children, out);
  }
}
}  // namespace

void QVX_PtclSysPreset::Prepare() {
  speed = MediaSpeedParam(tempo.Value(), 0.01f, 0.0f);
  std::vector<QVX_PSTree_Leaf*> leaves;
  CollectLeaves(children, leaves);
  for (size_t i = 0; i < leaves.size() && i < kMaxEntries; ++i) {
    ParticleAppearance& look = leaves[i]->look;
    if (i < sizes.size() && std::isfinite(sizes[i]) && sizes[i] >= 0 && sizes[i] <= 100) {
      look.baseSize.StoreValue(uint32_t(std::lround(float(look.baseSize.Value()) * sizes[i])));
    }
    if (i < colours.size()) {
      std::vector<uint32_t> list = look.colours.colours.Value();
      if (list.empty()) list.push_back(0);
      list.front() = colours[i] & 0xFFFFFF;
      look.colours.colours.StoreValue(list);
    }
  }
}

GLIMMER_REGISTER_LAYER_KIND(QVX_PtclSysPreset, QVX_PtclSys_Mesh)

}  // namespace glimmer
