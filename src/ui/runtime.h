#pragma once

// The user-interface runtime, Qt-free: the program's entry and the logic's tests start the widget
// toolkit through it without including any Qt header.

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

}  // namespace torvane
