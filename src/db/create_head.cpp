#include "db/create_head.h"

namespace torvane {

bool IsNameToken(const std::vector<SqlToken>& tokens, std::size_t i) {
  if (i >= tokens.size()) return false;
  const SqlTokenKind kind = tokens[i].kind;
  return kind == SqlTokenKind::kWord || kind == SqlTokenKind::kQuotedName ||
         kind == SqlTokenKind::kString;
}

bool IsPunctuation(std::string_view sql, const std::vector<SqlToken>& tokens, std::size_t i,
                   char c) {
  return i < tokens.size() && tokens[i].kind == SqlTokenKind::kOperator &&
         tokens[i].end == tokens[i].begin + 1 && sql[tokens[i].begin] == c;
}

std::size_t ClosingParenthesis(std::string_view sql, const std::vector<SqlToken>& tokens,
                               std::size_t open) {
  int depth = 0;
  for (std::size_t i = open; i < tokens.size(); ++i) {
    if (IsPunctuation(sql, tokens, i, '(')) ++depth;
    if (IsPunctuation(sql, tokens, i, ')') && --depth == 0) return i;
  }
  return tokens.size();
}

CreateHead ReadCreateHead(std::string_view sql, const std::vector<SqlToken>& tokens,
                          std::string_view kind) {
  CreateHead head;
  std::size_t i = 0;
  auto keyword = [&](std::size_t at, std::string_view word) {
    return at < tokens.size() && TokenIsKeyword(sql, tokens[at], word);
  };
  if (!keyword(i++, "CREATE")) return head;
  if (keyword(i, "TEMP") || keyword(i, "TEMPORARY")) ++i;
  if (!keyword(i++, kind)) return head;
  // "IF" is also a name the engine accepts, but never one directly followed by NOT EXISTS.
  if (keyword(i, "IF") && keyword(i + 1, "NOT") && keyword(i + 2, "EXISTS")) i += 3;
  if (!IsNameToken(tokens, i)) return head;
  if (IsPunctuation(sql, tokens, i + 1, '.')) {
    i += 2;
    if (!IsNameToken(tokens, i)) return head;
  }
  head.ok = true;
  head.name = i;
  return head;
}

}  // namespace torvane
