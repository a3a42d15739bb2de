#include "db/text_mode.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "base/codec.h"
#include "db/connection.h"
#include "db/record_set.h"
#include "db/table_cursor.h"
#include "test_support.h"

namespace torvane {
namespace {

using testing::RawDb;
using testing::TempDir;

// u8 literals stay UTF-8 whatever the execution character set is.
std::string U8(std::u8string_view utf8) { return std::string(utf8.begin(), utf8.end()); }

const char* ModeName(TextMode mode) { return mode == TextMode::kUtf8 ? "UTF-8" : "GBK"; }

// Runs a shell command; false when it could not run or failed.
bool Run(const std::string& command) { return std::system(command.c_str()) == 0; }

void WriteText(const std::string& system_path, const std::string& text) {
  std::ofstream(system_path, std::ios::binary) << text;
}

// Makes a database with the sqlite3 command-line tool from UTF-8 SQL.
bool MakeWithTool(const TempDir& dir, const std::string& file, const std::string& sql) {
  const std::string script = dir.system_path() + "/script.sql";
  WriteText(script, sql);
  return Run("sqlite3 '" + dir.system_path() + "/" + file + "' < '" + script + "'");
}

// Makes a database with Python's sqlite3 module, which writes its str values as UTF-8.
bool MakeWithPython(const TempDir& dir, const std::string& file, const std::string& body) {
  const std::string script = dir.system_path() + "/script.py";
  WriteText(script, "import sqlite3, sys\ndb = sqlite3.connect(sys.argv[1])\n" + body +
                        "\ndb.commit()\ndb.close()\n");
  return Run("python3 '" + script + "' '" + dir.system_path() + "/" + file + "'");
}

enum class Maker { kRaw, kTool, kPython };

TEST(TextMode, DetectedFromTheCatalogAndASampleOfTexts) {
  TempDir dir;
  const std::string gbk_name = "\xD1\xA7\xC9\xFA";  // 学生 in GBK
  static const struct {
    const char* file;
    Maker maker;
    std::string script;
    TextMode expected;
  } cases[] = {
      {"empty.sdb", Maker::kRaw, "", TextMode::kGbk},
      {"ascii.sdb", Maker::kRaw,
       "CREATE TABLE t (a); INSERT INTO t VALUES ('plain'), (1), (x'E5AD');", TextMode::kGbk},
      {"tool.sdb", Maker::kTool,
       U8(u8"CREATE TABLE 学生 (姓名 TEXT, 年龄 INTEGER); INSERT INTO 学生 VALUES ('张三', 20);"),
       TextMode::kUtf8},
      {"python.sdb", Maker::kPython,
       U8(u8"db.execute('CREATE TABLE people (name TEXT)')\n"
          u8"db.execute('INSERT INTO people VALUES (?)', ('李四 😀',))"),
       TextMode::kUtf8},
      // Only a view's definition holds UTF-8.
      {"view.sdb", Maker::kTool, U8(u8"CREATE VIEW v AS SELECT '汉字' AS a;"), TextMode::kUtf8},
      {"gbk.sdb", Maker::kRaw,
       "CREATE TABLE " + gbk_name + " (a); INSERT INTO " + gbk_name + " VALUES ('" + gbk_name +
           "');",
       TextMode::kGbk},
      // UTF-8 names with one GBK value: a mix stays GBK, and nothing is rewritten.
      {"mixed.sdb", Maker::kRaw,
       U8(u8"CREATE TABLE 学生 (a); INSERT INTO 学生 VALUES ('张三'), ('") + gbk_name + "');",
       TextMode::kGbk},
      // A UTF-8 character cut off at a value's end is no evidence either way.
      {"cut.sdb", Maker::kRaw,
       U8(u8"CREATE TABLE t (a); INSERT INTO t VALUES ('学生'), (CAST(x'E5ADA6E5AD' AS TEXT));"),
       TextMode::kUtf8},
      {"cut-only.sdb", Maker::kRaw,
       "CREATE TABLE t (a); INSERT INTO t VALUES (CAST(x'41D6' AS TEXT));", TextMode::kGbk},
      // The engine hands a UTF-16 database's texts out as UTF-8, ASCII or not.
      {"utf16.sdb", Maker::kRaw,
       U8(u8"PRAGMA encoding = 'UTF-16le'; CREATE TABLE 表 (a); INSERT INTO 表 VALUES ('汉');"),
       TextMode::kUtf8},
      {"utf16-ascii.sdb", Maker::kRaw, "PRAGMA encoding = 'UTF-16be'; CREATE TABLE t (a);",
       TextMode::kUtf8},
  };
  for (const auto& c : cases) {
    bool made = true;
    if (c.maker == Maker::kRaw) {
      RawDb raw(dir.Path(c.file));
      made = raw.Exec(c.script).empty();
    } else if (c.maker == Maker::kTool) {
      made = MakeWithTool(dir, c.file, c.script);
    } else {
      made = MakeWithPython(dir, c.file, c.script);
    }
    ASSERT_TRUE(made) << c.file;
    const std::string before = testing::FileBytes(dir.system_path() + "/" + c.file);
    ZuveviRE db;
    ASSERT_TRUE(db.Open(dir.Path(c.file))) << c.file;
    EXPECT_STREQ(ModeName(DetectTextMode(db)), ModeName(c.expected)) << c.file;
    EXPECT_EQ(db.GetTextMode(), TextMode::kGbk) << "detection only tells: " << c.file;
    db.Close();
    EXPECT_EQ(testing::FileBytes(dir.system_path() + "/" + c.file), before) << c.file;
  }
}

// Only a bounded sample is read: a GBK value far down a large UTF-8 table is not seen, and a large
// table of numbers is not read whole.
TEST(TextMode, ReadsABoundedSample) {
  TempDir dir;
  RawDb raw(dir.Path("big.sdb"));
  ASSERT_EQ(raw.Exec(U8(u8"CREATE TABLE t (a, b); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                        u8"SELECT i + 1 FROM n WHERE i < 20000) INSERT INTO t SELECT i, '第' || i "
                        u8"FROM n; INSERT INTO t VALUES (0, x'D1A7'); UPDATE t SET b = "
                        u8"CAST(b AS TEXT) WHERE a = 0;")),
            "");
  testing::StatementLog log;
  ZuveviRE db;
  ASSERT_TRUE(db.Open(dir.Path("big.sdb")));
  EXPECT_EQ(DetectTextMode(db), TextMode::kUtf8);
  for (const std::string& statement : log.Take()) {
    if (statement.rfind("SELECT * FROM", 0) == 0) {
      EXPECT_NE(statement.find(" LIMIT "), std::string::npos) << statement;
    }
  }
}

// A UTF-8 database in UTF-8 mode: everything the layer hands out is internal text, everything it
// writes is UTF-8, and bytes are never converted.
TEST(TextMode, Utf8ModeConvertsAtTheEnginesEdge) {
  TempDir dir;
  RawDb raw(dir.Path("u.sdb"));
  ASSERT_EQ(raw.Exec(U8(u8"CREATE TABLE 学生 (姓名 TEXT, 照片 BLOB); INSERT INTO 学生 VALUES "
                        u8"('张三', x'E5ADA6'), (CAST(x'E5ADA6E5AD' AS TEXT), NULL);")),
            "");
  ZuveviRE db;
  ASSERT_TRUE(db.Open(dir.Path("u.sdb")));
  db.SetTextMode(TextMode::kUtf8);
  EXPECT_EQ(db.GetTableNames(true, false, false), std::vector<std::string>{"学生"});
  EXPECT_EQ(db.GetTableSql("学生"), "CREATE TABLE 学生 (姓名 TEXT, 照片 BLOB)");
  EXPECT_TRUE(db.TableExists("学生"));

  SqliteDataset rows = db.Query("SELECT 姓名, 照片 FROM 学生 WHERE 姓名 = '张三'");
  ASSERT_TRUE(rows.Requery());
  const TextTable table = rows.GetAll(true);
  EXPECT_EQ(table.at(0, 0), "姓名");
  EXPECT_EQ(table.at(1, 0), "张三");
  std::string scratch;
  EXPECT_EQ(table.View(1, 0, scratch), "张三");

  SqliteTable cursor;
  ASSERT_TRUE(cursor.Open("学生", db));
  EXPECT_EQ(cursor.GetFieldNames(), (std::vector<std::string>{"姓名", "照片"}));
  ASSERT_TRUE(cursor.GoTo(1));
  std::string name;
  ASSERT_TRUE(cursor.ReadField("姓名", name));
  EXPECT_EQ(name, "张三");
  Bytes photo;
  ASSERT_TRUE(cursor.ReadField("照片", photo));
  EXPECT_EQ(photo, (Bytes{0xE5, 0xAD, 0xA6}));

  // A value with a character cut off comes back unchanged when written back as it was read.
  ASSERT_TRUE(cursor.GoTo(2));
  std::string cut;
  ASSERT_TRUE(cursor.ReadField(1, cut));
  EXPECT_EQ(ToUtf16(cut), u"\u5B66\xDC65\xDC2D");
  ASSERT_TRUE(cursor.Edit());
  ASSERT_TRUE(cursor.SetField(1, cut + "X"));
  ASSERT_TRUE(cursor.SetField(2, Bytes{0xD6, 0xD0}));
  ASSERT_TRUE(cursor.Update());
  EXPECT_EQ(raw.Value(U8(u8"SELECT hex(姓名) || '/' || hex(照片) FROM 学生 WHERE rowid = 2")),
            "E5ADA6E5AD58/D6D0");

  // The engine's message names the table in internal text.
  EXPECT_FALSE(db.Execute("SELECT * FROM 不存在"));
  EXPECT_EQ(db.GetErrorText(), "no such table: 不存在");
}

TEST(TextMode, EachModeWritesItsOwnBytes) {
  static const struct {
    TextMode mode;
    const char* hex;
  } cases[] = {
      // 中, an emoji and the euro sign.
      {TextMode::kGbk, "D6D09439FC3680"},
      {TextMode::kUtf8, "E4B8ADF09F9880E282AC"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    RawDb raw(dir.Path("m.sdb"));
    ASSERT_EQ(raw.Exec("CREATE TABLE t (a)"), "");
    ZuveviRE db;
    ASSERT_TRUE(db.Open(dir.Path("m.sdb")));
    db.SetTextMode(c.mode);
    const std::string text = FromUtf16(u"\u4E2D\U0001F600\u20AC");
    SqliteTable cursor;
    ASSERT_TRUE(cursor.Open("t", db));
    ASSERT_TRUE(cursor.AddNew());
    ASSERT_TRUE(cursor.SetField(1, text));
    ASSERT_TRUE(cursor.Update());
    ASSERT_TRUE(db.Execute("INSERT INTO t VALUES ('" + text + "')"));
    EXPECT_EQ(raw.Value("SELECT group_concat(hex(a), '/') FROM t"),
              std::string(c.hex) + "/" + c.hex)
        << ModeName(c.mode);
    cursor.GoTo(1);
    std::string back;
    ASSERT_TRUE(cursor.ReadField(1, back));
    EXPECT_EQ(back, text) << ModeName(c.mode);
  }
}

// A name that is not UTF-8, in a database read as UTF-8: it reads with foreign bytes and reaches
// the engine again as its own bytes, so its table can be browsed and written.
TEST(TextMode, ANameThatIsNotUtf8InUtf8Mode) {
  TempDir dir;
  RawDb raw(dir.Path("n.sdb"));
  const std::string gbk_name = "\xD1\xA7";  // 学 in GBK: not UTF-8
  ASSERT_EQ(raw.Exec("CREATE TABLE \"" + gbk_name + "\" (a); INSERT INTO \"" + gbk_name +
                     "\" VALUES (1);"),
            "");
  ZuveviRE db;
  ASSERT_TRUE(db.Open(dir.Path("n.sdb")));
  db.SetTextMode(TextMode::kUtf8);
  const std::vector<std::string> names = db.GetTableNames(true, false, false);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(ToUtf8(names[0]), gbk_name);
  SqliteTable cursor;
  ASSERT_TRUE(cursor.Open(names[0], db));
  ASSERT_TRUE(cursor.GoTo(1));
  ASSERT_TRUE(cursor.Edit());
  ASSERT_TRUE(cursor.SetField(1, std::int32_t{2}));
  ASSERT_TRUE(cursor.Update());
  EXPECT_EQ(raw.Value("SELECT a FROM \"" + gbk_name + "\""), "2");
  EXPECT_NE(db.GetTableSql(names[0]), "");
}

// A table without a row id keyed by text: its keys are read and written back in the connection's
// mode.
TEST(TextMode, TextKeysInUtf8Mode) {
  TempDir dir;
  RawDb raw(dir.Path("k.sdb"));
  ASSERT_EQ(raw.Exec("CREATE TABLE k (_ROWID_ TEXT PRIMARY KEY, v) WITHOUT ROWID;"), "");
  ASSERT_EQ(raw.Exec(U8(u8"INSERT INTO k VALUES ('键一', 1), ('键二', 2);")), "");
  ZuveviRE db;
  ASSERT_TRUE(db.Open(dir.Path("k.sdb")));
  db.SetTextMode(TextMode::kUtf8);
  SqliteTable cursor;
  ASSERT_TRUE(cursor.Open("k", db));
  EXPECT_EQ(cursor.GetRecordKey(1), "'键一'");
  ASSERT_EQ(cursor.GoToKey("'键一'"), 1);
  ASSERT_TRUE(cursor.Edit());
  ASSERT_TRUE(cursor.SetField("v", std::int32_t{10}));
  ASSERT_TRUE(cursor.Update());
  EXPECT_EQ(raw.Value(U8(u8"SELECT v FROM k WHERE _ROWID_ = '键一'")), "10");
}

// The mode is the connection's: a transaction stays open across a switch, with its change pending.
TEST(TextMode, SwitchingKeepsAnOpenTransaction) {
  TempDir dir;
  ZuveviRE db;
  ASSERT_TRUE(db.Open(dir.Path("s.sdb"), true));
  ASSERT_TRUE(db.Execute("CREATE TABLE t (a)"));
  ASSERT_TRUE(db.BeginTransaction());
  ASSERT_TRUE(db.Execute("INSERT INTO t VALUES ('中')"));
  db.SetTextMode(TextMode::kUtf8);
  EXPECT_TRUE(db.IsInTransaction());
  ASSERT_TRUE(db.Execute("INSERT INTO t VALUES ('中')"));
  ASSERT_TRUE(db.CommitTransaction());
  RawDb raw(dir.Path("s.sdb"));
  EXPECT_EQ(raw.Value("SELECT group_concat(hex(a), '/') FROM t"), "D6D0/E4B8AD");
  // A closed connection has no mode to set, and a new open starts as GBK.
  db.Close();
  db.SetTextMode(TextMode::kUtf8);
  EXPECT_EQ(db.GetTextMode(), TextMode::kGbk);
  ASSERT_TRUE(db.Open(dir.Path("s.sdb")));
  EXPECT_EQ(db.GetTextMode(), TextMode::kGbk);
}

}  // namespace
}  // namespace torvane
