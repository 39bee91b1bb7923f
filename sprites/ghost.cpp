#include "sprites/ghost.h"

#include <memory>

#include "params/random_source.h"
#include "params/smart_timing.h"
#include "sprites/sprite_array.h"
#include "store/archive.h"

namespace glimmer {

void ZT_GhostConstructor::Serialize(Archive& ar, int32_t version) {
  SerializeBase<ZT_FishConstructor>(ar, *this);
  if (!ar.IsReading() || version != 1) return;
  // The first ghosts came and went on a line of their own: 1.5 s fades,
  // nothing hidden or shown in between.
  auto line = std::make_shared<QVX_RandomTimeLine>();
  line->HiddenRange.Min.SetValue(0);
  line->HiddenRange.Max.SetValue(0);
  line->VisibleRange.Min.SetValue(0);
  line->VisibleRange.Max.SetValue(0);
  line->FadeIn.SetValue(150);
  line->FadeOut.SetValue(150);
  timing.StoreValue(int32_t(TimingKind::Random));
  timing.SetCurrent(line);
}

void ZT_GhostConstructor::SpawnSprite(SpriteRecord& r) {
  ZT_FishConstructor::SpawnSprite(r);
  r.alphaFactor = RandomUnit();
}

void ZT_GhostConstructor::Prepare() {
  // Decided for the whole group, so that every ghost (not only the first)
  // shows up somewhere else.
  const bool hidden = TimeLineHidden();
  reappearing = !hidden && wasHidden;
  wasHidden = hidden;
}

void ZT_GhostConstructor::MoveSprite(SpriteRecord& r) {
  ZT_FishConstructor::MoveSprite(r);
  if (reappearing) {
    ZT_FishConstructor::SpawnSprite(r);
    r.alphaFactor = RandomUnit();
    changed = true;
  }
  r.alphaFactor = Visibility();
  r.colour = ColourFor(r.alphaFactor);
}

GLIMMER_REGISTER_SPRITE_KIND(ZT_GhostConstructor)

}  // namespace glimmer
