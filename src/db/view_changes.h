#pragma once

// Renaming and redefining views so that what depends on them keeps working, and finding what names
// a table or view before it is dropped.

#include <string>
#include <vector>

#include "base/status.h"
#include "db/schema_check.h"

namespace torvane {

class ZuveviRE;

// The outcome of a view change. On failure `status` says why: the engine's failure of the statement
// that failed, or, when the change would leave views or triggers that no longer work, which ones
// (`broken`) and that nothing was changed.
struct ViewChange {
  Status status;
  std::vector<BrokenObject> broken;
};

// Renames view `old_name` (its name as the catalog holds it) to `new_name` (SQL as the user typed
// it) by creating it anew from its stored definition. The view's own triggers are created again on
// it, and every other view and trigger that names it is rewritten to name it by its new name. The
// whole change is one transaction of its own (a savepoint inside the user's): when any view or
// trigger would no longer work afterwards, or a statement fails, everything is undone and the file
// is as it was. `temporary`: the view is in the temporary catalog.
ViewChange RenameView(ZuveviRE& db, const std::string& old_name, const std::string& new_name,
                      bool temporary);

// Gives view `name` the query `query` (SQL as typed): drops it and creates it anew, reads it once
// (the engine accepts a view on things that do not exist and fails only when it is read), and
// creates its triggers again. All or nothing, as RenameView.
ViewChange RedefineView(ZuveviRE& db, const std::string& name, const std::string& query,
                        bool temporary);

// The views and triggers whose SQL names table or view `name` as a table, other than the triggers
// on `name` itself (which go with it): what would stop working if it were dropped. Read from their
// stored SQL, by token; nothing is run. Each entry's `error` is "".
std::vector<BrokenObject> ObjectsNaming(ZuveviRE& db, const std::string& name);

// `sql` with every word or quoted name that stands for `old_name` as a table or view (not as a
// column: a name after "." counts only after a schema name, "main." or "temp.") replaced by
// `new_text`. The bytes [skip_begin, skip_end) are left as they are (an object's own name).
std::string RenameTableTokens(const std::string& sql, const std::string& old_name,
                              const std::string& new_text, std::size_t skip_begin = 0,
                              std::size_t skip_end = 0);

}  // namespace torvane
