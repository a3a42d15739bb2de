#pragma once

// The user-interface runtime, Qt-free: the program's entry and the logic's tests start the widget
// toolkit through it without including any Qt header.

#include <functional>
#include <memory>

namespace torvane {

class Runtime {
 public:
  // Starts the toolkit for this process. argc and argv must outlive the runtime; the toolkit may
  // take its own options out of them. Only one runtime exists at a time. When an application object
  // already exists (a widget test's main made one), the runtime uses it and does not own it.
  Runtime(int& argc, char** argv);
  ~Runtime();
  Runtime(const Runtime&) = delete;
  Runtime& operator=(const Runtime&) = delete;

  // Runs the message loop until the last window has closed (or Quit); returns the exit code.
  int Run();

  // Handles every pending event, including deferred closes, deletions and in-place edit commits.
  // Safe to call only from the user-interface thread; does nothing without an application object.
  static void ProcessEvents();
  // Makes Run return `code` once the current handler has returned.
  static void Quit(int code = 0);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Work handed to the user-interface thread from any thread: a result a worker thread found, to be
// shown. What is posted runs there, in order, when the message loop next handles events (Run, or
// Runtime::ProcessEvents), unless the mailbox is gone by then: work posted to a mailbox that is
// destroyed first never runs, so it cannot reach state that went with it.
class UiMailbox {
 public:
  // Must be made on the user-interface thread.
  UiMailbox();
  ~UiMailbox();
  UiMailbox(const UiMailbox&) = delete;
  UiMailbox& operator=(const UiMailbox&) = delete;

  // Thread-safe, but not against the mailbox's own destruction: the threads that post end before
  // the mailbox goes. Does nothing without an application object.
  void Post(std::function<void()> work);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Work the user-interface thread does in slices whenever the message loop has nothing else to
// handle: `slice` runs again and again, each time for a moment only, until it returns false or the
// object is destroyed. The window stays responsive, since every event waiting is handled between
// two slices. A slice may destroy the object that runs it.
class UiIdleWork {
 public:
  // Must be made on the user-interface thread; the first slice runs once the message loop next
  // handles events. Does nothing without an application object.
  explicit UiIdleWork(std::function<bool()> slice);
  ~UiIdleWork();
  UiIdleWork(const UiIdleWork&) = delete;
  UiIdleWork& operator=(const UiIdleWork&) = delete;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace torvane
