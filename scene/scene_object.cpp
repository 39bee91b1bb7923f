#include "scene/scene_object.h"

#include "params/param_serialization.h"
#include "scene/renderer_interface.h"
#include "store/archive.h"
#include "store/class_registry.h"

namespace glimmer {
void QVX_RenderObjData::Serialize(Archive& ar, int32_t) {
  Field(ar, "identity", identity);
  Field(ar, "timing", timing);
}

void ZT_ABObj_Constructor::Serialize(Archive& ar, int32_t version) {
  Field(ar, "name", name);
  if (version >= 3) Field(ar, "depth", depth);
  if (ar.IsReading() && version < 2) timing.StoreValue(0);
  if (version == 2 || version == 3) {
    // Older layers store their timing settings; they become a time line.
    ZT_TimeLineControl legacy;
    Field(ar, "legacyTiming", legacy);
    legacy.InstallInto(timing);
  }
  if (version >= 4) SerializeBase<QVX_RenderObjData>(ar, *this);
}

float ZT_ABObj_Constructor::ParallaxFactor() const {
  const uint32_t d = depth.Value() == 0 ? 1 : depth.Value();
  return 100.0f / static_cast<float>(d) - 1.0f;
}

void LiveObjectMap::Leave(const Guid& id, const ZT_ABObj* object) {
  auto it = objects_.find(id);
  if (it != objects_.end() && it->second == object) objects_.erase(it);
}

ZT_ABObj* LiveObjectMap::Find(const Guid& id) const {
  auto it = objects_.find(id);
  return it == objects_.end() ? nullptr : it->second;
}

std::shared_ptr<QVX_SmartTiming> LiveObjectMap::FindTiming(const Guid& id) const {
  ZT_ABObj* object = Find(id);
  if (!object) return nullptr;
  std::shared_ptr<ZT_ABObj> owner = object->weak_from_this().lock();
  if (!owner) return nullptr;
  // Shares the runtime object's lifetime: the timing lives inside it.
  return std::shared_ptr<QVX_SmartTiming>(owner, &object->GetTiming());
}

void QVX_RenderObj::Render(ZT_ABRender& renderer, int pass) {
  if (NeedsSceneCopy()) renderer.CopyScene(pass, true);
  Draw(renderer);
}

void QVX_RenderObj::Restart() {
  if (QVX_Timing* line = data_->timing.Line()) line->Reset();
  data_->Restart();
}

ZT_ABObj::ZT_ABObj(std::unique_ptr<ZT_ABObj_Constructor> constructor)
    : constructor_(std::move(constructor)), liveObjects_(CurrentLiveObjects()) {
  data_ = constructor_.get();
  if (constructor_->identity.IsNull() || constructor_->keepIdentity == 0) {
    constructor_->identity = Guid::Fresh();
  }
  if (liveObjects_) liveObjects_->Enter(constructor_->identity, this);
}

ZT_ABObj::~ZT_ABObj() {
  if (liveObjects_) liveObjects_->Leave(constructor_->identity, this);
}

void ZT_ABObj::Tick(float t) {
  QVX_SmartTiming& timing = data_->timing;
  float dt = t - timing.LastOuterTime;
  timing.LastOuterTime = t;
  QVX_Timing* line = timing.Line();
  if (line) line->Advance(t);
  if (line && !(timing.Flags & QVX_SmartTiming::kNoVisibilityRate) &&
      timing.ClockMode.Value() == 2) {
    dt *= line->Visibility();
  }
  timing.LayerTime += dt;
  Advance(timing.LayerTime);
}

}  // namespace glimmer
