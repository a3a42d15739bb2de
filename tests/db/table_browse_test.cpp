#include "db/table_browse.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/codec.h"
#include "base/text.h"
#include "db/connection.h"
#include "db/record_set.h"
#include "db/table_cursor.h"
#include "support/raw_db.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

using testing::RawDb;
using testing::TempDir;

std::string AsText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Tables, a view and a table of another module, each with a BLOB longer than the browse reads
// whole, and whether their browse reads BLOBs by row id.
TEST(TableBrowse, LongBlobsAreLeftOutWhereTheTableIsReadByRowId) {
  std::string wide = "CREATE TABLE wide(";
  for (int c = 0; c < 1000; ++c) wide += (c == 0 ? "c" : ", c") + IntToText(c);
  wide += ")";
  ZuveviRE db;
  ASSERT_TRUE(db.Open("", true));
  ASSERT_TRUE(
      db.Execute("CREATE TABLE t(a, \"b c\" BLOB); CREATE TABLE w(k PRIMARY KEY, b) WITHOUT ROWID;"
                 "CREATE VIEW v AS SELECT * FROM t; CREATE TABLE g(a, v AS (a || 'x'), b BLOB);"
                 "CREATE TABLE h(rowid, oid, _rowid_, id INTEGER PRIMARY KEY, b);"
                 "CREATE TABLE hidden(rowid, oid, _rowid_, b); CREATE TEMP TABLE tt(b);"
                 "CREATE VIRTUAL TABLE f USING fts5(b);" +
                 wide));
  static const struct {
    const char* name;
    bool is_table;
    const char* sql;  // nullptr: the statement that leaves BLOBs out
    const char* order;
    const char* schema;
  } cases[] = {
      {"t", true, nullptr, "_ROWID_", "main"},
      {"w", true, "select * from w order by k limit 1000", "", ""},
      {"v", false, "select * from v limit 1000", "", ""},
      {"g", true, "select * from g order by _ROWID_ limit 1000", "", ""},
      {"h", true, nullptr, "id", "main"},
      {"hidden", true, "select * from hidden limit 1000", "", ""},
      {"tt", true, nullptr, "_ROWID_", "temp"},
      {"f", true, "select * from f order by _ROWID_ limit 1000", "", ""},
      {"wide", true, "select * from wide order by _ROWID_ limit 1000", "", ""},
  };
  for (const auto& c : cases) {
    SqliteTable cursor;
    ASSERT_TRUE(cursor.Open(c.name, db)) << c.name;
    const BrowseStatement browse = MakeBrowseStatement(cursor, db, c.is_table, 1000);
    if (c.sql != nullptr) {
      EXPECT_EQ(browse.sql, c.sql) << c.name;
      EXPECT_FALSE(browse.cut) << c.name;
      continue;
    }
    ASSERT_TRUE(browse.cut) << c.name;
    EXPECT_EQ(browse.cut->schema, c.schema) << c.name;
    EXPECT_EQ(browse.cut->table, c.name);
    EXPECT_EQ(browse.cut->column_names, cursor.GetFieldNames()) << c.name;
    EXPECT_EQ(browse.cut->columns, cursor.GetFieldCount()) << c.name;
    EXPECT_NE(browse.sql.find(std::string(", ") + c.order + ", CASE WHEN"), std::string::npos)
        << browse.sql;
    EXPECT_NE(browse.sql.find(" order by " + IntToText(cursor.GetFieldCount() + 1) + " limit 1000"),
              std::string::npos)
        << browse.sql;
  }
  // Every statement reads the table in the order of its key without sorting it.
  for (const auto& c : cases) {
    SqliteTable cursor;
    ASSERT_TRUE(cursor.Open(c.name, db));
    SqliteDataset plan =
        db.Query("EXPLAIN QUERY PLAN " + MakeBrowseStatement(cursor, db, c.is_table, 1000).sql);
    ASSERT_TRUE(plan.Requery()) << c.name;
    const TextTable steps = plan.GetAll(false);
    for (int r = 0; r < steps.rows(); ++r) {
      EXPECT_EQ(steps.at(r, 3).find("TEMP B-TREE"), std::string::npos) << c.name;
    }
  }
  SqliteTable cursor;
  ASSERT_TRUE(cursor.Open("t", db));
  EXPECT_EQ(MakeBrowseStatement(cursor, db, true, -1).sql,
            "select CASE WHEN typeof(a)='blob' AND length(a)>4096 THEN NULL ELSE a END AS a, "
            "CASE WHEN typeof(\"b c\")='blob' AND length(\"b c\")>4096 THEN NULL ELSE \"b c\" END "
            "AS \"b c\", _ROWID_, CASE WHEN typeof(a)='blob' AND length(a)>4096 THEN length(a) "
            "END, CASE WHEN typeof(\"b c\")='blob' AND length(\"b c\")>4096 THEN length(\"b c\") "
            "END from t order by 3");
  cursor.Close();
  EXPECT_EQ(MakeBrowseStatement(cursor, db, true, 1000).sql, "");
}

// What a browse keeps of each kind of value, in a file whose texts are GBK and in one whose texts
// are UTF-8: a BLOB longer than kLongestWholeBlob as its size and first bytes, everything else
// whole, the columns after it included. Tables whose BLOBs cannot be read by row id keep them
// whole.
TEST(TableBrowse, ARowKeepsALongBlobAsItsSizeAndFirstBytes) {
  static const struct {
    TextMode mode;
    const char* create;
    const char* table;
    bool cut;
  } cases[] = {
      {TextMode::kGbk, "CREATE TABLE 图片(编号 INTEGER PRIMARY KEY, 数据 BLOB, 备注)", "图片",
       true},
      {TextMode::kUtf8, "CREATE TABLE 图片(编号 INTEGER PRIMARY KEY, 数据 BLOB, 备注)", "图片",
       true},
      {TextMode::kGbk, "CREATE TABLE 无行号(编号 PRIMARY KEY, 数据 BLOB, 备注) WITHOUT ROWID",
       "无行号", false},
      {TextMode::kUtf8, "CREATE TABLE 无行号(编号 PRIMARY KEY, 数据 BLOB, 备注) WITHOUT ROWID",
       "无行号", false},
  };
  const std::string long_text = std::string(3000, 'x') + "中文" + std::string(7000, 'y');
  for (const auto& c : cases) {
    TempDir dir;
    const std::string path = dir.Path("图片.sdb");
    {
      RawDb raw(path);
      // The names and texts as the file keeps them: GBK bytes, or UTF-8.
      const auto text = [&](const std::string& internal) {
        return c.mode == TextMode::kUtf8 ? ToUtf8(internal) : internal;
      };
      raw.Run(text(c.create));
      raw.Run(text(std::string("INSERT INTO ") + c.table +
                   " VALUES (1, CAST(x'424D36' || zeroblob(1500000) || x'FF' AS BLOB), '后面'),"
                   " (2, randomblob(4096), '整4K'),"
                   " (3, CAST(x'89504E47' || randomblob(4093) AS BLOB), '多一'),"
                   " (4, NULL, '空值'), (5, x'', '空的'), (6, '" +
                   long_text + "', '长文本'), (7, 42, '数'), (8, randomblob(1000000), NULL)"));
    }
    ZuveviRE db;
    ASSERT_TRUE(db.Open(path, false));
    db.SetTextMode(c.mode);
    SqliteTable cursor;
    ASSERT_TRUE(cursor.Open(c.table, db));
    const BrowseStatement browse = MakeBrowseStatement(cursor, db, true, 1000);
    ASSERT_EQ(browse.cut.has_value(), c.cut) << c.create;
    SqliteDataset rows = db.Query(browse.sql);
    ASSERT_TRUE(rows.Requery(browse.cut ? &*browse.cut : nullptr)) << db.GetErrorText();
    ASSERT_TRUE(rows.IsComplete());
    const TextTable table = rows.GetAll(true);
    ASSERT_EQ(table.rows(), 9) << c.create;
    ASSERT_EQ(table.columns(), 3);
    EXPECT_EQ(table.at(0, 0), "编号");
    EXPECT_EQ(table.at(0, 1), "数据");
    EXPECT_EQ(table.at(0, 2), "备注");
    // Row by row: the size as stored, and what a cut value keeps of its start.
    RawDb raw(path);
    const std::string select = std::string("SELECT 数据 FROM ") + c.table + " WHERE 编号 = ";
    const auto stored = [&](int id) {
      const std::string sql = select + IntToText(id);
      return raw.ValueBytes(c.mode == TextMode::kUtf8 ? ToUtf8(sql) : sql);
    };
    static const struct {
      int id;
      std::uint64_t size;
      bool long_blob;
    } blobs[] = {
        {1, 1500004, true}, {2, 4096, false}, {3, 4097, true}, {5, 0, false}, {8, 1000000, true}};
    for (const auto& b : blobs) {
      const std::optional<BytesCell> cell = table.Bytes(b.id, 1, 1 << 30);
      ASSERT_TRUE(cell) << b.id;
      EXPECT_EQ(cell->size, b.size) << b.id;
      EXPECT_EQ(table.StoredSize(b.id, 1), b.size) << b.id;
      EXPECT_FALSE(table.IsNull(b.id, 1)) << b.id;
      const std::string whole = AsText(stored(b.id));
      ASSERT_EQ(whole.size(), b.size);
      const std::string kept = c.cut && b.long_blob ? whole.substr(0, kBlobStartKept) : whole;
      // Compared without printing megabytes.
      EXPECT_TRUE(cell->start == kept) << b.id << ": " << cell->start.size() << " bytes";
      // A GBK file's cells read as they are kept; a UTF-8 file's are converted as texts.
      if (c.mode == TextMode::kGbk) EXPECT_TRUE(table.at(b.id, 1) == kept) << b.id;
    }
    EXPECT_EQ(table.Bytes(1, 1, 3)->start, "BM6");
    EXPECT_TRUE(table.IsNull(4, 1));
    EXPECT_FALSE(table.Bytes(4, 1, 8));
    EXPECT_EQ(table.at(6, 1), long_text) << "a text is kept whole";
    EXPECT_FALSE(table.Bytes(6, 1, 8));
    EXPECT_EQ(table.at(7, 1), "42");
    EXPECT_FALSE(table.Bytes(7, 1, 8));
    const char* after[] = {"后面", "整4K", "多一", "空值", "空的", "长文本", "数"};
    for (int r = 1; r <= 7; ++r) {
      EXPECT_EQ(table.at(r, 0), IntToText(r));
      EXPECT_EQ(table.at(r, 2), after[r - 1]) << r;
    }
    EXPECT_TRUE(table.IsNull(8, 2));
    // The rows hold the long BLOBs' starts, not their megabytes.
    if (c.cut) {
      EXPECT_LT(table.HeldBytes(), std::size_t{256} << 10);
    } else {
      EXPECT_GT(table.HeldBytes(), std::size_t{2} << 20);
    }
  }
}

// A BLOB read through the cursor comes from the table by row id, whole and exactly, in a buffer
// of its own size; a computed column before it, which the engine's handle would miscount, and a
// table without row ids read it through a statement. Values that are no BLOB read as before.
TEST(TableBrowse, TheCursorReadsAFieldsBytesWholeFromTheTable) {
  TempDir dir;
  const std::string path = dir.Path("字节.sdb");
  RawDb(path).Run(
      "CREATE TABLE t(a, b BLOB); CREATE TABLE g(a, v AS (a || 'x'), b BLOB);"
      "CREATE TABLE w(k PRIMARY KEY, a, b BLOB) WITHOUT ROWID;"
      "INSERT INTO t VALUES ('甲', CAST(x'00FF' || randomblob(3000000) AS BLOB)), ('乙', NULL), "
      "('丙', 12),"
      " ('丁', '文字'), ('戊', x'');"
      "INSERT INTO g(a, b) SELECT a, b FROM t; INSERT INTO w SELECT rowid, a, b FROM t;");
  ZuveviRE db;
  ASSERT_TRUE(db.Open(path, false));
  for (const char* table : {"t", "g", "w"}) {
    SqliteTable cursor;
    ASSERT_TRUE(cursor.Open(table, db));
    EXPECT_EQ(cursor.CanReadByRowId(), std::string(table) == "t") << table;
    for (int record = 1; record <= 5; ++record) {
      ASSERT_TRUE(cursor.GoTo(record));
      Bytes value{9, 9};
      ASSERT_TRUE(cursor.ReadField("b", value)) << table << record;
      const Bytes expected = RawDb(path).ValueBytes(
          "SELECT CAST(b AS BLOB) FROM " + std::string(table) + " ORDER BY " +
          (std::string(table) == "w" ? "k" : "rowid") + " LIMIT 1 OFFSET " + IntToText(record - 1));
      EXPECT_TRUE(value == expected) << table << record << ": " << value.size() << " bytes";
      if (record == 1) EXPECT_EQ(value.capacity(), value.size()) << table;
      Bytes start;
      std::uint64_t size = 0;
      const bool by_row_id = cursor.ReadFieldStart("b", 4, start, size);
      // NULL and numbers are no bytes to read in part.
      EXPECT_EQ(by_row_id, cursor.CanReadByRowId() && record != 2 && record != 3)
          << table << record;
      if (by_row_id) {
        EXPECT_EQ(size, expected.size()) << table << record;
        EXPECT_EQ(start, Bytes(expected.begin(),
                               expected.begin() + std::min<std::size_t>(4, expected.size())));
      }
    }
  }
  // A record another program deleted says so, through the statement.
  SqliteTable cursor;
  ASSERT_TRUE(cursor.Open("t", db));
  ASSERT_TRUE(cursor.GoTo(1));
  RawDb(path).Run("DELETE FROM t WHERE a = '甲'");
  Bytes value;
  Bytes start;
  std::uint64_t size = 7;
  EXPECT_FALSE(cursor.ReadFieldStart("b", 4, start, size));
  EXPECT_EQ(size, 7u);
  EXPECT_FALSE(cursor.ReadField("b", value));
  EXPECT_EQ(db.GetErrorText(), "记录已不存在（_ROWID_ = 1）");
}

}  // namespace
}  // namespace torvane
