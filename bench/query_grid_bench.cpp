// A console query's whole result in the main window's grid, from running the query to a painted
// window, against one raw pass of the same query into a compact text buffer, both measured in one
// process on the same file; then going to the last row of the shown result. Memory is the peak
// growth of the resident set while the operation runs, measured in a forked child as db_bench
// measures it.
//
//   query_grid_bench --data=FOLDER [Google Benchmark flags]
// FOLDER holds the files make_bench_db makes.
//
// A window query is what the console does with a query: RecordSet.Open, Requery, GetAll(true) and
// FillGrid into the main window's grid with a header row and a numbering column, then the pending
// events handled (layout and paint of what changed) and the whole window rendered into a picture.
// The previous repetition's result is still shown when the next one runs, as when the user runs
// the query again, so the timed run also lets go of it. Going to the last row is SetCurrentCell on
// the result's last row (the event handled as the program handles it), the pending events, and
// the window rendered again; before each repetition, untimed, the first row is made current.
//
// Repetitions of all benchmarks run interleaved in random order (unless the flag is given
// otherwise), so that a slow spell of a shared machine does not fall on one side only.

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QPixmap>
#include <QWidget>

#include "app/app_state.h"
#include "app/query_rows.h"
#include "app/record_grid.h"
#include "bench_run.h"
#include "bench_support.h"
#include "console/sql_console.h"
#include "db/db.h"
#include "ui/main_window.h"
#include "ui/runtime.h"
#include "ui/sql_dialog.h"
#include "window_support.h"

namespace {

using torvane::Runtime;
using torvane::TextTable;
using torvane::bench::Compare;
using torvane::bench::Comparison;
using torvane::bench::Dataset;
using torvane::bench::MeasureInChild;
using torvane::bench::Memory;
using torvane::bench::MinimumReporter;
using torvane::bench::RawConnection;
using torvane::bench::RawQuery;
using torvane::bench::RawText;
using torvane::bench::StartedWindow;
using torvane::bench::Times;

// A query on one benchmark database and the shape of its result.
struct Query {
  Dataset data;
  const char* sql;
  int columns;
};

Query queries[] = {
    {{"1Mx5", "bench_1m.sdb", 1'000'000, 9, ""}, "SELECT id, name, price, qty, note FROM t", 5},
    {{"10Mx2", "bench_10m.sdb", 10'000'000, 5, ""}, "SELECT id, name FROM t", 2},
};

// The same queries as the user runs them in the console, and one of a thousand rows to hold them
// against: from pressing 确定 to the first rows painted in the main window.
Query first_rows_queries[] = {
    {{"1k", "bench_1m.sdb", 1'000, 9, ""},
     "SELECT id, name, price, qty, note FROM t LIMIT 1000",
     5},
    {{"1M", "bench_1m.sdb", 1'000'000, 9, ""}, "SELECT id, name, price, qty, note FROM t", 5},
    {{"10M", "bench_10m.sdb", 10'000'000, 5, ""}, "SELECT id, name FROM t", 2},
};

const Query& QueryOf(const Dataset* data) {
  for (const Query& q : first_rows_queries) {
    if (&q.data == data) return q;
  }
  for (const Query& q : queries) {
    if (&q.data == data) return q;
  }
  std::abort();
}

// The program on the query's database, and a raw engine connection to the same file.
struct Program : StartedWindow {
  RawConnection raw;
  explicit Program(const std::string& path) : StartedWindow(path), raw(path) {}
};

std::map<const Dataset*, std::unique_ptr<Program>> programs;

// The toolkit and a started program, made inside a forked child.
struct ChildProgram {
  int argc = 1;
  char name[17] = "query_grid_bench";
  char* argv[2] = {name, nullptr};
  Runtime runtime{argc, argv};
  Program program;
  explicit ChildProgram(const std::string& path) : program(path) {}
};

// Runs the query as the console does and shows its rows in the main window's grid. False when
// the record set refuses it.
bool ShowQuery(Program& p, const Query& q) {
  torvane::AppState& s = p.state;
  if (!s.RecordSet.Open(q.sql, s.Connection) || !s.RecordSet.Requery()) return false;
  torvane::FillGrid(p.window.grid(), s.RecordSet.GetAll(true), true, true);
  return true;
}

// Handles the pending events and renders the whole window into a picture.
QPixmap PaintWindow(Program& p) {
  Runtime::ProcessEvents();
  return p.window.window().widget()->grab();
}

// Why the grid does not show the whole result of `q`; "" when it does.
std::string CheckGrid(Program& p, const Query& q) {
  torvane::Grid& grid = p.window.grid();
  const int last = static_cast<int>(q.data.rows);
  if (grid.RowCount() != last + 1 || grid.ColumnCount() != q.columns + 1) {
    return "grid has wrong shape";
  }
  if (grid.CellText(0, 0) != "序号" || grid.CellText(0, 1) != "id") return "wrong header row";
  const std::string number = std::to_string(last);
  if (grid.CellText(last, 0) != number || grid.CellText(last, 1) != number) return "wrong last row";
  return "";
}

void BM_RawQuery(benchmark::State& state, const Dataset* data) {
  const Query& q = QueryOf(data);
  Program& p = *programs.at(data);
  const std::size_t cells = static_cast<std::size_t>(data->rows) * q.columns;
  for (auto _ : state) {
    const RawText result = RawQuery(p.raw.get(), q.sql);
    if (result.ends.size() != cells) state.SkipWithError("raw query failed");
    benchmark::DoNotOptimize(result.text.data());
  }
}

// The database side of a window query alone: the same query through a record set of its own on the
// program's connection, Requery and GetAll(true).
void BM_DatabaseQuery(benchmark::State& state, const Dataset* data) {
  const Query& q = QueryOf(data);
  Program& p = *programs.at(data);
  for (auto _ : state) {
    torvane::SqliteDataset rows = p.state.Connection.Query(q.sql);
    if (!rows.Requery()) state.SkipWithError("query failed");
    const TextTable table = rows.GetAll(true);
    if (table.rows() != data->rows + 1) state.SkipWithError("wrong row count");
    benchmark::DoNotOptimize(table.at(1, 1).data());
  }
}

void BM_WindowQuery(benchmark::State& state, const Dataset* data) {
  const Query& q = QueryOf(data);
  Program& p = *programs.at(data);
  if (!p.open) {
    state.SkipWithError("cannot open the database");
    return;
  }
  for (auto _ : state) {
    if (!ShowQuery(p, q)) {
      state.SkipWithError("query failed");
      break;
    }
    const QPixmap picture = PaintWindow(p);
    benchmark::DoNotOptimize(picture.cacheKey());
    state.PauseTiming();
    const std::string fault = CheckGrid(p, q);
    if (!fault.empty()) state.SkipWithError(fault.c_str());
    state.ResumeTiming();
  }
}

void BM_LastRow(benchmark::State& state, const Dataset* data) {
  const Query& q = QueryOf(data);
  Program& p = *programs.at(data);
  torvane::Grid& grid = p.window.grid();
  if (!p.open || (!CheckGrid(p, q).empty() && !ShowQuery(p, q))) {
    state.SkipWithError("cannot show the query");
    return;
  }
  const int last = static_cast<int>(data->rows);
  for (auto _ : state) {
    state.PauseTiming();
    grid.SetCurrentCell(1, 1);
    PaintWindow(p);
    state.ResumeTiming();
    grid.SetCurrentCell(last, 1);
    const QPixmap picture = PaintWindow(p);
    benchmark::DoNotOptimize(picture.cacheKey());
    state.PauseTiming();
    if (grid.CurrentRow() != last) state.SkipWithError("the last row is not current");
    state.ResumeTiming();
  }
}

// A console query as the user runs it: typed into the console, 确定 pressed (its message box
// answered at once), the pending events handled and the window rendered. The first rows are then
// on screen; the rest would arrive as the message loop runs. They are stopped, untimed, before the
// next repetition.
void BM_ConsoleFirstRows(benchmark::State& state, const Dataset* data) {
  const Query& q = QueryOf(data);
  Program& p = *programs.at(data);
  if (!p.open) {
    state.SkipWithError("cannot open the database");
    return;
  }
  torvane::SqlDialog dialog;
  torvane::ConnectSqlDialog(p.app, dialog);
  dialog.sql_box().SetContent(q.sql);
  dialog.query_radio().SetChecked(true);
  for (auto _ : state) {
    dialog.ok_button().Click();
    const QPixmap picture = PaintWindow(p);
    benchmark::DoNotOptimize(picture.cacheKey());
    state.PauseTiming();
    torvane::Grid& grid = p.window.grid();
    if (grid.RowCount() < 2 || grid.CellText(1, 1) != "1") state.SkipWithError("no first rows");
    torvane::StopQueryRows(p.app);
    p.services.ClearRecords();
    state.ResumeTiming();
  }
}

// The memory figures of one query: the raw pass, and the window query on a started window.
struct MemoryFigures {
  Memory raw, window;
  // The same window query run four times in turn, each result replacing the one before: what is
  // kept must be one result's, not four.
  Memory window_four;
  std::size_t raw_size = 0;  // text plus one 8-byte end per cell: what the raw buffer holds
};

MemoryFigures MeasureMemory(const Query& q) {
  MemoryFigures f;
  const std::string path = q.data.path;
  const char* sql = q.sql;
  f.raw = MeasureInChild(
      [&] {
        auto db = std::make_shared<RawConnection>(path);
        sqlite3_exec(db->get(), "SELECT name FROM sqlite_master", nullptr, nullptr, nullptr);
        return std::shared_ptr<void>(db);
      },
      [sql](void* db, long long& exact) {
        auto text =
            std::make_shared<RawText>(RawQuery(static_cast<RawConnection*>(db)->get(), sql));
        exact = static_cast<long long>(text->text.capacity() +
                                       text->ends.capacity() * sizeof(std::uint64_t));
        return std::shared_ptr<void>(text);
      });
  // The child starts the toolkit and the window itself: the parent has not started it yet. The
  // window query runs once, then four times in turn.
  auto start_window = [&] {
    auto child = std::make_shared<ChildProgram>(path);
    PaintWindow(child->program);
    return std::shared_ptr<void>(child);
  };
  auto show_query = [&q](int runs) {
    return [&q, runs](void* context, long long& exact) {
      Program& p = static_cast<ChildProgram*>(context)->program;
      std::shared_ptr<QPixmap> picture;
      for (int run = 0; run < runs; ++run) {
        if (!ShowQuery(p, q)) std::exit(1);
        picture = std::make_shared<QPixmap>(PaintWindow(p));
      }
      exact = static_cast<long long>(p.state.RecordSet.GetAll(true).HeldBytes());
      return std::shared_ptr<void>(picture);
    };
  };
  f.window = MeasureInChild(start_window, show_query(1));
  f.window_four = MeasureInChild(start_window, show_query(4));
  RawConnection db(path);
  const RawText text = RawQuery(db.get(), sql);
  f.raw_size = text.text.size() + text.ends.size() * sizeof(std::uint64_t);
  return f;
}

double Mb(long long bytes) { return static_cast<double>(bytes) / 1e6; }

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args;
  if (int failed = torvane::bench::LocateDatasets(
          argc, argv, args,
          {&queries[0].data, &queries[1].data, &first_rows_queries[0].data,
           &first_rows_queries[1].data, &first_rows_queries[2].data})) {
    return failed;
  }
  torvane::bench::InterleaveRepetitions(args);
  const torvane::bench::WindowRun run;

  // Memory first, from children of a process that has not started the toolkit.
  std::map<std::string, MemoryFigures> memory;
  for (const Query& q : queries) memory[q.data.label] = MeasureMemory(q);

  int count = static_cast<int>(args.size());
  args.push_back(nullptr);
  {
    Runtime runtime(count, args.data());
    for (const Query& q : queries) programs[&q.data] = std::make_unique<Program>(q.data.path);
    for (const Query& q : first_rows_queries) {
      programs[&q.data] = std::make_unique<Program>(q.data.path);
      torvane::bench::RegisterFastest(std::string("console_first_rows"), BM_ConsoleFirstRows,
                                      &q.data);
    }
    for (const Query& q : queries) {
      auto add = [&](const std::string& name, void (*fn)(benchmark::State&, const Dataset*)) {
        torvane::bench::RegisterFastest(name, fn, &q.data);
      };
      add("raw_query", BM_RawQuery);
      add("db_query", BM_DatabaseQuery);
      add("window_query", BM_WindowQuery);
      add("last_row", BM_LastRow);
    }
    MinimumReporter reporter;
    torvane::bench::RunBenchmarks(count, args.data(), reporter);

    // Ratios of wall-clock and of processor time: other work on a shared machine stretches the
    // first but hardly the second. The time target counts as met when either ratio meets it.
    std::printf(
        "\n| Query | Raw pass min (ms) | DB side min (ms) | Window min (ms) | Ratio (wall) | Ratio "
        "(cpu) | Target <= 2x | Raw buffer (MB) | Window peak growth (MB) | Ratio | Target <= "
        "1.5x | Last row + paint min (ms) |\n|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (const Query& q : queries) {
      const std::string s = q.data.label;
      const Times raw = reporter.Minimum("raw_query/" + s);
      const Times db = reporter.Minimum("db_query/" + s);
      const Times window = reporter.Minimum("window_query/" + s);
      const Times last = reporter.Minimum("last_row/" + s);
      if (raw.real <= 0 || window.real <= 0) continue;  // left out by a filter
      const MemoryFigures& m = memory[s];
      const Comparison time = Compare(window, raw);
      const double memory_ratio = torvane::bench::Ratio(static_cast<double>(m.window.peak),
                                                        static_cast<double>(m.raw_size));
      std::string time_target = "-";
      std::string memory_target = "-";
      if (q.data.rows == 1'000'000) {
        time_target = torvane::bench::Met(time.wall, time.cpu, 2.0) ? "met" : "MISSED";
        memory_target = memory_ratio <= 1.5 ? "met" : "MISSED";
      }
      std::printf(
          "| %s | %.1f | %.1f | %.1f | %.3f | %.3f | %s | %.1f | %.1f | %.3f | %s | %.1f |\n",
          q.data.label, raw.real * 1e3, db.real * 1e3, window.real * 1e3, time.wall, time.cpu,
          time_target.c_str(), Mb(static_cast<long long>(m.raw_size)), Mb(m.window.peak),
          memory_ratio, memory_target.c_str(), last.real * 1e3);
    }
    for (const Query& q : queries) {
      const MemoryFigures& m = memory[q.data.label];
      std::printf(
          "\n%s: raw buffer holds %zu bytes (capacity %lld; resident growth peak %lld, kept "
          "%lld);\n  window: result holds %lld bytes; resident growth peak %lld, kept %lld;\n"
          "  window, the query run four times in turn: resident growth peak %lld, kept %lld "
          "(%.2f x one run's)\n",
          q.data.label, m.raw_size, m.raw.exact, m.raw.peak, m.raw.held, m.window.exact,
          m.window.peak, m.window.held, m.window_four.peak, m.window_four.held,
          torvane::bench::Ratio(static_cast<double>(m.window_four.held),
                                static_cast<double>(m.window.held)));
    }
    // The console's first rows at each size, against the same for a thousand rows: flat in the
    // result's size when the difference stays within 50 ms.
    const Times small = reporter.Minimum("console_first_rows/1k");
    if (small.real > 0) {
      std::printf(
          "\n| Console query | First rows painted min (ms) | Over 1k rows (ms) | Target <= 50 ms "
          "|\n|---|---|---|---|\n");
      for (const Query& q : first_rows_queries) {
        const Times t = reporter.Minimum(std::string("console_first_rows/") + q.data.label);
        if (t.real <= 0) continue;
        const double over = (t.real - small.real) * 1e3;
        std::printf("| %s rows | %.1f | %.1f | %s |\n", q.data.label, t.real * 1e3, over,
                    over <= 50 ? "met" : "MISSED");
      }
    }
    torvane::bench::PrintWindowSize(programs.begin()->second->window);
    programs.clear();
  }
  return 0;
}
