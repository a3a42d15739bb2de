// The statements the layer sends, observed as the engine starts them. With ordinary names they are
// exactly the program's fixed texts; names that need it are quoted, texts have their quotes
// doubled.

#include <functional>

#include <gtest/gtest.h>

#include "db/db.h"
#include "support/statement_log.h"

namespace torvane {
namespace {

using Statements = std::vector<std::string>;

struct Objects {
  ZuveviRE& db;
  SqliteTable& cursor;
  SqliteDataset& record_set;
};

// Besides the column names, an open asks the engine what kind of table it reads. The row ids are
// read when a record number first needs them.
const Statements kOpenT = {"SELECT * FROM t LIMIT 0", "PRAGMA table_list('t')"};
const Statements kSnapshotT = {"SELECT _ROWID_ FROM t ORDER BY _ROWID_ "};

Statements Join(Statements a, const Statements& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(StatementText, EveryOperationSendsItsText) {
  static const struct {
    const char* what;
    std::function<void(Objects&)> run;
    Statements expected;
  } cases[] = {
      {"tables",
       [](Objects& o) { (void)o.db.GetTableNames(true, false, false); },
       {"SELECT name FROM sqlite_master  WHERE type IN ('table')  ORDER BY name "}},
      {"views",
       [](Objects& o) { (void)o.db.GetTableNames(false, true, false); },
       {"SELECT name FROM sqlite_master  WHERE type IN ('view')  ORDER BY name "}},
      {"temporary tables",
       [](Objects& o) { (void)o.db.GetTableNames(true, false, true); },
       {"SELECT name FROM sqlite_temp_master  WHERE type IN ('table')  ORDER BY name "}},
      {"temporary views",
       [](Objects& o) { (void)o.db.GetTableNames(false, true, true); },
       {"SELECT name FROM sqlite_temp_master  WHERE type IN ('view')  ORDER BY name "}},
      {"both kinds",
       [](Objects& o) { (void)o.db.GetTableNames(true, true, false); },
       {"SELECT name FROM sqlite_master  WHERE type IN ('table','view')  ORDER BY name "}},
      {"no kind", [](Objects& o) { (void)o.db.GetTableNames(false, false, false); }, {}},
      {"exists",
       [](Objects& o) { (void)o.db.TableExists("t"); },
       {"SELECT name FROM sqlite_master  WHERE name LIKE 't' AND type IN ('table','view') "}},
      {"exists with quote",
       [](Objects& o) { (void)o.db.TableExists("it's"); },
       {"SELECT name FROM sqlite_master  WHERE name LIKE 'it''s' AND type IN ('table','view') "}},
      {"table sql",
       [](Objects& o) { (void)o.db.GetTableSql("t"); },
       {" SELECT sql FROM sqlite_master  WHERE name='t' AND type IN ('table','view')  UNION ALL "
        "SELECT sql FROM sqlite_temp_master  WHERE name='t' AND type IN ('table','view') "}},
      {"table sql with quote",
       [](Objects& o) { (void)o.db.GetTableSql("o'k"); },
       {" SELECT sql FROM sqlite_master  WHERE name='o''k' AND type IN ('table','view')  UNION ALL "
        "SELECT sql FROM sqlite_temp_master  WHERE name='o''k' AND type IN ('table','view') "}},
      {"begin", [](Objects& o) { (void)o.db.BeginTransaction(); }, {"BEGIN TRANSACTION "}},
      {"commit", [](Objects& o) { (void)o.db.CommitTransaction(); }, {"COMMIT TRANSACTION "}},
      {"named transaction",
       [](Objects& o) {
         (void)o.db.BeginTransaction("x");
         (void)o.db.RollbackTransaction("x");
       },
       {"BEGIN TRANSACTION x", "ROLLBACK TRANSACTION x"}},
      {"create table",
       [](Objects& o) {
         (void)o.db.CreateTable("goods", std::vector<SqliteFieldInfo>{{"id", -1, 0},
                                                                      {"name", 10, 20},
                                                                      {"price", 5, 0},
                                                                      {"photo", 11, 0},
                                                                      {"note", 0, 0}});
       },
       {"CREATE TABLE goods (id INTEGER PRIMARY KEY, name TEXT(20), price NUMERIC, photo BLOB, "
        "note)"}},
      {"drop table", [](Objects& o) { (void)o.db.DropTable("old"); }, {"DROP TABLE old"}},
      {"drop quoted", [](Objects& o) { (void)o.db.DropTable("my t"); }, {"DROP TABLE \"my t\""}},
      {"open cursor", [](Objects& o) { (void)o.cursor.Open("t", o.db); }, kOpenT},
      {"read field",
       [](Objects& o) {
         std::string value;
         (void)o.cursor.GoTo(1);
         (void)o.cursor.ReadField(2, value);
       },
       Join(kSnapshotT, {"SELECT c FROM t WHERE _ROWID_ = 7 "})},
      {"read field by key",
       [](Objects& o) {
         std::string value;
         (void)o.cursor.SeekKey("7");
         (void)o.cursor.ReadField(2, value);
       },
       {"SELECT 1 FROM t WHERE _ROWID_ = 7", "SELECT c FROM t WHERE _ROWID_ = 7 "}},
      {"update",
       [](Objects& o) {
         (void)o.cursor.GoTo(1);
         (void)o.cursor.Edit();
         (void)o.cursor.SetField("c", "x");
         (void)o.cursor.SetField("a", 1);
         (void)o.cursor.Update();
       },
       Join(kSnapshotT, {"BEGIN", "UPDATE t SET a=?,c=? WHERE _ROWID_=7", "COMMIT"})},
      {"insert",
       [](Objects& o) {
         (void)o.cursor.AddNew();
         (void)o.cursor.SetField(2, "x");
         (void)o.cursor.SetField(1, 1.5);
         (void)o.cursor.Update();
       },
       {"INSERT INTO t(a,c) VALUES(?,?)"}},
      {"delete",
       [](Objects& o) {
         (void)o.cursor.GoTo(1);
         (void)o.cursor.Delete();
       },
       Join(kSnapshotT, {"BEGIN", "DELETE FROM t WHERE _ROWID_ = 7", "COMMIT"})},
      {"browse query runs once",
       [](Objects& o) {
         o.record_set = o.db.Query("select * from t limit 1000");
         (void)o.record_set.Requery();
         (void)o.record_set.GetAll(true);
         (void)o.record_set.GetAll(false);
       },
       {"select * from t limit 1000"}},
      {"quoted names in the cursor",
       [](Objects& o) {
         (void)o.cursor.Open("my t", o.db);
         (void)o.cursor.GoTo(1);
         std::string value;
         (void)o.cursor.ReadField(1, value);
         (void)o.cursor.Edit();
         (void)o.cursor.SetField(1, 2);
         (void)o.cursor.Update();
       },
       {"SELECT * FROM \"my t\" LIMIT 0", "PRAGMA table_list('my t')",
        "SELECT _ROWID_ FROM \"my t\" ORDER BY _ROWID_ ",
        "SELECT \"a\"\"b\" FROM \"my t\" WHERE _ROWID_ = 1 ", "BEGIN",
        "UPDATE \"my t\" SET \"a\"\"b\"=? WHERE _ROWID_=1", "COMMIT"}},
      {"chinese names are plain",
       [](Objects& o) {
         (void)o.cursor.Open("商品", o.db);
         (void)o.cursor.GoTo(1);
         std::string value;
         (void)o.cursor.ReadField(1, value);
       },
       {"SELECT * FROM 商品 LIMIT 0", "PRAGMA table_list('商品')",
        "SELECT _ROWID_ FROM 商品 ORDER BY _ROWID_ ", "SELECT 名称 FROM 商品 WHERE _ROWID_ = 1 "}},
  };
  for (const auto& c : cases) {
    testing::StatementLog log;
    ZuveviRE db;
    ASSERT_TRUE(db.Open("", true));
    ASSERT_TRUE(db.Execute(
        "CREATE TABLE t (a, c); INSERT INTO t(rowid, a, c) VALUES (7, 0, '');"
        "CREATE TABLE \"my t\" (\"a\"\"b\"); INSERT INTO \"my t\" VALUES (1);"
        "CREATE TABLE 商品 (名称); INSERT INTO 商品 VALUES ('x'); CREATE TABLE old (a)"));
    SqliteTable cursor;
    ASSERT_TRUE(cursor.Open("t", db));
    SqliteDataset record_set;
    Objects objects{db, cursor, record_set};
    (void)log.Take();
    c.run(objects);
    EXPECT_EQ(log.Take(), c.expected) << c.what;
  }
}

}  // namespace
}  // namespace torvane
