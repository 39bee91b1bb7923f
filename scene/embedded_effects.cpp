#include "scene/embedded_effects.h"

namespace glimmer {

namespace {
constexpr KnownName kEmbeddedEffectNames[] = {{u"ZT_UnderwaterFX", 1}};
}  // namespace

ClassRegistry& EmbeddedEffectRegistry() {
  static ClassRegistry registry("embedded effect", kEmbeddedEffectNames);
  return registry;
}

std::unique_ptr<ZT_ABObj_Constructor> CreateEmbeddedEffect(std::u16string_view name) {
  std::unique_ptr<ZT_ABObj_Constructor> made =
      CreateByName<ZT_ABObj_Constructor>(EmbeddedEffectRegistry(), name);
  // The slide kinds also embed ordinary layer kinds (the fire).
  if (!made) made = CreateByName<ZT_ABObj_Constructor>(GeneralRegistry(), name);
  return made;
}

}  // namespace glimmer
