#pragma once

// The SQL console "执行SQL语句": one SQL text run against the open database, either as statements
// or as a query whose rows replace the main window's grid; table and view names inserted from a
// copy of the schema tree.

#include <string>

#include "app/app_state.h"

namespace torvane {

class SqlDialog;

// How the console runs its text.
enum class StatementKind {
  kUnknown,  // the text does not say: the radio buttons keep their state
  kQuery,    // rows come back and fill the main grid
  kExecute,  // statements run, the schema tree is rebuilt
};

// The kind the text's leading keyword names: after blanks and full-width blanks (not tabs or line
// breaks), "select" makes a query; "update", "delete", "insert", "create" and "drop" make
// statements. ASCII letter case is ignored; the keyword is a plain prefix (no word boundary).
StatementKind StatementKindOf(const std::string& text);

// "执行SQL语句": opens a new console modally and returns when it has closed.
void SqlConsoleCommand(App& app);

// Binds every event of `dialog` to the console's logic working on `app`; its created event copies
// the schema tree and loads the template list. `dialog` must outlive its showing.
void ConnectSqlDialog(App& app, SqlDialog& dialog);

// Sets the radio buttons from the SQL text's leading keyword.
void GuessStatementKind(SqlDialog& dialog);

// Inserts the name of the tree item selected in the console's tree at the SQL text's caret (a
// table or view; a group item inserts nothing), by way of the clipboard, whose text is put back
// afterwards.
void InsertNameAtCaret(App& app, SqlDialog& dialog);

// Runs the SQL text as the checked kind says and reports the outcome in a box and the log; the
// console stays open. The text is cut into statements as the engine reads them; one without any
// runs nothing. Statements run one by one: a success says how many ran and how many rows they
// changed; a failure stops the text and names the statement (number and beginning), the engine's
// reason and how far the text got. When statements of the text ran inside a transaction that the
// failure left open, the user keeps them (the transaction stays open) or rolls it back; when the
// engine itself rolled the transaction back, the box says so. Afterwards the tree and the shown
// table show the file. A query is one statement (a text of several is refused): its rows, or its
// column names when it has none, replace the main grid, and the summary line gives their number
// and the time taken.
void RunSql(App& app, SqlDialog& dialog);

}  // namespace torvane
