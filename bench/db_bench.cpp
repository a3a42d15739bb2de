// Speed and memory of the database access layer against the raw engine doing the least work that
// gives the same result, measured in one run. Every figure is the layer's fastest run divided by
// the raw engine's fastest run; memory is the peak growth of the resident set over the process's
// baseline, measured in a forked child.
//
//   db_bench --data=FOLDER [Google Benchmark flags]
// FOLDER holds the files make_bench_db makes.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include "bench_run.h"
#include "bench_support.h"
#include "db/db.h"

namespace {

using torvane::SqliteDataset;
using torvane::SqliteTable;
using torvane::TextTable;
using torvane::ZuveviRE;

constexpr char kBrowseQuery[] = "select * from t limit 1000";
constexpr char kRowIdQuery[] = "SELECT _ROWID_ FROM t ORDER BY _ROWID_ ";
constexpr char kWideQuery[] = "SELECT id, name, price, qty, note FROM t";

using torvane::bench::Compare;
using torvane::bench::Comparison;
using torvane::bench::Dataset;
using torvane::bench::MeasureInChild;
using torvane::bench::Memory;
using torvane::bench::MinimumReporter;
using torvane::bench::RawConnection;
using torvane::bench::RawQuery;
using torvane::bench::RawText;
using torvane::bench::Times;

Dataset datasets[] = {
    {"100k", "bench_100k.sdb", 100'000, 20, ""},
    {"1M", "bench_1m.sdb", 1'000'000, 9, ""},
    {"10M", "bench_10m.sdb", 10'000'000, 5, ""},
};

// The raw row-id snapshot: every row id stepped into a vector.
std::vector<std::int64_t> RawRowIds(sqlite3* db) {
  std::vector<std::int64_t> ids;
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, kRowIdQuery, -1, &statement, nullptr);
  while (sqlite3_step(statement) == SQLITE_ROW) ids.push_back(sqlite3_column_int64(statement, 0));
  sqlite3_finalize(statement);
  return ids;
}

void OpenLayer(ZuveviRE& db, const std::string& path) {
  if (!db.Open(path, false)) {
    std::fprintf(stderr, "cannot open %s\n", path.c_str());
    std::exit(1);
  }
}

// The layer's side of each figure.
std::size_t LayerCursorOpen(ZuveviRE& db) {
  SqliteTable cursor;
  if (!cursor.Open("t", db)) return 0;
  return static_cast<std::size_t>(cursor.GetRecordCount());
}

TextTable LayerQuery(ZuveviRE& db) {
  SqliteDataset rows = db.Query(kWideQuery);
  if (!rows.Requery()) return TextTable();
  return rows.GetAll(true);
}

// The raw engine's side.
std::size_t RawBrowse(sqlite3* db) {
  const std::vector<std::int64_t> ids = RawRowIds(db);
  const RawText first_rows = RawQuery(db, kBrowseQuery);
  return ids.size() + first_rows.ends.size();
}

void BM_CursorOpen(benchmark::State& state, const Dataset* data) {
  ZuveviRE db;
  OpenLayer(db, data->path);
  for (auto _ : state) {
    const std::size_t records = LayerCursorOpen(db);
    if (records != static_cast<std::size_t>(data->rows)) state.SkipWithError("wrong record count");
    benchmark::DoNotOptimize(records);
  }
}

void BM_RawRowIds(benchmark::State& state, const Dataset* data) {
  RawConnection db(data->path);
  for (auto _ : state) {
    const std::vector<std::int64_t> ids = RawRowIds(db.get());
    benchmark::DoNotOptimize(ids.data());
  }
}

void BM_Browse(benchmark::State& state, const Dataset* data) {
  ZuveviRE db;
  OpenLayer(db, data->path);
  for (auto _ : state) {
    const std::size_t n = torvane::bench::DatabaseSideBrowse(db);
    if (n != static_cast<std::size_t>(data->rows) + 1001) state.SkipWithError("browse failed");
    benchmark::DoNotOptimize(n);
  }
}

void BM_RawBrowse(benchmark::State& state, const Dataset* data) {
  RawConnection db(data->path);
  for (auto _ : state) benchmark::DoNotOptimize(RawBrowse(db.get()));
}

void BM_Query(benchmark::State& state, const Dataset* data) {
  ZuveviRE db;
  OpenLayer(db, data->path);
  for (auto _ : state) {
    const TextTable table = LayerQuery(db);
    if (table.rows() != data->rows + 1) state.SkipWithError("query failed");
    benchmark::DoNotOptimize(table.at(1, 1).data());
  }
}

void BM_RawQuery(benchmark::State& state, const Dataset* data) {
  RawConnection db(data->path);
  for (auto _ : state) {
    const RawText result = RawQuery(db.get(), kWideQuery);
    benchmark::DoNotOptimize(result.text.data());
  }
}

std::shared_ptr<void> PrepareLayer(const std::string& path) {
  auto db = std::make_shared<ZuveviRE>();
  if (!db->Open(path, false)) std::exit(1);
  // A first catalog read, so the schema is loaded before the baseline, as it is for the raw side.
  (void)db->GetTableNames(true, false, false);
  return db;
}

std::shared_ptr<void> PrepareRaw(const std::string& path) {
  auto db = std::make_shared<RawConnection>(path);
  sqlite3_exec(db->get(), "SELECT name FROM sqlite_master", nullptr, nullptr, nullptr);
  return db;
}

template <typename T>
std::shared_ptr<void> Keep(T value) {
  return std::make_shared<T>(std::move(value));
}

struct MemoryFigures {
  Memory cursor, raw_ids, browse, raw_browse, query, raw_query;
  std::size_t raw_text = 0, cells = 0;
};

MemoryFigures MeasureMemory(const Dataset& data, bool with_query) {
  MemoryFigures f;
  const std::string& path = data.path;
  auto layer = [&] { return PrepareLayer(path); };
  auto raw = [&] { return PrepareRaw(path); };
  f.cursor = MeasureInChild(layer, [](void* db, long long&) {
    auto cursor = std::make_shared<SqliteTable>();
    (void)cursor->Open("t", *static_cast<ZuveviRE*>(db));
    return std::shared_ptr<void>(cursor);
  });
  f.raw_ids = MeasureInChild(raw, [](void* db, long long&) {
    return Keep(RawRowIds(static_cast<RawConnection*>(db)->get()));
  });
  f.browse = MeasureInChild(layer, [](void* context, long long&) {
    auto& db = *static_cast<ZuveviRE*>(context);
    struct Browse {
      std::string sql;
      SqliteTable cursor;
      TextTable table;
    };
    auto browse = std::make_shared<Browse>();
    browse->sql = db.GetTableSql("t");
    (void)browse->cursor.Open("t", db);
    SqliteDataset rows = db.Query(kBrowseQuery);
    (void)rows.Requery();
    browse->table = rows.GetAll(true);
    return std::shared_ptr<void>(browse);
  });
  f.raw_browse = MeasureInChild(raw, [](void* db, long long&) {
    sqlite3* raw_db = static_cast<RawConnection*>(db)->get();
    return Keep(std::make_pair(RawRowIds(raw_db), RawQuery(raw_db, kBrowseQuery)));
  });
  if (with_query) {
    f.query = MeasureInChild(layer, [](void* db, long long& exact) {
      TextTable table = LayerQuery(*static_cast<ZuveviRE*>(db));
      exact = static_cast<long long>(table.HeldBytes());
      return Keep(std::move(table));
    });
    f.raw_query = MeasureInChild(raw, [](void* db, long long& exact) {
      RawText text = RawQuery(static_cast<RawConnection*>(db)->get(), kWideQuery);
      exact = static_cast<long long>(text.text.capacity() +
                                     text.ends.capacity() * sizeof(std::uint64_t));
      return Keep(std::move(text));
    });
    RawConnection db(path);
    const RawText text = RawQuery(db.get(), kWideQuery);
    f.raw_text = text.text.size();
    f.cells = text.ends.size();
  }
  return f;
}

double PerRow(long long bytes, std::int64_t rows) {
  return static_cast<double>(bytes) / static_cast<double>(rows);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args;
  if (int failed = torvane::bench::LocateDatasets(argc, argv, args,
                                                  {&datasets[0], &datasets[1], &datasets[2]})) {
    return failed;
  }

  // Memory first, from a process whose heap has not yet been through the timed runs.
  std::map<std::string, MemoryFigures> memory;
  for (const Dataset& d : datasets) memory[d.label] = MeasureMemory(d, d.rows == 1'000'000);

  for (const Dataset& d : datasets) {
    auto add = [&](const std::string& name, void (*fn)(benchmark::State&, const Dataset*)) {
      torvane::bench::RegisterFastest(name, fn, &d);
    };
    add("raw_rowids", BM_RawRowIds);
    add("cursor_open", BM_CursorOpen);
    add("raw_browse", BM_RawBrowse);
    add("browse", BM_Browse);
    if (d.rows == 1'000'000) {
      add("raw_query", BM_RawQuery);
      add("query", BM_Query);
    }
  }
  int count = static_cast<int>(args.size());
  MinimumReporter reporter;
  torvane::bench::RunBenchmarks(count, args.data(), reporter);

  // Ratios of wall-clock and of processor time; a target counts as met when either ratio meets it.
  std::printf(
      "\n| Figure | Rows | Layer min (ms) | Raw min (ms) | Ratio (wall) | Ratio (cpu) | Target | "
      "Layer peak B/row | Raw peak B/row |\n|---|---|---|---|---|---|---|---|---|\n");
  for (const Dataset& d : datasets) {
    const std::string s = d.label;
    const MemoryFigures& m = memory[s];
    struct Line {
      std::string figure, layer, raw;
      double limit;
      const Memory& layer_memory;
      const Memory& raw_memory;
    };
    std::vector<Line> lines = {
        {"cursor open", "cursor_open", "raw_rowids", 1.10, m.cursor, m.raw_ids},
        {"browse (database side)", "browse", "raw_browse", 1.10, m.browse, m.raw_browse},
    };
    if (d.rows == 1'000'000) {
      lines.push_back({"query, 5 columns", "query", "raw_query", 1.5, m.query, m.raw_query});
    }
    for (const Line& line : lines) {
      const Times layer = reporter.Minimum(line.layer + "/" + s);
      const Times raw = reporter.Minimum(line.raw + "/" + s);
      if (layer.real <= 0 || raw.real <= 0) continue;  // left out by a filter
      const Comparison ratio = Compare(layer, raw);
      const double peak = PerRow(line.layer_memory.peak, d.rows);
      std::string target = "-";
      if (d.rows >= 1'000'000) {
        bool ok = torvane::bench::Met(ratio.wall, ratio.cpu, line.limit);
        target = line.limit == 1.5 ? "<= 1.5x" : "<= 1.10x";
        if (line.limit == 1.5) {
          target += ", held <= raw text + 8 B/cell";
          ok = ok && m.query.exact <=
                         static_cast<long long>(m.raw_text) + 8 * static_cast<long long>(m.cells);
        } else if (d.rows >= 10'000'000) {
          target += ", <= 9 B/row";
          ok = ok && peak <= 9.0;
        }
        target += std::string(": ") + (ok ? "met" : "MISSED");
      }
      std::printf("| %s | %s | %.1f | %.1f | %.3f | %.3f | %s | %.2f | %.2f |\n",
                  line.figure.c_str(), d.label, layer.real * 1e3, raw.real * 1e3, ratio.wall,
                  ratio.cpu, target.c_str(), peak, PerRow(line.raw_memory.peak, d.rows));
    }
  }
  const MemoryFigures& q = memory["1M"];
  std::printf(
      "\nquery result, 1M rows: %zu cells, raw text %zu bytes, limit (raw text + 8 B/cell) %lld "
      "bytes;\n  layer result holds %lld bytes (resident growth while kept %lld, peak %lld);\n"
      "  raw buffer holds %lld bytes (resident growth while kept %lld, peak %lld)\n",
      q.cells, q.raw_text, static_cast<long long>(q.raw_text) + 8 * static_cast<long long>(q.cells),
      q.query.exact, q.query.held, q.query.peak, q.raw_query.exact, q.raw_query.held,
      q.raw_query.peak);
  return 0;
}
