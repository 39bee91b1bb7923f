#pragma once
// ZT_CloudFX: clouds drifting over the picture along the direction, lit
// on their tops, inside a mask that can itself travel along a path.

#include <cstdint>

#include "document/file_links.h"
#include "effects/screen_effect.h"
#include "params/paths.h"

namespace glimmer {

class ZT_CloudFX : public ZT_DirectionBased {
  GLIMMER_LAYER_KIND(ZT_CloudFX)

 public:
  ZT_CloudFX();
  // Light colour, shadow colour, two cloud pictures, threshold, density,
  // the path; then the direction-based part. The strength (u × 0.05) is
  // slide heights drifted per clock unit (speed u × 0.001 a second: 50 and
  // 50 drift an eighth of the slide a second); the screen effect's scale
  // sets the clouds' size.
  void Serialize(Archive& ar, int32_t version) override;

  // The clouds' lit colour and their shadows' colour, COLORREFs.
  MediaParamT<int32_t> lightColour{0x00FFFFFF};
  MediaParamT<int32_t> shadowColour{0x00A08C80};
  // Pictures whose alpha shapes the clouds (broad) and their detail
  // (fine); built-in spots 70 and 72 when missing.
  ZT_ImageFileLink shape{u"common_res.dll", 70};
  ZT_ImageFileLink detail{u"common_res.dll", 72};
  // The sky left clear: u × 0.01 (0 clouds everywhere, 100 none).
  UINTSclaleTo<float> threshold{45, 0.01f, 0.0f};
  // The clouds' opacity: u × 0.01.
  UINTSclaleTo<float> density{80, 0.01f, 0.0f};
  // The mask travels along these points (slide pixels), there and back,
  // at the drift's pace; fewer than two points keep it still.
  SmartPath<DX_SmartPnt> path;
};

class CloudFX : public FxKind<ZT_CloudFX> {
 public:
  using FxKind::FxKind;
  // Where the mask has travelled along the path from its first point, in
  // slide pixels, after `distance` pixels there and back.
  static D3DXVECTOR3 AlongPath(const std::vector<D3DXVECTOR3>& points, float distance);

 protected:
  void Prepare() override;
  void SetParameters(ZT_ABRender& renderer) override;

 private:
  TexturePtr shape_, detail_;
};

}  // namespace glimmer
