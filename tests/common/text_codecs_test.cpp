// UTF-16/UTF-8 conversion and base64.

#include <gtest/gtest.h>

#include "common/base64.h"
#include "common/wide_string.h"

namespace glimmer {
namespace {

TEST(WideString, ConvertsAllPlanes) {
  const std::u16string s = u"A\u00e9\u4e2d\U0001F600";
  EXPECT_EQ(ToUtf8(s), "A\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80");
  EXPECT_EQ(FromUtf8(ToUtf8(s)), s);
}

TEST(WideString, MalformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
  EXPECT_EQ(ToUtf8(std::u16string(1, char16_t(0xDC00)) + u"a"),
            "\xEF\xBF\xBD"
            "a");
  EXPECT_EQ(FromUtf8("\xC3"), u"\uFFFD");                      // truncated sequence
  EXPECT_EQ(FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");            // overlong
  EXPECT_EQ(FromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(FromUtf8("a\xFF"
                     "b"),
            u"a\uFFFDb");
}

TEST(Base64Codec, PaddingForms) {
  auto enc = [](std::string s) { return Base64Encode(std::vector<uint8_t>(s.begin(), s.end())); };
  EXPECT_EQ(enc(""), "");
  EXPECT_EQ(enc("f"), "Zg==");
  EXPECT_EQ(enc("fo"), "Zm8=");
  EXPECT_EQ(enc("foo"), "Zm9v");
  EXPECT_EQ(enc("foob"), "Zm9vYg==");
  for (const char* s : {"", "f", "fo", "foo", "foob", "fooba", "foobar"}) {
    auto back = Base64Decode(enc(s));
    ASSERT_TRUE(back);
    EXPECT_EQ(std::string(back->begin(), back->end()), s);
  }
  EXPECT_FALSE(Base64Decode("Zg="));
  EXPECT_FALSE(Base64Decode("Z==="));
  EXPECT_FALSE(Base64Decode("Zg==Zm8="));
  EXPECT_FALSE(Base64Decode("Zm9*"));
}

}  // namespace
}  // namespace glimmer
