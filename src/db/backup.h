#pragma once

// Backup copies of database files that hold every committed change and no uncommitted one.

#include <string>

namespace torvane {

// Copies the database file `source` to `target` (created or replaced). A database in rollback-
// journal mode with no journal beside it is copied byte for byte, so the copy is identical to the
// file. Otherwise the copy is made consistent: a database in write-ahead-log mode is copied through
// the engine's online backup, which takes in the committed changes still in its log; a database
// with a journal beside it (a transaction in progress, whose pages may already be in the file, or
// one a crashed program left) is copied together with its journal, which the engine then rolls back
// in the copy. False, with `error` saying why, when the copy could not be made; a half-made copy is
// removed. Names are internal text.
bool BackupDatabaseFile(const std::string& source, const std::string& target, std::string& error);

}  // namespace torvane
