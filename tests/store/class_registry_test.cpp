// Class registries: lookup rules, first registration wins, versions, and the
// way a load ends on a class that cannot be read.

#include "store/class_registry.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "store/binary_archive.h"

namespace glimmer {
namespace {

// A stored class with a field added in version 2 and a base-class part.
class TestBase : public ZT_IOF_Item {
  GLIMMER_STORED_CLASS(TestBase, 1)

 public:
  void Serialize(Archive& ar, int32_t) override { Field(ar, "baseValue", baseValue); }
  int32_t baseValue = 11;
};

class TestLayer : public TestBase {
  GLIMMER_STORED_CLASS(TestLayer, 2)

 public:
  void Serialize(Archive& ar, int32_t version) override {
    Field(ar, "speed", speed);
    if (version >= 2) Field(ar, "label", label);
    SerializeBase<TestBase>(ar, *this);
  }
  float speed = 1.5f;
  std::u16string label = u"default";
};

class OtherItem : public ZT_IOF_Item {
  GLIMMER_STORED_CLASS(OtherItem, 1)

 public:
  void Serialize(Archive&, int32_t) override {}
};

// An object whose only field is another object of its own class.
class Nest : public ZT_IOF_Item {
  GLIMMER_STORED_CLASS(Nest, 1)

 public:
  void Serialize(Archive& ar, int32_t) override;
  ZT_SafePtr<ZT_IOF_Item> child;
};

ClassRegistry& NestRegistry() {
  static ClassRegistry registry("nest", {});
  static const bool registered = registry.Register<Nest>();
  (void)registered;
  return registry;
}

void Nest::Serialize(Archive& ar, int32_t) {
  Field(ar, "child", child, NestRegistry());
}

constexpr ClassRegistry::KnownName kVocabulary[] = {{u"TestLayer", 2}, {u"FutureLayer", 3}};

std::vector<uint8_t> ObjectBytes(std::u16string_view name, int32_t version,
                                 void (*fields)(ZT_IOF_W&)) {
  ZT_IOF_W w;
  w.WriteHeader(name, version);
  fields(w);
  return w.Take();
}

template <class Base>
ZT_SafePtr<Base> Read(const ClassRegistry& registry, const std::vector<uint8_t>& bytes) {
  ResourceBuffer buffer(bytes);
  ZT_IOF_R reader(buffer);
  BinaryInArchive ar(reader);
  ZT_SafePtr<Base> out;
  Field(ar, "layer", out, registry);
  return out;
}

TEST(ClassRegistry, FirstRegistrationWins) {
  ClassRegistry registry("test", kVocabulary);
  EXPECT_TRUE(registry.Register<TestLayer>());
  EXPECT_FALSE(registry.Register<TestLayer>());
  EXPECT_FALSE(registry.Register(
      u"TestLayer", [] { return std::unique_ptr<ZT_IOF_Item>(); }, 9));
  EXPECT_EQ(registry.Find(u"TestLayer")->version, 2);
  EXPECT_NE(registry.CreateByName(u"TestLayer"), nullptr);
}

TEST(ClassRegistry, NamesAreExactAndCaseSensitive) {
  ClassRegistry registry("test", kVocabulary);
  registry.Register<TestLayer>();
  EXPECT_NE(registry.Find(u"TestLayer"), nullptr);
  EXPECT_EQ(registry.Find(u"testLayer"), nullptr);
  EXPECT_EQ(registry.Find(u"TestLaye"), nullptr);
  EXPECT_EQ(registry.Find(u"TestLayerX"), nullptr);
  EXPECT_EQ(registry.CreateByName(u"TESTLAYER"), nullptr);
  EXPECT_EQ(CreateByName<TestLayer>(registry, u"Missing"), nullptr);
  EXPECT_NE(CreateByName<TestLayer>(registry, u"TestLayer"), nullptr);
  EXPECT_EQ(CreateByName<OtherItem>(registry, u"TestLayer"), nullptr) << "wrong type gives null";
}

TEST(ClassRegistry, ReadsCurrentVersionWithBasePart) {
  ClassRegistry registry("test", kVocabulary);
  registry.Register<TestLayer>();
  auto bytes = ObjectBytes(u"TestLayer", 2, [](ZT_IOF_W& w) {
    w.WriteFloat(4.0f);
    w.WriteString(u"stored");
    w.WriteHeader(u"AnyNameForTheBase", 1);  // base names are not compared
    w.WriteInt32(99);
  });
  auto layer = Read<TestLayer>(registry, bytes);
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(layer->speed, 4.0f);
  EXPECT_EQ(layer->label, u"stored");
  EXPECT_EQ(layer->baseValue, 99);
}

TEST(ClassRegistry, OlderVersionKeepsDefaultsOfLaterFields) {
  ClassRegistry registry("test", kVocabulary);
  registry.Register<TestLayer>();
  auto bytes = ObjectBytes(u"TestLayer", 1, [](ZT_IOF_W& w) {
    w.WriteFloat(2.0f);
    w.WriteHeader(u"TestBase", 1);
    w.WriteInt32(5);
  });
  auto layer = Read<TestLayer>(registry, bytes);
  EXPECT_EQ(layer->speed, 2.0f);
  EXPECT_EQ(layer->label, u"default");
  EXPECT_EQ(layer->baseValue, 5);
}

TEST(ClassRegistry, UnknownNameAbandonsTheLoad) {
  ClassRegistry registry("test", kVocabulary);
  registry.Register<TestLayer>();
  ClassRegistry other("other", {});
  other.Register<OtherItem>();
  auto noFields = [](ZT_IOF_W&) {};
  try {
    Read<ZT_IOF_Item>(registry, ObjectBytes(u"OtherItem", 1, noFields));
    FAIL();
  } catch (const LoadError& e) {
    // A name registered elsewhere is unknown here.
    EXPECT_NE(std::string(e.what()).find("unknown class \"OtherItem\""), std::string::npos)
        << e.what();
    EXPECT_EQ(e.offset(), 4u + 2 * 9 + 4) << "only the header was consumed";
  }
  try {
    Read<ZT_IOF_Item>(registry, ObjectBytes(u"FutureLayer", 3, noFields));
    FAIL();
  } catch (const LoadError& e) {
    EXPECT_NE(std::string(e.what()).find("\"FutureLayer\" is not built yet"), std::string::npos)
        << e.what();
  }
}

TEST(ClassRegistry, ObjectOfTheWrongBaseIsRefused) {
  ClassRegistry registry("test", kVocabulary);
  registry.Register<OtherItem>();
  auto bytes = ObjectBytes(u"OtherItem", 1, [](ZT_IOF_W&) {});
  EXPECT_THROW(Read<TestBase>(registry, bytes), LoadError);
}

TEST(ClassRegistry, DeepNestingIsRefused) {
  ZT_IOF_W w;
  for (int i = 0; i < 1000; ++i) w.WriteHeader(u"Nest", 1);
  try {
    Read<ZT_IOF_Item>(NestRegistry(), w.Take());
    FAIL();
  } catch (const LoadError& e) {
    EXPECT_NE(std::string(e.what()).find("nest deeper"), std::string::npos) << e.what();
  }
}

TEST(ClassRegistry, VocabularyOfTheFiveRegistries) {
  size_t sizes[5];
  size_t i = 0;
  for (const ClassRegistry* r : AllRegistries()) sizes[i++] = r->vocabulary().size();
  EXPECT_EQ(sizes[0], 97u);
  EXPECT_EQ(sizes[1], 13u);
  EXPECT_EQ(sizes[2], 7u);
  EXPECT_EQ(sizes[3], 1u);
  EXPECT_EQ(sizes[4], 4u);
  EXPECT_TRUE(GeneralRegistry().IsKnownName(u"ZT_WaterJet"));
  EXPECT_FALSE(GeneralRegistry().IsKnownName(u"ZT_2D_Light"));
  EXPECT_TRUE(SlideRegistry().IsKnownName(u"ZT_2D_Light"));
}

// Every class the program registers belongs to its registry's vocabulary
// at the vocabulary's version, and writes that version. The test program's
// own probe kind is the one exception.
TEST(ClassRegistry, EveryRegisteredClassHasItsVocabularyVersion) {
  size_t registered = 0;
  for (const ClassRegistry* r : AllRegistries()) {
    for (const std::u16string& name : r->RegisteredNames()) {
      if (name == u"ProbeLayer") continue;
      ++registered;
      const auto known = std::find_if(r->vocabulary().begin(), r->vocabulary().end(),
                                      [&](const KnownName& k) { return k.name == name; });
      ASSERT_NE(known, r->vocabulary().end()) << ToUtf8(name) << " is not in " << r->name();
      EXPECT_EQ(r->Find(name)->version, known->version) << ToUtf8(name);
      EXPECT_EQ(r->CreateByName(name)->StoredVersion(), known->version) << ToUtf8(name);
    }
  }
  EXPECT_GE(registered, 6u);
}

}  // namespace
}  // namespace glimmer
