#include "db/table_cursor.h"

#include <gtest/gtest.h>

#include "db/connection.h"

namespace torvane {
namespace {

using Names = std::vector<std::string>;

// One value of the database, read with a query of its own.
std::string Value(ZuveviRE& db, const std::string& sql) {
  SqliteDataset query = db.Query(sql);
  if (!query.Requery()) return "<error: " + db.GetErrorText() + ">";
  const TextTable rows = query.GetAll(false);
  return rows.empty() ? "<none>" : std::string(rows.at(0, 0));
}

class TableCursor : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(db_.Open("", true));
    // Row ids out of insertion order: records are numbered by ascending row id.
    ASSERT_TRUE(
        db_.Execute("CREATE TABLE t (num INTEGER, name TEXT, price REAL, photo BLOB, note);"
                    "INSERT INTO t(rowid, num, name, price, photo, note) VALUES"
                    " (30, 3, 'three', 3.5, x'00FF00', NULL),"
                    " (10, 1, 'one', 1.25, x'', 'n1'),"
                    " (20, 2, '', -2.5, NULL, '')"));
  }

  ZuveviRE db_;
  SqliteTable cursor_;
};

TEST_F(TableCursor, OpenTakesColumnsAndRowIdsInAscendingOrder) {
  ASSERT_TRUE(cursor_.Open("t", db_));
  EXPECT_TRUE(cursor_.IsOpen());
  EXPECT_EQ(cursor_.GetName(), "t");
  EXPECT_EQ(cursor_.GetRecordCount(), 3);
  EXPECT_EQ(cursor_.GetFieldCount(), 5);
  EXPECT_EQ(cursor_.GetFieldNames(), (Names{"num", "name", "price", "photo", "note"}));
  EXPECT_EQ(cursor_.GetCurrentRecord(), 0);
  for (int record = 1; record <= 3; ++record) {
    ASSERT_TRUE(cursor_.GoTo(record));
    std::int32_t num = 0;
    ASSERT_TRUE(cursor_.ReadField(1, num));
    EXPECT_EQ(num, record);
  }
  EXPECT_TRUE(cursor_.Close());
  EXPECT_FALSE(cursor_.IsOpen());
  EXPECT_EQ(cursor_.GetName(), "");
  EXPECT_EQ(cursor_.GetRecordCount(), 0);
  EXPECT_EQ(cursor_.GetFieldCount(), 0);
  EXPECT_TRUE(cursor_.GetFieldNames().empty());
  EXPECT_FALSE(cursor_.GoTo(1));
}

TEST_F(TableCursor, EmptyTableOpensWithItsColumns) {
  ASSERT_TRUE(db_.Execute("CREATE TABLE e (a, b)"));
  ASSERT_TRUE(cursor_.Open("e", db_));
  EXPECT_EQ(cursor_.GetRecordCount(), 0);
  EXPECT_EQ(cursor_.GetFieldNames(), (Names{"a", "b"}));
  EXPECT_FALSE(cursor_.GoTo(1));
  EXPECT_EQ(cursor_.GetCurrentRecord(), 1);
}

TEST_F(TableCursor, RefusedOpenLeavesTheCursorAsItWas) {
  ASSERT_TRUE(cursor_.Open("t", db_));
  ASSERT_TRUE(cursor_.GoTo(2));
  ZuveviRE closed;
  EXPECT_FALSE(cursor_.Open("t", closed));
  EXPECT_FALSE(cursor_.Open("", db_));
  EXPECT_EQ(cursor_.GetName(), "t");
  EXPECT_EQ(cursor_.GetCurrentRecord(), 2);

  // A table that cannot be read closes the cursor.
  ASSERT_TRUE(db_.Execute("CREATE VIEW broken AS SELECT nosuch FROM t"));
  static const char* unreadable[] = {"missing", "broken", "T where 1=1 --", "t;"};
  for (const char* name : unreadable) {
    ASSERT_TRUE(cursor_.Open("t", db_));
    EXPECT_FALSE(cursor_.Open(name, db_)) << name;
    EXPECT_FALSE(cursor_.IsOpen()) << name;
    EXPECT_EQ(cursor_.GetName(), "") << name;
    EXPECT_NE(db_.GetErrorText(), "") << name;
  }
}

TEST_F(TableCursor, GoToMovesWithinTheSnapshotOnly) {
  ASSERT_TRUE(cursor_.Open("t", db_));
  static const struct {
    int record;
    bool result;
    int current;
  } cases[] = {
      {1, true, 1},   {3, true, 3},  {0, false, 0},   {2, true, 2},
      {-5, false, 0}, {4, false, 4}, {100, false, 4}, {2, true, 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(cursor_.GoTo(c.record), c.result) << c.record;
    EXPECT_EQ(cursor_.GetCurrentRecord(), c.current) << c.record;
  }
}

TEST_F(TableCursor, FieldsByNumberOrName) {
  ASSERT_TRUE(cursor_.Open("t", db_));
  ASSERT_TRUE(cursor_.GoTo(3));
  static const struct {
    FieldRef field;
    bool found;
    const char* text;
  } cases[] = {
      {1, true, "3"},
      {2, true, "three"},
      {5, true, ""},
      {2.9, true, "three"},
      {1.0f, true, "3"},
      {0, false, ""},
      {6, false, ""},
      {-1, false, ""},
      {0.5, false, ""},
      {1e30, false, ""},
      {"name", true, "three"},
      {"NAME", true, "three"},
      {"Price", true, "3.5"},
      {std::string("num"), true, "3"},
      {"", false, ""},
      {"nam", false, ""},
      {std::string_view("note"), true, ""},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    std::string value = "unchanged";
    EXPECT_EQ(cursor_.ReadField(cases[i].field, value), cases[i].found) << "case " << i;
    EXPECT_EQ(value, cases[i].found ? cases[i].text : "unchanged") << "case " << i;
  }
}

TEST_F(TableCursor, ReadFieldConvertsToTheVariablesType) {
  ASSERT_TRUE(cursor_.Open("t", db_));
  struct Read {
    std::string text = "?";
    Bytes bytes{9};
    bool flag = false;
    std::int32_t i32 = -7;
    std::int64_t i64 = -7;
    float f = -7;
    double d = -7;
  };
  auto read = [&](int record, const char* field) {
    Read r;
    EXPECT_TRUE(cursor_.GoTo(record));
    EXPECT_TRUE(cursor_.ReadField(field, r.text)) << field;
    EXPECT_TRUE(cursor_.ReadField(field, r.bytes)) << field;
    EXPECT_TRUE(cursor_.ReadField(field, r.flag)) << field;
    EXPECT_TRUE(cursor_.ReadField(field, r.i32)) << field;
    EXPECT_TRUE(cursor_.ReadField(field, r.i64)) << field;
    EXPECT_TRUE(cursor_.ReadField(field, r.f)) << field;
    EXPECT_TRUE(cursor_.ReadField(field, r.d)) << field;
    return r;
  };
  Read r = read(3, "price");  // 3.5
  EXPECT_EQ(r.text, "3.5");
  EXPECT_EQ(r.bytes, (Bytes{'3', '.', '5'}));
  EXPECT_TRUE(r.flag);
  EXPECT_EQ(r.i32, 3);
  EXPECT_EQ(r.i64, 3);
  EXPECT_EQ(r.f, 3.5f);
  EXPECT_EQ(r.d, 3.5);

  r = read(3, "photo");  // bytes with zeros
  EXPECT_EQ(r.bytes, (Bytes{0x00, 0xFF, 0x00}));
  EXPECT_EQ(r.text, std::string("\0\xFF\0", 3));

  r = read(3, "note");  // NULL
  EXPECT_EQ(r.text, "");
  EXPECT_TRUE(r.bytes.empty());
  EXPECT_FALSE(r.flag);
  EXPECT_EQ(r.i32, 0);
  EXPECT_EQ(r.i64, 0);
  EXPECT_EQ(r.d, 0.0);

  r = read(1, "photo");  // zero-length bytes
  EXPECT_TRUE(r.bytes.empty());
  EXPECT_EQ(r.text, "");

  r = read(2, "name");  // empty text
  EXPECT_EQ(r.text, "");
  EXPECT_TRUE(r.bytes.empty());

  ASSERT_TRUE(db_.Execute("CREATE TABLE big (v); INSERT INTO big VALUES (-9000000000)"));
  ASSERT_TRUE(cursor_.Open("big", db_));
  r = read(1, "v");
  EXPECT_EQ(r.i64, -9000000000);
  EXPECT_EQ(r.text, "-9000000000");
  EXPECT_TRUE(r.flag);
}

TEST_F(TableCursor, ReadFieldNeedsACurrentRecord) {
  std::string value = "unchanged";
  EXPECT_FALSE(cursor_.ReadField(1, value));  // closed
  ASSERT_TRUE(cursor_.Open("t", db_));
  EXPECT_FALSE(cursor_.ReadField(1, value));  // no current record yet
  EXPECT_FALSE(cursor_.GoTo(4));
  EXPECT_FALSE(cursor_.ReadField(1, value));  // past the end
  EXPECT_FALSE(cursor_.GoTo(0));
  EXPECT_FALSE(cursor_.ReadField(1, value));
  EXPECT_FALSE(cursor_.Edit());
  EXPECT_FALSE(cursor_.Delete());
  EXPECT_EQ(value, "unchanged");
  EXPECT_EQ(Value(db_, "SELECT count(*) FROM t"), "3");
}

TEST_F(TableCursor, SetFieldStagesValuesOfEachKind) {
  ASSERT_TRUE(db_.Execute("CREATE TABLE k (v)"));  // no affinity: values stay as bound
  ASSERT_TRUE(cursor_.Open("k", db_));
  static const struct {
    const char* type;
    const char* text;
    std::function<bool(SqliteTable&)> set;
  } cases[] = {
      {"text", "5", [](SqliteTable& c) { return c.SetField(1, "5"); }},
      {"text", "abc", [](SqliteTable& c) { return c.SetField(1, std::string("abc")); }},
      {"text", "view", [](SqliteTable& c) { return c.SetField(1, std::string_view("view")); }},
      {"text", "", [](SqliteTable& c) { return c.SetField(1, ""); }},
      {"text", "中文", [](SqliteTable& c) { return c.SetField(1, "中文"); }},
      {"integer", "1", [](SqliteTable& c) { return c.SetField(1, true); }},
      {"integer", "0", [](SqliteTable& c) { return c.SetField(1, false); }},
      {"integer", "-42", [](SqliteTable& c) { return c.SetField(1, -42); }},
      {"integer", "7", [](SqliteTable& c) { return c.SetField(1, static_cast<short>(7)); }},
      {"integer", "9000000000",
       [](SqliteTable& c) { return c.SetField(1, std::int64_t{9000000000}); }},
      {"integer", "-9000000000", [](SqliteTable& c) { return c.SetField(1, -9000000000LL); }},
      {"real", "0.5", [](SqliteTable& c) { return c.SetField(1, 0.5f); }},
      {"real", "2.25", [](SqliteTable& c) { return c.SetField(1, 2.25); }},
      {"blob", "", [](SqliteTable& c) { return c.SetField(1, Bytes{}); }},
      {"blob", std::string("a\0b", 3).c_str(),
       [](SqliteTable& c) {
         return c.SetField(1, Bytes{'a', 0, 'b'});
       }},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    ASSERT_TRUE(cursor_.AddNew());
    ASSERT_TRUE(cases[i].set(cursor_)) << "case " << i;
    ASSERT_TRUE(cursor_.Update()) << "case " << i << ": " << db_.GetErrorText();
    const std::string row = std::to_string(db_.GetLastInsertRowId());
    EXPECT_EQ(Value(db_, "SELECT typeof(v) FROM k WHERE rowid = " + row), cases[i].type)
        << "case " << i;
    if (std::string(cases[i].type) != "blob") {
      EXPECT_EQ(Value(db_, "SELECT v FROM k WHERE rowid = " + row), cases[i].text) << "case " << i;
    }
  }
  EXPECT_EQ(Value(db_, "SELECT hex(v) FROM k WHERE rowid = 15"), "610062");
  EXPECT_EQ(Value(db_, "SELECT length(v) FROM k WHERE rowid = 14"), "0");
}

TEST_F(TableCursor, TextIsBoundAsTextAndTheColumnDecides) {
  ASSERT_TRUE(cursor_.Open("t", db_));
  ASSERT_TRUE(cursor_.AddNew());
  ASSERT_TRUE(cursor_.SetField("num", "5"));
  ASSERT_TRUE(cursor_.SetField("name", "12"));
  ASSERT_TRUE(cursor_.Update());
  EXPECT_EQ(Value(db_, "SELECT typeof(num) || typeof(name) FROM t WHERE rowid = 31"),
            "integertext");
}

TEST_F(TableCursor, SetFieldRefusals) {
  EXPECT_FALSE(cursor_.SetField(1, "x"));  // closed
  ASSERT_TRUE(cursor_.Open("t", db_));
  EXPECT_FALSE(cursor_.SetField(0, "x"));
  EXPECT_FALSE(cursor_.SetField(6, "x"));
  EXPECT_FALSE(cursor_.SetField("nothing", "x"));
  // Staged while browsing: allowed, but cleared by the next Edit and never written.
  EXPECT_TRUE(cursor_.SetField(2, "browse"));
  ASSERT_TRUE(cursor_.GoTo(1));
  ASSERT_TRUE(cursor_.Edit());
  EXPECT_FALSE(cursor_.Update());
  ASSERT_TRUE(cursor_.SetField(1, 100));
  ASSERT_TRUE(cursor_.Update());
  EXPECT_EQ(Value(db_, "SELECT num || '/' || name FROM t WHERE rowid = 10"), "100/one");
  // After an update nothing can be staged until Edit, AddNew or Cancel.
  EXPECT_FALSE(cursor_.SetField(1, 5));
  EXPECT_FALSE(cursor_.Update());
  ASSERT_TRUE(cursor_.Cancel());
  EXPECT_TRUE(cursor_.SetField(1, 5));
}

TEST_F(TableCursor, EditUpdatesOnlyStagedColumnsOfTheCurrentRecord) {
  ASSERT_TRUE(cursor_.Open("t", db_));
  ASSERT_TRUE(cursor_.GoTo(2));
  ASSERT_TRUE(cursor_.Edit());
  ASSERT_TRUE(cursor_.SetField("NAME", "zwei"));
  ASSERT_TRUE(cursor_.SetField(3, 22.5));
  ASSERT_TRUE(cursor_.SetField(3, 2.75));  // replaces what was staged
  ASSERT_TRUE(cursor_.Update());
  EXPECT_EQ(cursor_.GetCurrentRecord(), 2);
  EXPECT_EQ(Value(db_,
                  "SELECT group_concat(num || name || price || ifnull(note, '-'), ';') "
                  "FROM (SELECT * FROM t ORDER BY rowid)"),
            "1one1.25n1;2zwei2.75;3three3.5-");
  std::string name;
  ASSERT_TRUE(cursor_.ReadField(2, name));
  EXPECT_EQ(name, "zwei");
}

TEST_F(TableCursor, AddNewInsertsAndKeepsTheCurrentRecord) {
  ASSERT_TRUE(cursor_.Open("t", db_));
  ASSERT_TRUE(cursor_.GoTo(2));
  ASSERT_TRUE(cursor_.AddNew());
  EXPECT_FALSE(cursor_.Update());  // nothing staged: stays adding
  ASSERT_TRUE(cursor_.SetField("num", 4));
  ASSERT_TRUE(cursor_.SetField("photo", Bytes{1, 2}));
  ASSERT_TRUE(cursor_.Update());
  EXPECT_EQ(cursor_.GetRecordCount(), 4);
  EXPECT_EQ(cursor_.GetCurrentRecord(), 2);
  EXPECT_EQ(db_.GetLastInsertRowId(), 31);
  ASSERT_TRUE(cursor_.GoTo(4));
  Bytes photo;
  ASSERT_TRUE(cursor_.ReadField("photo", photo));
  EXPECT_EQ(photo, (Bytes{1, 2}));
  std::string name = "x";
  ASSERT_TRUE(cursor_.ReadField("name", name));
  EXPECT_EQ(name, "");  // not staged: NULL
}

TEST_F(TableCursor, FailedUpdateKeepsStateAndStagedValues) {
  ASSERT_TRUE(db_.Execute("CREATE TABLE u (a UNIQUE NOT NULL, b); INSERT INTO u VALUES (1, 'x')"));
  ASSERT_TRUE(cursor_.Open("u", db_));
  ASSERT_TRUE(cursor_.AddNew());
  ASSERT_TRUE(cursor_.SetField("b", "y"));
  ASSERT_TRUE(cursor_.SetField("a", 1));
  EXPECT_FALSE(cursor_.Update());
  EXPECT_EQ(db_.GetErrorText(), "UNIQUE constraint failed: u.a");
  EXPECT_EQ(cursor_.GetRecordCount(), 1);
  // Still adding, "b" still staged: correct "a" and retry.
  ASSERT_TRUE(cursor_.SetField("a", 2));
  ASSERT_TRUE(cursor_.Update());
  EXPECT_EQ(Value(db_, "SELECT b FROM u WHERE a = 2"), "y");

  ASSERT_TRUE(cursor_.GoTo(1));
  ASSERT_TRUE(cursor_.Edit());
  ASSERT_TRUE(cursor_.SetField("a", 2));
  EXPECT_FALSE(cursor_.Update());
  ASSERT_TRUE(cursor_.Cancel());
  EXPECT_FALSE(cursor_.Update());
  EXPECT_EQ(Value(db_, "SELECT group_concat(a) FROM u"), "1,2");
}

TEST_F(TableCursor, DeleteRemovesOneRecordAndLeavesNoCurrentRecord) {
  ASSERT_TRUE(cursor_.Open("t", db_));
  ASSERT_TRUE(cursor_.GoTo(2));
  ASSERT_TRUE(cursor_.Delete());
  EXPECT_EQ(cursor_.GetCurrentRecord(), 0);
  EXPECT_EQ(cursor_.GetRecordCount(), 2);
  EXPECT_EQ(Value(db_, "SELECT group_concat(rowid) FROM t"), "10,30");
  // Staged values went with the reload.
  EXPECT_FALSE(cursor_.SetField(1, 1));

  ASSERT_TRUE(
      db_.Execute("CREATE TRIGGER keep BEFORE DELETE ON t BEGIN "
                  "SELECT RAISE(ABORT, 'kept'); END"));
  ASSERT_TRUE(cursor_.GoTo(1));
  EXPECT_FALSE(cursor_.Delete());
  EXPECT_EQ(db_.GetErrorText(), "kept");
  EXPECT_EQ(cursor_.GetCurrentRecord(), 0);
  EXPECT_EQ(cursor_.GetRecordCount(), 2);
}

// The snapshot is the table as it is when first needed (here, by the count), until a write of the
// cursor's own takes it again.
TEST_F(TableCursor, SnapshotIsTakenWhenNeededAndRefreshedOnlyByUpdateAndDelete) {
  ASSERT_TRUE(cursor_.Open("t", db_));
  ASSERT_TRUE(db_.Execute("INSERT INTO t(rowid, num) VALUES (40, 4)"));
  EXPECT_EQ(cursor_.GetRecordCount(), 4);
  ASSERT_TRUE(db_.Execute("INSERT INTO t(rowid, num) VALUES (5, 0)"));
  EXPECT_EQ(cursor_.GetRecordCount(), 4);
  ASSERT_TRUE(cursor_.GoTo(1));
  std::int32_t num = -1;
  ASSERT_TRUE(cursor_.ReadField(1, num));
  EXPECT_EQ(num, 1);
  ASSERT_TRUE(cursor_.Edit());
  ASSERT_TRUE(cursor_.SetField(2, "uno"));
  ASSERT_TRUE(cursor_.Update());
  EXPECT_EQ(cursor_.GetRecordCount(), 5);
  // The record written stays current, at its place in the new snapshot.
  EXPECT_EQ(cursor_.GetCurrentRecord(), 2);
  ASSERT_TRUE(cursor_.GoTo(1));
  ASSERT_TRUE(cursor_.ReadField(1, num));  // record 1 is now row id 5
  EXPECT_EQ(num, 0);
}

// A record is found by its key alone, with one look-up: the snapshot is not taken for it.
TEST_F(TableCursor, SeekKeyFindsARecordWithoutTheSnapshot) {
  ASSERT_TRUE(cursor_.Open("t", db_));
  ASSERT_TRUE(cursor_.SeekKey("20"));
  std::string name;
  ASSERT_TRUE(cursor_.ReadField("name", name));
  ASSERT_TRUE(cursor_.Edit());
  ASSERT_TRUE(cursor_.SetField("name", "二十"));
  ASSERT_TRUE(cursor_.Update());
  EXPECT_EQ(Value(db_, "SELECT name FROM t WHERE rowid = 20"), "二十");
  // Numbered when asked.
  EXPECT_EQ(cursor_.GetCurrentRecord(), 2);
  // A key the table does not hold makes no record current.
  EXPECT_FALSE(cursor_.SeekKey("99"));
  EXPECT_EQ(db_.GetErrorText(), "记录已不存在（_ROWID_ = 99）");
  EXPECT_FALSE(cursor_.ReadField("name", name));
  EXPECT_EQ(cursor_.GetCurrentRecord(), 0);
}

TEST_F(TableCursor, ATableDroppedBehindTheCursorFailsEveryAccess) {
  ASSERT_TRUE(cursor_.Open("t", db_));
  ASSERT_EQ(cursor_.GetRecordCount(), 3);
  ASSERT_TRUE(db_.Execute("DROP TABLE t"));
  ASSERT_TRUE(cursor_.GoTo(1));
  std::string value;
  EXPECT_FALSE(cursor_.ReadField(1, value));
  EXPECT_EQ(db_.GetErrorText(), "no such table: t");
  EXPECT_FALSE(cursor_.Delete());
  EXPECT_EQ(cursor_.GetCurrentRecord(), 0);
  EXPECT_FALSE(cursor_.GoTo(1));  // no snapshot of a table that is gone
  EXPECT_FALSE(cursor_.ReadField(1, value));
  EXPECT_FALSE(cursor_.Edit() && cursor_.SetField(1, 1) && cursor_.Update());
}

TEST_F(TableCursor, NamesThatNeedQuotes) {
  ASSERT_TRUE(
      db_.Execute("CREATE TABLE \"my table\" (\"a b\", \"select\", \"it's\", \"q\"\"q\", 中文);"
                  "INSERT INTO \"my table\" VALUES (1, 2, 3, 4, 5), (6, 7, 8, 9, 10)"));
  ASSERT_TRUE(cursor_.Open("my table", db_));
  EXPECT_EQ(cursor_.GetFieldNames(), (Names{"a b", "select", "it's", "q\"q", "中文"}));
  ASSERT_TRUE(cursor_.GoTo(2));
  for (int field = 1; field <= 5; ++field) {
    std::int32_t value = 0;
    ASSERT_TRUE(cursor_.ReadField(field, value)) << field << ": " << db_.GetErrorText();
    EXPECT_EQ(value, 5 + field);
  }
  std::int32_t value = 0;
  ASSERT_TRUE(cursor_.ReadField("SELECT", value));
  EXPECT_EQ(value, 7);

  ASSERT_TRUE(cursor_.Edit());
  for (int field = 1; field <= 5; ++field) ASSERT_TRUE(cursor_.SetField(field, field * 100));
  ASSERT_TRUE(cursor_.Update()) << db_.GetErrorText();
  ASSERT_TRUE(cursor_.AddNew());
  ASSERT_TRUE(cursor_.SetField("q\"q", "new"));
  ASSERT_TRUE(cursor_.SetField("a b", "new"));
  ASSERT_TRUE(cursor_.Update()) << db_.GetErrorText();
  ASSERT_TRUE(cursor_.GoTo(1));
  ASSERT_TRUE(cursor_.Delete()) << db_.GetErrorText();
  EXPECT_EQ(Value(db_,
                  "SELECT group_concat(\"a b\" || '|' || ifnull(\"it's\", '-'), ';') "
                  "FROM \"my table\""),
            "100|300;new|-");
}

TEST_F(TableCursor, ACraftedTableNameCannotWidenADelete) {
  ASSERT_TRUE(
      db_.Execute("CREATE TABLE \"t where 1=1 --\" (a);"
                  "INSERT INTO \"t where 1=1 --\" VALUES (1), (2), (3)"));
  ASSERT_TRUE(cursor_.Open("t where 1=1 --", db_));
  ASSERT_TRUE(cursor_.GoTo(1));
  ASSERT_TRUE(cursor_.Delete());
  EXPECT_EQ(cursor_.GetRecordCount(), 2);
  EXPECT_EQ(Value(db_, "SELECT count(*) FROM t"), "3");
  EXPECT_EQ(Value(db_, "SELECT group_concat(a) FROM \"t where 1=1 --\""), "2,3");
}

TEST_F(TableCursor, ANameWithItsOwnQuotesIsTakenAsItIs) {
  ASSERT_TRUE(
      db_.Execute("CREATE TABLE \"\"\"q\"\"\" (a); INSERT INTO \"\"\"q\"\"\" VALUES ('quoted');"
                  "CREATE TABLE q (a); INSERT INTO q VALUES ('plain')"));
  ASSERT_TRUE(cursor_.Open("\"q\"", db_));
  ASSERT_TRUE(cursor_.GoTo(1));
  std::string value;
  ASSERT_TRUE(cursor_.ReadField(1, value));
  EXPECT_EQ(value, "quoted");
}

TEST_F(TableCursor, AViewHasRecordsButNoRowIds) {
  ASSERT_TRUE(db_.Execute("CREATE VIEW v AS SELECT num, name FROM t"));
  ASSERT_TRUE(cursor_.Open("v", db_));
  EXPECT_EQ(cursor_.GetRecordCount(), 3);
  EXPECT_EQ(cursor_.GetFieldNames(), (Names{"num", "name"}));
  ASSERT_TRUE(cursor_.GoTo(1));
  std::string value = "unchanged";
  EXPECT_FALSE(cursor_.ReadField(1, value));
  EXPECT_EQ(value, "unchanged");
  EXPECT_FALSE(cursor_.Delete());
  ASSERT_TRUE(cursor_.GoTo(2));
  ASSERT_TRUE(cursor_.Edit());  // the record number is valid, its row id is not
  ASSERT_TRUE(cursor_.SetField(1, 1));
  EXPECT_FALSE(cursor_.Update());
  EXPECT_EQ(Value(db_, "SELECT group_concat(num) FROM t"), "1,2,3");
  ASSERT_TRUE(cursor_.AddNew());
  ASSERT_TRUE(cursor_.SetField(1, 1));
  EXPECT_FALSE(cursor_.Update());
  EXPECT_EQ(db_.GetErrorText(), "cannot modify v because it is a view");
}

TEST_F(TableCursor, AColumnNamedLikeTheRowIdNeverWidensAWrite) {
  // The table's own column "_rowid_" hides the engine's row id of that name, and its values repeat:
  // records are addressed by another name of the row id, so each write reaches one record.
  ASSERT_TRUE(
      db_.Execute("CREATE TABLE own (_rowid_, v);"
                  "INSERT INTO own(rowid, _rowid_, v) VALUES (3, 7, 'a'), (1, 7, 'b'), (2, 7, 'c'),"
                  " (4, NULL, 'd'), (5, '1 OR 1=1', 'e')"));
  ASSERT_TRUE(cursor_.Open("own", db_));
  ASSERT_EQ(cursor_.GetRecordCount(), 5);
  EXPECT_EQ(cursor_.GetKeyOrder(), "rowid");
  EXPECT_EQ(cursor_.GetReadOnlyReason(), "");
  static const char* expected[] = {"b", "c", "a", "d", "e"};
  for (int record = 1; record <= 5; ++record) {
    ASSERT_TRUE(cursor_.GoTo(record));
    std::string value;
    ASSERT_TRUE(cursor_.ReadField("v", value)) << record;
    EXPECT_EQ(value, expected[record - 1]) << record;
  }
  ASSERT_TRUE(cursor_.GoTo(2));
  ASSERT_TRUE(cursor_.Edit());
  ASSERT_TRUE(cursor_.SetField("v", "changed"));
  ASSERT_TRUE(cursor_.Update());
  EXPECT_EQ(Value(db_, "SELECT group_concat(v, ',') FROM (SELECT v FROM own ORDER BY rowid)"),
            "b,changed,a,d,e");
  ASSERT_TRUE(cursor_.GoTo(1));
  ASSERT_TRUE(cursor_.Delete());
  EXPECT_EQ(Value(db_, "SELECT group_concat(v, ',') FROM (SELECT v FROM own ORDER BY rowid)"),
            "changed,a,d,e");

  // Every name hidden: the INTEGER PRIMARY KEY is the row id under its own name.
  ASSERT_TRUE(
      db_.Execute("CREATE TABLE every (id INTEGER PRIMARY KEY, _rowid_, rowid, oid);"
                  "INSERT INTO every VALUES (2, 1, 1, 1), (1, 1, 1, 1)"));
  ASSERT_TRUE(cursor_.Open("every", db_));
  EXPECT_EQ(cursor_.GetKeyOrder(), "id");
  ASSERT_TRUE(cursor_.GoTo(2));
  ASSERT_TRUE(cursor_.Edit());
  ASSERT_TRUE(cursor_.SetField("oid", 9));
  ASSERT_TRUE(cursor_.Update());
  EXPECT_EQ(Value(db_, "SELECT group_concat(oid, ',') FROM (SELECT oid FROM every ORDER BY id)"),
            "1,9");

  // Every name hidden and no such key: shown, but never written.
  ASSERT_TRUE(db_.Execute(
      "CREATE TABLE hidden (_rowid_, rowid, oid, v); INSERT INTO hidden VALUES (1, 1, 1, 'x')"));
  ASSERT_TRUE(cursor_.Open("hidden", db_));
  EXPECT_EQ(cursor_.GetRecordCount(), 1);
  EXPECT_NE(cursor_.GetReadOnlyReason(), "");
  ASSERT_TRUE(cursor_.GoTo(1));
  ASSERT_TRUE(cursor_.Edit());
  ASSERT_TRUE(cursor_.SetField("v", "y"));
  EXPECT_FALSE(cursor_.Update());
  EXPECT_EQ(db_.GetErrorText(), cursor_.GetReadOnlyReason());
  ASSERT_TRUE(cursor_.GoTo(1));
  EXPECT_FALSE(cursor_.Delete());
  EXPECT_EQ(Value(db_, "SELECT group_concat(v) FROM hidden"), "x");
}

TEST_F(TableCursor, TablesWithoutRowIdAreAddressedByTheirPrimaryKey) {
  ASSERT_TRUE(db_.Execute(
      "CREATE TABLE pairs (\"first name\" TEXT, n INTEGER, v, PRIMARY KEY (n, \"first name\"))"
      " WITHOUT ROWID;"
      "INSERT INTO pairs VALUES ('b', 1, 'b1'), ('a', 2, 'a2'), ('a', 1, 'a1'), ('it''s', 1, "
      "'q')"));
  ASSERT_TRUE(cursor_.Open("pairs", db_));
  EXPECT_EQ(cursor_.GetKeyOrder(), "n, \"first name\"");
  ASSERT_EQ(cursor_.GetRecordCount(), 4);
  EXPECT_EQ(cursor_.GetRecordKey(3), "n = 1 AND \"first name\" = 'it''s'");
  static const char* expected[] = {"a1", "b1", "q", "a2"};
  for (int record = 1; record <= 4; ++record) {
    ASSERT_TRUE(cursor_.GoTo(record));
    std::string value;
    ASSERT_TRUE(cursor_.ReadField("v", value)) << record;
    EXPECT_EQ(value, expected[record - 1]) << record;
    EXPECT_EQ(cursor_.GoToKey(cursor_.GetRecordKey(record)), record);
  }
  // Editing part of the key moves the record; the cursor tells its new key.
  ASSERT_TRUE(cursor_.GoTo(2));
  ASSERT_TRUE(cursor_.Edit());
  ASSERT_TRUE(cursor_.SetField("n", 3));
  ASSERT_TRUE(cursor_.Update());
  EXPECT_EQ(cursor_.GetWrittenKey(), "n = 3 AND \"first name\" = 'b'");
  EXPECT_EQ(cursor_.GoToKey(cursor_.GetWrittenKey()), 4);
  // A key the table holds already is refused by the engine, and nothing changes.
  ASSERT_TRUE(cursor_.GoTo(1));
  ASSERT_TRUE(cursor_.Edit());
  ASSERT_TRUE(cursor_.SetField("first name", "it's"));
  EXPECT_FALSE(cursor_.Update());
  EXPECT_NE(db_.GetErrorText().find("UNIQUE"), std::string::npos) << db_.GetErrorText();
  ASSERT_TRUE(cursor_.GoTo(1));
  ASSERT_TRUE(cursor_.Delete());
  EXPECT_EQ(Value(db_, "SELECT group_concat(v, ',') FROM pairs"), "q,a2,b1");
  ASSERT_TRUE(cursor_.AddNew());
  ASSERT_TRUE(cursor_.SetField("first name", "new"));
  ASSERT_TRUE(cursor_.SetField("n", 0));
  ASSERT_TRUE(cursor_.Update());
  EXPECT_EQ(cursor_.GetRecordKey(1), "n = 0 AND \"first name\" = 'new'");

  // A one-column key of text or bytes, and a row-id table's integer key changed by the user.
  ASSERT_TRUE(
      db_.Execute("CREATE TABLE words (w TEXT PRIMARY KEY COLLATE NOCASE, v) WITHOUT ROWID;"
                  "INSERT INTO words VALUES ('B', 1), ('a', 2), (x'00', 3)"));
  ASSERT_TRUE(cursor_.Open("words", db_));
  EXPECT_EQ(cursor_.GetRecordKey(1), "'a'");
  EXPECT_EQ(cursor_.GetRecordKey(3), "X'00'");
  ASSERT_TRUE(cursor_.GoTo(2));
  ASSERT_TRUE(cursor_.Edit());
  ASSERT_TRUE(cursor_.SetField("v", 20));
  ASSERT_TRUE(cursor_.Update());
  EXPECT_EQ(Value(db_, "SELECT group_concat(v, ',') FROM words"), "2,20,3");
  ASSERT_TRUE(
      db_.Execute("CREATE TABLE ids (id INTEGER PRIMARY KEY, v); INSERT INTO ids VALUES (5, 'x')"));
  ASSERT_TRUE(cursor_.Open("ids", db_));
  ASSERT_TRUE(cursor_.GoTo(1));
  ASSERT_TRUE(cursor_.Edit());
  ASSERT_TRUE(cursor_.SetField("id", 8));
  ASSERT_TRUE(cursor_.Update());
  EXPECT_EQ(cursor_.GetWrittenKey(), "8");
}

TEST_F(TableCursor, VirtualAndShadowTablesAreShownButNeverWritten) {
  ASSERT_TRUE(db_.Execute(
      "CREATE VIRTUAL TABLE docs USING fts5(body); INSERT INTO docs VALUES ('hello'), ('world')"));
  for (const char* name : {"docs", "docs_data", "docs_config"}) {
    ASSERT_TRUE(cursor_.Open(name, db_)) << name;
    EXPECT_GT(cursor_.GetRecordCount(), 0) << name;
    EXPECT_NE(cursor_.GetReadOnlyReason(), "") << name;
    ASSERT_TRUE(cursor_.GoTo(1)) << name;
    std::string value;
    EXPECT_TRUE(cursor_.ReadField(1, value)) << name;
    ASSERT_TRUE(cursor_.Edit()) << name;
    ASSERT_TRUE(cursor_.SetField(1, "x")) << name;
    EXPECT_FALSE(cursor_.Update()) << name;
    EXPECT_EQ(db_.GetErrorText(), cursor_.GetReadOnlyReason()) << name;
    ASSERT_TRUE(cursor_.AddNew()) << name;
    ASSERT_TRUE(cursor_.SetField(1, "x")) << name;
    EXPECT_FALSE(cursor_.Update()) << name;
    ASSERT_TRUE(cursor_.GoTo(1)) << name;
    EXPECT_FALSE(cursor_.Delete()) << name;
  }
  EXPECT_EQ(Value(db_, "SELECT group_concat(body) FROM docs"), "hello,world");
  EXPECT_EQ(Value(db_, "SELECT count(*) FROM docs WHERE docs MATCH 'hello'"), "1");
}

TEST_F(TableCursor, WritesInsideTheUsersTransactionStayPending) {
  // Each write is a savepoint of its own: it neither ends the user's transaction nor, when it
  // fails, undoes the user's earlier writes.
  ASSERT_TRUE(db_.Execute("CREATE UNIQUE INDEX one_num ON t(num)"));
  ASSERT_TRUE(cursor_.Open("t", db_));
  ASSERT_TRUE(db_.BeginTransaction());
  ASSERT_TRUE(cursor_.GoTo(1));
  ASSERT_TRUE(cursor_.Edit());
  ASSERT_TRUE(cursor_.SetField("name", "uno"));
  ASSERT_TRUE(cursor_.Update());
  ASSERT_TRUE(cursor_.GoTo(2));
  ASSERT_TRUE(cursor_.Edit());
  ASSERT_TRUE(cursor_.SetField("num", 1));
  EXPECT_FALSE(cursor_.Update());
  EXPECT_NE(db_.GetErrorText().find("UNIQUE"), std::string::npos) << db_.GetErrorText();
  ASSERT_TRUE(cursor_.GoTo(3));
  ASSERT_TRUE(cursor_.Delete());
  EXPECT_TRUE(db_.IsInTransaction());
  EXPECT_EQ(Value(db_, "SELECT group_concat(name, ',') FROM t"), "uno,");
  ASSERT_TRUE(db_.RollbackTransaction());
  EXPECT_EQ(Value(db_, "SELECT group_concat(name, ',') FROM (SELECT name FROM t ORDER BY rowid)"),
            "one,,three");
}

TEST_F(TableCursor, KeysFindTheirRecordsAfterPositionsMoved) {
  ASSERT_TRUE(cursor_.Open("t", db_));
  EXPECT_EQ(cursor_.GetRecordKey(1), "10");
  EXPECT_EQ(cursor_.GetRecordKey(3), "30");
  EXPECT_EQ(cursor_.GetRecordKey(0), "");
  EXPECT_EQ(cursor_.GetRecordKey(4), "");
  const std::string key = cursor_.GetRecordKey(3);
  // Another connection's delete of the first record shifts positions once the list is reloaded.
  ASSERT_TRUE(db_.Execute("DELETE FROM t WHERE rowid = 10"));
  ASSERT_TRUE(cursor_.GoTo(2));
  ASSERT_TRUE(cursor_.Edit());
  ASSERT_TRUE(cursor_.SetField("name", "two"));
  ASSERT_TRUE(cursor_.Update());
  EXPECT_EQ(cursor_.GoToKey(key), 2);
  std::string name;
  ASSERT_TRUE(cursor_.ReadField("name", name));
  EXPECT_EQ(name, "three");
  // A key the list no longer holds makes no record current and says why.
  EXPECT_EQ(cursor_.GoToKey("10"), 0);
  EXPECT_EQ(cursor_.GetCurrentRecord(), 0);
  EXPECT_EQ(db_.GetErrorText(), "记录已不存在（_ROWID_ = 10）");
  EXPECT_EQ(cursor_.GoToKey("x"), 0);

  // Keys of other kinds are found too.
  ASSERT_TRUE(
      db_.Execute("CREATE TABLE own (k PRIMARY KEY, v) WITHOUT ROWID;"
                  "INSERT INTO own VALUES ('k', 1), (2.5, 2), (x'01', 3)"));
  ASSERT_TRUE(cursor_.Open("own", db_));
  for (int record = 1; record <= 3; ++record) {
    EXPECT_EQ(cursor_.GoToKey(cursor_.GetRecordKey(record)), record);
  }
}

TEST_F(TableCursor, WritesToAVanishedRecordFail) {
  // The list still holds the record another connection deleted: the write must not pass for done.
  ASSERT_TRUE(cursor_.Open("t", db_));
  ASSERT_EQ(cursor_.GetRecordCount(), 3);
  ASSERT_TRUE(db_.Execute("DELETE FROM t WHERE rowid = 20"));
  ASSERT_TRUE(cursor_.GoTo(2));
  std::string value;
  EXPECT_FALSE(cursor_.ReadField("name", value));
  EXPECT_EQ(db_.GetErrorText(), "记录已不存在（_ROWID_ = 20）");
  ASSERT_TRUE(cursor_.Edit());
  ASSERT_TRUE(cursor_.SetField("name", "ghost"));
  EXPECT_FALSE(cursor_.Update());
  EXPECT_EQ(db_.GetErrorText(), "记录已不存在（_ROWID_ = 20）");
  EXPECT_EQ(Value(db_, "SELECT count(*) FROM t WHERE name = 'ghost'"), "0");
  ASSERT_TRUE(cursor_.GoTo(2));
  EXPECT_FALSE(cursor_.Delete());
  EXPECT_EQ(db_.GetErrorText(), "记录已不存在（_ROWID_ = 20）");
  EXPECT_EQ(Value(db_, "SELECT count(*) FROM t"), "2");
}

TEST_F(TableCursor, ManyRecordsAcrossStorageBlocks) {
  ASSERT_TRUE(db_.Execute(
      "CREATE TABLE many (v); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
      "WHERE i < 20000) INSERT INTO many(rowid, v) SELECT i * 3, i FROM n"));
  ASSERT_TRUE(cursor_.Open("many", db_));
  ASSERT_EQ(cursor_.GetRecordCount(), 20000);
  for (const int record : {1, 8191, 8192, 8193, 16384, 16385, 19999, 20000}) {
    ASSERT_TRUE(cursor_.GoTo(record));
    std::int64_t v = 0;
    ASSERT_TRUE(cursor_.ReadField(1, v));
    EXPECT_EQ(v, record);
  }
}

TEST_F(TableCursor, LongStatementsAreNotCut) {
  const std::string name(1500, 'n');
  std::string columns;
  for (int i = 0; i < 200; ++i)
    columns += (i ? ", c" : "c") + std::to_string(i) + std::string(20, 'x');
  ASSERT_TRUE(db_.Execute("CREATE TABLE " + name + " (" + columns + ")"));
  ASSERT_TRUE(cursor_.Open(name, db_));
  ASSERT_EQ(cursor_.GetFieldCount(), 200);
  ASSERT_TRUE(cursor_.AddNew());
  for (int i = 1; i <= 200; ++i) ASSERT_TRUE(cursor_.SetField(i, i));
  ASSERT_TRUE(cursor_.Update()) << db_.GetErrorText();
  ASSERT_TRUE(cursor_.GoTo(1));
  ASSERT_TRUE(cursor_.Edit());
  for (int i = 1; i <= 200; ++i) ASSERT_TRUE(cursor_.SetField(i, -i));
  ASSERT_TRUE(cursor_.Update()) << db_.GetErrorText();
  std::int32_t last = 0;
  ASSERT_TRUE(cursor_.ReadField(200, last));
  EXPECT_EQ(last, -200);
}

TEST_F(TableCursor, KeepsItsConnectionWhenTheDatabaseObjectMovesOn) {
  ASSERT_TRUE(cursor_.Open("t", db_));
  ASSERT_TRUE(db_.Close());
  ASSERT_TRUE(db_.Open("", true));  // another, empty database
  ASSERT_TRUE(cursor_.GoTo(3));
  std::string name;
  ASSERT_TRUE(cursor_.ReadField("name", name));
  EXPECT_EQ(name, "three");
  ASSERT_TRUE(cursor_.Edit());
  ASSERT_TRUE(cursor_.SetField("name", "drei"));
  ASSERT_TRUE(cursor_.Update());
  ASSERT_TRUE(cursor_.ReadField("name", name));
  EXPECT_EQ(name, "drei");
  EXPECT_FALSE(db_.TableExists("t"));
}

}  // namespace
}  // namespace torvane
