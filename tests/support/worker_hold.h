#pragma once

// Holds a worker thread of the program back at a point it reaches, until the test lets it go: the
// worker runs the function Hook gives, which returns once Release was called. The test thereby
// knows what the program does while the worker has not finished, without relying on timing.

#include <functional>
#include <memory>

namespace torvane::testing {

class WorkerHold {
 public:
  WorkerHold();
  // Lets the worker go, if it is still held.
  ~WorkerHold();
  WorkerHold(const WorkerHold&) = delete;
  WorkerHold& operator=(const WorkerHold&) = delete;

  // What the worker runs where it is to be held; it may outlive this object (it then returns at
  // once).
  std::function<void()> Hook() const;
  // Waits until a worker is held; false when none is within a minute (a worker that never got
  // there).
  bool WaitUntilHeld() const;
  // Whether a worker has reached the hook.
  bool Reached() const;
  // Lets the held worker, and any that reaches the hook later, go on.
  void Release() const;

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};

}  // namespace torvane::testing
