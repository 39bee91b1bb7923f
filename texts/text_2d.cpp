#include "texts/text_2d.h"

#include "params/param_serialization.h"
#include "scene/render_context.h"
#include "store/archive.h"

namespace glimmer {

QVX_2DTex::QVX_2DTex() {
  D3DXVECTOR3 centre{400, 300, 0};
  if (const RenderContext* c = CurrentRenderContext())
    centre = {float(c->TargetWidth) / 2, float(c->TargetHeight) / 2, 0};
  placement.SetCentered(400, 100, centre);
}

void QVX_2DTex::Serialize(Archive& ar, int32_t) {
  SerializeStyling(ar, styling, &placement);
  SerializeBase<QVX_Text>(ar, *this);
}

GLIMMER_REGISTER_STYLED_TEXT(QVX_2DTex)

}  // namespace glimmer
