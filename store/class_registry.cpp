#include "store/class_registry.h"

#include <algorithm>

namespace glimmer {

bool ClassRegistry::Register(std::u16string_view name, Factory create, int32_t version) {
  return entries_.try_emplace(std::u16string(name), Entry{create, version}).second;
}

const ClassRegistry::Entry* ClassRegistry::Find(std::u16string_view name) const {
  auto it = entries_.find(name);
  return it == entries_.end() ? nullptr : &it->second;
}

std::unique_ptr<ZT_IOF_Item> ClassRegistry::CreateByName(std::u16string_view name) const {
  const Entry* entry = Find(name);
  return entry ? entry->create() : nullptr;
}

bool ClassRegistry::IsKnownName(std::u16string_view name) const {
  return std::any_of(vocabulary_.begin(), vocabulary_.end(),
                     [&](const KnownName& k) { return k.name == name; });
}

std::vector<std::u16string> ClassRegistry::RegisteredNames() const {
  std::vector<std::u16string> names;
  for (const auto& [name, entry] : entries_) names.push_back(name);
  return names;
}

std::vector<ClassRegistry::KnownName> ClassRegistry::MissingNames() const {
  std::vector<KnownName> missing;
  for (const KnownName& k : vocabulary_) {
    if (!Find(k.name)) missing.push_back(k);
  }
  return missing;
}

std::string ClassRegistry::UnknownClassMessage(std::u16string_view className) const {
  const std::string name = ToUtf8(className);
  if (IsKnownName(className)) {
    return "class \"" + name + "\" is not built yet in this player";
  }
  return "unknown class \"" + name + "\" where the " + name_ + " registry was consulted";
}

#define GLIMMER_DEFINE_REGISTRY(Function, Name, Vocabulary) \
  ClassRegistry& Function() {                               \
    static ClassRegistry registry(Name, Vocabulary);        \
    return registry;                                        \
  }
GLIMMER_DEFINE_REGISTRY(GeneralRegistry, "general", kGeneralNames)
GLIMMER_DEFINE_REGISTRY(ItemRegistry, "QVX_IOF_Item", kItemNames)
GLIMMER_DEFINE_REGISTRY(SlideRegistry, "ZT_2D_Light", kSlideNames)
GLIMMER_DEFINE_REGISTRY(SlideContainerRegistry, "ZT_SlideContainer", kSlideContainerNames)
GLIMMER_DEFINE_REGISTRY(TimingRegistry, "QVX_Timing", kTimingNames)
#undef GLIMMER_DEFINE_REGISTRY

std::span<ClassRegistry* const> AllRegistries() {
  static ClassRegistry* const all[] = {&GeneralRegistry(), &ItemRegistry(), &SlideRegistry(),
                                       &SlideContainerRegistry(), &TimingRegistry()};
  return all;
}

}  // namespace glimmer
