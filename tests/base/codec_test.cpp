#include "base/codec.h"

#include <gtest/gtest.h>

namespace torvane {
namespace {

TEST(Codec, RoundTripsChineseAndCharactersOutsideGbk) {
  // u8 literals stay UTF-8 whatever the execution character set is.
  static const struct {
    const char* internal;
    const char8_t* utf8;
  } cases[] = {
      {"", u8""},
      {"abc", u8"abc"},
      {"中文", u8"中文"},
      {"\xD6\xD0", u8"中"},
      {"\xA1\xA1", u8"\u3000"},
      {"\x94\x39\xFC\x36", u8"\U0001F600"},  // an emoji: a four-byte GB18030 sequence
      {"\x81\x30\x86\x38", u8"\u00C0"},      // A grave, outside GBK
  };
  for (const auto& c : cases) {
    const std::string utf8(reinterpret_cast<const char*>(c.utf8));
    EXPECT_EQ(ToUtf8(c.internal), utf8) << utf8;
    EXPECT_EQ(FromUtf8(utf8), c.internal) << utf8;
  }
}

TEST(Codec, NeverFailsOnBadInput) {
  const std::string replacement(reinterpret_cast<const char*>(u8"\uFFFD"));
  const std::string euro(reinterpret_cast<const char*>(u8"\u20AC"));
  EXPECT_EQ(ToUtf8("\x80"), euro);
  EXPECT_EQ(ToUtf8("a\x80z"), "a" + euro + "z");
  EXPECT_EQ(ToUtf8("\xFF"), replacement);
  EXPECT_EQ(ToUtf8("ab\xD6"), "ab" + replacement);  // lead byte cut off at the end
  EXPECT_EQ(ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
  EXPECT_EQ(FromUtf8("\xC3"), "\x84\x31\xA4\x37");  // truncated UTF-8 becomes U+FFFD
  EXPECT_EQ(FromUtf8("x\xFFy"), "x\x84\x31\xA4\x37y");
  // A long text crosses the converter's buffer size.
  std::string long_text;
  for (int i = 0; i < 5000; ++i) long_text += "数据";
  EXPECT_EQ(FromUtf8(ToUtf8(long_text)), long_text);
}

}  // namespace
}  // namespace torvane
