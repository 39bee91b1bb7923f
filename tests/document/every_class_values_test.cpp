// Every registered class filled with seeded values that are not its
// defaults (every list holding elements, every object present) goes through
// the binary writer, the reader, the JSON form and composing, and comes back
// to the same bytes: a field that one of the forms drops or reads back
// differently fails here.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/wide_string.h"
#include "store/class_registry.h"
#include "store/json_archive.h"
#include "tests/support/archive_helpers.h"

namespace glimmer::testing {
namespace {

// A source that "reads" seeded values into every field it is asked for. The
// values stay small (1 to 7, quarters, short strings), so counts, modes and
// sizes read from them stay within what the classes accept. Lists get two
// elements; objects in a list are made of the class `listClasses` names for
// the list's field (objects elsewhere fill the one their slot holds).
class FillingArchive final : public Archive {
 public:
  explicit FillingArchive(uint32_t seed, const std::map<std::string, std::u16string>& listClasses)
      : seed_(seed), listClasses_(listClasses) {}

  bool IsReading() const override { return true; }
  bool StoresVersions() const override { return false; }

  void Int32(std::string_view name, int32_t& v) override { v = int32_t(Value(name)); }
  void UInt32(std::string_view name, uint32_t& v) override { v = Value(name); }
  void Int16(std::string_view, int16_t& v) override { v = int16_t(Next()); }
  void Int64(std::string_view, int64_t& v) override { v = int64_t(Next()); }
  void UInt64(std::string_view, uint64_t& v) override { v = Next(); }
  void Float(std::string_view, float& v) override { v = 0.25f * float(Next()); }
  void Bool(std::string_view, bool& v) override { v = !v; }
  void Char(std::string_view, char& v) override { v = char('a' + Next()); }
  void Point(std::string_view, Point32& v) override { v = {int32_t(Next()), int32_t(Next())}; }
  void String(std::string_view, std::u16string& v) override {
    v = u"s" + FromUtf8(std::to_string(Next()));
  }
  void Guid(std::string_view, glimmer::Guid& v) override {
    v.Data1 = Next();
    v.Data2 = uint16_t(Next());
    v.Data3 = uint16_t(Next());
    for (uint8_t& b : v.Data4) b = uint8_t(Next());
  }
  void Bytes(std::string_view name, std::vector<uint8_t>& data) override {
    // Blocks whose size the fields before them state (a text mesh's).
    size_t size = 3;
    if (name == "vertices") size = size_t(last_["vertexCount"]) * last_["vertexBytes"];
    if (name == "indices") size = size_t(last_["faceCount"]) * 6;
    if (name == "attributes") size = size_t(last_["faceCount"]) * 4;
    data.resize(size);
    for (uint8_t& b : data) b = uint8_t(Next());
  }
  int32_t Version(std::string_view, int32_t current) override { return current; }
  size_t BeginList(std::string_view name, size_t, size_t) override {
    // Two elements; none in a list inside a list of the same field (a tree
    // node's children's children), so nesting ends.
    const bool nested = std::find(lists_.begin(), lists_.end(), name) != lists_.end();
    lists_.push_back(std::string(name));
    return nested ? 0 : 2;
  }
  void EndList() override { lists_.pop_back(); }
  void BeginStruct(std::string_view name) override {
    depth_.push_back(lists_.size());
    path_.push_back(std::string(name));
  }
  void EndStruct() override {
    depth_.pop_back();
    path_.pop_back();
  }
  void BeginObject(std::string_view name, std::u16string& className, int32_t& version,
                   bool polymorphic) override {
    version = 0;
    // Directly an element of a list: a new, empty slot that needs a class.
    const bool element =
        name.empty() && !lists_.empty() && (depth_.empty() || depth_.back() < lists_.size());
    depth_.push_back(lists_.size());
    path_.push_back(std::string(name));
    if (!polymorphic) return;
    className.clear();
    if (!element) return;  // fills the object the slot holds
    auto it = listClasses_.find(lists_.back());
    if (it == listClasses_.end()) Fail("no class is named for elements of list " + lists_.back());
    className = it->second;
  }
  void EndObject() override {
    depth_.pop_back();
    path_.pop_back();
  }
  int32_t BeginBase(std::u16string_view, int32_t currentVersion) override { return currentVersion; }
  void EndBase() override {}
  [[noreturn]] void Fail(const std::string& problem) override { throw std::runtime_error(problem); }

 private:
  // An integer field's value: within the range its field allows where the
  // classes check one.
  uint32_t Value(std::string_view name) {
    const auto limit = kLimits.find(std::string(name));
    const uint32_t v = limit == kLimits.end() ? Next() : Next() % (limit->second + 1);
    last_[std::string(name)] = v;
    return v;
  }
  static inline const std::map<std::string, uint32_t> kLimits = {
      {"Kind", 3},
  };

  uint32_t Next() {
    seed_ = seed_ * 1103515245u + 12345u;
    return 1 + (seed_ >> 16) % 7;
  }

  uint32_t seed_;
  const std::map<std::string, std::u16string>& listClasses_;
  std::vector<std::string> lists_;
  std::vector<size_t> depth_;             // the list depth at each open struct or object
  std::map<std::string, uint32_t> last_;  // the last value of each integer field
  std::vector<std::string> path_;         // the open structs and objects
};

// The class made for the elements of lists of objects, by the list's field.
const std::map<std::string, std::u16string>& ListClasses() {
  static const std::map<std::string, std::u16string> classes = {
      {"slides", u"ZT_SlideContainer"},       {"visualLayers", u"ZT_FishConstructor"},
      {"soundLayers", u"ZT_WAV_Constructor"}, {"children", u"QVX_PSTree_Leaf"},
      {"Points", u"QVX_ControlPoint"},        {"points", u"QVX_ControlPoint"},
  };
  return classes;
}

// Classes that store nothing of their own: their written form is their
// header alone, whatever is filled in.
const std::set<std::string> kNoFields = {"QVX_ContinuesTimeLine"};

std::vector<uint8_t> Written(ZT_IOF_Item& item) {
  return WriteWith([&](Archive& ar) { Field(ar, "object", item); });
}

TEST(EveryStoredClass, RoundTripsAtSeededValuesThroughEveryForm) {
  size_t classes = 0;
  std::vector<std::string> unfilled;
  for (const ClassRegistry* registry : AllRegistries()) {
    for (const std::u16string& name : registry->RegisteredNames()) {
      const std::string label = std::string(registry->name()) + " " + ToUtf8(name);
      SCOPED_TRACE(label);
      std::unique_ptr<ZT_IOF_Item> item = registry->CreateByName(name);
      ASSERT_NE(item, nullptr);
      const std::vector<uint8_t> defaults = Written(*item);
      FillingArchive fill(uint32_t(classes) + 1, ListClasses());
      try {
        Field(fill, "object", *item);
      } catch (const std::exception& e) {
        ADD_FAILURE() << "filling: " << e.what();
        continue;
      }
      const std::vector<uint8_t> bytes = Written(*item);
      if (bytes == defaults && !kNoFields.contains(ToUtf8(name))) unfilled.push_back(label);
      // The document form: written, read back, written again.
      std::unique_ptr<ZT_IOF_Item> back = registry->CreateByName(name);
      try {
        ReadWith(bytes, [&](Archive& ar) { Field(ar, "object", *back); });
      } catch (const std::exception& e) {
        ADD_FAILURE() << "reading the written form: " << e.what();
        continue;
      }
      EXPECT_EQ(Written(*back), bytes) << "the document form";
      // The readable form, composed back.
      FileBlobStore blobs;
      JsonOutArchive out(blobs);
      Field(out, "object", *item);
      const Json json = out.Result();
      std::unique_ptr<ZT_IOF_Item> composed = registry->CreateByName(name);
      try {
        JsonInArchive in(json, blobs);
        Field(in, "object", *composed);
        in.Finish();
      } catch (const std::exception& e) {
        ADD_FAILURE() << "composing the JSON form: " << e.what();
        continue;
      }
      EXPECT_EQ(Written(*composed), bytes) << "the JSON form: " << json.dump().substr(0, 2000);
      ++classes;
    }
  }
  EXPECT_GE(classes, 122u) << "every stored class of the format";
  EXPECT_TRUE(unfilled.empty()) << "classes whose seeded values wrote as their defaults: "
                                << ::testing::PrintToString(unfilled);
}

// The bytes of `item` written at stored version `version` (the fields that
// version holds, in its layout; members at their current versions).
std::vector<uint8_t> WrittenAt(ZT_IOF_Item& item, int32_t version) {
  return WriteWith([&](Archive& ar) {
    std::u16string className(item.StoredName());
    int32_t v = version;
    ar.BeginObject("object", className, v, false);
    item.Serialize(ar, version);
    ar.EndObject();
  });
}

// Older versions whose reading converts what they hold (so writing the
// read object at that version again cannot give the same bytes), with what
// the reading does.
const std::map<std::string, std::string> kConvertingVersions = {
    {"QVX_BurstPtclSys 1", "gravity moves into the appearance; the envelopes take that version's"},
    {"QVX_BurstPtclSys 2", "gravity moves into the appearance; the envelopes take that version's"},
    {"QVX_BurstPtclSys 3", "its gravity value and flag move into the appearance"},
    {"QVX_FontainPtclSys 1", "the burst's first fields: gravity and envelopes as for the burst"},
    {"QVX_Firefly 1", "the trails take the main appearance's texture, colours and glow"},
    {"QVX_ShootingLine 1", "the line's look and the head's appearance change places"},
    {"QVX_SplashPtclSys 1", "gravity moves into the appearance; the envelopes take that version's"},
    {"QVX_SprayPtclSys 1", "the splash's first fields, converted as the splash's"},
    {"QVX_ThroughSpaceCtrl 1",
     "the texture speed becomes the flight speed; that version's envelopes"},
    {"QVX_ThroughSpaceCtrl 2", "the envelopes take that version's"},
    {"ZT_ExplosionConstructor 1", "its timing becomes a random time line"},
    {"ZT_GhostConstructor 1", "it gets a random time line of 1.5 s fades"},
    {"ZT_LightningGN 1", "its seven timing values become a random time line"},
    {"FakeUndervater 1", "the stored speed is halved"},
    {"ZT_GlassBallLight 1", "the speed becomes two thirds of the stored one plus 33"},
};

TEST(EveryStoredClass, OlderVersionsKeepTheFieldsTheyHoldThroughTheCurrentOne) {
  // A seeded object written at each older version its class reads, read
  // back, written and read at the current version, then written at the older
  // one again: the fields that version holds are what they were.
  size_t checked = 0;
  std::vector<std::string> failures;
  uint32_t seed = 1;
  for (const ClassRegistry* registry : AllRegistries()) {
    for (const std::u16string& name : registry->RegisteredNames()) {
      std::unique_ptr<ZT_IOF_Item> item = registry->CreateByName(name);
      ASSERT_NE(item, nullptr);
      Written(*item);  // writing makes the objects a slot holds by default
      FillingArchive fill(seed++, ListClasses());
      try {
        Field(fill, "object", *item);
      } catch (const std::exception& e) {
        failures.push_back(ToUtf8(name) + " filling: " + e.what());
        continue;
      }
      for (int32_t version = 1; version < item->StoredVersion(); ++version) {
        const std::string label = ToUtf8(name) + " " + std::to_string(version);
        if (kConvertingVersions.contains(label)) continue;
        try {
          const std::vector<uint8_t> older = WrittenAt(*item, version);
          std::unique_ptr<ZT_IOF_Item> read = registry->CreateByName(name);
          ReadWith(older, [&](Archive& ar) { Field(ar, "object", *read); });
          std::unique_ptr<ZT_IOF_Item> current = registry->CreateByName(name);
          ReadWith(Written(*read), [&](Archive& ar) { Field(ar, "object", *current); });
          if (WrittenAt(*current, version) != older) failures.push_back(label);
          ++checked;
        } catch (const std::exception& e) {
          failures.push_back(label + ": " + e.what());
        }
      }
    }
  }
  RecordProperty("versions_checked", int(checked));
  EXPECT_GE(checked, 30u) << "older versions checked";
  EXPECT_TRUE(failures.empty()) << failures.size() << " of " << checked << ": "
                                << ::testing::PrintToString(failures);
}

}  // namespace
}  // namespace glimmer::testing
