#pragma once

// The backup copy an open makes of its file, written by a worker thread while the user already
// reads the file: the copy is BackupDatabaseFile's, whole or absent, of the committed state at the
// moment the worker took hold of the file. Reading leaves the file as it is; whoever is about to
// change it waits for Ended first.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "base/status.h"

namespace torvane {

class SideBackup {
 public:
  // Runs on the worker thread: `held` once the source is held at the state the copy will have,
  // before anything is copied; `ended` once the copy has ended (Ended is true by then).
  using OnWorker = std::function<void()>;

  // Starts at once: removes from the target's folder the temporary files of backups whose program
  // no longer runs, then copies `source` to `target` (names are internal text).
  SideBackup(std::string source, std::string target, OnWorker held, OnWorker ended);
  // Abandons the copy and waits for the worker to end; `ended` has been called by then.
  ~SideBackup();
  SideBackup(const SideBackup&) = delete;
  SideBackup& operator=(const SideBackup&) = delete;

  const std::string& source() const { return source_; }
  const std::string& target() const { return target_; }

  // Whether the copy has ended, made or not; from then on Result tells which.
  [[nodiscard]] bool Ended() const;
  // Waits at most `milliseconds` for the copy to end; whether it has.
  bool WaitFor(int milliseconds);
  // The outcome once Ended: success when the copy was made; else the reason, with code
  // SQLITE_INTERRUPT when it was abandoned. Success before the end.
  [[nodiscard]] Status Result() const;
  // Bytes copied so far, and the file's size when the copy began.
  [[nodiscard]] std::uint64_t Copied() const { return copied_; }
  [[nodiscard]] std::uint64_t Size() const { return size_; }

  // Asks the copy to stop at its next piece: it then fails and leaves nothing behind. A wait for
  // another program's lock is not cut short. Safe from any thread and more than once.
  void Abandon();
  // Whether Abandon was called.
  [[nodiscard]] bool Abandoned() const { return abandoned_; }

 private:
  void Run();

  const std::string source_;
  const std::string target_;
  const OnWorker held_;
  const OnWorker ended_;
  std::atomic<bool> abandoned_{false};
  std::atomic<std::uint64_t> copied_{0};
  std::atomic<std::uint64_t> size_{0};
  // Guards the end and its outcome, which the worker sets once.
  mutable std::mutex mutex_;
  std::condition_variable end_;
  bool ended_flag_ = false;
  Status result_;
  std::thread worker_;
};

}  // namespace torvane
