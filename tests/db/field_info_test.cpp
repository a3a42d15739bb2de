#include "db/field_info.h"

#include <gtest/gtest.h>

#include "db/connection.h"

namespace torvane {
namespace {

TEST(FieldInfo, ColumnDefinitionByTypeCode) {
  static const struct {
    SqliteFieldInfo field;
    std::string expected;
  } cases[] = {
      {{"id", -1, 0}, "id INTEGER PRIMARY KEY"},
      {{"note", 0, 0}, "note"},
      {{"note", 0, 30}, "note"},
      {{"a", 1, 0}, "a INTEGER"},
      {{"a", 2, 0}, "a INTEGER"},
      {{"a", 3, 0}, "a INTEGER"},
      {{"a", 4, 0}, "a INTEGER"},
      {{"a", 7, 0}, "a INTEGER"},
      {{"price", 5, 0}, "price NUMERIC"},
      {{"a", 6, 9}, "a NUMERIC"},
      {{"memo", 10, 50}, "memo TEXT(50)"},
      {{"memo", 10, 255}, "memo TEXT(255)"},
      {{"memo", 10, 0}, "memo TEXT"},
      {{"memo", 10, -3}, "memo TEXT"},
      {{"a", 8, 7}, "a TEXT(7)"},
      {{"a", 12, 0}, "a TEXT"},
      {{"photo", 11, 0}, "photo BLOB"},
      {{"a", 9, 0}, "a NONE"},
      {{"a", 42, 0}, "a NONE"},
      {{"a", -2, 0}, "a NONE"},
      {{"a", 13, 0}, "a NONE"},
      {{"名称", 10, 20}, "名称 TEXT(20)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ColumnDefinition(c.field), c.expected)
        << "field " << c.field.Name << " type " << c.field.Type << " length " << c.field.MaxLength;
  }
}

TEST(FieldInfo, CreateTableStatementSkipsUnnamedFieldsAndQuotesNothing) {
  EXPECT_EQ(
      CreateTableStatement(
          "goods",
          {{"id", -1, 0}, {"name", 10, 20}, {"price", 5, 0}, {"photo", 11, 0}, {"note", 0, 0}}),
      "CREATE TABLE goods (id INTEGER PRIMARY KEY, name TEXT(20), price NUMERIC, photo BLOB, "
      "note)");
  EXPECT_EQ(CreateTableStatement("t", {{"", 3, 0}, {"a", 3, 0}, {"", 10, 5}}),
            "CREATE TABLE t (a INTEGER)");
  EXPECT_EQ(CreateTableStatement("t", {{"", 3, 0}}), "CREATE TABLE t ()");
  EXPECT_EQ(CreateTableStatement("t", {}), "CREATE TABLE t ()");
  EXPECT_EQ(CreateTableStatement("my table", {{"a b", 0, 0}}), "CREATE TABLE my table (a b)");
}

TEST(FieldInfo, LongStatementsAreNotCut) {
  std::vector<SqliteFieldInfo> fields;
  for (int i = 0; i < 300; ++i) fields.push_back({"column_" + std::to_string(i), 10, 100});
  const std::string sql = CreateTableStatement("wide", fields);
  EXPECT_GT(sql.size(), 5000u);
  EXPECT_TRUE(sql.ends_with(", column_299 TEXT(100))")) << sql.substr(sql.size() - 40);

  ZuveviRE db;
  ASSERT_TRUE(db.Open("", true));
  ASSERT_TRUE(db.CreateTable("wide", fields));
  SqliteDataset columns = db.Query("SELECT count(*) FROM pragma_table_info('wide')");
  ASSERT_TRUE(columns.Requery());
  EXPECT_EQ(columns.GetAll(false).at(0, 0), "300");
}

TEST(FieldInfo, CreateTableRunsTheBuiltStatement) {
  ZuveviRE db;
  ASSERT_TRUE(db.Open("", true));
  ASSERT_TRUE(db.CreateTable(
      "goods",
      std::vector<SqliteFieldInfo>{
          {"id", -1, 0}, {"name", 10, 20}, {"price", 5, 0}, {"photo", 11, 0}, {"note", 0, 0}}));
  EXPECT_EQ(db.GetTableSql("goods"),
            "CREATE TABLE goods (id INTEGER PRIMARY KEY, name TEXT(20), price NUMERIC, photo BLOB, "
            "note)");
  ASSERT_TRUE(db.CreateTable("single", SqliteFieldInfo{"only", 3, 0}));
  EXPECT_EQ(db.GetTableSql("single"), "CREATE TABLE single (only INTEGER)");
}

TEST(FieldInfo, CreateTableFailures) {
  ZuveviRE closed;
  EXPECT_FALSE(closed.CreateTable("t", SqliteFieldInfo{"a", 3, 0}));
  EXPECT_FALSE(closed.CreateTable("t", std::vector<SqliteFieldInfo>{{"a", 3, 0}}));

  ZuveviRE db;
  ASSERT_TRUE(db.Open("", true));
  ASSERT_TRUE(db.Execute("CREATE TABLE existing (a)"));

  // Refused before the engine: the previous message stays.
  ASSERT_FALSE(db.Execute("SELEC 1"));
  const std::string syntax_error = db.GetErrorText();
  EXPECT_FALSE(db.CreateTable("", SqliteFieldInfo{"a", 3, 0}));
  EXPECT_FALSE(db.CreateTable("t", SqliteFieldInfo{"", 3, 0}));
  EXPECT_FALSE(db.CreateTable("", std::vector<SqliteFieldInfo>{{"a", 3, 0}}));
  EXPECT_EQ(db.GetErrorText(), syntax_error);

  static const struct {
    std::string table;
    std::vector<SqliteFieldInfo> fields;
    std::string message_part;
  } cases[] = {
      {"existing", {{"a", 3, 0}}, "already exists"},
      {"dup", {{"a", 3, 0}, {"A", 10, 0}}, "duplicate column name"},
      {"none", {{"", 3, 0}}, "syntax error"},
      {"bad name", {{"a", 3, 0}}, "syntax error"},  // names the caller typed are not quoted
      {"two_keys", {{"a", -1, 0}, {"b", -1, 0}}, "more than one primary key"},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(db.CreateTable(c.table, c.fields)) << c.table;
    EXPECT_NE(db.GetErrorText().find(c.message_part), std::string::npos)
        << c.table << ": " << db.GetErrorText();
  }
  EXPECT_EQ(db.GetTableNames(true, false, false), std::vector<std::string>{"existing"});
}

TEST(FieldInfo, DropTable) {
  ZuveviRE db;
  EXPECT_FALSE(db.DropTable("t"));
  ASSERT_TRUE(db.Open("", true));
  ASSERT_TRUE(
      db.Execute("CREATE TABLE t (a); CREATE TABLE \"my table\" (a); "
                 "CREATE TABLE \"select\" (a); CREATE TABLE keep (a); "
                 "CREATE VIEW v AS SELECT a FROM t"));
  EXPECT_FALSE(db.DropTable(""));
  EXPECT_FALSE(db.DropTable("v"));
  EXPECT_NE(db.GetErrorText().find("use DROP VIEW"), std::string::npos) << db.GetErrorText();
  EXPECT_FALSE(db.DropTable("missing"));
  EXPECT_EQ(db.GetErrorText(), "no such table: missing");
  // A crafted name drops nothing but the table of exactly that name.
  EXPECT_FALSE(db.DropTable("keep; DROP TABLE t"));
  EXPECT_TRUE(db.DropTable("my table"));
  EXPECT_TRUE(db.DropTable("select"));
  EXPECT_TRUE(db.DropTable("t"));
  EXPECT_FALSE(db.DropTable("v"));  // the view now refers to nothing; still not a table
  EXPECT_EQ(db.GetTableNames(true, false, false), std::vector<std::string>{"keep"});
}

}  // namespace
}  // namespace torvane
