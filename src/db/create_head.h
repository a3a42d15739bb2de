#pragma once

// Private to the definition readers: the head every CREATE statement of a named object shares,
// "CREATE [TEMP | TEMPORARY] <kind> [IF NOT EXISTS] [schema .] name".

#include <cstddef>
#include <string_view>
#include <vector>

#include "db/sql_tokens.h"

namespace torvane {

struct CreateHead {
  bool ok = false;
  // The name token's index in the significant tokens the head was read from.
  std::size_t name = 0;
};

// Reads the head of `sql` from its significant tokens. Not ok when the statement does not start
// with that head for `kind` ("TABLE", "VIEW", "TRIGGER"), for example "CREATE VIRTUAL TABLE".
CreateHead ReadCreateHead(std::string_view sql, const std::vector<SqlToken>& tokens,
                          std::string_view kind);

// True when the significant token `i` can stand for a name: a word, quoted name or string.
bool IsNameToken(const std::vector<SqlToken>& tokens, std::size_t i);

// True when the significant token `i` is the one-byte operator `c`.
bool IsPunctuation(std::string_view sql, const std::vector<SqlToken>& tokens, std::size_t i,
                   char c);

// The index of the ")" that closes the "(" at `open`; tokens.size() when it is never closed.
std::size_t ClosingParenthesis(std::string_view sql, const std::vector<SqlToken>& tokens,
                               std::size_t open);

}  // namespace torvane
