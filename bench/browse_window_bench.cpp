// The browse of a table inside the real main window, shown on the offscreen platform, against the
// raw engine's reading of the same first rows, both measured in one process on the same file: the
// time until the first rows are visible, which must not grow with the table, and the time until the
// count (taken on a worker thread) is in the summary line, against the raw engine's count(*).
//
//   browse_window_bench --data=FOLDER [Google Benchmark flags]
// FOLDER holds the files make_bench_db makes.
//
// A window browse is BrowseObject on a started main window (events bound as in the program, row
// limit 1000), then the pending events handled, which lays out and paints what the browse changed;
// the "painted" variant then also renders the whole window into a picture. The "counted" variant
// goes on handling events until the count is shown. The log line every browse writes is cleared
// outside the timed region, so the log box does not grow.
//
// Each dataset has a window and a database-side connection of its own, opened once. Repetitions of
// all benchmarks run interleaved in random order (unless the flag is given otherwise), so that a
// slow spell of a shared machine does not fall on one side of a comparison only.

#include <malloc.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include <QAbstractScrollArea>
#include <QEvent>
#include <QObject>
#include <QPixmap>
#include <QWidget>

#include "app/operation_log.h"
#include "app/record_grid.h"
#include "app/schema_tree.h"
#include "bench_run.h"
#include "bench_support.h"
#include "db/db.h"
#include "ui/main_window.h"
#include "ui/runtime.h"
#include "window_support.h"

namespace {

using torvane::App;
using torvane::ItemKind;
using torvane::Runtime;

constexpr char kTable[] = "t";
constexpr int kRowLimit = 1000;

using torvane::bench::Compare;
using torvane::bench::Comparison;
using torvane::bench::Dataset;
using torvane::bench::MinimumReporter;
using torvane::bench::Times;

Dataset datasets[] = {
    {"100k", "bench_100k.sdb", 100'000, 20, ""},
    {"1M", "bench_1m.sdb", 1'000'000, 15, ""},
    {"10M", "bench_10m.sdb", 10'000'000, 9, ""},
    {"100M", "bench_100m.sdb", 100'000'000, 3, ""},
};

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
  int paints = 0;
};

// The running program on one database, started and with the file opened as the program opens it
// (StartedWindow). Beside it, the database layer's own connection to the same file for the
// database side.
struct Program : torvane::bench::StartedWindow {
  PaintCounter grid_paints;
  torvane::bench::RawConnection raw;

  explicit Program(const std::string& path) : StartedWindow(path), raw(path) {
    // The grid's cells are painted on its viewport.
    if (auto* grid = qobject_cast<QAbstractScrollArea*>(window.grid().widget())) {
      grid->viewport()->installEventFilter(&grid_paints);
    }
  }
};

// Whether the summary line still waits for the count.
bool CountPending(Program& p) {
  return p.window.info_box().Content().rfind("正在统计记录数", 0) == 0;
}

// One per dataset, made once the toolkit runs.
std::map<const Dataset*, std::unique_ptr<Program>> programs;
// The raw engine's first rows in row-id order, every column as text, and their row ids: the
// least any browse has to read.
void BM_RawFirstRows(benchmark::State& state, const Dataset* data) {
  Program& p = *programs.at(data);
  for (auto _ : state) {
    const auto rows =
        torvane::bench::RawQuery(p.raw.get(), "SELECT * FROM t ORDER BY rowid LIMIT 1000");
    const auto ids =
        torvane::bench::RawQuery(p.raw.get(), "SELECT rowid FROM t ORDER BY rowid LIMIT 1000");
    if (rows.ends.size() != 5 * kRowLimit || ids.ends.size() != kRowLimit) {
      state.SkipWithError("raw read failed");
    }
    benchmark::DoNotOptimize(rows.text.data());
  }
}

// The raw engine's count of the table's rows.
void BM_RawCount(benchmark::State& state, const Dataset* data) {
  Program& p = *programs.at(data);
  for (auto _ : state) {
    const auto count = torvane::bench::RawQuery(p.raw.get(), "SELECT count(*) FROM t");
    if (count.text != std::to_string(data->rows)) state.SkipWithError("raw count failed");
  }
}

// Why the window's state after a browse of `data` is not the expected one; "" when it is.
std::string CheckBrowse(Program& p, const Dataset& data) {
  torvane::MainWindow& w = p.window;
  // The count comes from another thread after the rows; waited for outside the timed region.
  while (CountPending(p)) Runtime::ProcessEvents();
  torvane::Grid& grid = w.grid();
  if (grid.RowCount() != kRowLimit + 1 || grid.ColumnCount() != 6) return "grid has wrong shape";
  if (grid.CellText(0, 0) != "序号" || grid.CellText(0, 1) != "id") return "wrong header row";
  if (grid.CellText(kRowLimit, 0) != "1000" || grid.CellText(kRowLimit, 1) != "1000") {
    return "wrong last row";
  }
  const std::string count = "共" + std::to_string(data.rows) + "条记录";
  if (w.info_box().Content().compare(0, count.size(), count) != 0) return "wrong summary line";
  if (!w.field_panel().IsVisible()) return "field panel hidden";
  return "";
}

// One window browse per iteration; `paint_window` also renders the whole window afterwards;
// `counted` waits for the count as well.
void WindowBrowse(benchmark::State& state, const Dataset* data, bool paint_window,
                  bool counted = false) {
  Program& p = *programs.at(data);
  if (!p.open) {
    state.SkipWithError("cannot open the database");
    return;
  }
  QWidget* window = p.window.window().widget();
  int fewest_paints = -1;
  for (auto _ : state) {
    const int paints_before = p.grid_paints.paints;
    torvane::BrowseObject(p.app, kTable, ItemKind::kTable);
    Runtime::ProcessEvents();
    if (paint_window) {
      const QPixmap picture = window->grab();
      benchmark::DoNotOptimize(picture.cacheKey());
    }
    while (counted && CountPending(p)) Runtime::ProcessEvents();
    state.PauseTiming();
    const int paints = p.grid_paints.paints - paints_before;
    fewest_paints = fewest_paints < 0 ? paints : std::min(fewest_paints, paints);
    const std::string fault = CheckBrowse(p, *data);
    if (!fault.empty()) state.SkipWithError(fault.c_str());
    torvane::ClearLogCommand(p.app);
    Runtime::ProcessEvents();
    state.ResumeTiming();
  }
  // Paint events the grid received in the iteration that had the fewest: 0 would mean the
  // measured browse did not paint the grid at all.
  state.counters["grid_paints"] = fewest_paints;
}

void BM_WindowBrowse(benchmark::State& state, const Dataset* data) {
  WindowBrowse(state, data, false);
}

void BM_WindowBrowsePainted(benchmark::State& state, const Dataset* data) {
  WindowBrowse(state, data, true);
}

void BM_WindowBrowseCounted(benchmark::State& state, const Dataset* data) {
  WindowBrowse(state, data, false, true);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args;
  if (int failed = torvane::bench::LocateDatasets(
          argc, argv, args, {&datasets[0], &datasets[1], &datasets[2], &datasets[3]})) {
    return failed;
  }
  torvane::bench::InterleaveRepetitions(args);
  const torvane::bench::WindowRun run;
  // Freed heap stays with the process. Otherwise whether a browse's freed row ids go back to the
  // system, to be faulted in again by the next repetition (20,000 page faults, some 20 ms, at ten
  // million rows), depends on what else happens to sit at the top of the heap: it differed between
  // the two sides and made the comparison a matter of heap layout rather than of work done.
  ::mallopt(M_TRIM_THRESHOLD, 1 << 30);
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);

  {
    Runtime runtime(count, args.data());
    for (const Dataset& d : datasets) programs[&d] = std::make_unique<Program>(d.path);
    for (const Dataset& d : datasets) {
      auto add = [&](const std::string& name, void (*fn)(benchmark::State&, const Dataset*)) {
        torvane::bench::RegisterFastest(name, fn, &d);
      };
      add("raw_first_rows", BM_RawFirstRows);
      add("raw_count", BM_RawCount);
      add("window_browse", BM_WindowBrowse);
      add("window_browse_painted", BM_WindowBrowsePainted);
      add("window_browse_counted", BM_WindowBrowseCounted);
    }
    MinimumReporter reporter;
    torvane::bench::RunBenchmarks(count, args.data(), reporter);

    // First rows visible must not grow with the table: each size against the smallest. The count
    // comes later, from the worker, against the raw engine's count(*).
    std::printf(
        "\n| Rows | Raw first rows (ms) | First rows visible (ms) | + window painted (ms) | "
        "Painted, over the smallest table (ms) | Raw count (ms) | Count shown (ms) | Count shown "
        "/ raw count | Grid paints | Target |\n|---|---|---|---|---|---|---|---|---|---|\n");
    const Times smallest =
        reporter.Minimum(std::string("window_browse_painted/") + datasets[0].label);
    for (const Dataset& d : datasets) {
      const std::string s = d.label;
      const Times raw_rows = reporter.Minimum("raw_first_rows/" + s);
      const Times raw_count = reporter.Minimum("raw_count/" + s);
      const Times window = reporter.Minimum("window_browse/" + s);
      const Times painted = reporter.Minimum("window_browse_painted/" + s);
      const Times counted = reporter.Minimum("window_browse_counted/" + s);
      if (raw_rows.real <= 0 || window.real <= 0 || painted.real <= 0 || counted.real <= 0) {
        continue;
      }
      const Comparison flat = Compare(painted, smallest);
      std::string target = "-";
      if (d.rows >= 1'000'000) {
        const bool met = torvane::bench::Met(flat.added_wall_ms, flat.added_cpu_ms, 50.0);
        target = std::string("flat within 50 ms: ") + (met ? "met" : "MISSED");
      }
      std::printf("| %s | %.2f | %.1f | %.1f | %.1f | %.1f | %.1f | %.2f | %.0f | %s |\n", d.label,
                  raw_rows.real * 1e3, window.real * 1e3, painted.real * 1e3, flat.added_wall_ms,
                  raw_count.real * 1e3, counted.real * 1e3, counted.real / raw_count.real,
                  window.counters.at("grid_paints"), target.c_str());
    }
    torvane::bench::PrintWindowSize(programs.begin()->second->window);
    programs.clear();
  }
  return 0;
}
