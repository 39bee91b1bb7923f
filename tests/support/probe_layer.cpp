#include "tests/support/probe_layer.h"

#include "document/resource_manager.h"
#include "params/param_serialization.h"
#include "platform/gpu/builtin_effects.h"

namespace glimmer::testing {

void ProbeLayer::Serialize(Archive& ar, int32_t) {
  Field(ar, "tint", tint);
  Field(ar, "effect", effect);
  SerializeBase<ZT_ABObj_Constructor>(ar, *this);
}

void ProbeObject::Draw(ZT_ABRender& renderer) {
  if (draw) {
    draw(renderer);
    return;
  }
  if (settings().tint.Value() == 0) return;
  // A missing effect skips the drawing.
  QVX_DocResManager* resources = QVX_DocResManager::Current();
  std::shared_ptr<Effect> fx = resources ? resources->GetEffect(settings().effect) : nullptr;
  if (!fx) return;
  const uint32_t c = settings().tint.Value();
  fx->SetVector("Tint", {float((c >> 16) & 255) / 255, float((c >> 8) & 255) / 255,
                         float(c & 255) / 255, float(c >> 24) / 255});
  fx->SetTechnique("Tint");
  renderer.DrawFx(renderer.GetPictureQuad(), *fx);
}

GLIMMER_REGISTER_LAYER_KIND(ProbeLayer, ProbeObject)

namespace {

// "Tint": the stored colour over the target with its alpha. A kind in the
// program keeps this GLSL in its own .glsl file beside it (TechniqueShader).
std::shared_ptr<const EffectDesc> MakeProbeEffect() {
  auto d = std::make_shared<EffectDesc>();
  d->name = "probe tint";
  d->params = {{"Tint", EffectParamType::Float4}};
  EffectPassDesc pass;
  pass.name = "P0";
  pass.renderStates = {{D3DRS_ALPHABLENDENABLE, 1},
                       {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
                       {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
                       {D3DRS_CULLMODE, D3DCULL_NONE}};
  pass.pixelShader = "uniform vec4 Tint;\nvoid main() { o_color = Tint; }\n";
  d->techniques = {{"Tint", {pass}}};
  return d;
}

}  // namespace

GLIMMER_REGISTER_EFFECT(u"probe_res.dll", 1, MakeProbeEffect)

}  // namespace glimmer::testing
