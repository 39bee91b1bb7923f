#pragma once
// The program's shared pointer: slides, music entries and runtime layers are
// held through it and deleted when the last holder lets go.

#include <memory>

namespace glimmer {

template <class T>
using ZT_SafePtr = std::shared_ptr<T>;

}  // namespace glimmer
