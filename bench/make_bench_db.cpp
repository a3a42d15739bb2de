// Makes the benchmark databases in the folder given as the only argument, each with one table
//   t (id INTEGER, name TEXT, price REAL, qty INTEGER, note TEXT)
// of 100 thousand, 1 million, 10 million or 100 million rows (about 5 GB), one of a million rows
// whose names and texts are Chinese, kept as UTF-8:
//   商品 (编号 INTEGER, 名称 TEXT, 单价 REAL, 数量 INTEGER, 备注 TEXT)
// and one like the 100-thousand-row file whose last row's note ends in "café" (UTF-8): the only
// text in the file beyond ASCII. Besides, for the open's figures: a 1 GiB file of 16384 rows of 64
// KiB random bytes each,
//   b (id INTEGER PRIMARY KEY, data BLOB)
// and a file of 10,000 small tables t00001 ... t10000 (3 rows each) and 1,000 views v0001 ...
// v1000.
// A file that is already complete is kept, so the slow large files are made only once; an
// incomplete one (an interrupted run) is made again.
//
// This program is compiled without the internal character set, so its literals are UTF-8 bytes.

#include <cstdio>
#include <filesystem>
#include <string>

#include <sqlite3.h>

namespace {

enum class Texts {
  kAscii,        // table t
  kChinese,      // the Chinese table 商品 instead of t
  kLastRowUtf8,  // table t, its last note in UTF-8
  kBlobs,        // table b of 64 KiB random bytes a row
  kTables,       // a table of 3 rows for each "row", and a view for every tenth
};

struct Size {
  const char* file;
  long long rows;
  Texts texts;
};

constexpr Size kSizes[] = {
    {"bench_100k.sdb", 100'000, Texts::kAscii},
    {"bench_1m.sdb", 1'000'000, Texts::kAscii},
    {"bench_10m.sdb", 10'000'000, Texts::kAscii},
    {"bench_100m.sdb", 100'000'000, Texts::kAscii},
    {"bench_1m_utf8.sdb", 1'000'000, Texts::kChinese},
    {"bench_100k_last_utf8.sdb", 100'000, Texts::kLastRowUtf8},
    {"bench_1g.sdb", 16'384, Texts::kBlobs},
    {"bench_10k_tables.sdb", 10'000, Texts::kTables},
};

// The table's definition, and the SELECT that fills it from the sequence n(i) of `rows` numbers.
// Table t: plain ASCII texts, every seventh note NULL; with kLastRowUtf8 the last row's note is
// "note 00100000 café". Table 商品: a name of two Chinese characters and a number, and a note of
// Chinese words around the row's number, every seventh NULL, all in the file's encoding (UTF-8).
const char* Definition(Texts texts) {
  switch (texts) {
    case Texts::kChinese:
      return "CREATE TABLE 商品 (编号 INTEGER, 名称 TEXT, 单价 REAL, 数量 INTEGER, 备注 TEXT);";
    case Texts::kBlobs:
      return "CREATE TABLE b (id INTEGER PRIMARY KEY, data BLOB);";
    case Texts::kTables:
      return "";
    default:
      return "CREATE TABLE t (id INTEGER, name TEXT, price REAL, qty INTEGER, note TEXT);";
  }
}

// The statements of the many-tables file: `count` tables and a view of every tenth.
std::string ManyTables(long long count) {
  std::string sql;
  char name[32];
  for (long long i = 1; i <= count; ++i) {
    std::snprintf(name, sizeof name, "t%05lld", i);
    sql += std::string("CREATE TABLE ") + name +
           " (id INTEGER PRIMARY KEY, name TEXT, qty INTEGER); INSERT INTO " + name +
           " VALUES (1, 'one', 1), (2, 'two', 2), (3, 'three', 3);";
    if (i % 10 == 0) {
      char view[32];
      std::snprintf(view, sizeof view, "v%04lld", i / 10);
      sql += std::string("CREATE VIEW ") + view + " AS SELECT name, qty FROM " + name + ";";
    }
  }
  return sql;
}

std::string Filling(Texts texts, long long rows) {
  if (texts == Texts::kBlobs) return " INSERT INTO b SELECT i, randomblob(65536) FROM n;";
  if (texts == Texts::kTables) return " SELECT 1;";
  if (texts == Texts::kChinese) {
    return " INSERT INTO 商品 SELECT i,"
           " substr('苹果香蕉橙子葡萄西瓜草莓桃子鸭梨', (i % 8) * 2 + 1, 2) || (i % 1000),"
           " i * 0.25, i % 1000,"
           " CASE WHEN i % 7 = 0 THEN NULL ELSE printf('第%08d号，产地：山东省烟台市', i)"
           " END FROM n;";
  }
  const std::string last_row =
      texts == Texts::kLastRowUtf8
          ? " WHEN i = " + std::to_string(rows) + " THEN printf('note %08d café', i)"
          : "";
  return " INSERT INTO t SELECT i, 'item ' || i, i * 0.25, i % 1000, CASE" + last_row +
         " WHEN i % 7 = 0 THEN NULL ELSE printf('note %08d', i) END FROM n;";
}

// The row count recorded when the file was completed; -1 when there is none.
long long CompletedRows(const std::string& path) {
  if (!std::filesystem::exists(path)) return -1;
  sqlite3* db = nullptr;
  long long rows = -1;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT rows FROM bench_done", -1, &statement, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
      rows = sqlite3_column_int64(statement, 0);
    }
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return rows;
}

bool Make(const std::string& path, long long rows, Texts texts) {
  std::filesystem::remove(path);
  sqlite3* db = nullptr;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
    std::fprintf(stderr, "cannot create %s\n", path.c_str());
    sqlite3_close(db);
    return false;
  }
  // One INSERT ... SELECT from a recursive sequence inside one transaction; no journal needed for
  // a file that is thrown away when anything fails.
  const std::string sql =
      std::string("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; BEGIN;") +
      Definition(texts) + (texts == Texts::kTables ? ManyTables(rows) : "") +
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
      std::to_string(rows) + ")" + Filling(texts, rows) +
      "CREATE TABLE bench_done (rows INTEGER); INSERT INTO bench_done VALUES (" +
      std::to_string(rows) + "); COMMIT;";
  char* message = nullptr;
  const bool ok = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK;
  if (!ok) std::fprintf(stderr, "%s: %s\n", path.c_str(), message ? message : "failed");
  sqlite3_free(message);
  sqlite3_close(db);
  if (!ok) std::filesystem::remove(path);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);
  for (const Size& size : kSizes) {
    const std::string path = (folder / size.file).string();
    if (CompletedRows(path) == size.rows) {
      std::printf("%s: ready (%lld rows)\n", path.c_str(), size.rows);
      continue;
    }
    std::printf("%s: making %lld rows...\n", path.c_str(), size.rows);
    std::fflush(stdout);
    if (!Make(path, size.rows, size.texts)) return 1;
  }
  return 0;
}
