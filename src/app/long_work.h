#pragma once

// Work on the user-interface thread that the user waits for, such as a table rebuild or a console
// statement: after a moment a progress window says what runs, and its cancel stops the engine.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/app_state.h"

namespace torvane {

class ProgressWindow;

// While a LongWork exists, every statement on the program's connection asks it every few thousand
// engine steps whether to go on. Once the work has run AppState::ProgressDelayMs, a progress window
// captioned `title` shows the text of the latest Step; the toolkit's events are handled at those
// questions, so the window is drawn and its cancel heard (the window is modal: the user can do
// nothing else meanwhile). A cancel stops the running statement: it fails with "interrupted" and
// the engine undoes it (with the transaction around it). Inside the user's transaction the window
// has no cancel, since stopping a statement there would undo the user's whole transaction.
// A count of rows that was still being taken is stopped for the work and taken again after it,
// unless the grid was filled again meanwhile.
class LongWork {
 public:
  LongWork(App& app, std::string title, std::string text);
  // A wait for a worker thread of the program's own (the open's backup), shown the same way. No
  // statement runs meanwhile: the connection's statements are not asked, a count of rows goes on,
  // and the window always has a cancel, which ends only the wait. Safe inside other long work.
  struct Waiting {};
  LongWork(App& app, std::string title, std::string text, Waiting);
  ~LongWork();
  LongWork(const LongWork&) = delete;
  LongWork& operator=(const LongWork&) = delete;

  // What runs now and how far it has got: `done` of `total`, or no measure when `total` is 0.
  // Shown at once (once the window shows at all), and the user's cancel is looked for.
  void Step(std::string text, std::int64_t done = 0, std::int64_t total = 0);
  // The same for work that reports often: shown when the window is next brought up to date.
  void Update(std::string text, std::int64_t done, std::int64_t total);
  // Asks, as the engine does: whether to go on. False once the user cancelled.
  bool KeepGoing();
  // Whether the user cancelled.
  [[nodiscard]] bool Cancelled() const { return cancelled_; }

 private:
  App& app_;
  std::string title_;
  std::string text_;
  std::int64_t done_ = 0;
  std::int64_t total_ = 0;
  bool cancellable_;
  // Whether the work runs statements: it then asks them to go on and stops the count.
  bool runs_statements_ = true;
  bool cancelled_ = false;
  bool asking_ = false;
  std::uint64_t started_ms_;
  std::uint64_t shown_ms_ = 0;
  std::unique_ptr<ProgressWindow> window_;
  std::function<void()> restart_count_;
  std::uint64_t count_stops_ = 0;
};

}  // namespace torvane
