#pragma once
// The template of a layer kind. A kind is one file pair in its subsystem's
// folder: the header holds the stored constructor (the settings a document
// gives), the .cpp its runtime object and the registration.
//
//   // header
//   class ZT_Example : public ZT_ABObj_Constructor {
//     GLIMMER_LAYER_KIND(ZT_Example)
//    public:
//     void Serialize(Archive& ar, int32_t version) override;
//     MediaParamT<float> speed{1};
//   };
//
//   // .cpp
//   class Example : public LayerObject<ZT_Example> {
//    public:
//     using LayerObject::LayerObject;
//     void Advance(float t) override { ... settings().speed.Value() ... }
//     void Draw(ZT_ABRender& renderer) override { ... }
//   };
//   GLIMMER_REGISTER_LAYER_KIND(ZT_Example, Example)
//
// The stored name is the class name and the version comes from the
// vocabulary (store/vocabulary.h); a kind outside it (a test's own) states
// its version: GLIMMER_LAYER_KIND(Name, Version).

#include <memory>

#include "scene/scene_object.h"
#include "store/class_registry.h"

namespace glimmer {

// The runtime object of a kind: owns a private copy of the constructor and
// reaches it with its own type.
template <class Ctor>
class LayerObject : public ZT_ABObj {
 public:
  explicit LayerObject(const Ctor& constructor) : ZT_ABObj(std::make_unique<Ctor>(constructor)) {}

  Ctor& settings() { return static_cast<Ctor&>(Constructor()); }
  const Ctor& settings() const { return static_cast<const Ctor&>(Constructor()); }
};

}  // namespace glimmer

// Inside the constructor's class body: its stored name and version, and the
// declaration of the CreateRuntime that GLIMMER_REGISTER_LAYER_KIND defines.
#define GLIMMER_LAYER_KIND(...)     \
  GLIMMER_STORED_CLASS(__VA_ARGS__) \
  std::shared_ptr<::glimmer::ZT_ABObj> CreateRuntime() const override;

// At namespace scope in the kind's .cpp: registers the constructor among the
// layer kinds and makes `Runtime` (a LayerObject<Ctor>) its runtime object.
#define GLIMMER_REGISTER_LAYER_KIND(Ctor, Runtime)                   \
  std::shared_ptr<::glimmer::ZT_ABObj> Ctor::CreateRuntime() const { \
    return std::make_shared<Runtime>(*this);                         \
  }                                                                  \
  GLIMMER_REGISTER_CLASS(GeneralRegistry, Ctor)
