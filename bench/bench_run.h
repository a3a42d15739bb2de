#pragma once

// The tail every benchmark program shares: the benchmark databases located from the command line,
// the benchmarks registered and run with their fastest repetition kept, and two figures compared.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

namespace torvane::bench {

// One benchmark database made by make_bench_db: table t with `rows` rows.
struct Dataset {
  const char* label;
  const char* file;
  std::int64_t rows;
  int repetitions;
  std::string path;  // set by LocateDatasets
};

// Takes "--data=FOLDER" out of the command line, leaving the other arguments in `args` (the
// program's name first), and sets each of `datasets` to its file in FOLDER. Returns 0 when all is
// there; else, after printing why, the program's exit code: 2 without the flag, 1 for a missing
// file.
inline int LocateDatasets(int argc, char** argv, std::vector<char*>& args,
                          const std::vector<Dataset*>& datasets) {
  std::string folder;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--data=", 7) == 0) {
      folder = argv[i] + 7;
    } else {
      args.push_back(argv[i]);
    }
  }
  if (folder.empty()) {
    std::fprintf(stderr, "usage: %s --data=FOLDER [benchmark flags]\n", argv[0]);
    return 2;
  }
  for (Dataset* d : datasets) {
    d->path = folder + "/" + d->file;
    if (!std::filesystem::exists(d->path)) {
      std::fprintf(stderr, "missing %s (make it with make_bench_db)\n", d->path.c_str());
      return 1;
    }
  }
  return 0;
}

// Runs the repetitions of all benchmarks interleaved in random order, so that a slow spell of a
// shared machine does not fall on one side of a comparison only. Flags given on the command line
// (after it in `args`) override it.
inline void InterleaveRepetitions(std::vector<char*>& args) {
  static char interleave[] = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave);
}

// Registers `fn` on `data` as "name/label": one iteration per repetition, reported as aggregates
// with the fastest repetition as "min".
inline void RegisterFastest(const std::string& name, void (*fn)(benchmark::State&, const Dataset*),
                            const Dataset* data) {
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

// Runs the benchmarks registered so far with the benchmark flags of `argc` and `argv` (the
// program's name first) and keeps the fastest repetition of each in `reporter`.
inline void RunBenchmarks(int& argc, char** argv, MinimumReporter& reporter) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
}

// a / b; 0 when b is not positive (the figure is missing).
inline double Ratio(double a, double b) { return b > 0 ? a / b : 0; }

// Figure `a` against figure `b`: how many times as long, and how many milliseconds more, by
// wall-clock time and by processor time.
struct Comparison {
  double wall = 0;
  double cpu = 0;
  double added_wall_ms = 0;
  double added_cpu_ms = 0;
};

inline Comparison Compare(const Times& a, const Times& b) {
  return {Ratio(a.real, b.real), Ratio(a.cpu, b.cpu), (a.real - b.real) * 1e3,
          (a.cpu - b.cpu) * 1e3};
}

// A target counts as met when the wall-clock or the processor-time figure meets it: other work on
// a shared machine stretches the first but hardly the second.
inline bool Met(double wall, double cpu, double limit) { return wall <= limit || cpu <= limit; }

}  // namespace torvane::bench
