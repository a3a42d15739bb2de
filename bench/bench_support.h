#pragma once

// What the benchmarks share: the benchmark databases, the database side of a browse, and the
// registration of a figure measured as its fastest repetition.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "db/db.h"

namespace torvane::bench {

// One benchmark database made by make_bench_db: table t with `rows` rows.
struct Dataset {
  const char* label;
  const char* file;
  std::int64_t rows;
  int repetitions;
  std::string path;
};

// The database side of a browse of table t: the stored definition, the cursor, and the first 1000
// rows through Requery and GetAll. Returns a count that depends on all of them.
inline std::size_t DatabaseSideBrowse(ZuveviRE& db) {
  const std::string sql = db.GetTableSql("t");
  SqliteTable cursor;
  if (sql.empty() || !cursor.Open("t", db)) return 0;
  SqliteDataset rows = db.Query("select * from t limit 1000");
  if (!rows.Requery()) return 0;
  const TextTable table = rows.GetAll(true);
  return static_cast<std::size_t>(cursor.GetRecordCount()) + static_cast<std::size_t>(table.rows());
}

// Registers `fn` on `data` as "name/label": one iteration per repetition, reported as aggregates
// with the fastest repetition as "min".
inline void RegisterFastest(const std::string& name,
                            void (*fn)(benchmark::State&, const Dataset*), const Dataset* data) {
  benchmark::RegisterBenchmark((name + "/" + data->label).c_str(), fn, data)
      ->Unit(benchmark::kMillisecond)
      ->Iterations(1)
      ->Repetitions(data->repetitions)
      ->ReportAggregatesOnly(true)
      ->ComputeStatistics("min", [](const std::vector<double>& v) {
        return *std::min_element(v.begin(), v.end());
      });
}

}  // namespace torvane::bench
