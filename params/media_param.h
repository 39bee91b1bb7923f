#pragma once
// The observable core: parameters hold a value and an ordered list of
// observers; observers keep derived values in step or call back into their
// owner. Destroying either side leaves the other valid: a parameter detaches
// its observers, an observer removes itself from what it observes.

#include <algorithm>
#include <vector>

namespace glimmer {

class MediaControl;

class MediaParam {
 public:
  MediaParam() = default;
  // A copy starts with no observers of its own; assignment keeps them.
  MediaParam(const MediaParam&) {}
  MediaParam& operator=(const MediaParam&) { return *this; }
  virtual ~MediaParam();

  // Appends `control`, then calls its OnChanged once with a null sender so
  // derived values are computed at once.
  void AddControl(MediaControl* control);
  // Appends `control` without the initial call.
  void AppendControl(MediaControl* control);
  // Removes every entry equal to `control`.
  virtual void RemoveControl(MediaControl* control);
  // OnChanged(sender) on every observer in list order but the sender itself.
  virtual void NotifyControls(MediaControl* sender);
  virtual void StepValue(int direction, MediaControl* sender);

  size_t ControlCount() const { return controls_.size(); }
  MediaControl* ControlAt(size_t i) const { return controls_[i]; }

 private:
  std::vector<MediaControl*> controls_;
};

class MediaControl {
 public:
  MediaControl() = default;
  // A copy observes nothing; its owner attaches it where it belongs.
  MediaControl(const MediaControl&) {}
  MediaControl& operator=(const MediaControl&) { return *this; }
  virtual ~MediaControl();

  // `param` is being destroyed: forget it.
  virtual void Detach(MediaParam* param);
  virtual bool SuppressesUndo() const { return false; }
  // The observed value changed; `sender` caused it, or is null.
  virtual void OnChanged(MediaControl* sender) { (void)sender; }

  bool Observes(const MediaParam* param) const {
    return std::find(observed_.begin(), observed_.end(), param) != observed_.end();
  }

 protected:
  // Called when this control is appended to `param`'s list.
  virtual void Attached(MediaParam* param) { (void)param; }

 private:
  friend class MediaParam;
  std::vector<MediaParam*> observed_;
};

// An observer bound to one parameter of type P.
template <class P>
class MediaControlT : public MediaControl {
 public:
  P* Param() const { return param_; }
  void Detach(MediaParam* param) override {
    MediaControl::Detach(param);
    if (param == param_) param_ = nullptr;
  }

 protected:
  void Attached(MediaParam* param) override {
    // Observing a new parameter ends the observation of the old one.
    if (param_ && param_ != param) param_->RemoveControl(this);
    param_ = dynamic_cast<P*>(param);
  }

 private:
  P* param_ = nullptr;
};

// A parameter with a value. SetValue notifies only on change.
template <class T>
class MediaParamTB : public MediaParam {
 public:
  MediaParamTB() = default;
  explicit MediaParamTB(const T& v) : value_(v) {}
  MediaParamTB(const MediaParamTB& o) : MediaParam(o), value_(o.value_) {}
  MediaParamTB& operator=(const MediaParamTB& o) {
    SetValue(o.value_);
    return *this;
  }

  const T& Value() const { return value_; }
  void SetValue(const T& v) {
    if (v == value_) return;
    value_ = v;
    ValueStored();
    NotifyControls(nullptr);
  }
  // Stores without notifying observers (owners that read directly into the
  // value and recompute what they derive themselves).
  void StoreValue(const T& v) {
    value_ = v;
    ValueStored();
  }

 protected:
  // Runs after every store, before observers hear of it.
  virtual void ValueStored() {}

 private:
  T value_{};
};

// The parameter kind stored objects embed. (The editor's undo observer that
// would sit first in its list has no role in the player and is left out.)
template <class T>
class MediaParamT : public MediaParamTB<T> {
 public:
  using MediaParamTB<T>::MediaParamTB;
  MediaParamT() = default;
  MediaParamT(const MediaParamT&) = default;
  MediaParamT& operator=(const MediaParamT& o) {
    MediaParamTB<T>::operator=(o);
    return *this;
  }
};

}  // namespace glimmer
