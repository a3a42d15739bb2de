#include "base/codec.h"

#include <cstdint>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "support/hex.h"

namespace torvane {
namespace {

using testing::Hex;

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

// UTF-8 from outside comes back byte for byte, whatever it holds: a byte that is not part of a
// UTF-8 character travels as a foreign byte, an internal four-byte sequence of its own.
TEST(Codec, Utf8ThatIsNotUtf8ComesBackByteForByte) {
  static const struct {
    std::string utf8;
    std::string internal;
  } cases[] = {
      {"\xC3", "\x84\x31\xAB\x37"},  // truncated UTF-8: foreign byte C3
      {"x\xFFy", "x\x84\x31\xB1\x37y"},
      {"\x80", "\x84\x31\xA5\x30"},
      // A character cut after two of its three bytes, then a whole one.
      {U8(u8"学").substr(0, 2) + U8(u8"生"), "\x84\x31\xAF\x31\x84\x31\xA9\x35\xC9\xFA"},
      // A UTF-8 spelling of a lone surrogate is not UTF-8, so it cannot smuggle in an escape.
      {"\xED\xB3\x8E", "\x84\x31\xAF\x39\x84\x31\xAA\x31\x84\x31\xA6\x34"},
      // GBK text read as UTF-8: every byte that does not pair up is foreign.
      {"\xD6\xD0", "\x84\x31\xAD\x36\x84\x31\xAD\x30"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Hex(FromUtf8(c.utf8)), Hex(c.internal)) << Hex(c.utf8);
    EXPECT_EQ(Hex(ToUtf8(FromUtf8(c.utf8))), Hex(c.utf8));
  }
  // A foreign byte shows as one escape unit of its own, next to the characters around it.
  EXPECT_EQ(Hex(ToUtf16(FromUtf8("a\xE5\xAD" + U8(u8"中")))), Hex(u"a\xDC65\xDC2D\u4E2D"));
  // A byte that reads as an escape in internal text is written out as that byte.
  EXPECT_EQ(Hex(ToUtf8("ab\xD6")), Hex("ab\xD6"));
  EXPECT_EQ(Hex(ToUtf8("\xA2\xE3")), Hex("\xA2\xE3"));
  EXPECT_FALSE(IsValidUtf8("\xA2\xE3"));
  EXPECT_TRUE(IsValidUtf8(U8(u8"学生 \U0001F600")));
  // A long text crosses every internal buffer size.
  std::string long_text;
  for (int i = 0; i < 5000; ++i) long_text += "数据";
  EXPECT_EQ(FromUtf8(ToUtf8(long_text)), long_text);
}

// Every character, as UTF-8, and every byte that cannot start one come back from internal text
// unchanged; the few private-use characters GB18030 cannot write survive as foreign bytes.
TEST(Codec, EveryUtf8CharacterComesBackFromInternalText) {
  std::string all;
  for (char32_t c = 1; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    {
      const char32_t u = c;
      if (u < 0x80) {
        all += static_cast<char>(u);
      } else if (u < 0x800) {
        all += static_cast<char>(0xC0 | (u >> 6));
        all += static_cast<char>(0x80 | (u & 0x3F));
      } else if (u < 0x10000) {
        all += static_cast<char>(0xE0 | (u >> 12));
        all += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        all += static_cast<char>(0x80 | (u & 0x3F));
      } else {
        all += static_cast<char>(0xF0 | (u >> 18));
        all += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
        all += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        all += static_cast<char>(0x80 | (u & 0x3F));
      }
    }
  }
  for (int b = 0x80; b <= 0xFF; ++b) all += static_cast<char>(b);
  const std::string internal = FromUtf8(all);
  const std::string back = ToUtf8(internal);
  ASSERT_EQ(back.size(), all.size());
  for (std::size_t i = 0; i < all.size(); ++i) {
    ASSERT_EQ(back[i], all[i]) << "at byte " << i;
  }
  // A private-use character GB18030 writes nothing for: three foreign bytes.
  EXPECT_EQ(Hex(ToUtf16(FromUtf8(U8(u8"\uE816")))), Hex(u"\xDC6E\xDC20\xDC16"));
  // The internal text shows the same characters through UTF-16.
  EXPECT_EQ(FromUtf16(ToUtf16(internal)), internal);
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
      {"\x84\x31\xA5\x30", u"\xDC00"},  // past the last four-byte character: foreign byte 80
      {"\x84\x31\xB1\x38", {0xDC84, u'1', 0xDCB1, u'8'}},  // past the foreign bytes
      {"\xD6\xD0\x84\x31\xB1\x37\xD6\xD0", u"\u4E2D\xDC7F\u4E2D"},
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
      {u"a\xDC41", "a\x84\x31\xAB\x35"},                // foreign byte C1
      {u"a\xDC7F", "a\x84\x31\xB1\x37"},                // foreign byte FF
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
    if (back != bytes) ADD_FAILURE() << Hex(bytes) << " came back as " << Hex(back);
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
