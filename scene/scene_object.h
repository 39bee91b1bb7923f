#pragma once
// Scene objects: every layer exists as a stored constructor (settings read
// from the document) and, once the show is instantiated, as a runtime object
// that owns a private copy of its constructor and does the per-frame work.

#include <map>
#include <memory>
#include <string>

#include "common/guid.h"
#include "params/smart_timing.h"
#include "platform/screen_context.h"
#include "store/stored_item.h"

namespace glimmer {

class ZT_ABRender;
class ZT_ABObj;
class QVX_RenderObj;

// The stored data of anything rendered or timed: its time line holder and
// its identity.
class QVX_RenderObjData : public ZT_IOF_Item {
  GLIMMER_STORED_CLASS(QVX_RenderObjData, 1)

 public:
  void Serialize(Archive& ar, int32_t version) override;
  virtual void Restart() {}

  QVX_SmartTiming timing;
  Guid identity;
  int32_t keepIdentity = 1;
};

// The base of every layer constructor.
class ZT_ABObj_Constructor : public QVX_RenderObjData {
  GLIMMER_STORED_CLASS(ZT_ABObj_Constructor, 4)

 public:
  ZT_ABObj_Constructor() = default;
  ZT_ABObj_Constructor(const ZT_ABObj_Constructor&) = default;

  // Name, depth from version 3, a legacy timing record in versions 2 and 3,
  // the render-data part from version 4.
  void Serialize(Archive& ar, int32_t version) override;

  // A runtime object around a copy of this constructor.
  virtual std::shared_ptr<ZT_ABObj> CreateRuntime() const = 0;

  // The parallax factor of this layer: 100 ÷ depth − 1 (depth 0 counts as 1).
  float ParallaxFactor() const;

  // The pointer, in slide pixels: the cursor over the layer (true where it
  // turns into a hand) and a click (true where the layer takes it). Layers
  // that do not answer the pointer say false.
  virtual bool PointerOver(float x, float y) { return PointerHit(x, y); }
  virtual bool PointerHit(float x, float y) {
    (void)x;
    (void)y;
    return false;
  }
  // The address a click on the layer opens; empty: none.
  virtual std::string LinkAddress() const { return {}; }

  std::u16string name;
  MediaParamT<uint32_t> depth{100};
  int32_t reserved = 0;
};

// The live objects of one loaded show by identity; dependent time lines find
// their masters here. Runtime objects enter and leave it themselves.
class LiveObjectMap : public TimingDirectory {
 public:
  void Enter(const Guid& id, ZT_ABObj* object) { objects_[id] = object; }
  void Leave(const Guid& id, const ZT_ABObj* object);
  ZT_ABObj* Find(const Guid& id) const;
  std::shared_ptr<QVX_SmartTiming> FindTiming(const Guid& id) const override;
  size_t size() const { return objects_.size(); }

 private:
  std::map<Guid, ZT_ABObj*> objects_;
};

// Runtime objects made now enter the current screen's live-object map
// (CurrentLiveObjects, platform/screen_context.h), installed while a show
// instantiates.

class QVX_RenderObj {
 public:
  virtual ~QVX_RenderObj() = default;

  virtual void Draw(ZT_ABRender& renderer) = 0;
  virtual void Render(ZT_ABRender& renderer, int pass);
  virtual bool NeedsSceneCopy() const { return false; }
  // How many scene copies the layer takes in a frame (CopyScene calls).
  virtual int SceneCopyCount() const { return NeedsSceneCopy() ? 1 : 0; }
  virtual bool KeepsSceneCopy(bool first) const {
    (void)first;
    return false;
  }
  virtual void SetActive(bool active) { active_ = active ? 1 : 0; }
  // Resets the current time line and the constructor copy's state.
  virtual void Restart();
  virtual QVX_SmartTiming& GetTiming() { return data_->timing; }
  // The per-frame update, to the layer's accumulated local time.
  virtual void Advance(float localTime) = 0;

  bool IsActive() const { return active_ != 0; }

 protected:
  int32_t active_ = 1;
  QVX_RenderObjData* data_ = nullptr;
};

class ZT_ABObj : public QVX_RenderObj, public std::enable_shared_from_this<ZT_ABObj> {
 public:
  // Takes the constructor copy; gives it an identity when it has none (or
  // may not keep its own) and enters the current live-object map.
  explicit ZT_ABObj(std::unique_ptr<ZT_ABObj_Constructor> constructor);
  ~ZT_ABObj() override;

  // The layer clock for slide time t: the step since the last outer time,
  // slowed by the time line's visibility in clock mode 2, accumulated.
  void Tick(float t);

  ZT_ABObj_Constructor& Constructor() const { return *constructor_; }

 private:
  std::unique_ptr<ZT_ABObj_Constructor> constructor_;
  LiveObjectMap* liveObjects_;
};

}  // namespace glimmer
