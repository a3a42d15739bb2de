#include "db/schema_check.h"

#include <algorithm>
#include <set>
#include <utility>

#include <sqlite3.h>

#include "base/text.h"
#include "db/command_transaction.h"
#include "db/connection.h"
#include "db/sql_name.h"

namespace torvane {
namespace {

// Every name in use in the database's catalog, in capitals: a scratch table must take none.
bool ReadNames(ZuveviRE& db, std::set<std::string>& names) {
  SqliteDataset rows = db.Query("SELECT name FROM main.sqlite_master");
  if (!rows.Requery() || !rows.IsComplete()) return false;
  const TextTable table = rows.GetAll(false);
  for (int r = 0; r < table.rows(); ++r) names.insert(ToUpperAscii(table.at(r, 0)));
  return true;
}

// The object a message of the engine's schema check blames: "error in view v: ..." or "error in
// trigger t after rename: ...". The longest name that fits wins, so a name holding a blank or a
// colon is still found.
const SchemaObject* Blamed(const std::vector<SchemaObject>& objects, const std::string& message,
                           std::string& reason) {
  const SchemaObject* blamed = nullptr;
  for (const SchemaObject& object : objects) {
    const std::string head = "error in " + object.type + " " + object.name;
    if (message.compare(0, head.size(), head) != 0) continue;
    if (message.size() > head.size() && message[head.size()] != ':' &&
        message[head.size()] != ' ') {
      continue;
    }
    if (blamed == nullptr || object.name.size() > blamed->name.size()) blamed = &object;
  }
  if (blamed != nullptr) {
    const std::size_t colon = message.find(": ", 9 + blamed->type.size() + blamed->name.size());
    reason = colon == std::string::npos ? message : message.substr(colon + 2);
  }
  return blamed;
}

// Whether result code `code` is the file's failure rather than the schema's: an I/O error, a full
// disk, a lock, a damaged file.
bool IsFileFailure(int code) {
  switch (code & 0xff) {
    case SQLITE_IOERR:
    case SQLITE_FULL:
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_NOMEM:
    case SQLITE_CORRUPT:
    case SQLITE_CANTOPEN:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool ReadViewsAndTriggers(ZuveviRE& db, std::vector<SchemaObject>& objects) {
  SqliteDataset rows = db.Query(
      "SELECT type, name, tbl_name, sql, 0 FROM main.sqlite_master "
      "WHERE type IN ('view', 'trigger') AND sql IS NOT NULL UNION ALL "
      "SELECT type, name, tbl_name, sql, 1 FROM temp.sqlite_master "
      "WHERE type IN ('view', 'trigger') AND sql IS NOT NULL");
  if (!rows.Requery() || !rows.IsComplete()) return false;
  const TextTable table = rows.GetAll(false);
  for (int r = 0; r < table.rows(); ++r) {
    objects.push_back(SchemaObject{std::string(table.at(r, 0)), std::string(table.at(r, 1)),
                                   std::string(table.at(r, 2)), std::string(table.at(r, 3)),
                                   table.at(r, 4) == "1"});
  }
  return true;
}

std::string DropStatement(const SchemaObject& object) {
  return std::string(object.type == "view" ? "DROP VIEW " : "DROP TRIGGER ") +
         (object.temporary ? "temp." : "main.") + QuoteSqlName(object.name);
}

SchemaCheck CheckSchema(ZuveviRE& db) {
  SchemaCheck check;
  std::vector<SchemaObject> objects;
  std::set<std::string> names;
  if (!db.IsOpen()) return check;
  // Taken before anything else runs; a file opened read only is no failure of the file.
  const auto note_failure = [&db, &check] {
    const Status failure = db.LastFailure();
    if ((failure.code() & 0xff) != SQLITE_READONLY) check.failure = failure;
  };
  if (!ReadViewsAndTriggers(db, objects) || !ReadNames(db, names)) {
    note_failure();
    return check;
  }
  if (objects.empty()) {
    check.ok = true;
    return check;
  }
  // Two scratch names no object of the database uses.
  std::string probe = "TORVANE_SCHEMA_PROBE";
  while (names.count(probe) != 0 || names.count(probe + "_2") != 0) probe += "_";

  // Everything below is undone; outside the user's transaction by a ROLLBACK, which leaves the file
  // byte for byte as it was. A failure is taken before the rollback, which replaces it.
  CommandTransaction transaction(db);
  if (!transaction.Begin()) {
    note_failure();
    return check;
  }
  if (db.Execute("CREATE TABLE main." + probe + " (x)")) {
    check.ok = true;
    // A refused rename changes nothing, so each round tries the same one; each round either
    // succeeds or leaves out one more object, so it ends.
    for (std::size_t round = 0; round <= objects.size(); ++round) {
      if (db.Execute("ALTER TABLE main." + probe + " RENAME TO " + probe + "_2")) break;
      const std::string message = db.GetErrorText();
      std::string reason;
      const SchemaObject* blamed = Blamed(objects, message, reason);
      if (blamed == nullptr) {
        // A failure the check cannot lay at one object's door: it cannot say what works.
        check.ok = false;
        if (IsFileFailure(db.GetErrorCode())) note_failure();
        break;
      }
      check.broken.push_back(BrokenObject{blamed->type, blamed->name, reason});
      if (!db.Execute(DropStatement(*blamed))) {
        check.ok = false;
        note_failure();
        break;
      }
    }
  } else {
    note_failure();
  }
  transaction.Rollback();
  // Undoing the scratch table failed on the file and ended the user's transaction.
  if (transaction.nested() && !db.IsInTransaction() && check.failure.ok()) {
    check.ok = false;
    note_failure();
  }
  return check;
}

std::vector<BrokenObject> NewlyBroken(const SchemaCheck& before, const SchemaCheck& after) {
  std::vector<BrokenObject> newly;
  for (const BrokenObject& object : after.broken) {
    const bool known =
        std::any_of(before.broken.begin(), before.broken.end(), [&](const BrokenObject& old) {
          return old.type == object.type && old.name == object.name;
        });
    if (!known) newly.push_back(object);
  }
  return newly;
}

std::string DescribeObjects(const std::vector<BrokenObject>& objects) {
  std::string text;
  for (const BrokenObject& object : objects) {
    if (!text.empty()) text += "、";
    text += (object.type == "view"      ? "视图 "
             : object.type == "trigger" ? "触发器 "
                                        : "") +
            object.name;
    if (!object.error.empty()) text += "（" + object.error + "）";
  }
  return text;
}

}  // namespace torvane
