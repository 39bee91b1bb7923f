#include "params/media_param.h"

namespace glimmer {

MediaParam::~MediaParam() {
  // Observers must not touch this parameter afterwards.
  std::vector<MediaControl*> controls;
  controls.swap(controls_);
  for (MediaControl* c : controls) c->Detach(this);
}

void MediaParam::AppendControl(MediaControl* control) {
  controls_.push_back(control);
  if (!control->Observes(this)) control->observed_.push_back(this);
  control->Attached(this);
}

void MediaParam::AddControl(MediaControl* control) {
  AppendControl(control);
  control->OnChanged(nullptr);
}

void MediaParam::RemoveControl(MediaControl* control) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
  auto& observed = control->observed_;
  observed.erase(std::remove(observed.begin(), observed.end(), this), observed.end());
}

void MediaParam::NotifyControls(MediaControl* sender) {
  // Index-based: an observer may remove itself while being notified.
  for (size_t i = 0; i < controls_.size(); ++i) {
    MediaControl* c = controls_[i];
    if (c == sender) continue;
    c->OnChanged(sender);
    if (i < controls_.size() && controls_[i] != c) --i;  // it removed itself
  }
}

void MediaParam::StepValue(int, MediaControl*) {}

MediaControl::~MediaControl() {
  while (!observed_.empty()) observed_.back()->RemoveControl(this);
}

void MediaControl::Detach(MediaParam* param) {
  observed_.erase(std::remove(observed_.begin(), observed_.end(), param), observed_.end());
}

}  // namespace glimmer
