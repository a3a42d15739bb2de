#include "db/sql_statements.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "db/sql_tokens.h"

namespace torvane {
namespace {

// The statements of `sql` joined by " | ".
std::string Show(const std::string& sql) {
  std::string shown;
  for (const SqlStatementRange& statement : SplitSqlStatements(sql)) {
    if (!shown.empty()) shown += " | ";
    shown += sql.substr(statement.begin, statement.end - statement.begin);
  }
  return shown;
}

const struct {
  std::string sql;
  std::string statements;
} kCases[] = {
    {"", ""},
    {"  \r\n\t", ""},
    {"-- only a comment\n/* and another */", ""},
    {";;  ; ", ""},
    {"SELECT 1", "SELECT 1"},
    {"  SELECT 1;  ", "SELECT 1;"},
    {"SELECT 1;SELECT 2", "SELECT 1; | SELECT 2"},
    {"CREATE TABLE t(a);\r\nINSERT INTO t VALUES(1);\r\n;\r\nDELETE FROM t",
     "CREATE TABLE t(a); | INSERT INTO t VALUES(1); | DELETE FROM t"},
    // Comments before a statement are not part of it; those inside and after it are.
    {"-- make it\nCREATE TABLE t(a /* ; */); -- done; really\nSELECT 2 -- last",
     "CREATE TABLE t(a /* ; */); | SELECT 2"},
    // A ";" in a string or quoted name ends nothing.
    {"SELECT ';', \";\", [;], `;`; SELECT 'it''s;'",
     "SELECT ';', \";\", [;], `;`; | SELECT 'it''s;'"},
    {"SELECT 'open; SELECT 2", "SELECT 'open; SELECT 2"},
    // Internal text: two-byte characters and a ";" right after one.
    {"INSERT INTO 商品 VALUES('苹果;香蕉');UPDATE 商品 SET 名称='梨'",
     "INSERT INTO 商品 VALUES('苹果;香蕉'); | UPDATE 商品 SET 名称='梨'"},
    // A trigger's body holds statements of its own.
    {"CREATE TRIGGER tr AFTER INSERT ON t BEGIN INSERT INTO log VALUES(1); DELETE FROM x; END;"
     " SELECT 1;",
     "CREATE TRIGGER tr AFTER INSERT ON t BEGIN INSERT INTO log VALUES(1); DELETE FROM x; END; | "
     "SELECT 1;"},
    {"create temp trigger tr after delete on t begin\n  select 1;\n  -- note;\n  ;select 2; "
     "end ; x",
     "create temp trigger tr after delete on t begin\n  select 1;\n  -- note;\n  ;select 2; "
     "end ; | x"},
    {"CREATE TEMPORARY TRIGGER tr UPDATE ON t BEGIN SELECT CASE WHEN 1 THEN 2 END; END; SELECT 3",
     "CREATE TEMPORARY TRIGGER tr UPDATE ON t BEGIN SELECT CASE WHEN 1 THEN 2 END; END; | "
     "SELECT 3"},
    {"EXPLAIN QUERY PLAN CREATE TRIGGER tr INSERT ON t BEGIN SELECT 1; END; SELECT 2",
     "EXPLAIN QUERY PLAN CREATE TRIGGER tr INSERT ON t BEGIN SELECT 1; END; | SELECT 2"},
    // END that does not follow a ";" does not end the body; one in quotes is a name.
    {"CREATE TRIGGER tr INSERT ON t BEGIN SELECT 1 END; \"END\"; END; SELECT 2",
     "CREATE TRIGGER tr INSERT ON t BEGIN SELECT 1 END; \"END\"; END; | SELECT 2"},
    // Only CREATE [TEMP] TRIGGER opens a body: other CREATEs and a TRIGGER named elsewhere do not.
    {"CREATE TABLE trigger(a); CREATE TEMP TABLE b(c); SELECT trigger FROM \"trigger\";",
     "CREATE TABLE trigger(a); | CREATE TEMP TABLE b(c); | SELECT trigger FROM \"trigger\";"},
    {"CREATE VIEW v AS SELECT 1; DROP TRIGGER tr; END;",
     "CREATE VIEW v AS SELECT 1; | DROP TRIGGER tr; | END;"},
    // A trigger left without its END runs to the end of the text.
    {"CREATE TRIGGER tr INSERT ON t BEGIN SELECT 1; SELECT 2;",
     "CREATE TRIGGER tr INSERT ON t BEGIN SELECT 1; SELECT 2;"},
    // The engine reads no further than a zero byte.
    {std::string("SELECT 1;\0SELECT 2;", 19), "SELECT 1;"},
};

TEST(SplitSqlStatements, CutsAtEachStatementsEnd) {
  for (const auto& c : kCases) EXPECT_EQ(Show(c.sql), c.statements) << c.sql;
}

// The engine's own rule agrees: no start of a statement that ends in a ";" inside it is complete
// for the engine, and every statement followed by another is complete. (The last one may be cut
// short by the end of the text.)
TEST(SplitSqlStatements, AgreesWithTheEnginesCompletenessRule) {
  for (const auto& c : kCases) {
    const std::vector<SqlStatementRange> ranges = SplitSqlStatements(c.sql);
    for (std::size_t i = 0; i < ranges.size(); ++i) {
      const std::string statement = c.sql.substr(ranges[i].begin, ranges[i].end - ranges[i].begin);
      if (i + 1 < ranges.size()) {
        EXPECT_TRUE(sqlite3_complete(statement.c_str())) << statement;
      }
      for (const SqlToken& token : SignificantSqlTokens(statement)) {
        if (token.end == statement.size() || SqlTokenText(statement, token) != ";") continue;
        const std::string start = statement.substr(0, token.end);
        EXPECT_FALSE(sqlite3_complete(start.c_str())) << c.sql << "\n  at: " << start;
      }
    }
  }
}

}  // namespace
}  // namespace torvane
