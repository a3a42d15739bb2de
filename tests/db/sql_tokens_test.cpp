#include "db/sql_tokens.h"

#include <string>

#include <gtest/gtest.h>

namespace torvane {
namespace {

// The tokens of `sql` as "kind:text" joined by " | ": s space, c comment, w word, n quoted name,
// t string, d number, b blob, v variable, o operator.
std::string Show(const std::string& sql) {
  std::string shown;
  for (const SqlToken& token : TokenizeSql(sql)) {
    if (!shown.empty()) shown += " | ";
    shown += "scwntdbvo"[static_cast<int>(token.kind)];
    shown += ':';
    shown += SqlTokenText(sql, token);
  }
  return shown;
}

TEST(TokenizeSql, CutsWhereTheEngineCuts) {
  static const struct {
    std::string sql;
    std::string tokens;
  } cases[] = {
      {"CREATE TABLE t(a)", "w:CREATE | s:  | w:TABLE | s:  | w:t | o:( | w:a | o:)"},
      // Comment marks inside strings and names are text; quotes inside comments are comment.
      {"'a--b' \"/*c*/\" -- it's\nx",
       "t:'a--b' | s:  | n:\"/*c*/\" | s:  | c:-- it's | s:\n | w:x"},
      {"/* it's \"q\" */x", "c:/* it's \"q\" */ | w:x"},
      {"--\r\n", "c:--\r | s:\n"},
      {"a -- to the end", "w:a | s:  | c:-- to the end"},
      {"/*/ still open */y", "c:/*/ still open */ | w:y"},
      {"/**/z", "c:/**/ | w:z"},
      // Doubled quotes stand for themselves; brackets have no escape.
      {"'it''s' \"a\"\"b\" `c``d`", "t:'it''s' | s:  | n:\"a\"\"b\" | s:  | n:`c``d`"},
      {"[a]]", "n:[a] | o:]"},
      {"[my \"col\"]", "n:[my \"col\"]"},
      // Anything left open runs to the end.
      {"'unterminated, (string", "t:'unterminated, (string"},
      {"\"open name", "n:\"open name"},
      {"[open", "n:[open"},
      {"/* open comment", "c:/* open comment"},
      {"x'0aFF' X'1' x'zz' x y",
       "b:x'0aFF' | s:  | b:X'1' | s:  | b:x'zz' | s:  | w:x | s:  | w:y"},
      {"1 1.5 .5 1e5 1E+5 1.e-3 0x1F 0X 12abc 1e",
       "d:1 | s:  | d:1.5 | s:  | d:.5 | s:  | d:1e5 | s:  | d:1E+5 | s:  | d:1.e-3 | s:  | "
       "d:0x1F | s:  | d:0X | s:  | d:12abc | s:  | d:1e"},
      {"0x1fg a.b", "d:0x1f | w:g | s:  | w:a | o:. | w:b"},
      {"? ?12 :a @b $c $d::e(f) #g",
       "v:? | s:  | v:?12 | s:  | v::a | s:  | v:@b | s:  | v:$c | s:  | "
       "v:$d::e(f) | s:  | v:#g"},
      {": @ ", "o:: | s:  | o:@ | s: "},
      {"a||b<=c>=d==e!=f<>g<<h>>i->j->>k=l|m!n",
       "w:a | o:|| | w:b | o:<= | w:c | o:>= | w:d | o:== | w:e | o:!= | w:f | o:<> | w:g | "
       "o:<< | w:h | o:>> | w:i | o:-> | w:j | o:->> | w:k | o:= | w:l | o:| | w:m | o:! | w:n"},
      {"a.b;c,(d)+-*/%&~",
       "w:a | o:. | w:b | o:; | w:c | o:, | o:( | w:d | o:) | o:+ | o:- | "
       "o:* | o:/ | o:% | o:& | o:~"},
      {"^{}\\", "o:^ | o:{ | o:} | o:\\"},
      // Words: letters, digits, "_", "$" and every byte of 0x80 or more.
      {"商品表 a$b _x x1", "w:商品表 | s:  | w:a$b | s:  | w:_x | s:  | w:x1"},
      {"名称TEXT", "w:名称TEXT"},
      // Byte by byte: a two-byte character whose trail byte is "]" ends a bracketed name there.
      {"[\x81\x5D]", "n:[\x81] | o:]"},
      {"\x81\x5D", "w:\x81 | o:]"},
      // A byte-order mark is a blank; a vertical tab only continues blanks.
      {"\xEF\xBB\xBF"
       "CREATE",
       "s:\xEF\xBB\xBF | w:CREATE"},
      {"\va \vb", "o:\v | w:a | s: \v | w:b"},
      // The engine reads nothing after a zero byte.
      {std::string("a\0b 'c", 6), std::string("w:a | s:\0b 'c", 13)},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Show(c.sql), c.tokens) << "sql: " << c.sql;
}

TEST(TokenizeSql, EveryByteBelongsToExactlyOneToken) {
  // Every text of up to three bytes from an alphabet of the bytes the rules turn on.
  static const char alphabet[] = {'\'', '"', '`', '[', ']',  '-',    '/',    '*',    '\n',   ' ',
                                  'x',  'X', '0', '.', 'e',  '+',    '$',    ':',    '(',    '<',
                                  '>',  '|', '!', '?', '\v', '\xEF', '\xBB', '\xBF', '\x81', '\0'};
  std::vector<std::string> texts = {""};
  for (int length = 1; length <= 3; ++length) {
    std::vector<std::string> longer;
    for (const std::string& text : texts) {
      if (static_cast<int>(text.size()) != length - 1) continue;
      for (const char c : alphabet) longer.push_back(text + c);
    }
    texts.insert(texts.end(), longer.begin(), longer.end());
  }
  for (const std::string& text : texts) {
    std::size_t at = 0;
    for (const SqlToken& token : TokenizeSql(text)) {
      ASSERT_EQ(token.begin, at) << "text: " << text;
      ASSERT_GT(token.end, token.begin) << "text: " << text;
      at = token.end;
    }
    ASSERT_EQ(at, text.size()) << "text: " << text;
  }
}

TEST(SqlNameOfToken, UnquotesNamesAndStrings) {
  static const struct {
    std::string text;
    std::string name;
  } cases[] = {
      {"abc", "abc"},       {"\"a\"\"b\"", "a\"b"},
      {"[x]", "x"},         {"[a\"\"b]", "a\"\"b"},  // no escapes between brackets
      {"`x``y`", "x`y"},    {"'x'", "x"},
      {"'it''s'", "it's"},  {"\"my table\"", "my table"},
      {"\"名称\"", "名称"}, {"[\xB1\xED]", "\xB1\xED"},
      {"\"open", "open"},   {"[open", "open"},
      {"''", ""},           {"12", "12"},  // not a name: the text as it is
  };
  for (const auto& c : cases) {
    const std::vector<SqlToken> tokens = TokenizeSql(c.text);
    ASSERT_EQ(tokens.size(), 1u) << "text: " << c.text;
    EXPECT_EQ(SqlNameOfToken(c.text, tokens[0]), c.name) << "text: " << c.text;
  }
}

TEST(TokenNames, MatchesNamesIgnoringAsciiCaseOnly) {
  static const struct {
    std::string text;
    std::string name;
    bool names;
  } cases[] = {
      {"Price", "price", true},
      {"\"PRICE\"", "price", true},
      {"[Unit Price]", "unit price", true},
      {"`order`", "ORDER", true},
      {"名称", "名称", true},
      {"[名称]", "名称", true},
      {"'price'", "price", false},  // a string is a value
      {"price2", "price", false},
      {"\"price \"", "price", false},
      {"12", "12", false},
      {"\xC3\xFB", "\xE3\xFB", false},  // only ASCII letters fold
  };
  for (const auto& c : cases) {
    const std::vector<SqlToken> tokens = TokenizeSql(c.text);
    ASSERT_EQ(tokens.size(), 1u) << "text: " << c.text;
    EXPECT_EQ(TokenNames(c.text, tokens[0], c.name), c.names) << "text: " << c.text;
  }
  const std::string sql = "\"AS\" as";
  const std::vector<SqlToken> tokens = SignificantSqlTokens(sql);
  ASSERT_EQ(tokens.size(), 2u);
  EXPECT_FALSE(TokenIsKeyword(sql, tokens[0], "AS"));  // a quoted name is never a keyword
  EXPECT_TRUE(TokenIsKeyword(sql, tokens[1], "AS"));
  EXPECT_TRUE(TokenNames(sql, tokens[0], "as"));
}

}  // namespace
}  // namespace torvane
