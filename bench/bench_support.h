#pragma once

// What the benchmarks share: the benchmark databases, the database side of a browse, and the
// registration of a figure measured as its fastest repetition.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
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

// The fastest repetition of a benchmark: wall-clock and processor seconds, and its counters.
struct Times {
  double real = 0;
  double cpu = 0;
  std::map<std::string, double> counters;
};

// Prints as the console reporter does and keeps the "min" statistic of every benchmark, by name.
class MinimumReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "min" || run.error_occurred) {
        continue;
      }
      const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
      Times t{run.GetAdjustedRealTime() / unit, run.GetAdjustedCPUTime() / unit, {}};
      for (const auto& [name, counter] : run.counters) t.counters[name] = counter.value;
      minimum_[run.run_name.function_name] = t;
    }
  }
  // The figures of benchmark `name`; all zero when it did not run.
  Times Minimum(const std::string& name) const {
    const auto it = minimum_.find(name);
    return it == minimum_.end() ? Times{} : it->second;
  }

 private:
  std::map<std::string, Times> minimum_;
};

// Takes "--data=FOLDER" out of the command line: the folder, with the other arguments left in
// `args` (the program's name first). "" when it is missing, after printing the usage.
inline std::string TakeDataFolder(int argc, char** argv, std::vector<char*>& args) {
  std::string folder;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--data=", 7) == 0) {
      folder = argv[i] + 7;
    } else {
      args.push_back(argv[i]);
    }
  }
  if (folder.empty()) std::fprintf(stderr, "usage: %s --data=FOLDER [benchmark flags]\n", argv[0]);
  return folder;
}

}  // namespace torvane::bench
