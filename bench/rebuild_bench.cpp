// The table designer's rebuild of a million-row table with an index and a trigger, against the raw
// engine running the same statements in the same run. Both rebuild the same working copy of the
// benchmark table into the same layout, alternately, so every repetition starts from the same
// table; each figure is the fastest repetition, the ratio the layer's over the raw engine's.
//
//   rebuild_bench --data=FOLDER [Google Benchmark flags]
// FOLDER holds the files make_bench_db makes; the working copy is made beside them and removed.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include "base/codec.h"
#include "bench_run.h"
#include "db/db.h"
#include "designer/field_list.h"

namespace {

using torvane::bench::Dataset;
using torvane::bench::MinimumReporter;

Dataset dataset = {"1M", "bench_1m.sdb", 1'000'000, 7, ""};
std::string working_copy;

// What the table keeps through the rebuild: an index and a trigger of its own.
constexpr char kIndex[] = "CREATE INDEX t_name ON t(name)";
constexpr char kTrigger[] =
    "CREATE TRIGGER t_added AFTER INSERT ON t BEGIN UPDATE log SET n = n + 1; END";

// The designer's field list for t as it stands: every column kept, same names.
std::vector<torvane::FieldEntry> Fields() {
  return {{"id", "整数型", "0"},
          {"name", "文本型", "0"},
          {"price", "小数型", "0"},
          {"qty", "整数型", "0"},
          {"note", "文本型", "0"}};
}

std::vector<std::string> Plan() {
  const std::vector<torvane::FieldEntry> fields = Fields();
  return torvane::RebuildStatements(
      "t", torvane::TemporaryTableName("t", 1), torvane::ValidateFields(fields).fields,
      torvane::PairColumns(fields, {"id", "name", "price", "qty", "note"}));
}

void Exec(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::fprintf(stderr, "%s: %s\n", sql.c_str(), error != nullptr ? error : "");
    std::exit(1);
  }
}

void BM_Rebuild(benchmark::State& state, const Dataset*) {
  torvane::ZuveviRE db;
  if (!db.Open(torvane::FromUtf8(working_copy))) state.SkipWithError("cannot open the copy");
  const std::vector<std::string> plan = Plan();
  for (auto _ : state) {
    const torvane::RebuildResult result = torvane::RunRebuild(db, "t", plan);
    if (!result.status.ok() || !result.left_out.empty()) {
      state.SkipWithError(result.status.message().c_str());
    }
  }
}

// The same statements, then the index and the trigger again, in one transaction.
void BM_RawRebuild(benchmark::State& state, const Dataset*) {
  sqlite3* db = nullptr;
  sqlite3_open(working_copy.c_str(), &db);
  const std::vector<std::string> plan = Plan();
  for (auto _ : state) {
    Exec(db, "BEGIN TRANSACTION");
    for (const std::string& sql : plan) Exec(db, sql);
    Exec(db, kIndex);
    Exec(db, kTrigger);
    Exec(db, "COMMIT TRANSACTION");
  }
  sqlite3_close(db);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args;
  if (int failed = torvane::bench::LocateDatasets(argc, argv, args, {&dataset})) return failed;
  working_copy = std::filesystem::path(dataset.path).replace_filename("rebuild_work.sdb").string();
  std::filesystem::copy_file(dataset.path, working_copy,
                             std::filesystem::copy_options::overwrite_existing);
  {
    sqlite3* db = nullptr;
    sqlite3_open(working_copy.c_str(), &db);
    Exec(db, "CREATE TABLE log (n); INSERT INTO log VALUES (0)");
    Exec(db, kIndex);
    Exec(db, kTrigger);
    sqlite3_close(db);
  }

  // Interleaved (below), so both sides meet the same state of the machine and of the file.
  torvane::bench::RegisterFastest("raw_rebuild", BM_RawRebuild, &dataset);
  torvane::bench::RegisterFastest("rebuild", BM_Rebuild, &dataset);
  torvane::bench::InterleaveRepetitions(args);
  int count = static_cast<int>(args.size());
  MinimumReporter reporter;
  torvane::bench::RunBenchmarks(count, args.data(), reporter);
  std::filesystem::remove(working_copy);

  const auto layer = reporter.Minimum("rebuild/1M");
  const auto raw = reporter.Minimum("raw_rebuild/1M");
  const torvane::bench::Comparison ratio = torvane::bench::Compare(layer, raw);
  std::printf(
      "\n| Figure | Rows | Layer min (ms) | Raw min (ms) | Ratio (wall) | Ratio (cpu) | Target |\n"
      "|---|---|---|---|---|---|---|\n"
      "| rebuild with an index and a trigger | 1M | %.1f | %.1f | %.3f | %.3f | <= 1.05x: %s |\n",
      layer.real * 1e3, raw.real * 1e3, ratio.wall, ratio.cpu,
      torvane::bench::Met(ratio.wall, ratio.cpu, 1.05) ? "met" : "not met");
  return 0;
}
