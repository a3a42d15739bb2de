#include "db/side_backup.h"

#include <chrono>
#include <utility>

#include "db/backup.h"

namespace torvane {

SideBackup::SideBackup(std::string source, std::string target, OnWorker held, OnWorker ended)
    : source_(std::move(source)),
      target_(std::move(target)),
      held_(std::move(held)),
      ended_(std::move(ended)) {
  worker_ = std::thread([this] { Run(); });
}

SideBackup::~SideBackup() {
  Abandon();
  if (worker_.joinable()) worker_.join();
}

bool SideBackup::Ended() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return ended_flag_;
}

bool SideBackup::WaitFor(int milliseconds) {
  std::unique_lock<std::mutex> lock(mutex_);
  return end_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                       [this] { return ended_flag_; });
}

Status SideBackup::Result() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return result_;
}

void SideBackup::Abandon() { abandoned_ = true; }

void SideBackup::Run() {
  const std::size_t slash = target_.rfind('/');
  if (slash != std::string::npos) RemoveLeftoverBackups(target_.substr(0, slash));
  bool first = true;
  Status result =
      BackupDatabaseFile(source_, target_, [this, &first](std::uint64_t done, std::uint64_t total) {
        copied_ = done;
        size_ = total;
        if (first) {
          first = false;
          if (held_) held_();
        }
        return !abandoned_;
      });
  {
    std::lock_guard<std::mutex> lock(mutex_);
    result_ = std::move(result);
    ended_flag_ = true;
  }
  end_.notify_all();
  if (ended_) ended_();
}

}  // namespace torvane
