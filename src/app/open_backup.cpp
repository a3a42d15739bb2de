#include "app/open_backup.h"

#include <memory>

#include "app/database_commands.h"
#include "app/long_work.h"
#include "app/operation_log.h"
#include "base/files.h"
#include "ui/modal_services.h"

namespace torvane {
namespace {

// How long a wait sleeps between two looks at the progress window.
constexpr int kLookMs = 20;

// Forgets the open's backup, which has ended (its worker is joined at once).
void ForgetOpenBackup(AppState& s) {
  s.OpenBackup.reset();
  s.BackupMailbox.reset();
  s.OpenBackupTold = false;
}

// Waits until the open's backup has ended, showing the progress window after a moment; false when
// the user cancelled the wait before it did.
bool AwaitEnd(App& app, SideBackup& backup) {
  if (backup.Ended()) return true;
  const std::string& path = backup.source();
  LongWork work(app, "备份数据库", BackupProgressText(path, backup.Copied(), backup.Size()),
                LongWork::Waiting{});
  while (!backup.WaitFor(kLookMs)) {
    const std::uint64_t copied = backup.Copied();
    const std::uint64_t size = backup.Size();
    work.Update(BackupProgressText(path, copied, size), static_cast<std::int64_t>(copied),
                static_cast<std::int64_t>(size));
    if (!work.KeepGoing()) return false;
  }
  return true;
}

}  // namespace

std::string StartOpenBackup(App& app, const std::string& path) {
  AppState& s = app.state;
  ForgetOpenBackup(s);
  if (!FileExists(path)) return "";
  std::string error;
  const std::string target = PrepareBackupTarget(path, error);
  if (!error.empty()) return LogBackupFailure(app, target, error, BackupPurpose::kOpen);
  auto mailbox = std::make_unique<UiMailbox>();
  UiMailbox* post = mailbox.get();
  s.BackupMailbox = std::move(mailbox);
  s.OpenBackup = std::make_unique<SideBackup>(
      path, target, s.BackupHeld, [post, &app] { post->Post([&app] { TellOpenBackup(app); }); });
  return "";
}

void TellOpenBackup(App& app, bool box) {
  AppState& s = app.state;
  if (!s.OpenBackup || s.OpenBackupTold || !s.OpenBackup->Ended()) return;
  s.OpenBackupTold = true;
  const SideBackup& backup = *s.OpenBackup;
  const Status result = backup.Result();
  if (result.ok()) {
    AppendLog(app, "已将数据库文件备份到：" + backup.target());
  } else if (backup.Abandoned()) {
    AppendLog(app, "已取消备份数据库：" + backup.source());
  } else {
    const std::string message =
        LogBackupFailure(app, backup.target(), result.message(), BackupPurpose::kOpen);
    if (box) app.services.MessageBox(message, kMbOkStop);
  }
}

BackupWait WaitForOpenBackup(App& app) {
  AppState& s = app.state;
  if (!s.OpenBackup || s.OpenBackupTold) return BackupWait::kWhole;
  // The state's backup stays while the wait handles events: only a command lets go of it, and the
  // progress window keeps the user from giving one.
  SideBackup& backup = *s.OpenBackup;
  if (!AwaitEnd(app, backup)) return BackupWait::kCancelled;
  TellOpenBackup(app);
  return backup.Result().ok() ? BackupWait::kWhole : BackupWait::kJustFailed;
}

std::string OpenBackupWriteGate(App& app) {
  switch (WaitForOpenBackup(app)) {
    case BackupWait::kWhole:
      return "";
    case BackupWait::kJustFailed:
      return "未能备份数据库文件，这项修改没有执行，数据库未作任何修改；"
             "如需在没有备份的情况下修改，请再执行一次。";
    case BackupWait::kCancelled:
      break;
  }
  return "数据库文件的备份尚未完成，已取消等待：这项修改没有执行，数据库未作任何修改。";
}

bool LetGoOfOpenBackup(App& app) {
  AppState& s = app.state;
  if (!s.OpenBackup) return true;
  if (WaitForOpenBackup(app) == BackupWait::kCancelled) {
    app.services.MessageBox("数据库文件 [" + s.OpenBackup->source() +
                                "] 的备份尚未完成，已取消等待：数据库仍然打开，备份继续进行。",
                            kMbOk);
    return false;
  }
  ForgetOpenBackup(s);
  return true;
}

void EndBackupOfFailedOpen(App& app) {
  AppState& s = app.state;
  if (!s.OpenBackup) return;
  // Nothing can change the file through the program now: a cancel gives up the copy.
  if (!AwaitEnd(app, *s.OpenBackup)) {
    s.OpenBackup->Abandon();
    while (!s.OpenBackup->WaitFor(kLookMs)) {
    }
  }
  TellOpenBackup(app, false);
  ForgetOpenBackup(s);
}

}  // namespace torvane
