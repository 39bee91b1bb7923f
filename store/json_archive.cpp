#include "store/json_archive.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <type_traits>

#include "common/base64.h"
#include "common/wide_string.h"

namespace glimmer {
namespace {

std::string JoinPath(const std::string& parent, std::string_view key) {
  if (parent.empty()) return std::string(key);
  if (key.empty()) return parent;
  return parent + "." + std::string(key);
}

// The double whose shortest form is the float's shortest form, so that 0.1f
// appears in JSON as 0.1 and reads back as the same float.
double CleanDouble(float v) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  double d = 0;
  std::from_chars(buf, r.ptr, d);
  return d;
}

// A file extension for embedded bytes, guessed from their first bytes.
std::string GuessExtension(std::span<const uint8_t> b) {
  auto starts = [&](std::string_view magic) {
    return b.size() >= magic.size() &&
           std::equal(magic.begin(), magic.end(), b.begin(),
                      [](char m, uint8_t c) { return uint8_t(m) == c; });
  };
  if (starts("\x89PNG")) return ".png";
  if (starts("\xFF\xD8\xFF")) return ".jpg";
  if (starts("GIF8")) return ".gif";
  if (starts("BM")) return ".bmp";
  if (starts("RIFF")) return ".wav";
  if (starts("ID3") || starts("\xFF\xFB")) return ".mp3";
  if (starts("xof ")) return ".x";
  if (starts("DDS ")) return ".dds";
  return ".bin";
}

std::string SafeFileName(const std::string& path) {
  std::string s;
  for (char c : path) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '-' || c == '_';
    s += ok ? c : '_';
  }
  return s.size() > 80 ? s.substr(s.size() - 80) : s;
}

}  // namespace

// ---------------------------------------------------------------- blob store

FileBlobStore::FileBlobStore(std::filesystem::path baseDir, std::filesystem::path filesDir)
    : baseDir_(std::move(baseDir)), filesDir_(std::move(filesDir)) {}

Json FileBlobStore::Store(std::span<const uint8_t> bytes, const std::string& path) {
  if (filesDir_.empty()) return Json{{"base64", Base64Encode(bytes)}};
  std::filesystem::create_directories(filesDir_);
  const std::string name =
      std::to_string(++written_) + "-" + SafeFileName(path) + GuessExtension(bytes);
  const std::filesystem::path file = filesDir_ / name;
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + file.string());
  return Json{{"file", std::filesystem::relative(file, baseDir_).generic_string()}};
}

std::vector<uint8_t> FileBlobStore::Load(const Json& value, const std::string& path) {
  auto fail = [&](const std::string& problem) -> std::vector<uint8_t> {
    throw JsonFormatError(path + ": " + problem);
  };
  if (!value.is_object() || value.size() != 1) {
    return fail("expected {\"file\": PATH} or {\"base64\": DATA}");
  }
  if (auto it = value.find("base64"); it != value.end()) {
    if (!it->is_string()) return fail("base64 data must be a string");
    auto bytes = Base64Decode(it->get_ref<const std::string&>());
    if (!bytes) return fail("invalid base64 data");
    return *bytes;
  }
  auto it = value.find("file");
  if (it == value.end() || !it->is_string()) {
    return fail("expected {\"file\": PATH} or {\"base64\": DATA}");
  }
  const std::filesystem::path file = baseDir_ / std::filesystem::path(it->get<std::string>());
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return fail("no such file " + file.string());
  const uintmax_t size = std::filesystem::file_size(file, ec);
  if (ec || size > kMaxFileBytes) return fail("file too large or unreadable: " + file.string());
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  std::ifstream in(file, std::ios::binary);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!in) return fail("cannot read " + file.string());
  return bytes;
}

// ---------------------------------------------------------------- writing

struct JsonOutArchive::State {
  struct Frame {
    std::string key;
    std::string path;
    Json value;
  };
  explicit State(BlobStore& b) : blobs(b) { stack.push_back({"", "", Json::object()}); }

  std::string PathOf(std::string_view name) const {
    const Frame& top = stack.back();
    if (top.value.is_array()) return top.path + "[" + std::to_string(top.value.size()) + "]";
    return JoinPath(top.path, name);
  }
  void Put(std::string_view name, Json v) {
    Json& top = stack.back().value;
    if (top.is_array()) {
      top.push_back(std::move(v));
    } else {
      top[std::string(name)] = std::move(v);
    }
  }
  void Open(std::string_view name, Json init) {
    std::string path = PathOf(name);
    stack.push_back({std::string(name), std::move(path), std::move(init)});
  }
  void Close() {
    Frame f = std::move(stack.back());
    stack.pop_back();
    Put(f.key, std::move(f.value));
  }

  BlobStore& blobs;
  std::vector<Frame> stack;
};

JsonOutArchive::JsonOutArchive(BlobStore& blobs) : s_(std::make_unique<State>(blobs)) {}
JsonOutArchive::~JsonOutArchive() = default;
Json& JsonOutArchive::Result() {
  return s_->stack.front().value;
}

void JsonOutArchive::Int32(std::string_view n, int32_t& v) {
  s_->Put(n, v);
}
void JsonOutArchive::UInt32(std::string_view n, uint32_t& v) {
  s_->Put(n, v);
}
void JsonOutArchive::Int16(std::string_view n, int16_t& v) {
  s_->Put(n, v);
}
void JsonOutArchive::Int64(std::string_view n, int64_t& v) {
  s_->Put(n, v);
}
void JsonOutArchive::UInt64(std::string_view n, uint64_t& v) {
  s_->Put(n, v);
}
void JsonOutArchive::Bool(std::string_view n, bool& v) {
  s_->Put(n, v);
}
void JsonOutArchive::Char(std::string_view n, char& v) {
  s_->Put(n, static_cast<int>(v));
}
void JsonOutArchive::Point(std::string_view n, Point32& v) {
  s_->Put(n, Json::array({v.x, v.y}));
}
void JsonOutArchive::String(std::string_view n, std::u16string& v) {
  s_->Put(n, ToUtf8(v));
}
void JsonOutArchive::Guid(std::string_view n, glimmer::Guid& v) {
  s_->Put(n, v.ToUtf8String());
}

void JsonOutArchive::Float(std::string_view n, float& v) {
  if (std::isnan(v)) {
    s_->Put(n, "nan");
  } else if (std::isinf(v)) {
    s_->Put(n, v > 0 ? "inf" : "-inf");
  } else {
    s_->Put(n, CleanDouble(v));
  }
}

void JsonOutArchive::Bytes(std::string_view n, std::vector<uint8_t>& data) {
  s_->Put(n, s_->blobs.Store(data, s_->PathOf(n)));
}

size_t JsonOutArchive::BeginList(std::string_view n, size_t count, size_t) {
  s_->Open(n, Json::array());
  return count;
}
void JsonOutArchive::EndList() {
  s_->Close();
}
void JsonOutArchive::BeginStruct(std::string_view n) {
  s_->Open(n, Json::object());
}
void JsonOutArchive::EndStruct() {
  s_->Close();
}

void JsonOutArchive::BeginObject(std::string_view n, std::u16string& className, int32_t&,
                                 bool polymorphic) {
  s_->Open(n, Json::object());
  if (polymorphic) s_->stack.back().value["class"] = ToUtf8(className);
}
void JsonOutArchive::EndObject() {
  s_->Close();
}

int32_t JsonOutArchive::BeginBase(std::u16string_view className, int32_t currentVersion) {
  s_->Open(ToUtf8(className), Json::object());
  return currentVersion;
}
void JsonOutArchive::EndBase() {
  s_->Close();
}

void JsonOutArchive::Fail(const std::string& problem) {
  throw JsonFormatError(s_->stack.back().path + ": " + problem);
}

// ---------------------------------------------------------------- reading

struct JsonInArchive::State {
  struct Frame {
    const Json* value;
    std::string path;
    size_t cursor = 0;
    std::vector<bool> used;
  };
  State(const Json& root, BlobStore& b) : blobs(b) { Push(&root, ""); }

  void Push(const Json* v, std::string path) {
    Frame f{v, std::move(path), 0, {}};
    if (v->is_object()) f.used.assign(v->size(), false);
    stack.push_back(std::move(f));
  }

  [[noreturn]] void Fail(const std::string& path, const std::string& problem) const {
    throw JsonFormatError((path.empty() ? std::string("(top level)") : path) + ": " + problem);
  }

  // The value for field `name` of the current object, or the next element of
  // the current array; null when an object lacks the field.
  const Json* Get(std::string_view name, std::string& path) {
    Frame& f = stack.back();
    if (f.value->is_array()) {
      path = f.path + "[" + std::to_string(f.cursor) + "]";
      if (f.cursor >= f.value->size()) Fail(path, "missing list element");
      return &(*f.value)[f.cursor++];
    }
    path = JoinPath(f.path, name);
    auto it = f.value->find(std::string(name));
    if (it == f.value->end()) return nullptr;
    f.used[static_cast<size_t>(std::distance(f.value->begin(), it))] = true;
    return &*it;
  }

  // Opens the value of `name` as a container of `kind`; a missing one opens an
  // empty container, so every field inside keeps its default.
  void Open(std::string_view name, bool array) {
    std::string path;
    const Json* v = Get(name, path);
    if (!v) {
      v = array ? &kEmptyArray : &kEmptyObject;
    } else if (array ? !v->is_array() : !v->is_object()) {
      Fail(path, array ? "expected a list" : "expected an object");
    }
    Push(v, std::move(path));
  }

  void Close() {
    const Frame& f = stack.back();
    if (f.value->is_object()) {
      size_t i = 0;
      for (auto it = f.value->begin(); it != f.value->end(); ++it, ++i) {
        if (!f.used[i]) Fail(JoinPath(f.path, it.key()), "unknown field");
      }
    }
    stack.pop_back();
  }

  template <class T>
  void Integer(std::string_view name, T& out, const char* expected) {
    std::string path;
    const Json* v = Get(name, path);
    if (!v) return;
    if (!v->is_number_integer()) Fail(path, expected);
    if (v->is_number_unsigned()) {
      const uint64_t u = v->get<uint64_t>();
      if (u > static_cast<uint64_t>(std::numeric_limits<T>::max()))
        Fail(path, "value out of range");
      out = static_cast<T>(u);
    } else {
      const int64_t i = v->get<int64_t>();
      if (std::is_unsigned_v<T> && i < 0) Fail(path, expected);
      if (i < static_cast<int64_t>(std::numeric_limits<T>::min()) ||
          (i > 0 &&
           static_cast<uint64_t>(i) > static_cast<uint64_t>(std::numeric_limits<T>::max()))) {
        Fail(path, "value out of range");
      }
      out = static_cast<T>(i);
    }
  }

  static inline const Json kEmptyObject = Json::object();
  static inline const Json kEmptyArray = Json::array();
  BlobStore& blobs;
  std::vector<Frame> stack;
};

JsonInArchive::JsonInArchive(const Json& root, BlobStore& blobs)
    : s_(std::make_unique<State>(root, blobs)) {
  if (!root.is_object()) s_->Fail("", "expected an object");
}
JsonInArchive::~JsonInArchive() = default;

void JsonInArchive::Finish() {
  while (!s_->stack.empty()) s_->Close();
}

void JsonInArchive::Int32(std::string_view n, int32_t& v) {
  s_->Integer(n, v, "expected an integer");
}
void JsonInArchive::UInt32(std::string_view n, uint32_t& v) {
  s_->Integer(n, v, "expected a non-negative integer");
}
void JsonInArchive::Int16(std::string_view n, int16_t& v) {
  s_->Integer(n, v, "expected an integer");
}
void JsonInArchive::Int64(std::string_view n, int64_t& v) {
  s_->Integer(n, v, "expected an integer");
}
void JsonInArchive::UInt64(std::string_view n, uint64_t& v) {
  s_->Integer(n, v, "expected a non-negative integer");
}
void JsonInArchive::Char(std::string_view n, char& v) {
  int8_t c = static_cast<int8_t>(v);
  s_->Integer(n, c, "expected an integer");
  v = static_cast<char>(c);
}

void JsonInArchive::Float(std::string_view n, float& v) {
  std::string path;
  const Json* j = s_->Get(n, path);
  if (!j) return;
  if (j->is_number()) {
    v = static_cast<float>(j->get<double>());
  } else if (j->is_string() && *j == "nan") {
    v = std::numeric_limits<float>::quiet_NaN();
  } else if (j->is_string() && (*j == "inf" || *j == "-inf")) {
    v = (*j == "inf" ? 1.0f : -1.0f) * std::numeric_limits<float>::infinity();
  } else {
    s_->Fail(path, "expected a number");
  }
}

void JsonInArchive::Bool(std::string_view n, bool& v) {
  std::string path;
  const Json* j = s_->Get(n, path);
  if (!j) return;
  if (!j->is_boolean()) s_->Fail(path, "expected true or false");
  v = j->get<bool>();
}

void JsonInArchive::Point(std::string_view n, Point32& v) {
  std::string path;
  const Json* j = s_->Get(n, path);
  if (!j) return;
  if (!j->is_array() || j->size() != 2 || !(*j)[0].is_number_integer() ||
      !(*j)[1].is_number_integer()) {
    s_->Fail(path, "expected a point [x, y] of integers");
  }
  v.x = (*j)[0].get<int32_t>();
  v.y = (*j)[1].get<int32_t>();
}

void JsonInArchive::String(std::string_view n, std::u16string& v) {
  std::string path;
  const Json* j = s_->Get(n, path);
  if (!j) return;
  if (!j->is_string()) s_->Fail(path, "expected a string");
  v = FromUtf8(j->get_ref<const std::string&>());
}

void JsonInArchive::Guid(std::string_view n, glimmer::Guid& v) {
  std::string path;
  const Json* j = s_->Get(n, path);
  if (!j) return;
  std::optional<glimmer::Guid> g;
  if (j->is_string()) g = glimmer::Guid::Parse(std::string_view(j->get_ref<const std::string&>()));
  if (!g) s_->Fail(path, "expected a GUID like {00000000-0000-0000-0000-000000000000}");
  v = *g;
}

void JsonInArchive::Bytes(std::string_view n, std::vector<uint8_t>& data) {
  std::string path;
  const Json* j = s_->Get(n, path);
  if (!j) return;
  data = s_->blobs.Load(*j, path);
}

size_t JsonInArchive::BeginList(std::string_view n, size_t, size_t) {
  s_->Open(n, true);
  return s_->stack.back().value->size();
}

void JsonInArchive::EndList() {
  const auto& f = s_->stack.back();
  if (f.cursor < f.value->size()) s_->Fail(f.path, "list has more elements than were read");
  s_->stack.pop_back();
}

void JsonInArchive::BeginStruct(std::string_view n) {
  s_->Open(n, false);
}
void JsonInArchive::EndStruct() {
  s_->Close();
}

void JsonInArchive::BeginObject(std::string_view n, std::u16string& className, int32_t& version,
                                bool polymorphic) {
  s_->Open(n, false);
  auto& f = s_->stack.back();
  version = 0;  // the caller substitutes the class's current version
  className.clear();
  // An absent object: the caller keeps the one its slot holds by default.
  if (polymorphic && f.value == &State::kEmptyObject) return;
  if (polymorphic) {
    auto it = f.value->find("class");
    if (it == f.value->end() || !it->is_string()) {
      s_->Fail(f.path, "expected \"class\": the stored class name");
    }
    f.used[static_cast<size_t>(std::distance(f.value->begin(), it))] = true;
    className = FromUtf8(it->get_ref<const std::string&>());
  }
}

void JsonInArchive::EndObject() {
  s_->Close();
}

int32_t JsonInArchive::BeginBase(std::u16string_view className, int32_t currentVersion) {
  s_->Open(ToUtf8(className), false);
  return currentVersion;
}

void JsonInArchive::EndBase() {
  s_->Close();
}

void JsonInArchive::Fail(const std::string& problem) {
  s_->Fail(s_->stack.back().path, problem);
}

}  // namespace glimmer
