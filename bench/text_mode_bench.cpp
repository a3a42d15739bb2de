// What keeping a database's texts in UTF-8 costs, measured in one process and one run:
//
// - the browse of a million-row table whose names and texts are UTF-8 (bench_1m_utf8.sdb, table
//   商品), with the connection in UTF-8 mode against the same browse of the same file with the
//   connection in GBK mode: the whole window browse as browse_window_bench measures it, and its
//   database side;
// - the open of the ten-million-row file (bench_10m.sdb) with the text mode told from the
//   database's own texts against the same open without that: the connection's steps alone, the
//   window's steps, and the program's whole open command with its backup copy; the connection's
//   steps also on the file whose only text beyond ASCII is its last row (bench_100k_last_utf8.sdb);
//   and the time DetectTextMode takes by itself, with the mode it told. Telling the mode is to add
//   at most 50 ms to an open.
//
//   text_mode_bench --data=FOLDER [Google Benchmark flags]
// FOLDER holds the files make_bench_db makes.
//
// In GBK mode the database's bytes pass through as they are, so the table is browsed under the
// name the tree lists in that mode: its UTF-8 bytes. Repetitions of all benchmarks run interleaved
// in random order (unless the flag is given otherwise), so that a slow spell of a shared machine
// does not fall on one side of a comparison only; every figure is the fastest repetition.

#include <malloc.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include <benchmark/benchmark.h>

#include <QPixmap>
#include <QWidget>

#include "app/database_commands.h"
#include "app/open_backup.h"
#include "app/operation_log.h"
#include "app/record_grid.h"
#include "app/schema_tree.h"
#include "app/text_encoding.h"
#include "base/codec.h"
#include "base/files.h"
#include "bench_run.h"
#include "db/db.h"
#include "db/sql_name.h"
#include "db/text_mode.h"
#include "ui/main_window.h"
#include "ui/runtime.h"
#include "window_support.h"

namespace {

using torvane::App;
using torvane::ItemKind;
using torvane::Runtime;
using torvane::TextMode;
using torvane::ZuveviRE;
using torvane::bench::Dataset;
using torvane::bench::MinimumReporter;
using torvane::bench::Times;

constexpr int kRowLimit = 1000;

// The browse: the Chinese table, in each mode. The open: the ten-million-row file, and the file
// whose only text beyond ASCII is its last row; the opens without the backup copy get many
// repetitions, the open command (a 460 MB copy each time) few.
Dataset browse_utf8 = {"utf8", "bench_1m_utf8.sdb", 1'000'000, 15, ""};
Dataset browse_gbk = {"gbk", "bench_1m_utf8.sdb", 1'000'000, 15, ""};
Dataset open_narrow = {"10M", "bench_10m.sdb", 10'000'000, 60, ""};
Dataset open_last_row = {"100k_last_utf8", "bench_100k_last_utf8.sdb", 100'000, 60, ""};
Dataset open_window = {"10M", "bench_10m.sdb", 10'000'000, 30, ""};
Dataset open_backup = {"10M", "bench_10m.sdb", 10'000'000, 9, ""};
Dataset detect_10m = {"10M", "bench_10m.sdb", 10'000'000, 60, ""};
Dataset detect_utf8 = {"1M_utf8", "bench_1m_utf8.sdb", 1'000'000, 60, ""};
Dataset detect_last_row = {"100k_last_utf8", "bench_100k_last_utf8.sdb", 100'000, 60, ""};

// A text of the Chinese table as the program holds it in `mode`: internal text in UTF-8 mode, the
// file's own UTF-8 bytes in GBK mode.
std::string InMode(const char* internal, TextMode mode) {
  return mode == TextMode::kUtf8 ? std::string(internal) : torvane::ToUtf8(internal);
}

// The running program on the Chinese table's file in one text mode (StartedWindow, then the mode
// set as the open command sets it and the tree read again in it), and a connection of the
// database layer's own to the same file in the same mode for the database side.
struct Program : torvane::bench::StartedWindow {
  TextMode mode;
  std::string table;
  ZuveviRE database_side;

  Program(const std::string& path, TextMode m)
      : StartedWindow(path), mode(m), table(InMode("商品", m)) {
    if (!open) return;
    if (mode == TextMode::kUtf8) {
      // As the open command does it; the file must be told UTF-8 for the figure to mean anything.
      torvane::ApplyDetectedTextMode(app);
      open = state.Connection.GetTextMode() == TextMode::kUtf8;
    } else {
      state.Connection.SetTextMode(TextMode::kGbk);
      torvane::ShowTextMode(app);
    }
    torvane::RefreshNameLists(app);
    torvane::RefreshSchemaTree(app);
    Runtime::ProcessEvents();
    const auto& names = state.TableNames;
    open = open && std::find(names.begin(), names.end(), table) != names.end() &&
           database_side.Open(path, false);
    database_side.SetTextMode(mode);
  }
};

std::unique_ptr<Program> utf8_program;
std::unique_ptr<Program> gbk_program;

Program& ProgramFor(const Dataset* data) {
  return data == &browse_utf8 ? *utf8_program : *gbk_program;
}

// The database side of the window's browse: the calls BrowseObject makes on the connection (the
// stored definition, the cursor, the first 1000 rows in row-id order through Requery and GetAll).
// With `every_cell`, every cell of those rows is then read as internal text, as a grid showing
// all of them at once would. Returns a count that depends on all of it.
std::size_t DatabaseSide(ZuveviRE& db, const std::string& table, bool every_cell) {
  const std::string sql = db.GetTableSql(table);
  torvane::SqliteTable cursor;
  if (sql.empty() || !cursor.Open(table, db)) return 0;
  torvane::SqliteDataset rows = db.Query("select * from " + torvane::QuoteSqlName(table) +
                                         " order by _ROWID_ limit " + std::to_string(kRowLimit));
  if (!rows.Requery()) return 0;
  const torvane::TextTable cells = rows.GetAll(true);
  std::size_t bytes = 0;
  if (every_cell) {
    std::string scratch;
    for (int r = 0; r < cells.rows(); ++r) {
      for (int c = 0; c < cells.columns(); ++c) bytes += cells.View(r, c, scratch).size();
    }
  }
  benchmark::DoNotOptimize(bytes);
  return static_cast<std::size_t>(cursor.GetRecordCount()) + static_cast<std::size_t>(cells.rows());
}

void DatabaseBrowse(benchmark::State& state, const Dataset* data, bool every_cell) {
  Program& p = ProgramFor(data);
  if (!p.open) {
    state.SkipWithError("cannot open the database");
    return;
  }
  for (auto _ : state) {
    const std::size_t n = DatabaseSide(p.database_side, p.table, every_cell);
    if (n != static_cast<std::size_t>(data->rows) + kRowLimit + 1) {
      state.SkipWithError("browse failed");
    }
  }
}

void BM_DatabaseBrowse(benchmark::State& state, const Dataset* data) {
  DatabaseBrowse(state, data, false);
}

void BM_DatabaseBrowseEveryCell(benchmark::State& state, const Dataset* data) {
  DatabaseBrowse(state, data, true);
}

// Why the window's state after a browse is not the expected one; "" when it is. The header and
// the first row's name show which mode the cells were read in.
std::string CheckBrowse(Program& p, const Dataset& data) {
  torvane::MainWindow& w = p.window;
  torvane::Grid& grid = w.grid();
  if (grid.RowCount() != kRowLimit + 1 || grid.ColumnCount() != 6) return "grid has wrong shape";
  if (grid.CellText(0, 0) != "序号" || grid.CellText(0, 1) != InMode("编号", p.mode) ||
      grid.CellText(0, 5) != InMode("备注", p.mode)) {
    return "wrong header row";
  }
  if (grid.CellText(1, 2) != InMode("香蕉1", p.mode)) return "wrong first row";
  if (grid.CellText(kRowLimit, 0) != "1000" || grid.CellText(kRowLimit, 1) != "1000") {
    return "wrong last row";
  }
  const std::string count = "共" + std::to_string(data.rows) + "条记录";
  if (w.info_box().Content().compare(0, count.size(), count) != 0) return "wrong summary line";
  if (!w.field_panel().IsVisible()) return "field panel hidden";
  return "";
}

// One window browse per iteration, as browse_window_bench's; `paint_window` also renders the
// whole window afterwards.
void WindowBrowse(benchmark::State& state, const Dataset* data, bool paint_window) {
  Program& p = ProgramFor(data);
  if (!p.open) {
    state.SkipWithError("cannot open the database");
    return;
  }
  QWidget* window = p.window.window().widget();
  for (auto _ : state) {
    torvane::BrowseObject(p.app, p.table, ItemKind::kTable);
    Runtime::ProcessEvents();
    if (paint_window) {
      const QPixmap picture = window->grab();
      benchmark::DoNotOptimize(picture.cacheKey());
    }
    state.PauseTiming();
    const std::string fault = CheckBrowse(p, *data);
    if (!fault.empty()) state.SkipWithError(fault.c_str());
    torvane::ClearLogCommand(p.app);
    Runtime::ProcessEvents();
    state.ResumeTiming();
  }
}

void BM_WindowBrowse(benchmark::State& state, const Dataset* data) {
  WindowBrowse(state, data, false);
}

void BM_WindowBrowsePainted(benchmark::State& state, const Dataset* data) {
  WindowBrowse(state, data, true);
}

// --- The open -------------------------------------------------------------------------------

// What the open does on the connection: the file opened, the catalog read once (the open command's
// check that the file is a database), the text mode told and set when `detect`, and the four name
// lists the tree is made from. Returns the number of names listed, 0 when anything failed.
std::size_t NarrowOpen(ZuveviRE& db, const std::string& path, bool detect) {
  if (!db.Open(path, false)) return 0;
  {
    torvane::SqliteDataset catalog = db.Query("SELECT count(*) FROM sqlite_master");
    if (!catalog.Requery()) return 0;
  }
  db.SetTextMode(detect ? torvane::DetectTextMode(db) : TextMode::kGbk);
  const std::vector<std::string> tables = db.GetTableNames(true, false, false);
  const std::vector<std::string> views = db.GetTableNames(false, true, false);
  const std::vector<std::string> temp_tables = db.GetTableNames(true, false, true);
  const std::vector<std::string> temp_views = db.GetTableNames(false, true, true);
  return tables.size() + views.size() + temp_tables.size() + temp_views.size();
}

// Counter "utf8": 1 when the repetition's connection was told UTF-8, so its "min" is 1 only when
// every repetition was.
void NarrowOpenBench(benchmark::State& state, const Dataset* data, bool detect) {
  for (auto _ : state) {
    // Closed outside the timed region, after the single iteration.
    ZuveviRE db;
    if (NarrowOpen(db, data->path, detect) != 2) state.SkipWithError("open failed");
    state.PauseTiming();
    state.counters["utf8"] = db.GetTextMode() == TextMode::kUtf8 ? 1 : 0;
    db.Close();
    state.ResumeTiming();
  }
}

void BM_NarrowOpenDetect(benchmark::State& state, const Dataset* data) {
  NarrowOpenBench(state, data, true);
}

void BM_NarrowOpen(benchmark::State& state, const Dataset* data) {
  NarrowOpenBench(state, data, false);
}

// DetectTextMode alone on a connection already open (and its page cache warm after the first),
// with the counter "utf8" as NarrowOpenBench has it. The ten-million-row file is ASCII and the
// Chinese one UTF-8 throughout: a wrong mode there is a fault.
void BM_Detect(benchmark::State& state, const Dataset* data) {
  ZuveviRE db;
  if (!db.Open(data->path, false)) {
    state.SkipWithError("cannot open the database");
    return;
  }
  for (auto _ : state) {
    const TextMode told = torvane::DetectTextMode(db);
    if ((data == &detect_10m && told != TextMode::kGbk) ||
        (data == &detect_utf8 && told != TextMode::kUtf8)) {
      state.SkipWithError("wrong mode told");
    }
    state.counters["utf8"] = told == TextMode::kUtf8 ? 1 : 0;
  }
}

// The program's open command, step for step as OpenDatabase takes them, for the figures without
// the text mode told (it stays GBK, and the menu shows it) and without the backup copy (with it,
// the copy is made first, where the command writes it on a worker thread meanwhile). Kept in
// step with OpenDatabase by hand; the figure with both is OpenDatabase itself, waited for until
// its backup is whole.
void OpenSteps(App& app, const std::string& path, bool backup, bool detect) {
  if (backup) torvane::BackupDatabase(app, path, torvane::BackupPurpose::kOpen);
  app.state.Cursor.Close();
  app.state.RecordSet.Close();
  bool opened = app.state.Connection.Open(path, false);
  if (opened) {
    torvane::SqliteDataset catalog =
        app.state.Connection.Query("SELECT count(*) FROM sqlite_master");
    if (!catalog.Requery()) {
      catalog.Close();
      app.state.Connection.Close();
      opened = false;
    }
  }
  if (!opened) return;
  app.state.DatabasePath = path;
  app.window.window().SetTitle(app.state.TitleText + " - " + path);
  if (detect) {
    torvane::ApplyDetectedTextMode(app);
  } else {
    torvane::ShowTextMode(app);
  }
  torvane::AppendLog(app, "打开数据库：" + path + "（文本编码：" +
                              torvane::TextModeName(app.state.Connection.GetTextMode()) + "）");
  torvane::RefreshNameLists(app);
  torvane::RefreshSchemaTree(app);
  torvane::SetDatabaseCommandsEnabled(app, true);
}

// The main window the open figures open the file in, the backup folder's entries before the
// run (only the copies this run makes are removed), and whether the run made the folder.
std::unique_ptr<torvane::bench::StartedWindow> open_program;
std::string backup_folder;  // file-system path
std::set<std::string> backups_before;
bool backup_folder_made = false;

// Removes the backup copies this run made.
void RemoveNewBackups() {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(backup_folder, error)) {
    if (backups_before.count(entry.path().filename().string()) == 0) {
      std::filesystem::remove(entry.path(), error);
    }
  }
}

enum class OpenKind { kCommand, kStepsNoDetection, kStepsDetect, kStepsNoBackupNoDetection };

// One open of the file on the started window per iteration, the pending events handled after it
// (the tree and the menus shown). Before it, untimed, the open file is closed as the close command
// closes it; after it, untimed, the log is cleared and the backup copy removed.
void WindowOpen(benchmark::State& state, const Dataset* data, OpenKind kind) {
  torvane::bench::StartedWindow& p = *open_program;
  if (!p.open) {
    state.SkipWithError("cannot open the database");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    torvane::CloseDatabase(p.app);
    torvane::ClearLogCommand(p.app);
    Runtime::ProcessEvents();
    state.ResumeTiming();
    switch (kind) {
      case OpenKind::kCommand:
        // The backup is written on a worker thread while the window shows the file: waited for
        // here, so that the figure holds the whole copy as the steps' does.
        torvane::OpenDatabase(p.app, data->path, false);
        (void)torvane::WaitForOpenBackup(p.app);
        break;
      case OpenKind::kStepsNoDetection:
        OpenSteps(p.app, data->path, true, false);
        break;
      case OpenKind::kStepsDetect:
        OpenSteps(p.app, data->path, false, true);
        break;
      case OpenKind::kStepsNoBackupNoDetection:
        OpenSteps(p.app, data->path, false, false);
        break;
    }
    Runtime::ProcessEvents();
    state.PauseTiming();
    if (!p.state.Connection.IsOpen() || p.state.TableNames.size() != 2 ||
        p.state.Connection.GetTextMode() != TextMode::kGbk) {
      state.SkipWithError("open failed");
    }
    RemoveNewBackups();
    state.ResumeTiming();
  }
}

void BM_OpenCommand(benchmark::State& state, const Dataset* data) {
  WindowOpen(state, data, OpenKind::kCommand);
}
void BM_OpenCommandNoDetection(benchmark::State& state, const Dataset* data) {
  WindowOpen(state, data, OpenKind::kStepsNoDetection);
}
void BM_WindowOpenDetect(benchmark::State& state, const Dataset* data) {
  WindowOpen(state, data, OpenKind::kStepsDetect);
}
void BM_WindowOpen(benchmark::State& state, const Dataset* data) {
  WindowOpen(state, data, OpenKind::kStepsNoBackupNoDetection);
}

// "met" or "not met": within `limit` by the wall-clock or the processor-time figure.
const char* Verdict(double wall, double cpu, double limit) {
  return torvane::bench::Met(wall, cpu, limit) ? "met" : "not met";
}

// The target judged on the ratio of the two figures, or on the milliseconds added.
enum class Judged { kRatio, kAddedMs };

void PrintRatio(const MinimumReporter& reporter, const char* label, const std::string& with,
                const std::string& without, const char* target, double limit,
                Judged judged = Judged::kRatio) {
  const Times a = reporter.Minimum(with);
  const Times b = reporter.Minimum(without);
  if (a.real <= 0 || b.real <= 0) return;
  const torvane::bench::Comparison c = torvane::bench::Compare(a, b);
  const char* verdict = limit <= 0 ? ""
                        : judged == Judged::kAddedMs
                            ? Verdict(c.added_wall_ms, c.added_cpu_ms, limit)
                            : Verdict(c.wall, c.cpu, limit);
  std::printf("| %s | %.3f | %.3f | %.3f | %.3f | %.3f | %s%s |\n", label, a.real * 1e3,
              b.real * 1e3, c.added_wall_ms, c.wall, c.cpu, target, verdict);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args;
  if (int failed = torvane::bench::LocateDatasets(
          argc, argv, args,
          {&browse_utf8, &browse_gbk, &open_narrow, &open_last_row, &open_window, &open_backup,
           &detect_10m, &detect_utf8, &detect_last_row})) {
    return failed;
  }
  torvane::bench::InterleaveRepetitions(args);
  const torvane::bench::WindowRun run;
  // Freed heap stays with the process, as in browse_window_bench.
  ::mallopt(M_TRIM_THRESHOLD, 1 << 30);
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);

  {
    Runtime runtime(count, args.data());
    utf8_program = std::make_unique<Program>(browse_utf8.path, TextMode::kUtf8);
    gbk_program = std::make_unique<Program>(browse_gbk.path, TextMode::kGbk);
    open_program = std::make_unique<torvane::bench::StartedWindow>(open_backup.path);
    backup_folder = torvane::SystemPath(torvane::BackupDirectory());
    backup_folder_made = !std::filesystem::exists(backup_folder);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(backup_folder, error)) {
      backups_before.insert(entry.path().filename().string());
    }

    using torvane::bench::RegisterFastest;
    for (const Dataset* d : {&browse_utf8, &browse_gbk}) {
      RegisterFastest("db_browse", BM_DatabaseBrowse, d);
      RegisterFastest("db_browse_every_cell", BM_DatabaseBrowseEveryCell, d);
      RegisterFastest("window_browse", BM_WindowBrowse, d);
      RegisterFastest("window_browse_painted", BM_WindowBrowsePainted, d);
    }
    RegisterFastest("detect", BM_Detect, &detect_10m);
    RegisterFastest("detect", BM_Detect, &detect_utf8);
    RegisterFastest("detect", BM_Detect, &detect_last_row);
    for (const Dataset* d : {&open_narrow, &open_last_row}) {
      RegisterFastest("narrow_open_detect", BM_NarrowOpenDetect, d);
      RegisterFastest("narrow_open", BM_NarrowOpen, d);
    }
    RegisterFastest("window_open_detect", BM_WindowOpenDetect, &open_window);
    RegisterFastest("window_open", BM_WindowOpen, &open_window);
    RegisterFastest("open_command", BM_OpenCommand, &open_backup);
    RegisterFastest("open_command_no_detection", BM_OpenCommandNoDetection, &open_backup);
    MinimumReporter reporter;
    torvane::bench::RunBenchmarks(count, args.data(), reporter);

    std::printf(
        "\n| Figure | UTF-8 mode / with detection, min (ms) | GBK mode / without, min (ms) | "
        "Added (ms) | Ratio (wall) | Ratio (cpu) | Target |\n|---|---|---|---|---|---|---|\n");
    PrintRatio(reporter, "browse 1M, UTF-8 vs GBK mode: window + paint",
               "window_browse_painted/utf8", "window_browse_painted/gbk", "<= 1.10x: ", 1.10);
    PrintRatio(reporter, "browse 1M, UTF-8 vs GBK mode: window", "window_browse/utf8",
               "window_browse/gbk", "-", 0);
    PrintRatio(reporter, "browse 1M, UTF-8 vs GBK mode: database side", "db_browse/utf8",
               "db_browse/gbk", "-", 0);
    PrintRatio(reporter, "browse 1M, UTF-8 vs GBK mode: database side, every cell read",
               "db_browse_every_cell/utf8", "db_browse_every_cell/gbk", "-", 0);
    PrintRatio(reporter, "open 10M, with vs without detection: connection",
               "narrow_open_detect/10M", "narrow_open/10M", "<= 50 ms added: ", 50,
               Judged::kAddedMs);
    PrintRatio(reporter, "open 10M, with vs without detection: window, no backup",
               "window_open_detect/10M", "window_open/10M", "<= 50 ms added: ", 50,
               Judged::kAddedMs);
    PrintRatio(reporter, "open 10M, with vs without detection: open command with backup",
               "open_command/10M", "open_command_no_detection/10M", "<= 50 ms added: ", 50,
               Judged::kAddedMs);
    PrintRatio(reporter, "open 100k, UTF-8 last row only, with vs without detection: connection",
               "narrow_open_detect/100k_last_utf8", "narrow_open/100k_last_utf8",
               "<= 50 ms added: ", 50, Judged::kAddedMs);
    Times last_row_open = reporter.Minimum("narrow_open_detect/100k_last_utf8");
    if (last_row_open.real > 0) {
      std::printf("\nOpen of the 100k file with its last row UTF-8: told UTF-8 %s.",
                  last_row_open.counters["utf8"] > 0 ? "every time" : "NOT every time");
    }
    for (const char* label : {"10M", "1M_utf8", "100k_last_utf8"}) {
      Times t = reporter.Minimum(std::string("detect/") + label);
      if (t.real > 0) {
        std::printf("\nDetectTextMode alone, %s: %.3f ms (cpu %.3f ms), told %s", label,
                    t.real * 1e3, t.cpu * 1e3,
                    t.counters["utf8"] > 0 ? "UTF-8 every time" : "GBK at least once");
      }
    }
    std::printf("\n");
    utf8_program.reset();
    gbk_program.reset();
    open_program.reset();
    RemoveNewBackups();
    if (backup_folder_made) std::filesystem::remove(backup_folder, error);
  }
  return 0;
}
