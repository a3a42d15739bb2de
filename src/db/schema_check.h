#pragma once

// Finding the views and triggers that no longer work, the way the engine itself judges them.

#include <string>
#include <vector>

#include "base/status.h"

namespace torvane {

class ZuveviRE;

// A view or trigger as the catalogs keep it.
struct SchemaObject {
  std::string type;  // "view" or "trigger"
  std::string name;
  std::string table;  // a trigger's table or view
  std::string sql;
  bool temporary = false;  // in the temporary catalog
};

// Appends every view and trigger of the database and of the temporary catalog to `objects`;
// false when the catalogs cannot be read.
bool ReadViewsAndTriggers(ZuveviRE& db, std::vector<SchemaObject>& objects);

// "DROP VIEW main.v" or "DROP TRIGGER temp.t": the statement that drops `object` where it is.
std::string DropStatement(const SchemaObject& object);

// A view or trigger the engine can no longer compile as it stands: it names a table, view or
// column that is gone.
struct BrokenObject {
  std::string type;  // "view" or "trigger"
  std::string name;
  std::string error;  // the engine's reason
  bool operator==(const BrokenObject&) const = default;
};

// The outcome of a check: `ok` false when it could not run (a database opened read only, a
// connection that is not open); `broken` the objects that fail, in the order found; `failure` the
// engine's failure when the file stopped it (a read or write error, a full disk, a lock), which
// says nothing of what works: a change relying on the check must not go on without it.
struct SchemaCheck {
  bool ok = false;
  std::vector<BrokenObject> broken;
  Status failure;
};

// The views and triggers of the database (its own and the temporary ones) that fail. The engine
// compiles every one of them whenever a table is renamed, and refuses every ALTER TABLE while one
// fails; the check is exactly that: it renames a scratch table inside a transaction of its own,
// notes the object the engine names, leaves it out and tries again, then undoes everything. The
// database is as it was afterwards, inside or outside the user's transaction, unless a statement
// failed on the file (`failure`): the engine may then have rolled the user's transaction back. The
// cost is one compilation of the schema per broken object, plus one.
SchemaCheck CheckSchema(ZuveviRE& db);

// The objects `after` lists that `before` does not (by type and name): what a change broke.
std::vector<BrokenObject> NewlyBroken(const SchemaCheck& before, const SchemaCheck& after);

// "视图 v（原因）、触发器 t（原因）": the objects named for the user, each with the engine's
// reason.
std::string DescribeObjects(const std::vector<BrokenObject>& objects);

}  // namespace torvane
