#pragma once

// The table and view commands of the 表 and 视图 menus: rename and drop the selected table or view,
// create a view from a statement, and give the selected view a new query.

#include <string>

#include "app/app_state.h"

namespace torvane {

// Which kind of object a command works on; it decides the SQL and the word in its messages.
enum class ObjectKind { kTable, kView };

// "修改表名称" / "修改视图名称": asks for a new name for the selected table or view and renames it;
// a table by ALTER TABLE, a view by re-creating it from its stored definition, with its triggers
// and everything that names it, inside a transaction of its own (a savepoint when the user's
// transaction is open), or not at all.
void RenameObject(App& app, ObjectKind kind);

// "删除表" / "删除视图": after the user confirmed, drops the selected table or view. The question
// names the views and triggers that name it and would stop working.
void DropObject(App& app, ObjectKind kind);

// "新建视图": runs the statement the user enters, unchanged.
void CreateViewCommand(App& app);

// "修改视图": replaces the selected view's query by the one the user enters; the old view stays
// exactly as it was when the new query is refused.
void AlterViewCommand(App& app);

}  // namespace torvane
