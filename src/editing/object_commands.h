#pragma once

// The table and view commands of the 表 and 视图 menus: rename and drop the selected table or view,
// create a view from a statement, and give the selected view a new query.

#include <string>

#include "app/app_state.h"

namespace torvane {

// Which kind of object a command works on; it decides the SQL and the word in its messages.
enum class ObjectKind { kTable, kView };

// "修改表名称" / "修改视图名称": asks for a new name for the selected table or view and renames it;
// a table by ALTER TABLE, a view by re-creating it from its stored definition inside a transaction
// of its own (a savepoint when the user's transaction is open).
void RenameObject(App& app, ObjectKind kind);

// "删除表" / "删除视图": after the user confirmed, drops the selected table or view.
void DropObject(App& app, ObjectKind kind);

// "新建视图": runs the statement the user enters, unchanged.
void CreateViewCommand(App& app);

// "修改视图": replaces the selected view's query by the one the user enters; the old view stays
// exactly as it was when the new query is refused.
void AlterViewCommand(App& app);

// The definition `definition` of view `old_name` with the name replaced by `new_name`: everything
// up to and including the first " VIEW ", the new name, then everything from the first " AS "
// after the old name. Both searches and the search for the old name ignore ASCII letter case and
// never start a match on the second byte of a two-byte character. "" when a search fails. For a
// `temporary` view whose definition does not say TEMP, " TEMP" goes in before " VIEW ".
std::string RenamedViewDefinition(const std::string& definition, const std::string& old_name,
                                  const std::string& new_name, bool temporary = false);

}  // namespace torvane
