#pragma once
// The class registries: maps from stored class name to a reader that creates
// an object of that class. Each class registers itself beside its definition
// (GLIMMER_REGISTER_CLASS), so adding a kind never touches a central list.
// Each registry also knows the full vocabulary of names it will hold, so a
// document using a kind that is not built yet is reported as such.

#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/safe_ptr.h"
#include "common/wide_string.h"
#include "store/archive.h"
#include "store/stored_item.h"
#include "store/vocabulary.h"

namespace glimmer {

class ClassRegistry {
 public:
  using Factory = std::unique_ptr<ZT_IOF_Item> (*)();
  struct Entry {
    Factory create;
    int32_t version;  // current stored version of the class
  };
  using KnownName = glimmer::KnownName;

  ClassRegistry(std::string_view name, std::span<const KnownName> vocabulary)
      : name_(name), vocabulary_(vocabulary) {}
  ClassRegistry(const ClassRegistry&) = delete;
  ClassRegistry& operator=(const ClassRegistry&) = delete;

  std::string_view name() const { return name_; }

  // Inserts the reader under `name` unless one is there already; the first
  // registration wins. Returns true when this call inserted it.
  bool Register(std::u16string_view name, Factory create, int32_t version);
  template <class T>
  bool Register() {
    return Register(
        T::kStoredName, []() -> std::unique_ptr<ZT_IOF_Item> { return std::make_unique<T>(); },
        T::kStoredVersion);
  }

  // Exact, case-sensitive lookup; null when the name is unknown.
  const Entry* Find(std::u16string_view name) const;
  // A default object of the class registered under `name`, or null.
  std::unique_ptr<ZT_IOF_Item> CreateByName(std::u16string_view name) const;
  // True when `name` is one of the names this registry is meant to hold.
  bool IsKnownName(std::u16string_view name) const;

  // Registered names in order, and the names of the vocabulary not yet built.
  std::vector<std::u16string> RegisteredNames() const;
  std::vector<KnownName> MissingNames() const;
  std::span<const KnownName> vocabulary() const { return vocabulary_; }

  // Why an object of class `className` cannot be read from this registry.
  std::string UnknownClassMessage(std::u16string_view className) const;

 private:
  std::string name_;
  std::span<const KnownName> vocabulary_;
  std::map<std::u16string, Entry, std::less<>> entries_;
};

// The five registries, created on first use.
ClassRegistry& GeneralRegistry();         // layer constructors and presets
ClassRegistry& ItemRegistry();            // particle-tree nodes, geometries, emitters
ClassRegistry& SlideRegistry();           // slide kinds
ClassRegistry& SlideContainerRegistry();  // slide containers
ClassRegistry& TimingRegistry();          // time lines
std::span<ClassRegistry* const> AllRegistries();

// Typed CreateByName: null when the name is unknown or not a T.
template <class T>
std::unique_ptr<T> CreateByName(const ClassRegistry& registry, std::u16string_view name) {
  std::unique_ptr<ZT_IOF_Item> item = registry.CreateByName(name);
  if (auto* typed = dynamic_cast<T*>(item.get())) {
    item.release();
    return std::unique_ptr<T>(typed);
  }
  return nullptr;
}

// A registry-introduced object: header, then the fields of the class the
// header names. Reading an unknown name, or a class that is not a Base,
// abandons the load (the object's remaining bytes cannot be skipped).
template <class Base>
void Field(Archive& ar, std::string_view name, ZT_SafePtr<Base>& object,
           const ClassRegistry& registry) {
  std::u16string className;
  int32_t version = 0;
  if (!ar.IsReading()) {
    if (!object) ar.Fail("an empty object slot cannot be written");
    className = std::u16string(object->StoredName());
    version = object->StoredVersion();
  }
  ar.BeginObject(name, className, version, true);
  // The readable form may leave out an object whose slot has a default one.
  const bool keepDefault = ar.IsReading() && !ar.StoresVersions() && className.empty() && object;
  if (keepDefault) {
    version = object->StoredVersion();
  } else if (ar.IsReading()) {
    if (className.empty()) ar.Fail("expected \"class\": the stored class name");
    const ClassRegistry::Entry* entry = registry.Find(className);
    if (!entry) ar.Fail(registry.UnknownClassMessage(className));
    std::unique_ptr<ZT_IOF_Item> item = entry->create();
    Base* typed = dynamic_cast<Base*>(item.get());
    if (!typed) ar.Fail("class \"" + ToUtf8(className) + "\" cannot stand here");
    item.release();
    object.reset(typed);
    if (!ar.StoresVersions()) version = entry->version;
  }
  object->Serialize(ar, version);
  ar.EndObject();
}

}  // namespace glimmer

#define GLIMMER_REGISTER_CONCAT2(a, b) a##b
#define GLIMMER_REGISTER_CONCAT(a, b) GLIMMER_REGISTER_CONCAT2(a, b)
// At namespace scope in the class's own .cpp: registers Class in Registry().
#define GLIMMER_REGISTER_CLASS(Registry, Class)                                 \
  namespace {                                                                   \
  [[maybe_unused]] const bool GLIMMER_REGISTER_CONCAT(kRegistered_, __LINE__) = \
      ::glimmer::Registry().Register<Class>();                                  \
  }
