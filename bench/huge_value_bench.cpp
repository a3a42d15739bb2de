// A table whose rows hold BLOBs of 200 MB against the same table with BLOBs of 1 KB, inside the
// real main window on the offscreen platform, in one process: the browse until its rows are visible
// and the window painted, and the field panel's load of one such value (a picture, a value that is
// no picture, and the same value on the text page), each against the raw engine's whole read of the
// value. Memory is the growth of the resident set during the browse and during the panel's load of
// the picture, measured in forked children as db_bench measures it.
//
//   huge_value_bench --data=FOLDER [Google Benchmark flags]
// The files are made in FOLDER when they are not there yet (about 1.2 GB in all).
//
// Each file has table t(id INTEGER PRIMARY KEY, name TEXT, data BLOB) with three rows: a BMP
// picture of 8192 x 8192 pixels (201 MB; of 18 x 18 pixels, 1062 bytes, in the small file), a value
// that is no picture (200 MB; 1 KB), and a short text. The third file has a text column after the
// BLOB: the engine reads a row's later columns only by walking the BLOB's chain of overflow pages,
// so its browse shows what that walk costs.
//
// A window browse is BrowseObject on a started main window (row limit 1000), the pending events
// handled and the window rendered into a picture. A panel load is the grid's current cell moved to
// the value's cell with the panel's page chosen (the program's event: the panel reads the value),
// then the pending events handled; a picture, which the panel reads and decodes on a worker
// thread, is timed twice: until the panel answers, and until the picture is shown. Before each
// repetition, untimed, a short text cell is made current. Repetitions of all benchmarks run
// interleaved in random order.

#include <malloc.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

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

using torvane::ItemKind;
using torvane::Runtime;
using torvane::bench::Compare;
using torvane::bench::Comparison;
using torvane::bench::Dataset;
using torvane::bench::MeasureInChild;
using torvane::bench::Memory;
using torvane::bench::MinimumReporter;
using torvane::bench::RawConnection;
using torvane::bench::StartedWindow;
using torvane::bench::Times;

// The picture's side in pixels and the size of the value that is no picture, per file.
struct Values {
  int side;
  std::int64_t other;
  bool column_after;  // a text column after the BLOB
};

// Dataset::rows holds the size of the value that is no picture.
Dataset datasets[] = {
    {"1KB", "huge_1kb.sdb", 1024, 20, ""},
    {"200MB", "huge_200mb.sdb", 200 << 20, 5, ""},
    {"200MB_after", "huge_200mb_after.sdb", 200 << 20, 5, ""},
};

Values ValuesOf(const Dataset& d) {
  return {d.rows > 1024 ? 8192 : 18, d.rows, std::strcmp(d.label, "200MB_after") == 0};
}

// The 54 bytes of an uncompressed 24-bit BMP file's headers for a picture of side x side pixels.
std::vector<unsigned char> BmpHeader(int side) {
  const std::uint32_t row = static_cast<std::uint32_t>((side * 3 + 3) / 4 * 4);
  const std::uint32_t pixels = row * static_cast<std::uint32_t>(side);
  std::vector<unsigned char> b(54, 0);
  auto put32 = [&b](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, 54 + pixels);
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(side));
  put32(22, static_cast<std::uint32_t>(side));
  b[26] = 1;
  b[28] = 24;
  put32(34, pixels);
  return b;
}

// The size of the picture value of `d`.
std::int64_t PictureSize(const Dataset& d) {
  const int side = ValuesOf(d).side;
  return 54 + static_cast<std::int64_t>((side * 3 + 3) / 4 * 4) * side;
}

// Makes the file of `d` when it is not there. False when it cannot be made.
bool MakeFile(const Dataset& d) {
  if (std::filesystem::exists(d.path)) return true;
  const Values v = ValuesOf(d);
  sqlite3* db = nullptr;
  const std::string partial = d.path + ".partial";
  std::filesystem::remove(partial);
  if (sqlite3_open(partial.c_str(), &db) != SQLITE_OK) return false;
  std::string hex;
  for (unsigned char byte : BmpHeader(v.side)) {
    static const char kDigits[] = "0123456789ABCDEF";
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  const std::string after = v.column_after ? ", note TEXT" : "";
  const std::string note = v.column_after ? ", 'after'" : "";
  const std::string sql = "BEGIN; CREATE TABLE t(id INTEGER PRIMARY KEY, name TEXT, data BLOB" +
                          after + "); INSERT INTO t VALUES (1, 'picture', CAST(x'" + hex +
                          "' || zeroblob(" + std::to_string(PictureSize(d) - 54) + ") AS BLOB)" +
                          note + "), (2, 'other', CAST(x'504B0304' || zeroblob(" +
                          std::to_string(v.other - 4) + ") AS BLOB)" + note +
                          "), (3, 'text', 'a short text'" + note + "); COMMIT;";
  const bool made = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(db);
  if (!made) return false;
  std::filesystem::rename(partial, d.path);
  return true;
}

constexpr int kDataColumn = 3;  // the BLOB's grid column: after the row numbers, id and name
constexpr int kTextRow = 3;

// The program with t chosen in the schema tree, as the user chooses it: the field panel reads
// only for a table chosen there.
struct Program : StartedWindow {
  RawConnection raw;
  explicit Program(const std::string& path) : StartedWindow(path), raw(path) {
    torvane::TreeView& tree = window.tree();
    for (int i = 0; i < tree.ItemCount(); ++i) {
      if (tree.ItemText(i) == "t") tree.SetSelectedIndex(i);
    }
    Runtime::ProcessEvents();
    torvane::ClearLogCommand(app);
  }
};

std::map<const Dataset*, std::unique_ptr<Program>> programs;

// Browses t and handles the events; the log line every browse writes is cleared.
void Browse(Program& p) {
  torvane::BrowseObject(p.app, "t", ItemKind::kTable);
  Runtime::ProcessEvents();
}

// Why the window does not show t; "" when it does.
std::string CheckBrowse(Program& p, const Dataset& d) {
  torvane::Grid& grid = p.window.grid();
  const int columns = ValuesOf(d).column_after ? 5 : 4;
  if (grid.RowCount() != 4 || grid.ColumnCount() != columns) return "grid has wrong shape";
  if (grid.CellText(1, 2) != "picture" || grid.CellText(3, 3) != "a short text") {
    return "wrong cells";
  }
  const std::optional<torvane::BytesCell> picture =
      p.state.RecordSet.GetAll(true).Bytes(1, kDataColumn - 1, 2);
  if (!picture || picture->size != static_cast<std::uint64_t>(PictureSize(d)) ||
      picture->start != "BM") {
    return "the picture is not described";
  }
  return "";
}

// The raw engine's whole read of the picture value: what any preview of it has to read.
void BM_RawWholeRead(benchmark::State& state, const Dataset* data) {
  Program& p = *programs.at(data);
  for (auto _ : state) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(p.raw.get(), "SELECT data FROM t WHERE id = 1", -1, &statement, nullptr);
    std::int64_t size = 0;
    if (sqlite3_step(statement) == SQLITE_ROW) {
      benchmark::DoNotOptimize(sqlite3_column_blob(statement, 0));
      size = sqlite3_column_bytes(statement, 0);
    }
    sqlite3_finalize(statement);
    if (size != PictureSize(*data)) state.SkipWithError("raw read failed");
  }
}

// The raw engine's read of every row whole, as a browse read them before it left long BLOBs out.
void BM_RawSelectAll(benchmark::State& state, const Dataset* data) {
  Program& p = *programs.at(data);
  for (auto _ : state) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(p.raw.get(), "SELECT * FROM t ORDER BY rowid LIMIT 1000", -1, &statement,
                       nullptr);
    std::int64_t bytes = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
      for (int c = 0; c < sqlite3_column_count(statement); ++c) {
        benchmark::DoNotOptimize(sqlite3_column_blob(statement, c));
        bytes += sqlite3_column_bytes(statement, c);
      }
    }
    sqlite3_finalize(statement);
    if (bytes < PictureSize(*data)) state.SkipWithError("raw read failed");
  }
}

void BM_WindowBrowse(benchmark::State& state, const Dataset* data) {
  Program& p = *programs.at(data);
  if (!p.open) {
    state.SkipWithError("cannot open the database");
    return;
  }
  QWidget* window = p.window.window().widget();
  for (auto _ : state) {
    Browse(p);
    const QPixmap picture = window->grab();
    benchmark::DoNotOptimize(picture.cacheKey());
    state.PauseTiming();
    const std::string fault = CheckBrowse(p, *data);
    state.counters["rows_held_kb"] =
        static_cast<double>(p.state.RecordSet.GetAll(true).HeldBytes()) / 1024.0;
    torvane::ClearLogCommand(p.app);
    Runtime::ProcessEvents();
    state.ResumeTiming();
    if (!fault.empty()) {
      state.SkipWithError(fault.c_str());
      break;
    }
  }
}

// The panel's load of the value in grid row `row` on page `page` (0 text, 3 bytes).
// Handles events until a picture the panel reads on a worker thread is shown.
void WaitForPanelPicture(Program& p) {
  while (p.state.PendingPanelRead) {
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    Runtime::ProcessEvents();
  }
}

// With `until_shown`, the load ends when a picture read aside is on screen; otherwise when the
// panel answers (the picture is then waited for untimed).
void PanelLoad(benchmark::State& state, const Dataset* data, int row, int page,
               bool until_shown = true) {
  Program& p = *programs.at(data);
  if (!p.open) {
    state.SkipWithError("cannot open the database");
    return;
  }
  torvane::Grid& grid = p.window.grid();
  for (auto _ : state) {
    state.PauseTiming();
    if (!CheckBrowse(p, *data).empty()) Browse(p);
    p.window.field_tabs().SetCurrentPage(page);
    grid.SetCurrentCell(kTextRow, kDataColumn);
    Runtime::ProcessEvents();
    ::malloc_trim(0);
    state.ResumeTiming();
    grid.SetCurrentCell(row, kDataColumn);
    Runtime::ProcessEvents();
    if (until_shown) WaitForPanelPicture(p);
    state.PauseTiming();
    WaitForPanelPicture(p);
    const bool picture = row == 1 && page == 3;
    const char* fault = p.window.picture_box().ShowsImage() != picture ? "wrong preview"
                        : !p.services.message_boxes().empty()          ? "a message was shown"
                                                                       : nullptr;
    state.ResumeTiming();
    if (fault != nullptr) {
      state.SkipWithError(fault);
      break;
    }
  }
}

void BM_PanelPicture(benchmark::State& state, const Dataset* data) { PanelLoad(state, data, 1, 3); }
void BM_PanelPictureAnswers(benchmark::State& state, const Dataset* data) {
  PanelLoad(state, data, 1, 3, false);
}
void BM_PanelOther(benchmark::State& state, const Dataset* data) { PanelLoad(state, data, 2, 3); }
void BM_PanelText(benchmark::State& state, const Dataset* data) { PanelLoad(state, data, 2, 0); }

// The toolkit and a started program, made inside a forked child.
struct ChildProgram {
  int argc = 1;
  char name[17] = "huge_value_bench";
  char* argv[2] = {name, nullptr};
  Runtime runtime{argc, argv};
  Program program;
  explicit ChildProgram(const std::string& path) : program(path) {}
};

struct MemoryFigures {
  Memory browse;   // the browse, the window painted
  Memory picture;  // the panel's load of the picture, on the bytes page
  Memory other;    // the panel's load of the value that is no picture, on the bytes page
};

MemoryFigures MeasureMemory(const Dataset& d) {
  MemoryFigures f;
  const std::string path = d.path;
  auto start = [&path](bool browsed) {
    return [&path, browsed] {
      auto child = std::make_shared<ChildProgram>(path);
      Program& p = child->program;
      p.window.window().widget()->grab();
      if (browsed) {
        Browse(p);
        p.window.field_tabs().SetCurrentPage(3);
        p.window.grid().SetCurrentCell(kTextRow, kDataColumn);
        Runtime::ProcessEvents();
      }
      return std::shared_ptr<void>(child);
    };
  };
  f.browse = MeasureInChild(start(false), [](void* context, long long& exact) {
    Program& p = static_cast<ChildProgram*>(context)->program;
    Browse(p);
    auto picture = std::make_shared<QPixmap>(p.window.window().widget()->grab());
    exact = static_cast<long long>(p.state.RecordSet.GetAll(true).HeldBytes());
    return std::shared_ptr<void>(picture);
  });
  auto load = [](int row) {
    return [row](void* context, long long& exact) {
      Program& p = static_cast<ChildProgram*>(context)->program;
      p.window.grid().SetCurrentCell(row, kDataColumn);
      Runtime::ProcessEvents();
      exact = static_cast<long long>(p.window.picture_box().Picture().size());
      return std::shared_ptr<void>();
    };
  };
  f.picture = MeasureInChild(start(true), load(1));
  f.other = MeasureInChild(start(true), load(2));
  return f;
}

double Mb(long long bytes) { return static_cast<double>(bytes) / (1 << 20); }

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args;
  std::string folder;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--data=", 7) == 0) folder = argv[i] + 7;
  }
  if (!folder.empty()) {
    std::filesystem::create_directories(folder);
    for (Dataset& d : datasets) {
      d.path = folder + "/" + d.file;
      if (!MakeFile(d)) {
        std::fprintf(stderr, "cannot make %s\n", d.path.c_str());
        return 1;
      }
    }
  }
  if (int failed = torvane::bench::LocateDatasets(argc, argv, args,
                                                  {&datasets[0], &datasets[1], &datasets[2]})) {
    return failed;
  }
  torvane::bench::InterleaveRepetitions(args);
  const torvane::bench::WindowRun run;
  ::mallopt(M_TRIM_THRESHOLD, 1 << 30);

  // Memory first, from children of a process that has not started the toolkit.
  std::map<std::string, MemoryFigures> memory;
  for (const Dataset& d : datasets) memory[d.label] = MeasureMemory(d);

  int count = static_cast<int>(args.size());
  args.push_back(nullptr);
  {
    Runtime runtime(count, args.data());
    for (const Dataset& d : datasets) programs[&d] = std::make_unique<Program>(d.path);
    for (const Dataset& d : datasets) {
      auto add = [&](const std::string& name, void (*fn)(benchmark::State&, const Dataset*)) {
        torvane::bench::RegisterFastest(name, fn, &d);
      };
      add("raw_whole_read", BM_RawWholeRead);
      add("raw_select_all", BM_RawSelectAll);
      add("window_browse", BM_WindowBrowse);
      if (!ValuesOf(d).column_after) {
        add("panel_picture", BM_PanelPicture);
        add("panel_picture_answers", BM_PanelPictureAnswers);
        add("panel_other", BM_PanelOther);
        add("panel_text", BM_PanelText);
      }
    }
    MinimumReporter reporter;
    torvane::bench::RunBenchmarks(count, args.data(), reporter);

    auto ms = [&reporter](const std::string& name) { return reporter.Minimum(name).real * 1e3; };
    std::printf(
        "\n| File | Raw whole read of the picture (ms) | Raw read of every row whole (ms) | "
        "Browse, rows visible and window painted (ms) | Rows held (KB) | Panel: picture, answers "
        "(ms) | Panel: picture, shown (ms) | Panel: no picture (ms) | Panel: text page (ms) "
        "|\n|---|---|---|---|---|---|---|---|---|\n");
    for (const Dataset& d : datasets) {
      const std::string s = d.label;
      const Times browse = reporter.Minimum("window_browse/" + s);
      if (browse.real <= 0) continue;  // left out by a filter
      std::printf("| %s | %.2f | %.2f | %.1f | %.1f | %.2f | %.2f | %.2f | %.2f |\n", d.label,
                  ms("raw_whole_read/" + s), ms("raw_select_all/" + s), browse.real * 1e3,
                  browse.counters.count("rows_held_kb") ? browse.counters.at("rows_held_kb") : 0,
                  ms("panel_picture_answers/" + s), ms("panel_picture/" + s),
                  ms("panel_other/" + s), ms("panel_text/" + s));
    }
    // The 200 MB file against the 1 KB one, in this run.
    std::printf(
        "\n| Measure | 200 MB over 1 KB (wall) | (cpu) | 200 MB over its raw whole read |"
        "\n|---|---|---|---|\n");
    for (const char* name :
         {"window_browse", "panel_picture", "panel_other", "panel_text", "raw_whole_read"}) {
      const Times big = reporter.Minimum(std::string(name) + "/200MB");
      const Times small = reporter.Minimum(std::string(name) + "/1KB");
      const Times raw = reporter.Minimum("raw_whole_read/200MB");
      if (big.real <= 0 || small.real <= 0) continue;
      const Comparison c = Compare(big, small);
      std::printf("| %s | %.2f | %.2f | %.2f |\n", name, c.wall, c.cpu,
                  torvane::bench::Ratio(big.real, raw.real));
    }
    std::printf(
        "\n| File | Browse: peak growth (MB) | kept (MB) | rows hold (KB) | Panel picture: "
        "peak growth (MB) | kept (MB) | value (MB) | Panel no picture: peak growth (MB) "
        "| kept (MB) |\n|---|---|---|---|---|---|---|---|---|\n");
    for (const Dataset& d : datasets) {
      const MemoryFigures& m = memory[d.label];
      std::printf("| %s | %.1f | %.1f | %.1f | %.1f | %.1f | %.1f | %.1f | %.1f |\n", d.label,
                  Mb(m.browse.peak), Mb(m.browse.held), static_cast<double>(m.browse.exact) / 1024,
                  Mb(m.picture.peak), Mb(m.picture.held), Mb(m.picture.exact), Mb(m.other.peak),
                  Mb(m.other.held));
    }
    torvane::bench::PrintWindowSize(programs.begin()->second->window);
    programs.clear();
  }
  return 0;
}
