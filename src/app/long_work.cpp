#include "app/long_work.h"

#include <utility>

#include "app/query_rows.h"
#include "base/clock.h"
#include "ui/modal_services.h"

namespace torvane {
namespace {

// How often the progress window is brought up to date and its cancel listened for.
constexpr std::uint64_t kRefreshMs = 50;

}  // namespace

LongWork::LongWork(App& app, std::string title, std::string text)
    : app_(app),
      title_(std::move(title)),
      text_(std::move(text)),
      cancellable_(!app.state.Connection.IsInTransaction()),
      started_ms_(TickCount()) {
  // The count's worker would be stopped by the work's first write anyway; a count taken on the
  // program's own connection must not run in the middle of the work's statements.
  // Rows of a console query still arriving are read first: the work's statements must not run
  // beside a half-read result, and its cancel is not for them.
  FinishQueryRows(app);
  restart_count_ = std::move(app.state.RestartCount);
  StopRowCount(app.state);
  // A picture still being read for the field panel is dropped: the work may change it.
  StopPanelRead(app);
  count_stops_ = app.state.CountStops;
  app.state.Connection.SetKeepGoing([this] { return KeepGoing(); });
  ++app.state.ConnectionBusy;
}

LongWork::LongWork(App& app, std::string title, std::string text, Waiting)
    : app_(app),
      title_(std::move(title)),
      text_(std::move(text)),
      cancellable_(true),
      runs_statements_(false),
      started_ms_(TickCount()) {}

LongWork::~LongWork() {
  if (!runs_statements_) return;
  --app_.state.ConnectionBusy;
  app_.state.Connection.SetKeepGoing(nullptr);
  window_.reset();
  if (restart_count_ && app_.state.CountStops == count_stops_) restart_count_();
}

void LongWork::Step(std::string text, std::int64_t done, std::int64_t total) {
  text_ = std::move(text);
  done_ = done;
  total_ = total;
  shown_ms_ = 0;  // shown at the next question
  (void)KeepGoing();
}

void LongWork::Update(std::string text, std::int64_t done, std::int64_t total) {
  text_ = std::move(text);
  done_ = done;
  total_ = total;
}

bool LongWork::KeepGoing() {
  if (cancelled_) return false;
  // Handling events may paint the grid, which asks nothing of the engine; nothing handled here may
  // ask this object again.
  if (asking_) return true;
  const std::uint64_t now = TickCount();
  if (now - started_ms_ < static_cast<std::uint64_t>(app_.state.ProgressDelayMs)) return true;
  if (shown_ms_ != 0 && now - shown_ms_ < kRefreshMs) return true;
  asking_ = true;
  if (!window_) window_ = app_.services.OpenProgress(title_, cancellable_);
  window_->Show(text_, done_, total_);
  cancelled_ = window_->Cancelled();
  shown_ms_ = now == 0 ? 1 : now;
  asking_ = false;
  return !cancelled_;
}

}  // namespace torvane
