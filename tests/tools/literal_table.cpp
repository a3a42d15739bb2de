// Literals of every shape the Qt-free layers use or might, compiled as internal text by GCC
// (-fexec-charset=GB18030) into ExecCharsetLiterals and, as the copy tools/internal_literals
// writes, into CopiedLiterals (the build names the function: TORVANE_LITERAL_TABLE). Keep every
// shape on its own case: a case that differs names the shape.

#include <string>
#include <vector>

#include "tools/literal_table.h"

#define TORVANE_LITERAL_IN_MACRO "宏里的字"

namespace torvane {
namespace {

template <std::size_t N>
LiteralCase Case(const char* what, const char (&text)[N], int line) {
  return {what, std::string(text, N - 1), line};
}

std::string FromU8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

}  // namespace

std::vector<LiteralCase> TORVANE_LITERAL_TABLE() {
  constexpr int kThousand = 1'000;  // a digit separator is no character literal: "中"
  static_assert(kThousand == 1000);
  // Each literal keeps the shape its case names.
  // clang-format off
  return {
      Case("Chinese", "中文", __LINE__),
      Case("a trail byte that is a backslash", "誠", __LINE__),
      Case("trail bytes that are backslashes, then a quote", "乗誠\"", __LINE__),
      Case("a hex digit after a character", "中A", __LINE__),
      Case("hex digits and a digit after characters", "文f0表1", __LINE__),
      Case("a four-byte character", "😀", __LINE__),
      Case("the euro sign and an accented letter", "€é", __LINE__),
      Case("universal character names", "\u4E2D\u6587\U0001F600", __LINE__),
      Case("universal character name before a hex digit", "\u4E2DB", __LINE__),
      Case("escapes around characters", "\x41中\101文\n\t", __LINE__),
      Case("an escaped backslash before a character", "\\中\\", __LINE__),
      Case("comment marks inside a literal", "// 中 /* 文 */", __LINE__),
      Case("a zero byte between characters", "中\0文", __LINE__),
      Case("concatenated literals", "中" "A" "文", __LINE__),
      Case("a raw literal", R"(中\文"x)", __LINE__),
      Case("a raw literal over two lines", R"xy(多
行)xy", __LINE__),
      Case("a raw literal of ASCII", R"(a\b)", __LINE__),
      Case("a literal from a macro", TORVANE_LITERAL_IN_MACRO, __LINE__),
      {"a character literal before a literal", std::string(1, '\'') + "字", __LINE__},
      {"a UTF-8 literal stays UTF-8", FromU8(u8"中文"), __LINE__},  // it's not internal text
      Case("empty", "", __LINE__),
      Case("ASCII", "SELECT * FROM t WHERE a = 'x'", __LINE__),
  };
  // clang-format on
}

}  // namespace torvane
