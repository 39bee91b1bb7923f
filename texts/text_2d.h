#pragma once
// QVX_2DTex: a styled text placed on the slide in a quad of slide pixels.

#include "texts/styled_text.h"

namespace glimmer {

class QVX_2DTex : public QVX_Text {
  GLIMMER_LAYER_KIND(QVX_2DTex)

 public:
  // A quad centred on the render target.
  QVX_2DTex();
  // The styling with the placement after its effect link, then the text part.
  void Serialize(Archive& ar, int32_t version) override;
  const MediaQuad& Placement() const override { return placement; }

  MediaQuad placement;
};

}  // namespace glimmer
