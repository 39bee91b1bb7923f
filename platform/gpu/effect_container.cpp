#include "platform/gpu/effect_container.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace glimmer {
namespace {

struct Malformed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Offsets of names, types and values count from the byte after the header.
class Reader {
 public:
  explicit Reader(std::span<const uint8_t> data) : data_(data) {}

  uint32_t WordAt(uint64_t offset, const char* what) const {
    if (offset > data_.size() || data_.size() - offset < 4)
      throw Malformed(std::string(what) + " lies outside the file");
    uint32_t v;
    std::memcpy(&v, data_.data() + offset, 4);
    return v;
  }

  std::string StringAt(uint32_t offset, const char* what) const {
    const uint32_t size = WordAt(offset, what);
    if (data_.size() - offset - 4 < size)
      throw Malformed(std::string(what) + " runs past the end of the file");
    const char* p = reinterpret_cast<const char*>(data_.data() + offset + 4);
    return std::string(p, strnlen(p, size));
  }

  std::span<const uint8_t> BytesAt(uint64_t offset, uint32_t size, const char* what) const {
    if (offset > data_.size() || data_.size() - offset < size)
      throw Malformed(std::string(what) + " runs past the end of the file");
    return data_.subspan(size_t(offset), size);
  }

  size_t Size() const { return data_.size(); }

 private:
  std::span<const uint8_t> data_;
};

// Reads words one after another from a position.
struct Cursor {
  const Reader& r;
  uint64_t at;
  uint32_t Next(const char* what) {
    const uint32_t v = r.WordAt(at, what);
    at += 4;
    return v;
  }
  // A count of entries of at least `entryBytes` each, checked against the
  // bytes that remain and the file's limit.
  uint32_t Count(const char* what, uint32_t entryBytes) {
    const uint32_t n = Next(what);
    if (n > kFxMaxCount)
      throw Malformed(std::string(what) + " of " + std::to_string(n) + " is over the limit of " +
                      std::to_string(kFxMaxCount));
    if (uint64_t(n) * entryBytes > r.Size() - std::min<uint64_t>(at, r.Size()))
      throw Malformed(std::string(what) + " of " + std::to_string(n) + " does not fit the file");
    return n;
  }
};

class Parser {
 public:
  explicit Parser(std::span<const uint8_t> data) : r_(data) {}

  EffectContainer Parse(uint32_t start) {
    EffectContainer fx;
    Cursor c{r_, start};
    const uint32_t parameters = c.Count("parameter count", 16);
    const uint32_t techniques = c.Count("technique count", 12);
    c.Next("header");
    objectCount_ = c.Count("object count", 0);
    fx.objects.resize(objectCount_);
    for (uint32_t i = 0; i < parameters; ++i) {
      EffectParameterDesc p;
      const uint32_t typeOffset = c.Next("parameter type");
      const uint32_t valueOffset = c.Next("parameter value");
      p.flags = c.Next("parameter flags");
      const uint32_t annotations = c.Count("annotation count", 8);
      p.value = Value(typeOffset, valueOffset, 0);
      for (uint32_t a = 0; a < annotations; ++a) p.annotations.push_back(Annotation(c));
      fx.parameters.push_back(std::move(p));
    }
    for (uint32_t t = 0; t < techniques; ++t) {
      EffectContainerTechnique tech;
      tech.name = r_.StringAt(c.Next("technique name"), "technique name");
      const uint32_t annotations = c.Count("annotation count", 8);
      const uint32_t passes = c.Count("pass count", 12);
      for (uint32_t a = 0; a < annotations; ++a) tech.annotations.push_back(Annotation(c));
      for (uint32_t p = 0; p < passes; ++p) {
        EffectContainerPass pass;
        pass.name = r_.StringAt(c.Next("pass name"), "pass name");
        const uint32_t passAnnotations = c.Count("annotation count", 8);
        const uint32_t states = c.Count("state count", 16);
        for (uint32_t a = 0; a < passAnnotations; ++a) pass.annotations.push_back(Annotation(c));
        for (uint32_t s = 0; s < states; ++s) pass.states.push_back(State(c, 0));
        tech.passes.push_back(std::move(pass));
      }
      fx.techniques.push_back(std::move(tech));
    }
    const uint32_t objectData = c.Count("object data count", 8);
    const uint32_t resources = c.Count("resource count", 24);
    for (uint32_t i = 0; i < objectData; ++i) {
      const uint32_t id = c.Next("object id");
      if (id >= objectCount_)
        throw Malformed("object id " + std::to_string(id) + " is out of range");
      fx.objects[id] = Data(c, "object data");
    }
    for (uint32_t i = 0; i < resources; ++i) Resource(c, fx);
    return fx;
  }

 private:
  std::vector<uint8_t> Data(Cursor& c, const char* what) {
    const uint32_t size = c.Next(what);
    // Data is padded to whole words; the padding must be there too.
    const uint64_t padded = (uint64_t(size) + 3) & ~uint64_t{3};
    if (padded > r_.Size()) throw Malformed(std::string(what) + " runs past the end of the file");
    auto bytes = r_.BytesAt(c.at, uint32_t(padded), what).first(size);
    c.at += padded;
    return {bytes.begin(), bytes.end()};
  }

  EffectTypeDesc Type(Cursor& c, uint32_t depth) {
    if (depth > kFxMaxNesting) throw Malformed("types nest too deeply");
    EffectTypeDesc t;
    t.type = c.Next("type");
    t.cls = c.Next("type class");
    if (t.type > kFxUnsupported) throw Malformed("unknown type " + std::to_string(t.type));
    if (t.cls > kFxStruct) throw Malformed("unknown type class " + std::to_string(t.cls));
    t.name = r_.StringAt(c.Next("type name"), "type name");
    t.semantic = r_.StringAt(c.Next("semantic"), "semantic");
    t.elements = c.Next("element count");
    if (t.elements > kFxMaxValueWords) throw Malformed("element count is over the limit");
    if (t.cls <= kFxMatrixColumns) {
      t.columns = c.Next("columns");
      t.rows = c.Next("rows");
      if (t.columns == 0 || t.columns > 4 || t.rows == 0 || t.rows > 4)
        throw Malformed("a numeric type of " + std::to_string(t.rows) + " × " +
                        std::to_string(t.columns) + " values");
    } else if (t.cls == kFxStruct) {
      const uint32_t members = c.Count("member count", 20);
      for (uint32_t m = 0; m < members; ++m) t.members.push_back(Type(c, depth + 1));
    }
    return t;
  }

  // Words a value of `t` takes (samplers excluded), capped.
  uint64_t Words(const EffectTypeDesc& t) const {
    uint64_t one = 0;
    if (t.cls <= kFxMatrixColumns) {
      one = uint64_t(t.rows) * t.columns;
    } else if (t.cls == kFxStruct) {
      for (const auto& m : t.members) one += Words(m);
    } else {
      one = 1;
    }
    const uint64_t n = one * std::max<uint32_t>(1, t.elements);
    if (n > kFxMaxValueWords) throw Malformed("a value is over the limit of words");
    return n;
  }

  bool HoldsObjects(const EffectTypeDesc& t) const {
    if (t.cls == kFxStruct) {
      for (const auto& m : t.members)
        if (HoldsObjects(m)) return true;
      return false;
    }
    return t.cls == kFxObject;
  }

  EffectValueDesc Value(uint32_t typeOffset, uint32_t valueOffset, uint32_t depth) {
    if (depth > kFxMaxNesting) throw Malformed("values nest too deeply");
    EffectValueDesc v;
    Cursor tc{r_, typeOffset};
    v.type = Type(tc, depth);
    Cursor vc{r_, valueOffset};
    if (v.type.IsSampler()) {
      for (uint32_t e = 0; e < std::max<uint32_t>(1, v.type.elements); ++e) {
        const uint32_t states = vc.Count("sampler state count", 16);
        auto& list = v.samplers.emplace_back();
        for (uint32_t s = 0; s < states; ++s) list.push_back(State(vc, depth + 1));
      }
      return v;
    }
    if (v.type.cls == kFxStruct && HoldsObjects(v.type))
      throw Malformed("a structure holding objects");
    const uint64_t words = Words(v.type);
    r_.BytesAt(valueOffset, uint32_t(words * 4), "value");
    v.words.reserve(size_t(words));
    for (uint64_t i = 0; i < words; ++i) v.words.push_back(vc.Next("value"));
    if (v.type.IsObject()) {
      for (uint32_t id : v.words)
        if (id >= objectCount_)
          throw Malformed("object id " + std::to_string(id) + " is out of range");
    }
    return v;
  }

  EffectAnnotationDesc Annotation(Cursor& c) {
    const uint32_t typeOffset = c.Next("annotation type");
    const uint32_t valueOffset = c.Next("annotation value");
    EffectAnnotationDesc a;
    a.value = Value(typeOffset, valueOffset, 1);
    if (a.value.type.IsSampler()) throw Malformed("a sampler as annotation");
    return a;
  }

  EffectStateDesc State(Cursor& c, uint32_t depth) {
    EffectStateDesc s;
    s.operation = c.Next("state operation");
    if (s.operation >= kFxStateCount)
      throw Malformed("unknown state operation " + std::to_string(s.operation));
    s.index = c.Next("state index");
    const uint32_t typeOffset = c.Next("state type");
    const uint32_t valueOffset = c.Next("state value");
    s.value = Value(typeOffset, valueOffset, depth + 1);
    if (s.value.type.IsSampler() && s.operation != kFxStateCount - 1)
      throw Malformed("a sampler as value of a state other than a sampler");
    return s;
  }

  // An attachment to one state: shader bytes, the name of the parameter the
  // state reads, or an expression.
  void Resource(Cursor& c, EffectContainer& fx) {
    const uint32_t technique = c.Next("resource technique");
    const uint32_t index = c.Next("resource index");
    const uint32_t element = c.Next("resource element");
    const uint32_t stateIndex = c.Next("resource state");
    const uint32_t usage = c.Next("resource usage");
    std::vector<uint8_t> data = Data(c, "resource data");
    EffectStateDesc* state = nullptr;
    if (technique == 0xFFFFFFFFu) {
      if (index >= fx.parameters.size()) throw Malformed("a resource for a missing parameter");
      auto& samplers = fx.parameters[index].value.samplers;
      const uint32_t e = element == 0xFFFFFFFFu ? 0 : element;
      if (e >= samplers.size() || stateIndex >= samplers[e].size())
        throw Malformed("a resource for a missing sampler state");
      state = &samplers[e][stateIndex];
    } else {
      if (technique >= fx.techniques.size() || index >= fx.techniques[technique].passes.size() ||
          stateIndex >= fx.techniques[technique].passes[index].states.size())
        throw Malformed("a resource for a missing pass state");
      state = &fx.techniques[technique].passes[index].states[stateIndex];
    }
    switch (usage) {
      case 0:
        if (state->value.type.IsObject() && state->value.words.size() == 1) {
          fx.objects[state->value.words[0]] = std::move(data);
        } else {
          state->expression = kFxComputedValue;
          state->expressionData = std::move(data);
        }
        break;
      case 1:
        // The name runs to its terminator or the end of the data (which may be empty).
        state->parameter.assign(data.begin(), std::find(data.begin(), data.end(), uint8_t{0}));
        break;
      case 2:
      case 3:
        state->expression = usage;
        state->expressionData = std::move(data);
        break;
      default:
        throw Malformed("unknown resource usage " + std::to_string(usage));
    }
  }

  Reader r_;
  uint32_t objectCount_ = 0;
};

}  // namespace

bool LooksLikeEffectFile(std::span<const uint8_t> bytes) {
  return bytes.size() >= 4 && bytes[0] == 0x01 && bytes[1] == 0x09 && bytes[2] == 0xFF &&
         bytes[3] == 0xFE;
}

std::optional<EffectContainer> ReadEffectContainer(std::span<const uint8_t> bytes,
                                                   std::string* error) {
  try {
    if (!LooksLikeEffectFile(bytes))
      throw Malformed("not a compiled effect file (no 01 09 FF FE header)");
    if (bytes.size() < 8) throw Malformed("the file ends inside its header");
    uint32_t start;
    std::memcpy(&start, bytes.data() + 4, 4);
    return Parser(bytes.subspan(8)).Parse(start);
  } catch (const Malformed& e) {
    if (error) *error = e.what();
    return std::nullopt;
  }
}

}  // namespace glimmer
