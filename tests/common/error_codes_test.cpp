#include "common/error_codes.h"

#include <gtest/gtest.h>

namespace glimmer {
namespace {

TEST(ErrorCodes, EveryCodeHasItsText) {
  bool own = false;
  EXPECT_EQ(GetErrorText(ErrorCode::MediaNotFound, &own).text, "Could not load required media.");
  EXPECT_TRUE(own);
  EXPECT_EQ(GetErrorText(ErrorCode::MediaNotFound).stringId, 2108);
  EXPECT_EQ(GetErrorText(0x8200000F).text, "No preview available");
  EXPECT_EQ(GetErrorText(0x8876017C).stringId, 2111);
  EXPECT_EQ(
      GetErrorText(0x82000001).text,
      "Direct3D 8.0 could not be initialized.  Please install the latest version of DirectX.");
}

TEST(ErrorCodes, UnknownCodesGiveTheUnspecifiedText) {
  for (uint32_t code : {0u, 0x80004005u, 0x82000002u, 0x12345678u}) {
    bool own = true;
    const ErrorText t = GetErrorText(code, &own);
    EXPECT_FALSE(own) << std::hex << code;
    EXPECT_EQ(t.stringId, 2100);
    EXPECT_EQ(t.text, "There was an unspecified problem with this screen saver.");
  }
}

TEST(ErrorCodes, ErrorMessageHasTextCodeAndDetail) {
  const GlimmerError e(ErrorCode::MediaNotFound, "at byte 12");
  EXPECT_STREQ(e.what(), "Could not load required media. (0x8200000B): at byte 12");
  EXPECT_EQ(e.code(), 0x8200000Bu);
}

}  // namespace
}  // namespace glimmer
