#include "db/sql_tokens.h"

namespace torvane {
namespace {

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(unsigned char c) { return IsDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'); }
bool IsLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
// A byte that may continue a word. "$" continues one but cannot start one (it starts a variable).
bool IsWordByte(unsigned char c) {
  return IsLetter(c) || IsDigit(c) || c == '_' || c == '$' || c >= 0x80;
}
// The engine's blanks between tokens. A vertical tab (0x0B) continues a run of blanks but cannot
// start one: the engine refuses it at the start of a token and accepts it after another blank.
bool IsBlankStart(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}
bool IsBlank(unsigned char c) { return IsBlankStart(c) || c == '\v'; }

// The byte at `i`, or 0 past the end: the engine reads a zero-terminated text, and every rule
// below stops at a zero byte as it does at the end.
unsigned char At(std::string_view sql, std::size_t i) {
  return i < sql.size() ? static_cast<unsigned char>(sql[i]) : 0;
}

// The length and kind of the token that starts at `at` (which is inside `sql`).
SqlToken ReadToken(std::string_view sql, std::size_t at) {
  const auto c = At(sql, at);
  auto next = [&](std::size_t k) { return At(sql, at + k); };
  auto token = [&](SqlTokenKind kind, std::size_t length) {
    return SqlToken{kind, at, at + length};
  };
  if (c == 0) return token(SqlTokenKind::kSpace, sql.size() - at);
  if (IsBlankStart(c)) {
    std::size_t i = 1;
    while (IsBlank(next(i))) ++i;
    return token(SqlTokenKind::kSpace, i);
  }
  // A byte-order mark anywhere a token may start is a blank to the engine.
  if (c == 0xEF && next(1) == 0xBB && next(2) == 0xBF) return token(SqlTokenKind::kSpace, 3);
  switch (c) {
    case '-':
      if (next(1) == '-') {
        std::size_t i = 2;
        while (next(i) != 0 && next(i) != '\n') ++i;
        return token(SqlTokenKind::kComment, i);
      }
      if (next(1) == '>') return token(SqlTokenKind::kOperator, next(2) == '>' ? 3 : 2);
      return token(SqlTokenKind::kOperator, 1);
    case '/': {
      if (next(1) != '*') return token(SqlTokenKind::kOperator, 1);
      // The search for "*/" starts after "/*": "/*/" does not close itself.
      std::size_t i = 2;
      while (next(i) != 0 && !(next(i) == '*' && next(i + 1) == '/')) ++i;
      return token(SqlTokenKind::kComment, next(i) == 0 ? i : i + 2);
    }
    case '=':
      return token(SqlTokenKind::kOperator, next(1) == '=' ? 2 : 1);
    case '<':
      return token(SqlTokenKind::kOperator,
                   next(1) == '=' || next(1) == '>' || next(1) == '<' ? 2 : 1);
    case '>':
      return token(SqlTokenKind::kOperator, next(1) == '=' || next(1) == '>' ? 2 : 1);
    case '!':
      return token(SqlTokenKind::kOperator, next(1) == '=' ? 2 : 1);
    case '|':
      return token(SqlTokenKind::kOperator, next(1) == '|' ? 2 : 1);
    case '\'':
    case '"':
    case '`': {
      // A doubled quote stands for itself; an unclosed one runs to the end.
      std::size_t i = 1;
      for (; next(i) != 0; ++i) {
        if (next(i) != c) continue;
        if (next(i + 1) != c) break;
        ++i;
      }
      const SqlTokenKind kind = c == '\'' ? SqlTokenKind::kString : SqlTokenKind::kQuotedName;
      return token(kind, next(i) == 0 ? i : i + 1);
    }
    case '[': {
      // No escape inside brackets: the first "]" closes the name.
      std::size_t i = 1;
      while (next(i) != 0 && next(i) != ']') ++i;
      return token(SqlTokenKind::kQuotedName, next(i) == 0 ? i : i + 1);
    }
    case '?': {
      std::size_t i = 1;
      while (IsDigit(next(i))) ++i;
      return token(SqlTokenKind::kVariable, i);
    }
    case '$':
    case '@':
    case ':':
    case '#': {
      // Named variables, with the engine's allowance for "a::b" and "a(index)" after the name.
      std::size_t i = 1;
      std::size_t name_bytes = 0;
      for (; next(i) != 0; ++i) {
        const auto d = next(i);
        if (IsWordByte(d)) {
          ++name_bytes;
        } else if (d == '(' && name_bytes > 0) {
          do ++i;
          while (next(i) != 0 && !IsBlank(next(i)) && next(i) != ')');
          if (next(i) == ')') ++i;
          break;
        } else if (d == ':' && next(i + 1) == ':') {
          ++i;
        } else {
          break;
        }
      }
      return token(name_bytes > 0 ? SqlTokenKind::kVariable : SqlTokenKind::kOperator, i);
    }
    case 'x':
    case 'X':
      if (next(1) == '\'') {
        // Up to the closing quote whatever lies between; only an even run of hex digits is a
        // valid blob, but the token ends there either way.
        std::size_t i = 2;
        while (next(i) != 0 && next(i) != '\'') ++i;
        return token(SqlTokenKind::kBlob, next(i) == 0 ? i : i + 1);
      }
      break;
    case '.':
      if (!IsDigit(next(1))) return token(SqlTokenKind::kOperator, 1);
      break;
    default:
      break;
  }
  if (IsDigit(c) || c == '.') {
    if (c == '0' && (next(1) == 'x' || next(1) == 'X') && IsHexDigit(next(2))) {
      std::size_t i = 3;
      while (IsHexDigit(next(i))) ++i;
      return token(SqlTokenKind::kNumber, i);
    }
    std::size_t i = 0;
    while (IsDigit(next(i))) ++i;
    if (next(i) == '.') {
      ++i;
      while (IsDigit(next(i))) ++i;
    }
    if ((next(i) == 'e' || next(i) == 'E') &&
        (IsDigit(next(i + 1)) ||
         ((next(i + 1) == '+' || next(i + 1) == '-') && IsDigit(next(i + 2))))) {
      i += 2;
      while (IsDigit(next(i))) ++i;
    }
    // Letters glued to a number make one token the engine refuses ("12abc").
    while (IsWordByte(next(i))) ++i;
    return token(SqlTokenKind::kNumber, i);
  }
  if (IsLetter(c) || c == '_' || c >= 0x80) {
    std::size_t i = 1;
    while (IsWordByte(next(i))) ++i;
    return token(SqlTokenKind::kWord, i);
  }
  return token(SqlTokenKind::kOperator, 1);
}

}  // namespace

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c | 0x20 : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::vector<SqlToken> TokenizeSql(std::string_view sql) {
  std::vector<SqlToken> tokens;
  for (std::size_t at = 0; at < sql.size();) {
    tokens.push_back(ReadToken(sql, at));
    at = tokens.back().end;
  }
  return tokens;
}

std::vector<SqlToken> SignificantSqlTokens(std::string_view sql) {
  std::vector<SqlToken> tokens;
  for (const SqlToken& token : TokenizeSql(sql)) {
    if (token.kind != SqlTokenKind::kSpace && token.kind != SqlTokenKind::kComment) {
      tokens.push_back(token);
    }
  }
  return tokens;
}

std::string_view SqlTokenText(std::string_view sql, const SqlToken& token) {
  return sql.substr(token.begin, token.end - token.begin);
}

std::string SqlNameOfToken(std::string_view sql, const SqlToken& token) {
  const std::string_view text = SqlTokenText(sql, token);
  const bool quoted =
      token.kind == SqlTokenKind::kQuotedName || token.kind == SqlTokenKind::kString;
  if (!quoted || text.empty()) return std::string(text);
  const char open = text.front();
  const char close = open == '[' ? ']' : open;
  std::string name;
  name.reserve(text.size());
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] != close) {
      name += text[i];
    } else if (open != '[' && i + 1 < text.size() && text[i + 1] == close) {
      name += close;
      ++i;
    } else {
      break;
    }
  }
  return name;
}

bool TokenNames(std::string_view sql, const SqlToken& token, std::string_view name) {
  if (token.kind != SqlTokenKind::kWord && token.kind != SqlTokenKind::kQuotedName) return false;
  return EqualsIgnoringAsciiCase(SqlNameOfToken(sql, token), name);
}

bool TokenIsKeyword(std::string_view sql, const SqlToken& token, std::string_view keyword) {
  return token.kind == SqlTokenKind::kWord &&
         EqualsIgnoringAsciiCase(SqlTokenText(sql, token), keyword);
}

}  // namespace torvane
