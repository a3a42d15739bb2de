#pragma once

// Backup copies of database files that hold every committed change and no uncommitted one.

#include <cstdint>
#include <functional>
#include <string>

#include "base/status.h"

namespace torvane {

// Copies the database file `source` to `target` (created or replaced), whole or not at all: the
// copy is written under a temporary name in the target's folder, flushed to the disk, and only then
// given its name, so a program killed half-way leaves no partial file under a backup's name.
//
// A database in rollback-journal mode is copied byte for byte while the engine holds a read lock on
// it (waiting up to kBusyTimeoutMs for another program's write to end), so the copy is the
// committed state, identical to the file when nothing is pending. A database in write-ahead-log
// mode is copied through the engine's online backup, which takes in the committed changes still in
// its log. A file whose pages are being changed under a journal (a transaction that outgrew its
// cache, or one a crashed program left) is copied together with its journal, which the engine then
// rolls back in the copy. A file the engine cannot read as a database is copied as it is.
//
// `keep_going`, when given, is asked first once the source is held at the state the copy will
// have (under the read lock, or the read transaction of the online backup) and before anything is
// copied, with 0 bytes copied; then as the copy goes, with the bytes copied so far and the file's
// size (a clone of the file's blocks is told at once as whole). False stops the copy, which then
// fails with code SQLITE_INTERRUPT. A wait for another program's lock is not asked: it ends by
// itself after kBusyTimeoutMs.
//
// A failure gives the system's or the engine's reason when the copy could not be made; nothing is
// then left behind. Names are internal text.
using CopyProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;
Status BackupDatabaseFile(const std::string& source, const std::string& target,
                          const CopyProgress& keep_going = {});

// Removes from `folder` the temporary files of backups whose program no longer runs (killed
// half-way); returns how many were removed.
int RemoveLeftoverBackups(const std::string& folder);

}  // namespace torvane
