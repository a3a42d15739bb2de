#include "db/text_mode.h"

#include <cstdint>
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
#include "support/file_state.h"
#include "support/raw_db.h"
#include "support/statement_log.h"
#include "support/temp_dir.h"

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

// Time enough to read the test files whole on any machine, for the tests that check what is read
// rather than when reading stops.
constexpr std::uint64_t kWholeFile = 10 * 60 * 1000;

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

// A GBK value far down a large UTF-8 table is a stray: it does not outvote the rest. The engine
// picks the rows that hold texts beyond ASCII: no statement hands out all of the table's rows.
TEST(TextMode, AStrayValueFarDownDoesNotOutvoteTheRest) {
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
  EXPECT_EQ(DetectTextMode(db, kWholeFile), TextMode::kUtf8);
  int reads = 0;
  for (const std::string& statement : log.Take()) {
    if (statement.find(" FROM t") != std::string::npos) {
      ++reads;
      EXPECT_NE(statement.find(" WHERE "), std::string::npos) << statement;
    }
  }
  EXPECT_GT(reads, 0);
}

// Makes `file` in `dir` as `maker` says from `script`; false when that failed.
bool Make(const TempDir& dir, const std::string& file, Maker maker, const std::string& script) {
  if (maker == Maker::kTool) return MakeWithTool(dir, file, script);
  if (maker == Maker::kPython) return MakeWithPython(dir, file, script);
  RawDb raw(dir.Path(file));
  return raw.Exec(script).empty();
}

// `bytes` as an SQL text literal of exactly those bytes, whatever they are.
std::string TextOfBytes(std::string_view bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (const char c : bytes) {
    hex += kDigits[static_cast<unsigned char>(c) >> 4];
    hex += kDigits[static_cast<unsigned char>(c) & 0xF];
  }
  return "CAST(x'" + hex + "' AS TEXT)";
}

// The mode DetectTextMode tells for `file` in `dir` within `budget_ms`, by name; the file must be
// byte for byte what it was afterwards.
std::string DetectedIn(const TempDir& dir, const std::string& file, std::uint64_t budget_ms) {
  const std::string system_path = dir.system_path() + "/" + file;
  const std::string before = testing::FileBytes(system_path);
  ZuveviRE db;
  if (!db.Open(dir.Path(file))) return "cannot open";
  const TextMode mode = DetectTextMode(db, budget_ms);
  db.Close();
  if (testing::FileBytes(system_path) != before) return "file changed";
  return ModeName(mode);
}

// 200,000 rows of ASCII texts in table t, then one row whose note is the file's only text beyond
// ASCII: "café" in UTF-8; then a small table of ASCII texts.
const char kLastRowScript[] =
    "CREATE TABLE t (id INTEGER, name TEXT, note TEXT); WITH RECURSIVE n(i) AS (SELECT 1 UNION "
    "ALL SELECT i + 1 FROM n WHERE i < 200000) INSERT INTO t SELECT i, 'item ' || i, "
    "printf('note %08d', i) FROM n; INSERT INTO t VALUES (0, 'last', CAST(x'636166C3A9' AS "
    "TEXT)); CREATE TABLE u (a); INSERT INTO u VALUES ('plain'), ('text');";

// A UTF-8 database is read as UTF-8 however few of its texts go beyond ASCII and wherever they
// are: every text column of every table is read to its end.
TEST(TextMode, ReadsEveryTableToItsLastRow) {
  TempDir dir;
  std::string wide = "CREATE TABLE w (";
  for (int c = 0; c < 130; ++c) wide += (c > 0 ? ", c" : "c") + std::to_string(c);
  wide +=
      U8(u8"); INSERT INTO w (c0, c64) VALUES (1, 'x'); INSERT INTO w (c1, c129) VALUES "
         u8"(2, 'naïve');");
  const struct {
    const char* file;
    Maker maker;
    std::string script;
  } cases[] = {
      {"last-row.sdb", Maker::kRaw, kLastRowScript},
      // The last of 1,000 small tables.
      {"last-table.sdb", Maker::kPython,
       U8(u8"for k in range(1000):\n"
          u8"    db.execute(f'CREATE TABLE t{k} (id INTEGER, name TEXT)')\n"
          u8"    db.executemany(f'INSERT INTO t{k} VALUES (?, ?)', [(i, f'name {i}') for i in "
          u8"range(5)])\n"
          u8"db.execute('INSERT INTO t999 VALUES (5, ?)', ('中文',))")},
      // One accented word among thousands of ASCII values, in the middle of a table that is
      // neither the first nor the last.
      {"sparse-latin.sdb", Maker::kPython,
       U8(u8"for name in ('a', 'people', 'z'):\n"
          u8"    db.execute(f'CREATE TABLE {name} (name TEXT, city TEXT, born INTEGER)')\n"
          u8"    db.executemany(f'INSERT INTO {name} VALUES (?, ?, ?)', [(f'person {i}', "
          u8"'Paris', 1900 + i % 100) for i in range(3000)])\n"
          u8"db.execute(\"UPDATE people SET city = 'café' WHERE rowid = 1500\")")},
      // The last of 130 columns.
      {"wide.sdb", Maker::kTool, wide},
      {"without-rowid.sdb", Maker::kTool,
       U8(u8"CREATE TABLE k (key TEXT PRIMARY KEY, v) WITHOUT ROWID; WITH RECURSIVE n(i) AS "
          u8"(SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000) INSERT INTO k SELECT "
          u8"'key ' || i, i FROM n; INSERT INTO k VALUES ('zzz Zürich', 0);")},
      // A full-text table: its module keeps the texts in ordinary tables, which are read.
      {"fts.sdb", Maker::kRaw,
       U8(u8"CREATE VIRTUAL TABLE doc USING fts5(body); INSERT INTO doc VALUES ('plain'), "
          u8"('café au lait');")},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(Make(dir, c.file, c.maker, c.script)) << c.file;
    EXPECT_EQ(DetectedIn(dir, c.file, kWholeFile), "UTF-8") << c.file;
  }
}

// Bytes that are valid in both encodings are read the way that gives ordinary text: short GBK
// values read as lone letters or signs in UTF-8, UTF-8 words read as rare Chinese characters, or
// common ones glued to Latin letters, in GBK.
TEST(TextMode, TheMoreOrdinaryReadingWins) {
  static const struct {
    const char* label;
    std::string bytes;
    TextMode expected;
  } cases[] = {
      // 一, 女, 学, 摘, 茅 and 茅台 in GBK, each also valid UTF-8, read there as "һ", "Ů",
      // "ѧ", "ժ", "é" and "ę́"; and 中文, which is not.
      {"GBK yi", "\xD2\xBB", TextMode::kGbk},
      {"GBK nv", "\xC5\xAE", TextMode::kGbk},
      {"GBK xue", "\xD1\xA7", TextMode::kGbk},
      {"GBK zhai", "\xD5\xAA", TextMode::kGbk},
      {"GBK mao", "\xC3\xA9", TextMode::kGbk},
      {"GBK maotai", "\xC3\xA9\xCC\xA8", TextMode::kGbk},
      {"GBK zhongwen", "\xD6\xD0\xCE\xC4", TextMode::kGbk},
      // UTF-8, each also valid GBK (a character cut off at the end aside) but the en dash: "涓",
      // "涓枃", "caf茅", "cafe虂", "Jos茅", "Z眉rich", "na茂ve", "脜ngstr枚m", "螘位位畏谓喂魏维",
      // "袩褉懈胁械褌", "鈥渜uoted鈥", "25掳C", "馃榾", "iPhone鎵嬫満".
      {"zhong", U8(u8"中"), TextMode::kUtf8},
      {"zhongwen", U8(u8"中文"), TextMode::kUtf8},
      {"cafe", U8(u8"café"), TextMode::kUtf8},
      {"cafe decomposed", U8(u8"cafe\u0301"), TextMode::kUtf8},
      {"Jose", U8(u8"José"), TextMode::kUtf8},
      {"Zurich", U8(u8"Zürich"), TextMode::kUtf8},
      {"naive", U8(u8"naïve"), TextMode::kUtf8},
      {"Angstrom", U8(u8"Ångström"), TextMode::kUtf8},
      {"Greek", U8(u8"Ελληνικά"), TextMode::kUtf8},
      {"Russian", U8(u8"Привет"), TextMode::kUtf8},
      {"en dash", U8(u8"2010–2020"), TextMode::kUtf8},
      {"quotes", U8(u8"“quoted”"), TextMode::kUtf8},
      {"degrees", U8(u8"25°C"), TextMode::kUtf8},
      {"emoji", U8(u8"😀"), TextMode::kUtf8},
      {"mixed", U8(u8"iPhone手机"), TextMode::kUtf8},
  };
  TempDir dir;
  int n = 0;
  std::string every_gbk_value;
  for (const auto& c : cases) {
    const std::string file = "v" + std::to_string(n++) + ".sdb";
    ASSERT_TRUE(Make(dir, file, Maker::kRaw,
                     "CREATE TABLE t (a); INSERT INTO t VALUES (" + TextOfBytes(c.bytes) + ");"))
        << c.label;
    EXPECT_EQ(DetectedIn(dir, file, kWholeFile), ModeName(c.expected)) << c.label;
    if (c.expected == TextMode::kGbk) {
      every_gbk_value += "INSERT INTO t VALUES (" + TextOfBytes(c.bytes) + ");";
    }
  }
  // All of the GBK values together, each of them many times over.
  std::string script = "CREATE TABLE t (a);";
  for (int k = 0; k < 50; ++k) script += every_gbk_value;
  ASSERT_TRUE(Make(dir, "all-gbk.sdb", Maker::kRaw, script));
  EXPECT_EQ(DetectedIn(dir, "all-gbk.sdb", kWholeFile), "GBK");
}

// A few stray values do not outvote many: a UTF-8 database may hold a value or two that another
// program wrote in GBK, and a GBK database a value that is valid UTF-8. A real mix stays GBK.
TEST(TextMode, StrayValuesDoNotDecide) {
  // 1,000 values of UTF-8 text and of GBK text (中文 and a number).
  const std::string utf8_values =
      U8(u8"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) INSERT "
         u8"INTO t SELECT '第' || i || '号' FROM n;");
  const std::string gbk_values =
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) INSERT "
      "INTO t SELECT CAST(x'D6D0CEC4' AS TEXT) || i FROM n;";
  const std::string two_gbk = "INSERT INTO t VALUES (" + TextOfBytes("\xD6\xD0\xCE\xC4") + "), (" +
                              TextOfBytes("\xD1\xA7\xC9\xFA") + ");";
  const struct {
    const char* file;
    std::string script;
    TextMode expected;
  } cases[] = {
      {"utf8-strays-first.sdb", "CREATE TABLE t (a);" + two_gbk + utf8_values, TextMode::kUtf8},
      {"utf8-strays-last.sdb", "CREATE TABLE t (a);" + utf8_values + two_gbk, TextMode::kUtf8},
      // Two bytes that are no character in either encoding.
      {"utf8-broken.sdb",
       "CREATE TABLE t (a);" + utf8_values + "INSERT INTO t VALUES (CAST(x'FF41FF' AS TEXT));",
       TextMode::kUtf8},
      {"gbk-utf8-stray.sdb",
       "CREATE TABLE t (a);" + gbk_values + U8(u8"INSERT INTO t VALUES ('café');"), TextMode::kGbk},
      // The stray is valid in both encodings and reads as ordinary text in UTF-8.
      {"gbk-ambiguous-stray.sdb",
       "CREATE TABLE t (a);" + U8(u8"INSERT INTO t VALUES ('中文');") + gbk_values, TextMode::kGbk},
      // A tenth of the values in GBK, in a table of their own.
      {"mix.sdb",
       "CREATE TABLE t (a);" + utf8_values +
           "CREATE TABLE g (a); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
           "WHERE i < 100) INSERT INTO g SELECT CAST(x'D6D0CEC4' AS TEXT) || i FROM n;",
       TextMode::kGbk},
  };
  TempDir dir;
  for (const auto& c : cases) {
    ASSERT_TRUE(Make(dir, c.file, Maker::kRaw, c.script)) << c.file;
    EXPECT_EQ(DetectedIn(dir, c.file, kWholeFile), ModeName(c.expected)) << c.file;
  }
}

// The budget cuts the reading short: with none, no table is read; with a millisecond, far fewer
// than the table's 200,000 rows. Either way the connection is left as it was found: a statement
// that runs for long afterwards is not stopped, and no function is left behind.
TEST(TextMode, StopsWhenTheBudgetIsSpent) {
  TempDir dir;
  ASSERT_TRUE(Make(dir, "last-row.sdb", Maker::kRaw, kLastRowScript));
  ZuveviRE db;
  ASSERT_TRUE(db.Open(dir.Path("last-row.sdb")));
  const auto functions = [&db] {
    SqliteDataset rows = db.Query("SELECT count(*) FROM pragma_function_list");
    return rows.Requery() ? rows.GetAll(false).at(0, 0) : "?";
  };
  const std::string functions_before = functions();
  static const struct {
    std::uint64_t budget_ms;
    TextMode expected;
  } cases[] = {{0, TextMode::kGbk}, {1, TextMode::kGbk}, {kWholeFile, TextMode::kUtf8}};
  for (const auto& c : cases) {
    EXPECT_EQ(DetectTextMode(db, c.budget_ms), c.expected) << c.budget_ms << " ms";
    EXPECT_EQ(functions(), functions_before) << c.budget_ms << " ms";
    SqliteDataset all = db.Query("SELECT count(*) FROM t AS a, (SELECT 1 UNION SELECT 2)");
    ASSERT_TRUE(all.Requery()) << c.budget_ms << " ms: " << db.GetErrorText();
    EXPECT_EQ(all.GetAll(false).at(0, 0), "400002") << c.budget_ms << " ms";
  }
}

// The connection's keep-going hook (the progress window of the open) is asked while the mode is
// told, stops the reading when it says so, and is in its place again afterwards.
TEST(TextMode, AsksTheConnectionsKeepGoingHookAndPutsItBack) {
  TempDir dir;
  ASSERT_TRUE(Make(dir, "last-row.sdb", Maker::kRaw, kLastRowScript));
  ZuveviRE db;
  ASSERT_TRUE(db.Open(dir.Path("last-row.sdb")));
  int asked = 0;
  bool go_on = true;
  db.SetKeepGoing([&] {
    ++asked;
    return go_on;
  });
  // Read to its last row, the table says UTF-8; stopped at once, it says nothing.
  EXPECT_EQ(DetectTextMode(db, kWholeFile), TextMode::kUtf8);
  EXPECT_GT(asked, 0);
  go_on = false;
  EXPECT_EQ(DetectTextMode(db, kWholeFile), TextMode::kGbk);
  asked = 0;
  SqliteDataset all = db.Query("SELECT count(*) FROM t AS a, (SELECT 1 UNION SELECT 2)");
  EXPECT_FALSE(all.Requery());
  EXPECT_GT(asked, 0);
  EXPECT_EQ(db.GetErrorText(), "interrupted");
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
