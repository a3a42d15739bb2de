#pragma once

// Cutting SQL text into the tokens the engine's own tokenizer sees, so that stored CREATE
// statements can be read the way the engine reads them.
//
// The engine reads bytes, not characters: a byte of 0x80 or more is a word byte whichever
// character it comes from, and an ASCII byte always stands for itself. Internal text (GB18030) is
// therefore cut exactly where the engine cuts it for a database kept in GBK: the trail byte of a
// two-byte character that happens to be "]" ends a bracketed name there, for the engine as here.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace torvane {

enum class SqlTokenKind {
  kSpace,       // blanks, tabs, line breaks, a byte-order mark; and a zero byte with all after it,
                // which the engine never reads
  kComment,     // "-- ..." up to the line break (not included), "/* ... */"
  kWord,        // a keyword or a bare name
  kQuotedName,  // "...", `...` or [...]
  kString,      // '...'
  kNumber,      // 12, 1.5e3, .5, 0x1F
  kBlob,        // X'01AB'
  kVariable,    // ?, ?3, :a, @a, $a
  kOperator,    // punctuation and operators, and any byte the engine does not accept
};

// One token: the bytes [begin, end) of the text it was read from.
struct SqlToken {
  SqlTokenKind kind;
  std::size_t begin;
  std::size_t end;
};

// The tokens of `sql`, in order: every byte belongs to exactly one token. Never fails: a string,
// quoted name or "/*" comment that is not closed runs to the end of the text, and a byte the
// engine would refuse is a kOperator token of its own. Multi-byte operators ("||", "<=", ">=",
// "==", "!=", "<>", "<<", ">>", "->", "->>") are one token; "(", ")", ",", ";" and "." are tokens
// of one byte.
std::vector<SqlToken> TokenizeSql(std::string_view sql);

// The tokens of `sql` that are neither blanks nor comments, in order.
std::vector<SqlToken> SignificantSqlTokens(std::string_view sql);

// The text of `token` in `sql`.
std::string_view SqlTokenText(std::string_view sql, const SqlToken& token);

// The name a kWord, kQuotedName or kString token stands for: "a""b" -> a"b, [x] -> x, `x` -> x,
// 'x' -> x (the engine takes a string as a name in several places, among them table and column
// names), a bare word unchanged. A quoted name or string that is not closed loses only its opening
// quote. Any other token gives its text unchanged.
std::string SqlNameOfToken(std::string_view sql, const SqlToken& token);

// True when `a` and `b` are the same bytes, ASCII letter case aside: the engine's rule for
// names, which compares bytes and never looks at what character a byte belongs to.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// True when `token` is a word or quoted name standing for `name`, ASCII letter case ignored (the
// engine's rule for names). A string never is: in an expression it is a value.
bool TokenNames(std::string_view sql, const SqlToken& token, std::string_view name);

// True when `token` is the bare word `keyword`, ASCII letter case ignored. A quoted name never is
// a keyword, whatever it spells.
bool TokenIsKeyword(std::string_view sql, const SqlToken& token, std::string_view keyword);

}  // namespace torvane
