#include "db/table_rebuild.h"

#include <gtest/gtest.h>

#include "base/files.h"
#include "base/text.h"
#include "db/connection.h"
#include "support/fault_vfs.h"
#include "support/raw_db.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

using testing::FileCall;
using testing::RawDb;
using testing::ScopedFaultVfs;
using testing::TempDir;

RebuildField Kept(int existing, const std::string& name, std::int32_t type = 0,
                  bool retyped = false, std::int32_t length = 0) {
  return RebuildField{existing, SqliteFieldInfo{name, type, length}, retyped};
}

RebuildField Added(const std::string& name, std::int32_t type = 0) {
  return RebuildField{-1, SqliteFieldInfo{name, type, 0}, false};
}

TEST(IsPlainDefinition, OnlyWhatTheDesignerWrites) {
  static const struct {
    const char* definition;
    bool plain;
  } cases[] = {
      {"CREATE TABLE goods (id INTEGER PRIMARY KEY, name TEXT(20), price NUMERIC, photo BLOB, "
       "note)",
       true},
      {"CREATE TABLE 商品 (名称 TEXT, 数量 INTEGER)", true},
      {"CREATE TABLE t(a)", false},
      {"CREATE TABLE t (a NOT NULL)", false},
      {"CREATE TABLE t (a TEXT(0))", false},
      {"CREATE TABLE t (a REAL)", false},
      {"CREATE TABLE t (\"a b\" TEXT)", false},
      {"CREATE TABLE t (a, PRIMARY KEY (a))", false},
      {"CREATE TABLE t (a INTEGER PRIMARY KEY) WITHOUT ROWID", false},
      {"CREATE TABLE t (a TEXT) STRICT", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsPlainDefinition(c.definition), c.plain) << c.definition;
}

TEST(PlanRebuild, KeepsEveryDefinitionTheUserDidNotChange) {
  const std::string definition =
      "CREATE TABLE \"order\" (\n"
      "  id INTEGER PRIMARY KEY AUTOINCREMENT,\n"
      "  code TEXT NOT NULL UNIQUE COLLATE NOCASE,\n"
      "  qty INTEGER DEFAULT (1 + 1) CHECK (qty > 0),\n"
      "  note,\n"
      "  total AS (qty * 2) STORED,\n"
      "  CONSTRAINT note_short CHECK (length(note) < 10),\n"
      "  UNIQUE (code, qty)\n"
      ")";
  const RebuildPlan plan = PlanRebuild("order", definition,
                                       {Kept(0, "id"), Kept(1, "code", 10, true, 8), Kept(2, "qty"),
                                        Kept(4, "total"), Added("added", 3)},
                                       "__temp_order_1_temp");
  ASSERT_EQ(plan.status.message(), "");
  EXPECT_EQ(plan.left_out,
            std::vector<std::string>{
                "表约束 CONSTRAINT note_short CHECK (length(note) < 10)（用到了已删除"
                "的字段 note）"});
  EXPECT_EQ(
      plan.statements,
      (std::vector<std::string>{
          "CREATE TABLE __temp_order_1_temp (id, code, qty)",
          "INSERT INTO __temp_order_1_temp (_rowid_, id, code, qty) SELECT _rowid_, id, code, "
          "qty FROM \"order\" ORDER BY _rowid_",
          "DROP TABLE \"order\"",
          "CREATE TABLE \"order\" (\n"
          "  id INTEGER PRIMARY KEY AUTOINCREMENT,\n"
          "  code TEXT(8) NOT NULL UNIQUE COLLATE NOCASE,\n"
          "  qty INTEGER DEFAULT (1 + 1) CHECK (qty > 0),\n"
          "  total AS (qty * 2) STORED,\n"
          "  added INTEGER,\n"
          "  UNIQUE (code, qty)\n"
          ")",
          "INSERT INTO \"order\" (_rowid_, id, code, qty) SELECT _rowid_, id, code, qty FROM "
          "__temp_order_1_temp ORDER BY _rowid_",
          "DROP TABLE __temp_order_1_temp",
      }));
}

// A file like the ones applications ship: constraints of every kind, an index, triggers, a view,
// a second table that refers to the first.
constexpr char kShop[] =
    "PRAGMA foreign_keys = ON;"
    "CREATE TABLE customer (\n"
    "  id INTEGER PRIMARY KEY AUTOINCREMENT,\n"
    "  name TEXT NOT NULL COLLATE NOCASE,\n"
    "  email TEXT UNIQUE,\n"
    "  level INTEGER DEFAULT 1 CHECK (level BETWEEN 1 AND 5),\n"
    "  memo -- free text\n"
    ");"
    "CREATE TABLE purchase (\n"
    "  id INTEGER PRIMARY KEY,\n"
    "  customer_id INTEGER NOT NULL REFERENCES customer(id) ON DELETE CASCADE,\n"
    "  amount NUMERIC(10, 2) NOT NULL\n"
    ");"
    "CREATE INDEX customer_name ON customer(name);"
    "CREATE INDEX customer_memo ON customer(memo);"
    "CREATE TABLE log (what);"
    "CREATE TRIGGER customer_added AFTER INSERT ON customer BEGIN"
    "  INSERT INTO log VALUES ('added ' || new.name); END;"
    "CREATE TRIGGER customer_memo_changed AFTER UPDATE OF memo ON customer BEGIN"
    "  INSERT INTO log VALUES (new.memo); END;"
    "CREATE VIEW customer_names AS SELECT id, name FROM customer;"
    "CREATE VIEW customer_memos AS SELECT memo FROM customer;"
    "INSERT INTO customer (name, email, level, memo) VALUES"
    "  ('Ann', 'a@x', 2, 'm1'), ('Bob', 'b@x', 3, 'm2'), ('Cy', NULL, 1, 'm3');"
    "DELETE FROM customer WHERE name = 'Cy';"
    "INSERT INTO purchase (customer_id, amount) VALUES (1, 9.5), (2, 3);";

class TableRebuildTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.Path("shop.sdb");
    RawDb raw(path_);
    ASSERT_EQ(raw.Exec(kShop), "");
    ASSERT_TRUE(db_.Open(path_));
    ASSERT_TRUE(db_.Execute("PRAGMA foreign_keys = ON"));
  }

  TempDir dir_;
  std::string path_;
  ZuveviRE db_;
};

// Every read of the rebuild made to fail on the file in turn (the definition, the columns, the
// catalog, the AUTOINCREMENT counter, the checks): the rebuild fails with the engine's reason, or
// the failure did not matter and it succeeds; the file is as it was or wholly rebuilt.
TEST_F(TableRebuildTest, AReadThatFailsOnTheFileIsTheEnginesFailure) {
  db_.Close();
  const Bytes shop = ReadFile(path_);
  const std::vector<RebuildField> fields = {Kept(0, "id"), Kept(1, "full_name"), Kept(2, "email"),
                                            Kept(3, "level"), Added("note", 10)};
  const auto dump = [](const std::string& path) { return RawDb(path).Dump(); };
  std::string rebuilt;
  {
    ASSERT_TRUE(db_.Open(path_));
    ASSERT_TRUE(RebuildTableLayout(db_, "customer", fields, 1).status.ok());
    db_.Close();
    rebuilt = dump(path_);
  }
  ASSERT_TRUE(WriteFile(path_, shop));
  const std::string before = dump(path_);
  ScopedFaultVfs vfs;
  for (int nth = 1; nth < 200; ++nth) {
    SCOPED_TRACE("read " + IntToText(nth));
    ASSERT_TRUE(WriteFile(path_, shop));
    ASSERT_TRUE(db_.Open(path_));
    vfs.Fail(FileCall::kRead, nth, SQLITE_IOERR, false);
    const RebuildResult result = RebuildTableLayout(db_, "customer", fields, 1);
    const int failures = vfs.failures();
    vfs.Heal();
    EXPECT_FALSE(db_.IsInTransaction());
    db_.Close();
    const std::string now = dump(path_);
    if (result.status.ok()) {
      EXPECT_EQ(now, rebuilt);
    } else {
      EXPECT_EQ(result.status.message(), "disk I/O error");
      EXPECT_EQ(now, before);
    }
    if (failures == 0) break;
  }
}

// Inside the user's transaction the rebuild is part of it: whatever read or write fails on the
// file on the way (it first checks the views and triggers, writing and undoing a scratch table),
// nothing of it is written to the file on its own. It either joins the transaction or fails with
// the engine's reason. The transaction is larger than the page cache, so that its pages are read
// and written as it goes.
TEST_F(TableRebuildTest, InsideTheUsersTransactionNothingIsWrittenOnItsOwn) {
  db_.Close();
  const std::string before = RawDb(path_).Dump();
  const std::vector<RebuildField> fields = {Kept(0, "id"),    Kept(1, "name"), Kept(2, "email"),
                                            Kept(3, "level"), Kept(4, "memo"), Added("note", 10)};
  static const FileCall calls[] = {FileCall::kRead, FileCall::kWrite};
  ScopedFaultVfs vfs;
  for (const FileCall call : calls) {
    for (int nth = 1; nth < 200; ++nth) {
      SCOPED_TRACE((call == FileCall::kRead ? "read " : "write ") + IntToText(nth));
      ASSERT_TRUE(db_.Open(path_));
      ASSERT_TRUE(db_.Execute("PRAGMA cache_size = 1"));
      ASSERT_TRUE(db_.BeginTransaction());
      ASSERT_TRUE(db_.Execute("UPDATE log SET what = 'pending'"));
      vfs.Fail(call, nth, SQLITE_IOERR, false);
      const RebuildResult result = RebuildTableLayout(db_, "customer", fields, 1);
      const int failures = vfs.failures();
      vfs.Heal();
      if (result.status.ok()) {
        EXPECT_TRUE(db_.IsInTransaction());
      } else {
        EXPECT_EQ(result.status.message(), "disk I/O error");
      }
      // Closing rolls back what the transaction still holds.
      db_.Close();
      EXPECT_EQ(RawDb(path_).Dump(), before);
      if (failures == 0) break;
    }
  }
}

TEST_F(TableRebuildTest, AddRenameAndRetypeKeepEveryConstraintIndexTriggerAndView) {
  // name renamed to full_name, level retyped to 小数型, note added.
  const RebuildResult result =
      RebuildTableLayout(db_, "customer",
                         {Kept(0, "id"), Kept(1, "full_name"), Kept(2, "email"),
                          Kept(3, "level", 5, true), Kept(4, "memo"), Added("note", 10)},
                         7);
  ASSERT_TRUE(result.status.ok()) << result.status.message();
  EXPECT_TRUE(result.left_out.empty());
  db_.Close();
  RawDb raw(path_);
  ASSERT_EQ(raw.Exec("PRAGMA foreign_keys = ON"), "");
  EXPECT_EQ(raw.Value("SELECT sql FROM sqlite_master WHERE name = 'customer'"),
            "CREATE TABLE customer (\n"
            "  id INTEGER PRIMARY KEY AUTOINCREMENT,\n"
            "  full_name TEXT NOT NULL COLLATE NOCASE,\n"
            "  email TEXT UNIQUE,\n"
            "  level NUMERIC DEFAULT 1 CHECK (level BETWEEN 1 AND 5),\n"
            "  memo,\n"
            "  note TEXT -- free text\n"
            ")");
  // The rows, their row ids and the counter stay; every constraint is still enforced.
  EXPECT_EQ(raw.Value("SELECT group_concat(id || full_name || level, ' ') FROM customer"),
            "1Ann2 2Bob3");
  EXPECT_EQ(raw.Value("SELECT seq FROM sqlite_sequence WHERE name = 'customer'"), "3");
  static const char* refused[] = {
      "INSERT INTO customer (full_name) VALUES (NULL)",
      "INSERT INTO customer (full_name, email) VALUES ('x', 'a@x')",
      "INSERT INTO customer (full_name, level) VALUES ('x', 9)",
      "DELETE FROM customer WHERE id = 99; INSERT INTO purchase (customer_id, amount) VALUES (42, "
      "1)",
  };
  for (const char* sql : refused) EXPECT_NE(raw.Exec(sql), "") << sql;
  ASSERT_EQ(raw.Exec("INSERT INTO customer (full_name, email) VALUES ('dee', 'd@x')"), "");
  EXPECT_EQ(raw.Value("SELECT id FROM customer WHERE full_name = 'DEE'"), "4");  // NOCASE, counter
  // The trigger fires for the new row, and did not for the copied ones.
  EXPECT_EQ(raw.Value("SELECT group_concat(what) FROM log"),
            "added Ann,added Bob,added Cy,added dee");
  EXPECT_EQ(
      raw.Value("SELECT group_concat(name) FROM (SELECT name FROM sqlite_master WHERE "
                "tbl_name = 'customer' AND type = 'index' AND sql IS NOT NULL ORDER BY name)"),
      "customer_memo,customer_name");
  EXPECT_EQ(raw.Value("SELECT sql FROM sqlite_master WHERE name = 'customer_name'"),
            "CREATE INDEX customer_name ON customer(full_name)");
  // The view names the renamed column by its new name.
  EXPECT_EQ(raw.Value("SELECT group_concat(full_name) FROM customer_names"), "Ann,Bob,dee");
  // Deleting a customer still cascades to the purchases, as before.
  ASSERT_EQ(raw.Exec("DELETE FROM customer WHERE id = 1"), "");
  EXPECT_EQ(raw.Value("SELECT count(*) FROM purchase"), "1");
  EXPECT_EQ(raw.Value("PRAGMA integrity_check"), "ok");
  EXPECT_EQ(raw.Value("PRAGMA foreign_key_check"), "<none>");
  EXPECT_EQ(raw.Exec("ALTER TABLE log RENAME TO history; ALTER TABLE purchase ADD COLUMN x"), "");
}

TEST_F(TableRebuildTest, ADeletedFieldTakesOnlyWhatNamesIt) {
  // memo is named by an index, a trigger and a view; a CHECK names it too.
  ASSERT_TRUE(db_.Execute("ALTER TABLE customer ADD COLUMN tag TEXT CHECK (tag <> memo)"));
  const RebuildResult result = RebuildTableLayout(
      db_, "customer",
      {Kept(0, "id"), Kept(1, "name"), Kept(2, "email"), Kept(3, "level"), Kept(5, "tag")}, 8);
  // The CHECK of a kept column naming the deleted one cannot stay without it: the engine refuses.
  EXPECT_FALSE(result.status.ok());
  EXPECT_NE(result.status.message().find("memo"), std::string::npos) << result.status.message();

  const RebuildResult without_tag = RebuildTableLayout(
      db_, "customer", {Kept(0, "id"), Kept(1, "name"), Kept(2, "email"), Kept(3, "level")}, 9);
  ASSERT_TRUE(without_tag.status.ok()) << without_tag.status.message();
  EXPECT_EQ(without_tag.left_out,
            (std::vector<std::string>{"索引 customer_memo（用到了已删除的字段 memo）",
                                      "触发器 customer_memo_changed（用到了已删除的字段 memo）",
                                      "视图 customer_memos（用到了已删除的字段 memo）"}));
  db_.Close();
  RawDb raw(path_);
  EXPECT_EQ(raw.Value("SELECT group_concat(name) FROM (SELECT name FROM sqlite_master "
                      "WHERE type <> 'table' AND sql IS NOT NULL ORDER BY name)"),
            "customer_added,customer_name,customer_names");
  EXPECT_EQ(raw.Value("PRAGMA integrity_check"), "ok");
  EXPECT_EQ(raw.Exec("ALTER TABLE log RENAME TO history"), "");
}

TEST(TableRebuild, WithoutRowIdStrictGeneratedAndSwappedNames) {
  ZuveviRE db;
  ASSERT_TRUE(db.Open("", true));
  ASSERT_TRUE(
      db.Execute("CREATE TABLE pair (a TEXT NOT NULL, b INTEGER, c INTEGER AS (b * 10),"
                 " PRIMARY KEY (a, b)) WITHOUT ROWID, STRICT;"
                 "INSERT INTO pair (a, b) VALUES ('x', 1), ('y', 2);"
                 "CREATE INDEX pair_b ON pair(b);"
                 "CREATE TABLE other (z);"));
  // a and b swap names; a new column is added.
  const RebuildResult result =
      RebuildTableLayout(db, "pair", {Kept(0, "b"), Kept(1, "a"), Kept(2, "c"), Added("d", 10)}, 1);
  ASSERT_TRUE(result.status.ok()) << result.status.message();
  SqliteDataset rows = db.Query(
      "SELECT (SELECT sql FROM sqlite_master WHERE name = 'pair') || ' | ' ||"
      " (SELECT sql FROM sqlite_master WHERE name = 'pair_b') || ' | ' ||"
      " (SELECT group_concat(b || a || c, ',') FROM pair)");
  ASSERT_TRUE(rows.Requery());
  EXPECT_EQ(rows.GetAll(false).at(0, 0),
            "CREATE TABLE pair (b TEXT NOT NULL, a INTEGER, c INTEGER AS (a * 10), d TEXT,"
            " PRIMARY KEY (b, a)) WITHOUT ROWID, STRICT | CREATE INDEX pair_b ON pair(a)"
            " | x110,y220");
  // STRICT still refuses a text in an integer column.
  EXPECT_FALSE(db.Execute("INSERT INTO pair (b, a) VALUES ('z', 'not a number')"));
  EXPECT_TRUE(db.Execute("ALTER TABLE other RENAME TO other2"));
}

}  // namespace
}  // namespace torvane
