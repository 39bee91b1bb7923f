#pragma once
// QVX_IOF_Item: the base of the particle tree's stored parts (nodes and
// geometries), created through the item registry. Each can copy itself, so a
// layer's tree is cloned whole for every runtime.

#include <memory>

#include "store/stored_item.h"

namespace glimmer {

class QVX_IOF_Item : public ZT_IOF_Item {
 public:
  // A copy of the settings; runtime state (particles, loaded resources) is
  // never copied.
  virtual std::unique_ptr<QVX_IOF_Item> Clone() const = 0;
};

// A deep copy of `item` as its own type, or null.
template <class T>
std::shared_ptr<T> CloneItem(const std::shared_ptr<T>& item) {
  if (!item) return nullptr;
  std::unique_ptr<QVX_IOF_Item> copy = item->Clone();
  return std::shared_ptr<T>(static_cast<T*>(copy.release()));
}

// Runtime state that a copy starts afresh instead of copying.
template <class T>
struct FreshOnCopy {
  FreshOnCopy() = default;
  FreshOnCopy(const FreshOnCopy&) {}
  FreshOnCopy& operator=(const FreshOnCopy&) { return *this; }
  T value;
};

}  // namespace glimmer

// Inside a tree item's class body: its Clone.
#define GLIMMER_TREE_ITEM(Class)                                    \
 public:                                                            \
  std::unique_ptr<::glimmer::QVX_IOF_Item> Clone() const override { \
    return std::make_unique<Class>(*this);                          \
  }
