#include "base/codec.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace torvane {
namespace {

// Bytes as hex, for naming a failing case.
std::string Hex(const std::string& bytes) {
  std::string hex;
  char buffer[4];
  for (unsigned char c : bytes) {
    std::snprintf(buffer, sizeof buffer, "%02X ", c);
    hex += buffer;
  }
  return hex;
}

std::string Hex(const std::u16string& units) {
  std::string hex;
  char buffer[8];
  for (char16_t u : units) {
    std::snprintf(buffer, sizeof buffer, "%04X ", static_cast<unsigned>(u));
    hex += buffer;
  }
  return hex;
}

const std::string kGbReplacement = "\x84\x31\xA4\x37";  // U+FFFD

// u8 literals stay UTF-8 whatever the execution character set is.
std::string U8(std::u8string_view utf8) { return std::string(utf8.begin(), utf8.end()); }

TEST(Codec, RoundTripsChineseAndCharactersOutsideGbk) {
  static const struct {
    std::string internal;
    std::string utf8;
  } cases[] = {
      {"", ""},
      {"abc", "abc"},
      {std::string("a\0b", 3), std::string("a\0b", 3)},
      {"中文", U8(u8"中文")},
      {"\xD6\xD0", U8(u8"中")},
      {"\xA1\xA1", U8(u8"\u3000")},
      {"\x94\x39\xFC\x36", U8(u8"\U0001F600")},  // an emoji: a four-byte GB18030 sequence
      {"\x81\x30\x86\x38", U8(u8"\u00C0")},      // A grave, outside GBK
      {"\x80", U8(u8"\u20AC")},                  // the euro sign of the Windows GBK code page
      {"A\x80Z", U8(u8"A\u20ACZ")},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToUtf8(c.internal), c.utf8) << Hex(c.internal);
    EXPECT_EQ(FromUtf8(c.utf8), c.internal) << Hex(c.internal);
  }
}

TEST(Codec, Utf8SideReplacesWhatItCannotCarry) {
  const std::string replacement = U8(u8"\uFFFD");
  EXPECT_EQ(ToUtf8("\xFF"), replacement);
  EXPECT_EQ(ToUtf8("ab\xD6"), "ab" + replacement);  // lead byte cut off at the end
  // GB18030's spelling of the euro sign is not GBK: both bytes are undecodable.
  EXPECT_EQ(ToUtf8("\xA2\xE3"), replacement + replacement);
  EXPECT_EQ(FromUtf8("\xC3"), kGbReplacement);  // truncated UTF-8 becomes U+FFFD
  EXPECT_EQ(FromUtf8("x\xFFy"), "x" + kGbReplacement + "y");
  // A UTF-8 spelling of a lone surrogate is not UTF-8, so it cannot smuggle in an escape.
  EXPECT_EQ(FromUtf8("\xED\xB3\x8E"), kGbReplacement + kGbReplacement + kGbReplacement);
  // A long text crosses every internal buffer size.
  std::string long_text;
  for (int i = 0; i < 5000; ++i) long_text += "数据";
  EXPECT_EQ(FromUtf8(ToUtf8(long_text)), long_text);
}

TEST(Codec, UndecodableBytesTravelAsEscapeUnits) {
  static const struct {
    std::string internal;
    std::u16string utf16;
  } cases[] = {
      {"\x80", u"\u20AC"},
      {"A\x80Z", u"A\u20ACZ"},
      {"\xFF", u"\xDCFF"},
      {"\xD6\xD0\xCE", u"\u4E2D\xDCCE"},            // cut inside a character
      {"\xE4\xB8\xAD", u"\u6D93\xDCAD"},            // UTF-8 of U+4E2D read as GB18030
      {"\xA2\xE3", u"\xDCA2\xDCE3"},                // not the euro sign: that is 0x80
      {"\xA2\xE3\xB0\xA1", u"\xDCA2\xDCE3\u554A"},  // the next character still reads
      {"\x81\x30", {0xDC81, u'0'}},                 // a four-byte sequence cut off
      {"\xD6\x7F", {0xDCD6, 0x7F}},                 // a lead byte before a byte that ends nothing
      {"\x84\x31\xA5\x30", {0xDC84, u'1', 0xDCA5, u'0'}},  // past the last four-byte character
      {"\x94\x39\xFC\x36", u"\U0001F600"},
      {std::string("\0\xFF", 2), std::u16string(u"\0\xDCFF", 2)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Hex(ToUtf16(c.internal)), Hex(c.utf16)) << Hex(c.internal);
    EXPECT_EQ(FromUtf16(c.utf16), c.internal) << Hex(c.internal);
  }
}

TEST(Codec, TypedTextWithoutAGb18030SpellingBecomesAReplacement) {
  static const struct {
    std::u16string utf16;
    std::string internal;
  } cases[] = {
      {u"\u20AC", "\x80"},
      {u"\uFFFD", kGbReplacement},
      {u"\xDC80", "\x80"},                              // the escape range's first unit
      {u"\xD800", kGbReplacement},                      // unpaired high surrogate
      {{0xD83D, u'a'}, kGbReplacement + "a"},           // high surrogate before a non-surrogate
      {u"\u4E2D\xD83D", "\xD6\xD0" + kGbReplacement},   // high surrogate at the end
      {u"a\xDC41", "a" + kGbReplacement},               // low surrogate below the escapes
      {u"\xDE00", kGbReplacement},                      // low surrogate above the escapes
      {u"\xD83D\xDE00\xDCCE", "\x94\x39\xFC\x36\xCE"},  // a pair, then an escape
  };
  for (const auto& c : cases) EXPECT_EQ(Hex(FromUtf16(c.utf16)), Hex(c.internal)) << Hex(c.utf16);
}

// FromUtf16 undoes ToUtf16 on every byte string, so no two byte strings read as the same text.
// Checked on every string of up to two bytes, on every four-byte sequence of the range that holds
// the rest of the basic plane (assigned or not), on a sample of the range beyond it, and on
// pseudo-random strings that mix all of these.
TEST(Codec, EveryByteStringComesBackFromUtf16) {
  auto check = [](const std::string& bytes) {
    const std::string back = FromUtf16(ToUtf16(bytes));
    if (back != bytes) ADD_FAILURE() << Hex(bytes) << "came back as " << Hex(back);
    return back == bytes;
  };
  for (int a = 0; a < 256; ++a) {
    ASSERT_TRUE(check(std::string(1, static_cast<char>(a))));
    for (int b = 0; b < 256; ++b) {
      ASSERT_TRUE(check({static_cast<char>(a), static_cast<char>(b)}));
    }
  }
  for (int a = 0x81; a <= 0xFE; ++a) {
    // The sequences from 0x85 on are either unassigned or beyond the basic plane: a sample.
    const int step = a <= 0x84 ? 1 : 13;
    for (int b = 0x30; b <= 0x39; ++b) {
      for (int c = 0x81; c <= 0xFE; c += step) {
        for (int d = 0x30; d <= 0x39; ++d) {
          const char s[] = {static_cast<char>(a), static_cast<char>(b), static_cast<char>(c),
                            static_cast<char>(d)};
          ASSERT_TRUE(check(std::string(s, 4)));
        }
      }
    }
  }
  // iconv reads a few four-byte sequences as characters it writes in two bytes: 95 32 90 31 as
  // the character of FE 51, among others.
  for (const char* bytes : {"\x95\x32\x90\x31", "\xFE\x51\x95\x32\x90\x31\xFE\x51"}) {
    ASSERT_TRUE(check(bytes));
  }
  // Bytes drawn mostly from the lead and second-byte ranges, so sequences overlap and break.
  static const unsigned char kAlphabet[] = {0x00, 0x30, 0x35, 0x39, 0x40, 0x58, 0x7E, 0x7F,
                                            0x80, 0x81, 0x84, 0x90, 0x95, 0xA2, 0xA4, 0xAD,
                                            0xB0, 0xB8, 0xCE, 0xD0, 0xD6, 0xE3, 0xE4, 0xFE,
                                            0xFF, 0x31, 0x32, 0x36, 0x94, 0xFC, 0xA1, 0x61};
  std::uint32_t state = 12345;
  for (int i = 0; i < 20000; ++i) {
    std::string bytes;
    state = state * 1664525u + 1013904223u;
    const int length = 1 + static_cast<int>(state >> 28);
    for (int k = 0; k < length; ++k) {
      state = state * 1664525u + 1013904223u;
      bytes += static_cast<char>(kAlphabet[state >> 27]);
    }
    ASSERT_TRUE(check(bytes));
  }
  // Longer than the pieces the codec hands to iconv, with a bad byte in the middle.
  std::string long_text;
  for (int i = 0; i < 400; ++i)
    long_text +=
        "\xD6\xD0"
        "a";
  long_text += "\xFF";
  for (int i = 0; i < 400; ++i) long_text += "\x94\x39\xFC\x36";
  EXPECT_TRUE(check(long_text));
}

}  // namespace
}  // namespace torvane
