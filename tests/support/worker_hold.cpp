#include "support/worker_hold.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace torvane::testing {

struct WorkerHold::Shared {
  std::mutex mutex;
  std::condition_variable changed;
  bool reached = false;
  bool released = false;
};

WorkerHold::WorkerHold() : shared_(std::make_shared<Shared>()) {}

WorkerHold::~WorkerHold() { Release(); }

std::function<void()> WorkerHold::Hook() const {
  return [shared = shared_] {
    std::unique_lock<std::mutex> lock(shared->mutex);
    shared->reached = true;
    shared->changed.notify_all();
    shared->changed.wait(lock, [&] { return shared->released; });
  };
}

bool WorkerHold::WaitUntilHeld() const {
  std::unique_lock<std::mutex> lock(shared_->mutex);
  return shared_->changed.wait_for(lock, std::chrono::minutes(1),
                                   [this] { return shared_->reached; });
}

bool WorkerHold::Reached() const {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  return shared_->reached;
}

void WorkerHold::Release() const {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->released = true;
  shared_->changed.notify_all();
}

}  // namespace torvane::testing
