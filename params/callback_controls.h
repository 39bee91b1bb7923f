#pragma once
// Observers that call back into their owner when a parameter changes.

#include "params/media_param.h"

namespace glimmer {

// Calls a member function of its owner on every notified change. Attached at
// construction without an initial call.
template <class O>
class SmartCalbackCtrl : public MediaControlT<MediaParam> {
 public:
  using Callback = void (O::*)();
  SmartCalbackCtrl(Callback callback, O* owner, MediaParam* param)
      : callback_(callback), owner_(owner) {
    if (param) param->AppendControl(this);
  }
  SmartCalbackCtrl(const SmartCalbackCtrl&) = delete;
  SmartCalbackCtrl& operator=(const SmartCalbackCtrl&) = delete;

  void OnChanged(MediaControl*) override {
    if (owner_ && callback_) (owner_->*callback_)();
  }

 private:
  Callback callback_;
  O* owner_;
};

// Calls a plain function with its owner and the parameter's current value.
// Attached with AddControl, so it runs once at once.
template <class T, class O>
class ZT_FunLightCtrl : public MediaControlT<MediaParamTB<T>> {
 public:
  using Function = void (*)(O* owner, T value);
  ZT_FunLightCtrl(Function function, O* owner) : function_(function), owner_(owner) {}

  void OnChanged(MediaControl*) override {
    if (auto* p = this->Param()) function_(owner_, p->Value());
  }

 private:
  Function function_;
  O* owner_;
};

}  // namespace glimmer
