#pragma once
// SharedBytes: an immutable byte array shared by every copy, so a record
// copied into a lookup index (or handed to a decode) copies no bytes. New
// bytes are assigned as a whole and replace them for that copy only.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

namespace glimmer {

class SharedBytes {
 public:
  SharedBytes() = default;
  SharedBytes(std::vector<uint8_t> bytes)  // NOLINT: bytes convert implicitly
      : bytes_(bytes.empty() ? nullptr
                             : std::make_shared<const std::vector<uint8_t>>(std::move(bytes))) {}
  SharedBytes(std::initializer_list<uint8_t> bytes) : SharedBytes(std::vector<uint8_t>(bytes)) {}

  template <class It>
  void assign(It first, It last) {
    *this = SharedBytes(std::vector<uint8_t>(first, last));
  }

  const std::vector<uint8_t>& Vector() const { return bytes_ ? *bytes_ : Empty(); }
  operator const std::vector<uint8_t>&() const { return Vector(); }  // NOLINT

  const uint8_t* data() const { return Vector().data(); }
  size_t size() const { return Vector().size(); }
  bool empty() const { return Vector().empty(); }
  const uint8_t* begin() const { return data(); }
  const uint8_t* end() const { return data() + size(); }
  uint8_t operator[](size_t i) const { return Vector()[i]; }

  friend bool operator==(const SharedBytes& a, const SharedBytes& b) {
    return a.bytes_ == b.bytes_ || a.Vector() == b.Vector();
  }
  friend bool operator==(const SharedBytes& a, const std::vector<uint8_t>& b) {
    return a.Vector() == b;
  }

 private:
  static const std::vector<uint8_t>& Empty() {
    static const std::vector<uint8_t> empty;
    return empty;
  }
  std::shared_ptr<const std::vector<uint8_t>> bytes_;
};

}  // namespace glimmer
