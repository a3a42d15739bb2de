// What the open of a database costs the user, measured in one process and one run:
//
// - the backup copy of a 1 GiB database (bench_1g.sdb): BackupDatabaseFile, which takes the file's
//   read lock, copies it by the kernel's copy_file_range in 64 MiB pieces (or clones its blocks
//   where the file system shares them), flushes the copy to the disk and only then names it;
//   against the system's `cp` of the same file into the same folder, which leaves the copy in the
//   page cache, and against `cp` followed by an fsync of the copy, the same work as the backup's.
//   The backup is to take at most 1.10 times as long as `cp` and fsync.
// - the open of a file of 10,000 tables and 1,000 views (bench_10k_tables.sdb) in the main window
//   (offscreen): the program's open command until the tree shows every name (its backup is written
//   meanwhile on a worker thread, as in the program), and its steps one by one: the connection with
//   the catalog's first read, the text mode told, the four name lists read, the tree filled. An
//   open that takes longer than half a second is to show its progress window.
//
//   open_bench --data=FOLDER [Google Benchmark flags]
// FOLDER holds the files make_bench_db makes; the copies go into a folder of their own beside them
// and are removed after each run.
//
// Repetitions of all benchmarks run interleaved in random order (unless the flag is given
// otherwise), so that a slow spell of a shared machine does not fall on one side of a comparison
// only; every figure is the fastest repetition.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include <benchmark/benchmark.h>

#include "app/database_commands.h"
#include "app/open_backup.h"
#include "app/operation_log.h"
#include "app/schema_tree.h"
#include "app/text_encoding.h"
#include "base/files.h"
#include "bench_run.h"
#include "db/backup.h"
#include "db/db.h"
#include "db/text_mode.h"
#include "ui/main_window.h"
#include "ui/runtime.h"
#include "window_support.h"

extern char** environ;

namespace {

using torvane::Runtime;
using torvane::bench::Dataset;
using torvane::bench::MinimumReporter;
using torvane::bench::Times;

constexpr int kTables = 10'000;
constexpr int kViews = 1'000;

Dataset big_file = {"1GiB", "bench_1g.sdb", 16'384, 5, ""};
Dataset many_tables = {"10k_tables", "bench_10k_tables.sdb", kTables, 15, ""};

// The folder the copies go into (file-system path), and the copy's path.
std::string copy_folder;
std::string CopyPath() { return copy_folder + "/copy.sdb"; }

void RemoveCopy() {
  std::error_code error;
  std::filesystem::remove(CopyPath(), error);
}

// Runs `cp --reflink=auto FROM TO` and waits for it; false when it did not succeed.
bool RunCp(const std::string& from, const std::string& to) {
  std::vector<std::string> words = {"cp", "--reflink=auto", from, to};
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  if (::posix_spawnp(&child, "cp", nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool FlushFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  const bool ok = fd >= 0 && ::fsync(fd) == 0;
  if (fd >= 0) ::close(fd);
  return ok;
}

enum class CopyKind { kCp, kCpFsync, kBackup };

// One copy of the big file per iteration; the copy is removed afterwards, untimed.
void Copy(benchmark::State& state, const Dataset* data, CopyKind kind) {
  const std::string source = torvane::SystemPath(data->path);
  std::string fault;
  for (auto _ : state) {
    bool ok = false;
    switch (kind) {
      case CopyKind::kCp:
        ok = RunCp(source, CopyPath());
        break;
      case CopyKind::kCpFsync:
        ok = RunCp(source, CopyPath()) && FlushFile(CopyPath());
        break;
      case CopyKind::kBackup:
        // Internal text and the file system's bytes are the same for these ASCII paths.
        ok = torvane::BackupDatabaseFile(data->path, CopyPath()).ok();
        break;
    }
    state.PauseTiming();
    std::error_code error;
    if (!ok ||
        std::filesystem::file_size(CopyPath(), error) != std::filesystem::file_size(source)) {
      fault = "the copy failed";
    }
    RemoveCopy();
    state.ResumeTiming();
  }
  if (!fault.empty()) state.SkipWithError(fault.c_str());
  state.counters["MiB"] = static_cast<double>(std::filesystem::file_size(source)) / (1 << 20);
}

void BM_Cp(benchmark::State& state, const Dataset* data) { Copy(state, data, CopyKind::kCp); }
void BM_CpFsync(benchmark::State& state, const Dataset* data) {
  Copy(state, data, CopyKind::kCpFsync);
}
void BM_Backup(benchmark::State& state, const Dataset* data) {
  Copy(state, data, CopyKind::kBackup);
}

// The main window the open figures open the file in, and the backup folder's entries before the
// run (only the copies this run makes are removed).
std::unique_ptr<torvane::bench::StartedWindow> program;
std::string backup_folder;  // file-system path
std::set<std::string> backups_before;

void RemoveNewBackups() {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(backup_folder, error)) {
    if (backups_before.count(entry.path().filename().string()) == 0) {
      std::filesystem::remove(entry.path(), error);
    }
  }
}

// Why the window after an open of the many-tables file is not as expected; "" when it is.
std::string CheckOpen(torvane::App& app) {
  if (!app.state.Connection.IsOpen()) return "the file did not open";
  // The tables and bench_done, which marks the file complete.
  if (app.state.TableNames.size() != kTables + 1 || app.state.ViewNames.size() != kViews) {
    return "wrong name lists";
  }
  // Two groups and every name.
  if (app.window.tree().ItemCount() != 2 + kTables + 1 + kViews) return "wrong tree";
  return "";
}

enum class OpenStep { kCommand, kConnection, kTextMode, kNameLists, kTree };

// One open, or one step of it, per iteration, with the pending events handled after it (the tree
// laid out). Untimed before it: the file closed as the close command closes it (which waits for
// the backup of the open before), and for a step, the steps before it taken.
void Open(benchmark::State& state, const Dataset* data, OpenStep step) {
  torvane::App& app = program->app;
  std::string fault;
  for (auto _ : state) {
    state.PauseTiming();
    torvane::CloseDatabase(app);
    RemoveNewBackups();
    torvane::ClearLogCommand(app);
    Runtime::ProcessEvents();
    if (step != OpenStep::kCommand && step != OpenStep::kConnection) {
      (void)app.state.Connection.Open(data->path, false);
      app.state.DatabasePath = data->path;
    }
    if (step == OpenStep::kTree) torvane::RefreshNameLists(app);
    state.ResumeTiming();
    switch (step) {
      case OpenStep::kCommand:
        torvane::OpenDatabase(app, data->path, false);
        break;
      case OpenStep::kConnection: {
        (void)app.state.Connection.Open(data->path, false);
        torvane::SqliteDataset catalog =
            app.state.Connection.Query("SELECT count(*) FROM sqlite_master");
        if (!catalog.Requery()) fault = "the catalog cannot be read";
        break;
      }
      case OpenStep::kTextMode:
        torvane::ApplyDetectedTextMode(app);
        break;
      case OpenStep::kNameLists:
        torvane::RefreshNameLists(app);
        break;
      case OpenStep::kTree:
        torvane::RefreshSchemaTree(app);
        break;
    }
    Runtime::ProcessEvents();
    state.PauseTiming();
    if (step == OpenStep::kCommand || step == OpenStep::kTree) {
      if (step == OpenStep::kTree) torvane::RefreshNameLists(app);
      const std::string wrong = CheckOpen(app);
      if (!wrong.empty()) fault = wrong;
    }
    state.ResumeTiming();
  }
  if (!fault.empty()) state.SkipWithError(fault.c_str());
}

void BM_OpenCommand(benchmark::State& state, const Dataset* data) {
  Open(state, data, OpenStep::kCommand);
}
void BM_OpenConnection(benchmark::State& state, const Dataset* data) {
  Open(state, data, OpenStep::kConnection);
}
void BM_OpenTextMode(benchmark::State& state, const Dataset* data) {
  Open(state, data, OpenStep::kTextMode);
}
void BM_OpenNameLists(benchmark::State& state, const Dataset* data) {
  Open(state, data, OpenStep::kNameLists);
}
void BM_OpenTree(benchmark::State& state, const Dataset* data) {
  Open(state, data, OpenStep::kTree);
}

void PrintFigure(const MinimumReporter& reporter, const char* label, const std::string& name) {
  const Times t = reporter.Minimum(name);
  if (t.real > 0) std::printf("| %s | %.1f | %.1f |\n", label, t.real * 1e3, t.cpu * 1e3);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args;
  if (int failed = torvane::bench::LocateDatasets(argc, argv, args, {&big_file, &many_tables})) {
    return failed;
  }
  torvane::bench::InterleaveRepetitions(args);
  const torvane::bench::WindowRun run;
  copy_folder =
      std::filesystem::path(torvane::SystemPath(big_file.path)).parent_path().string() + "/copies";
  std::filesystem::create_directories(copy_folder);
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);
  {
    Runtime runtime(count, args.data());
    program = std::make_unique<torvane::bench::StartedWindow>(many_tables.path);
    backup_folder = torvane::SystemPath(torvane::BackupDirectory());
    std::error_code error;
    const bool backup_folder_made = !std::filesystem::exists(backup_folder);
    for (const auto& entry : std::filesystem::directory_iterator(backup_folder, error)) {
      backups_before.insert(entry.path().filename().string());
    }

    using torvane::bench::RegisterFastest;
    RegisterFastest("cp", BM_Cp, &big_file);
    RegisterFastest("cp_fsync", BM_CpFsync, &big_file);
    RegisterFastest("backup", BM_Backup, &big_file);
    RegisterFastest("open_command", BM_OpenCommand, &many_tables);
    RegisterFastest("open_connection", BM_OpenConnection, &many_tables);
    RegisterFastest("open_text_mode", BM_OpenTextMode, &many_tables);
    RegisterFastest("open_name_lists", BM_OpenNameLists, &many_tables);
    RegisterFastest("open_tree", BM_OpenTree, &many_tables);
    MinimumReporter reporter;
    torvane::bench::RunBenchmarks(count, args.data(), reporter);

    const Times cp = reporter.Minimum("cp/1GiB");
    const Times cp_fsync = reporter.Minimum("cp_fsync/1GiB");
    const Times backup = reporter.Minimum("backup/1GiB");
    if (cp.real > 0 && cp_fsync.real > 0 && backup.real > 0) {
      const double ratio = torvane::bench::Ratio(backup.real, cp_fsync.real);
      std::printf(
          "\n1 GiB copy, fastest of each: cp %.0f ms, cp + fsync %.0f ms, backup %.0f ms.\n"
          "backup / (cp + fsync) = %.2f (target <= 1.10: %s); backup / cp = %.2f\n",
          cp.real * 1e3, cp_fsync.real * 1e3, backup.real * 1e3, ratio,
          ratio <= 1.10 ? "met" : "not met", torvane::bench::Ratio(backup.real, cp.real));
    }
    std::printf("\n| Open of %d tables and %d views | min (ms) | cpu (ms) |\n|---|---|---|\n",
                kTables, kViews);
    PrintFigure(reporter, "open command, until the tree shows", "open_command/10k_tables");
    PrintFigure(reporter, "connection and the catalog's first read", "open_connection/10k_tables");
    PrintFigure(reporter, "text mode told", "open_text_mode/10k_tables");
    PrintFigure(reporter, "name lists read", "open_name_lists/10k_tables");
    PrintFigure(reporter, "tree filled and laid out", "open_tree/10k_tables");

    program.reset();
    RemoveNewBackups();
    if (backup_folder_made) std::filesystem::remove(backup_folder, error);
  }
  std::filesystem::remove_all(copy_folder);
  return 0;
}
