#pragma once

// The backup copy every open makes of its file, written by a worker thread (SideBackup) while the
// window already shows the tree and the rows: reading leaves the file as it is. Nothing changes
// the file before the copy is whole. Every statement of the program's connection that would change
// it waits at the connection's write gate (OpenBackupWriteGate; the same gate is asked when a
// statement has to wait for a lock, which the copy holds on a journal-mode file), and close, exit
// and the open of another file wait before they let go of the file (LetGoOfOpenBackup). A wait
// longer than a moment shows the progress window, whose cancel ends only the wait: the command
// does not run, the user is told, and the backup goes on.
//
// The end is told as the open told it: "已将数据库文件备份到：" and the target in the log, or a
// failure's log line and box ("……数据库照常打开，但这次没有备份。"), as soon as the worker ends
// or, at the latest, when something waits for it. A write that was waiting when the backup failed
// does not run: the user learns of the missing backup first and may then give the command again.

#include <string>

#include "app/app_state.h"

namespace torvane {

// Starts the backup of the file at `path` (internal text) on a worker thread, in place of an
// earlier one, which must have been let go of. Nothing happens when there is no file at `path`.
// "" when the copy began (or there is nothing to copy); else the backup folder could not be made:
// the failure is logged and the box's text returned, for the caller to show once it knows what
// follows.
std::string StartOpenBackup(App& app, const std::string& path);

// Tells the end of the open's backup, once, when it has ended: the log line, and for a failure the
// box unless `box` is false. Does nothing before the end or once told. Runs by itself on the
// user-interface thread when the worker ends.
void TellOpenBackup(App& app, bool box = true);

// How a wait for the open's backup ended.
enum class BackupWait {
  kWhole,       // none was running, it was made, or its failure had been told before the wait
  kJustFailed,  // it failed, and the user has just been told
  kCancelled,   // the user cancelled the wait; the backup goes on
};

// Waits until the open's backup has ended and tells it (TellOpenBackup); a wait longer than
// AppState::ProgressDelayMs shows the progress window with a cancel.
BackupWait WaitForOpenBackup(App& app);

// The program's connection's write gate (ZuveviRE::SetWriteGate): waits for the open's backup;
// "" when the statement may run, else why it must not.
std::string OpenBackupWriteGate(App& app);

// Before the program lets go of the open file (close, exit, the open of another file): waits for
// the open's backup and then forgets it. False, after telling the user, when the user cancelled the
// wait: the caller goes no further, and the backup goes on.
bool LetGoOfOpenBackup(App& app);

// For an open that failed: waits for its backup to end, a cancel abandoning it, and logs the end
// without a box (the open's own message tells of the file); then forgets it.
void EndBackupOfFailedOpen(App& app);

}  // namespace torvane
