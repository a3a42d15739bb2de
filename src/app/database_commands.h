#pragma once

// Creating, opening, closing and backing up the one database file, and the two database states of
// the main window (no database / database open).

#include <cstdint>
#include <string>

#include "app/app_state.h"
#include "base/clock.h"

namespace torvane {

// Menu 新建数据库... and toolbar button 0: choose a file, delete it when it exists, create it.
void NewDatabaseCommand(App& app);
// Menu 打开数据库... and toolbar button 1: choose an existing file and open it.
void OpenDatabaseCommand(App& app);
// Menu 关闭数据库 and toolbar button 2.
void CloseCommand(App& app);
// Menu 备份数据库: a backup copy of the open file as it is on disk now.
void BackupCommand(App& app);

// Shows the database file dialog as a save ("新建数据库") or open ("打开数据库") dialog; unless
// cancelled, closes the current database and opens the chosen file.
void ChooseAndOpenDatabase(App& app, bool create);

// Backs the file up, then opens (or with `create`, creates) it and switches the window to the
// database-open state; a failure is reported in a box and in the log.
void OpenDatabase(App& app, const std::string& path, bool create);

// With a transaction still open, asks whether to commit it (Yes), roll it back (No) or leave
// everything as it is (Cancel). True when the caller may go on: no transaction was open, or it was
// committed or rolled back; false when the user cancelled or the commit or rollback failed
// (reported).
bool SettlePendingTransaction(App& app);

// Settles a transaction still open (SettlePendingTransaction), then closes the record set, the
// cursor and the connection and switches the window to the no-database state. False, changing
// nothing, when the user kept the transaction or the engine refuses the close (reported).
bool CloseDatabase(App& app);

// What a backup is made for; it decides what a failed one goes on to say.
enum class BackupPurpose {
  kOpen,     // every open's copy: the database opens all the same
  kCommand,  // the 备份数据库 command
  kReplace,  // the copy of a file a new database is to replace: without it, nothing is replaced
};

// Copies the file at `path` into the backup folder (BackupDirectory), whole or not at all, and
// logs the copy; temporary files a killed backup left there are removed first. True when there is
// no file at `path` or the copy was made; false when it could not be made, reported in the log and
// in a box with the system's reason, or, when `deferred_box` is given, with that box's text left
// there for the caller to show once it knows what follows. A copy that takes a while shows a
// progress window (LongWork); when the user cancels it, nothing is left of the copy, the log says
// so, no box is shown, `*cancelled` (when given) is set, and the result is false.
bool BackupDatabase(App& app, const std::string& path, BackupPurpose purpose,
                    std::string* deferred_box = nullptr, bool* cancelled = nullptr);

// The pieces every backup shares (BackupDatabase and the open's backup on its worker thread):
// The backup copy's full name for the file at `path` now, in the backup folder, which is made
// when it is missing; `folder_error` is "" then, else why the folder cannot be made.
std::string PrepareBackupTarget(const std::string& path, std::string& folder_error);
// What the progress window says while the file at `path` is copied.
std::string BackupProgressText(const std::string& path, std::uint64_t done, std::uint64_t total);
// Logs a backup to `target` that could not be made for `error`, and returns the text of the box
// that tells the user, with what follows for `purpose`.
std::string LogBackupFailure(App& app, const std::string& target, const std::string& error,
                             BackupPurpose purpose);

// The backup folder: run directory + "/数据库备份" in a build tree or a portable copy;
// $XDG_DATA_HOME/torvane/数据库备份 for an installed program (see ProgramPlaces).
std::string BackupDirectory();

// The backup file name of `path` at local time `now`: the file's own name, "__" and a stamp such
// as "2024年3月3日9时5分" (trailing zero units left out; nothing after the date at midnight).
std::string BackupFileName(const std::string& path, const LocalDateTime& now);

// Enables or disables the commands that need a database: toolbar buttons 2-12, menu items
// 关闭数据库 and 备份数据库 and the menus 表, 视图 and 其它操作.
void SetDatabaseCommandsEnabled(App& app, bool enabled);

// Hides the field panel, puts "无数据" into a 1 x 1 grid and empties the definition, summary,
// field value boxes, picture and the two combo boxes of the panel.
void ResetPanels(App& app);

}  // namespace torvane
