// The statement splitter (db/sql_statements.h) and the tokenizer under it, on any text:
// - the tokens cover the text, in order, each at least one byte;
// - the statements are in order, apart, inside the text, each from a significant token's start to a
//   significant token's end, and nothing but blanks, comments and ";" lies outside them;
// - a statement ends with ";" exactly where the engine's completeness rule (sqlite3_complete) says
//   the text from its start is complete, and at no ";" before (the last one may instead be a
//   trigger whose END never came, which runs to the end of the text), wherever sqlite3_complete
//   reads the tokens as the engine's tokenizer does;
// - where the engine prepares a statement from its start, the engine's statement ends where the
//   splitter's does, give or take blanks and comments.
// And the console's guess of a text's kind (console/sql_console.h): the leading blanks and
// full-width blanks it skips do not change it, nor does text added after a keyword it knows.

#include <sqlite3.h>

#include <string>
#include <string_view>
#include <vector>

#include "console/sql_console.h"
#include "db/sql_statements.h"
#include "db/sql_tokens.h"
#include "fuzz_check.h"

namespace {

using namespace torvane;

// Only blanks, comments and ";" in `sql` between `begin` and `end`.
bool OnlyFiller(std::string_view sql, const std::vector<SqlToken>& tokens, std::size_t begin,
                std::size_t end) {
  for (const SqlToken& token : tokens) {
    if (token.end <= begin || token.begin >= end) continue;
    if (token.kind == SqlTokenKind::kSpace || token.kind == SqlTokenKind::kComment) continue;
    if (token.kind == SqlTokenKind::kOperator && SqlTokenText(sql, token) == ";") continue;
    return false;
  }
  return true;
}

// False when the statement [begin, end) holds a token that sqlite3_complete reads otherwise than
// the engine's tokenizer, whose reading the splitter follows: a variable with a "(...)" after its
// name, which may hold quotes, brackets and ";"; a byte-order mark, which the tokenizer takes for
// a blank and sqlite3_complete for part of a word; and a vertical tab after a blank, which the
// tokenizer takes for a blank and sqlite3_complete for a token.
bool CompletenessRuleReadsAlike(std::string_view sql, const std::vector<SqlToken>& tokens,
                                std::size_t begin, std::size_t end) {
  for (const SqlToken& token : tokens) {
    if (token.begin < begin || token.end > end) continue;
    const std::string_view text = SqlTokenText(sql, token);
    if (token.kind == SqlTokenKind::kVariable && text.find('(') != std::string_view::npos) {
      return false;
    }
    if (token.kind == SqlTokenKind::kSpace &&
        (text.front() == '\xEF' || text.find('\v') != std::string_view::npos)) {
      return false;
    }
  }
  return true;
}

bool Complete(std::string_view sql, std::size_t begin, std::size_t end) {
  return sqlite3_complete(std::string(sql.substr(begin, end - begin)).c_str()) != 0;
}

sqlite3* Database() {
  static sqlite3* db = [] {
    sqlite3* opened = nullptr;
    sqlite3_open_v2(":memory:", &opened, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite3_exec(opened, "CREATE TABLE t(a INTEGER PRIMARY KEY, b TEXT)", nullptr, nullptr,
                 nullptr);
    return opened;
  }();
  return db;
}

void CheckTokens(std::string_view sql, const std::vector<SqlToken>& tokens) {
  std::size_t at = 0;
  for (const SqlToken& token : tokens) {
    Require(token.begin == at && token.end > token.begin, "tokens follow one another");
    at = token.end;
  }
  Require(at == sql.size(), "tokens cover the text");
}

void CheckStatements(std::string_view sql) {
  const std::vector<SqlToken> tokens = TokenizeSql(sql);
  CheckTokens(sql, tokens);
  const std::vector<SqlToken> significant = SignificantSqlTokens(sql);
  const std::vector<SqlStatementRange> statements = SplitSqlStatements(sql);
  auto starts_token = [&](std::size_t at) {
    for (const SqlToken& t : significant) {
      if (t.begin == at) return true;
    }
    return false;
  };
  auto ends_token = [&](std::size_t at) {
    for (const SqlToken& t : significant) {
      if (t.end == at) return true;
    }
    return false;
  };

  std::size_t previous_end = 0;
  for (const SqlStatementRange& s : statements) {
    Require(s.begin >= previous_end && s.begin < s.end && s.end <= sql.size(),
            "statements are in order, apart and inside the text");
    Require(starts_token(s.begin) && ends_token(s.end), "a statement spans whole tokens");
    Require(OnlyFiller(sql, tokens, previous_end, s.begin), "only filler lies between statements");
    previous_end = s.end;

    // Every ";" token inside the statement, the last one included when it ends it.
    const bool alike = CompletenessRuleReadsAlike(sql, tokens, s.begin, s.end);
    for (const SqlToken& t : significant) {
      if (!alike) break;
      if (t.begin < s.begin || t.end > s.end) continue;
      if (t.kind != SqlTokenKind::kOperator || SqlTokenText(sql, t) != ";") continue;
      if (t.end < s.end) {
        Require(!Complete(sql, s.begin, t.end),
                "a statement ends at the first \";\" that completes it for the engine");
      } else if (s.end != statements.back().end) {
        // The last statement may also be a trigger whose END never came.
        Require(Complete(sql, s.begin, t.end), "a statement ends where the engine's does");
      }
    }
    if (sql[s.end - 1] != ';') {
      Require(s.end == statements.back().end, "only the last statement may lack its \";\"");
    }

    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    const std::string from_start(sql.substr(s.begin));
    if (sqlite3_prepare_v2(Database(), from_start.c_str(), static_cast<int>(from_start.size()),
                           &stmt, &tail) == SQLITE_OK &&
        stmt != nullptr) {
      const std::size_t engine_end = s.begin + static_cast<std::size_t>(tail - from_start.c_str());
      Require(engine_end >= s.end && OnlyFiller(sql, tokens, s.end, engine_end) &&
                  (engine_end == s.end || sql[s.end - 1] != ';'),
              "the engine's statement ends where the splitter's does");
    }
    sqlite3_finalize(stmt);
  }
  Require(OnlyFiller(sql, tokens, previous_end, sql.size()), "only filler follows the statements");
}

void CheckKind(const std::string& text) {
  const StatementKind kind = StatementKindOf(text);
  Require(StatementKindOf(" " + text) == kind, "a leading blank does not change the kind");
  Require(StatementKindOf("\xA1\xA1" + text) == kind,
          "a leading full-width blank does not change the kind");
  if (kind != StatementKind::kUnknown) {
    Require(StatementKindOf(text + " x") == kind,
            "text after the keyword does not change the kind");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string sql(reinterpret_cast<const char*>(data), size);
  CheckStatements(sql);
  CheckKind(sql);
  return 0;
}
