#include "app/query_rows.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "base/clock.h"
#include "base/text.h"
#include "ui/main_window.h"
#include "ui/modal_services.h"

namespace torvane {
namespace {

// How long one slice reads while the window waits for its next events: short enough that typing
// and scrolling do not lag.
constexpr std::uint64_t kSliceMs = 15;
// How long a scroll to the last row may read at once.
constexpr std::uint64_t kWantedMs = 100;
// How often the summary line and the progress window say how many rows are in.
constexpr std::uint64_t kReportMs = 250;
constexpr std::uint64_t kRefreshMs = 50;

std::string ArrivingText(const AppState& s) {
  return "已读到" + IntToText(s.RecordSet.GetRowCount()) + "条记录，正在读取其余记录……";
}

void EndQueryRows(App& app, QueryRowsOutcome outcome) {
  AppState& s = app.state;
  app.window.grid().ShowMoreRows(false);
  // May be the idle work running this very slice, which allows it.
  s.QueryRows.reset();
  std::function<void(QueryRowsOutcome)> end = std::move(s.QueryRowsEnd);
  s.QueryRowsEnd = nullptr;
  if (end) end(outcome);
}

// Shows the rows `fetched` brought, and ends the reading when they were the last.
void AfterFetch(App& app, SqliteDataset::Fetched fetched) {
  switch (fetched) {
    case SqliteDataset::Fetched::kMore:
      app.window.grid().ShowMoreRows(true);
      return;
    case SqliteDataset::Fetched::kDone:
      EndQueryRows(app, QueryRowsOutcome::kComplete);
      return;
    case SqliteDataset::Fetched::kFailed:
      EndQueryRows(app, QueryRowsOutcome::kFailed);
      return;
  }
}

}  // namespace

void ReadRestOfQueryRows(App& app, std::function<void(QueryRowsOutcome)> end) {
  AppState& s = app.state;
  s.QueryRows.reset();
  s.QueryRowsEnd = std::move(end);
  app.window.grid().ShowMoreRows(true);
  app.window.info_box().SetContent(ArrivingText(s));
  std::uint64_t reported = TickCount();
  s.QueryRows = std::make_unique<UiIdleWork>([&app, reported]() mutable {
    AppState& state = app.state;
    // A statement of other work may be running with the message loop inside it: the rows wait.
    if (state.ConnectionBusy > 0) return true;
    if (!state.RecordSet.IsFetching()) {
      EndQueryRows(app, QueryRowsOutcome::kStopped);
      return false;
    }
    const SqliteDataset::Fetched fetched = state.RecordSet.Fetch(SIZE_MAX, TickCount() + kSliceMs);
    AfterFetch(app, fetched);
    if (fetched != SqliteDataset::Fetched::kMore) return false;
    if (TickCount() - reported >= kReportMs) {
      reported = TickCount();
      app.window.info_box().SetContent(ArrivingText(state));
    }
    return true;
  });
}

void ReadMoreQueryRows(App& app) {
  AppState& s = app.state;
  if (!s.QueryRows || s.ConnectionBusy > 0 || !s.RecordSet.IsFetching()) return;
  AfterFetch(app, s.RecordSet.Fetch(SIZE_MAX, TickCount() + kWantedMs));
}

void FinishQueryRows(App& app) {
  AppState& s = app.state;
  if (!s.QueryRows) return;
  if (!s.RecordSet.IsFetching()) {
    StopQueryRows(app);
    return;
  }
  const std::uint64_t started = TickCount();
  std::unique_ptr<ProgressWindow> window;
  ++s.ConnectionBusy;
  SqliteDataset::Fetched fetched = SqliteDataset::Fetched::kMore;
  bool cancelled = false;
  while (!cancelled) {
    fetched = s.RecordSet.Fetch(SIZE_MAX, TickCount() + kRefreshMs);
    if (fetched != SqliteDataset::Fetched::kMore) break;
    if (TickCount() - started < static_cast<std::uint64_t>(s.ProgressDelayMs)) continue;
    if (!window) window = app.services.OpenProgress("读取查询结果", true);
    window->Show(ArrivingText(s), 0, 0);
    cancelled = window->Cancelled();
  }
  window.reset();
  --s.ConnectionBusy;
  if (cancelled) {
    StopQueryRows(app);
  } else {
    AfterFetch(app, fetched);
  }
}

void StopQueryRows(App& app) {
  AppState& s = app.state;
  if (!s.QueryRows) return;
  s.RecordSet.StopFetching();
  EndQueryRows(app, QueryRowsOutcome::kStopped);
}

}  // namespace torvane
