#include "base/text.h"

#include <cmath>

#include <gtest/gtest.h>

namespace torvane {
namespace {

TEST(Text, ComparisonIgnoresAsciiCaseButNotTrailBytes) {
  // "\xB0\x61" is one two-byte unit whose trail byte happens to be 'a': it must not be folded.
  static const struct {
    const char* a;
    const char* b;
    bool equal;
  } cases[] = {
      {"", "", true},
      {":memory:", ":MEMORY:", true},
      {"not an error", "Not An Error", true},
      {"abc", "abd", false},
      {"abc", "ab", false},
      {"中文a", "中文A", true},
      {"\xB0\x61", "\xB0\x41", false},
      {"x\xB0\x61y", "X\xB0\x61Y", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EqualsIgnoreCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
  }
}

TEST(Text, FindTextNeverMatchesOnASecondByte) {
  static const struct {
    const char* text;
    const char* needle;
    int start;
    bool ignore_case;
    int expected;
  } cases[] = {
      {"hello world", "o", 1, false, 5},
      {"hello world", "o", 6, false, 8},
      {"hello world", "O", 1, false, -1},
      {"hello world", "O", 1, true, 5},
      {"hello", "", 1, false, -1},
      {"hello", "x", 1, false, -1},
      {"hello", "h", 0, false, 1},
      {"hello", "h", -5, false, 1},
      {"hello", "o", 99, false, -1},
      // "\xB0\x61" is one character; its trail byte 'a' is not a match, the later 'a' is.
      {"\xB0\x61"
       "a",
       "a", 1, false, 3},
      {"\xB0\x61"
       "A",
       "a", 1, true, 3},
      {"表名表", "名", 1, false, 3},
      {"表名表", "表", 2, false, 5},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindText(c.text, c.needle, c.start, c.ignore_case), c.expected)
        << c.text << " / " << c.needle << " from " << c.start;
  }
}

TEST(Text, LeftRightAndTrim) {
  EXPECT_EQ(LeftPart("abcdef", 2), "ab");
  EXPECT_EQ(LeftPart("abc", 10), "abc");
  EXPECT_EQ(LeftPart("abc", 0), "");
  EXPECT_EQ(LeftPart("abc", -1), "");
  EXPECT_EQ(RightPart("abcdef", 2), "ef");
  EXPECT_EQ(RightPart("abc", 10), "abc");
  EXPECT_EQ(RightPart("abc", -3), "");

  static const struct {
    const char* in;
    const char* out;
  } trims[] = {
      {"  a b  ", "a b"},
      {"\xA1\xA1 x \xA1\xA1", "x"},
      {"   ", ""},
      {"\xA1\xA1", ""},
      {"", ""},
      // B0 A1 is one character; the A1 A1 that spans its trail byte is not a full-width blank.
      {"\xB0\xA1\xA1", "\xB0\xA1\xA1"},
      {"中文\xA1\xA1 ", "中文"},
  };
  for (const auto& c : trims) EXPECT_EQ(TrimBlanks(c.in), c.out) << c.in;
}

TEST(Text, TextPrefixEndsBetweenCharacters) {
  static const struct {
    const char* text;
    int max_bytes;
    const char* prefix;
  } cases[] = {
      {"abcdef", 3, "abc"},
      {"abc", 10, "abc"},
      {"abc", 0, ""},
      {"abc", -2, ""},
      {"a中文", 2, "a"},  // the 中 would be cut
      {"a中文", 3, "a中"},
      {"a中文", 4, "a中"},
      {"a中文", 5, "a中文"},
      // 😀 is the four-byte character 94 39 FC 30: whole or not at all.
      {"a\x94\x39\xFC\x30"
       "b",
       3, "a"},
      {"a\x94\x39\xFC\x30"
       "b",
       4, "a"},
      {"a\x94\x39\xFC\x30"
       "b",
       5, "a\x94\x39\xFC\x30"},
      // A lead byte at the very end stands alone, as everywhere in the text rules.
      {"ab\xD6", 3, "ab\xD6"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextPrefix(c.text, c.max_bytes), c.prefix) << c.text << " " << c.max_bytes;
  }
}

TEST(Text, NumbersFollowAtofAndPercentG) {
  static const struct {
    const char* text;
    double value;
  } reads[] = {
      {"12", 12}, {"  3.5abc", 3.5}, {"-2e3", -2000},     {"abc", 0},  {"", 0},
      {"--1", 0}, {"+7", 7},         {".5", 0.5},         {"1,5", 1},  {"0x10", 0},
      {"inf", 0}, {"nan", 0},        {"1e", 1},           {"2e+x", 2}, {"-.5e1z", -5},
      {".", 0},   {"\t\n 8", 8},     {"1e400", HUGE_VAL},
  };
  for (const auto& c : reads) EXPECT_DOUBLE_EQ(ToNumber(c.text), c.value) << c.text;

  // Where the number lies, and whether it is written as an integer (the field panel keeps such a
  // number exact beyond a double's 53 bits).
  static const struct {
    const char* text;
    const char* number;
    bool integral;
  } spans[] = {
      {"  -12abc", "-12", true},
      {"+7", "+7", true},
      {"5.", "5.", false},
      {"5e", "5", true},
      {"5e3", "5e3", false},
      {".5", ".5", false},
      {"abc", "", false},
      {"-", "", false},
      {"9007199254740993", "9007199254740993", true},
  };
  for (const auto& c : spans) {
    const std::string_view text = c.text;
    const NumberSpan span = LeadingNumber(text);
    EXPECT_EQ(text.substr(span.begin, span.end - span.begin), c.number) << c.text;
    EXPECT_EQ(span.integral, c.integral) << c.text;
  }

  static const struct {
    double value;
    const char* text;
  } writes[] = {
      {3, "3"},
      {0.1, "0.1"},
      {-2.5, "-2.5"},
      {1e20, "1e+20"},
      {1234567890123.0, "1234567890123"},
      {12345678901234.0, "1.234567890123e+13"},
      {1.0 / 3, "0.3333333333333"},
      {0, "0"},
  };
  for (const auto& c : writes) EXPECT_EQ(DoubleToText(c.value), c.text) << c.value;
  EXPECT_EQ(IntToText(-9223372036854775807LL - 1), "-9223372036854775808");
}

TEST(Text, BytesConversionStopsAtZero) {
  EXPECT_EQ(TextToBytes("ab"), (Bytes{'a', 'b'}));
  EXPECT_TRUE(TextToBytes("").empty());
  EXPECT_EQ(BytesToText(Bytes{'a', 0, 'b'}), "a");
  EXPECT_EQ(BytesToText(Bytes{'x', 'y'}), "xy");
  EXPECT_EQ(BytesToText(Bytes{}), "");
}

TEST(Text, SplitLinesAtCrLf) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(SplitLines(""), Lines{});
  EXPECT_EQ(SplitLines("a"), Lines{"a"});
  EXPECT_EQ(SplitLines("a\r\nb"), (Lines{"a", "b"}));
  EXPECT_EQ(SplitLines("a\r\n"), Lines{"a"});
  EXPECT_EQ(SplitLines("a\r\n\r\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitLines("\r\na"), (Lines{"", "a"}));
  EXPECT_EQ(SplitLines("a\nb"), Lines{"a\nb"});
  // The CR is the trail byte of "\x81\r": no split there.
  EXPECT_EQ(SplitLines("\x81\r\nx"), Lines{"\x81\r\nx"});
  EXPECT_EQ(SplitLines("表\r\n视图"), (Lines{"表", "视图"}));
}

}  // namespace
}  // namespace torvane
