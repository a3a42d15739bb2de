#pragma once

// The one program-wide state, and the context every command of the main window works in.

#include <cstdint>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "db/connection.h"
#include "db/record_set.h"
#include "db/table_cursor.h"

namespace torvane {

class MainWindow;
class ModalServices;

// What the table designer was opened for.
enum class DesignMode { kNew, kAlter };

// One field of the table designer's field list.
struct FieldEntry {
  std::string FieldName;   // as shown in the grid's column 1 (untrimmed)
  std::string TypeName;    // the text of column 2: a type name, or whatever the user typed
  std::string LengthText;  // the text of column 3
  bool Deleted = false;    // deleted by the user; its grid row is gone, the entry stays in place
  bool Added = false;      // inserted while the designer was open
  // The type and length texts the designer showed for an existing column when it opened: a field
  // whose type or length differs from them was retyped by the user.
  std::string LoadedTypeName;
  std::string LoadedLengthText;
};

// What the insert-record dialog last assigned to one field.
struct FieldAssignment {
  // 0 while unassigned; otherwise the field type code of the page it was assigned from (10 text,
  // 3 integer, 5 decimal, 11 bytes).
  int Kind = 0;
  // The text last assigned from the text, integer or decimal page.
  std::string Text;
  // The bytes last assigned from the bytes page.
  Bytes Value;
};

// Everything the program holds for its whole run. Members are declared in the order they are
// created; ReleaseState takes them apart in its own order before the object is destroyed.
struct AppState {
  // Table cursor on the table or view shown in the record grid; every browse re-opens it.
  SqliteTable Cursor;
  // The one database connection.
  ZuveviRE Connection;
  // Largest number of rows a browse shows: 0 until the main window exists, then 1000.
  std::int32_t RowLimit = 0;
  // Rows of the last browse or console query; each new one closes and replaces it.
  SqliteDataset RecordSet;
  // Names of the open database's tables, views, temporary tables and temporary views, sorted.
  std::vector<std::string> TableNames;
  std::vector<std::string> ViewNames;
  std::vector<std::string> TempTableNames;
  std::vector<std::string> TempViewNames;
  // Full path of the open database file; "" when none is open.
  std::string DatabasePath;
  // The plain window title, set once the main window exists.
  std::string TitleText;
  // Whether the engine had a transaction open when the program last looked (NoteTransactionState):
  // a failure that finds it gone knows the engine rolled the transaction back by itself.
  bool TransactionSeenOpen = false;
  // Text a grid cell had when in-place editing of it began.
  std::string EditStartText;
  // The keys (row ids, as the cursor writes them) of the records in the grid's rows, in row
  // order: grid row r shows the record keyed ShownRecordKeys[r - 1]. Empty while the grid shows no
  // table.
  std::vector<std::string> ShownRecordKeys;
  // The insert-record dialog's assignment list: one entry per field of the table, in column order,
  // made anew at every opening.
  std::vector<FieldAssignment> InsertAssignments;
  // The table designer's state, made anew by every opening: what it was opened for, the table it
  // redesigns (Alter; "" for New), its field list (grid field row r shows the r-th entry that is
  // not Deleted; the entries not Added stand, in order, for the table's existing columns), those
  // columns' names as the table had them, whether the table's stored definition could not be read
  // column for column (the list then shows the engine's columns and the table is not rebuilt), and
  // whether the last key pressed in its grid was Up.
  DesignMode DesignerMode = DesignMode::kNew;
  std::string TargetTable;
  std::vector<FieldEntry> DesignerFields;
  std::vector<std::string> ExistingColumns;
  bool DefinitionUnread = false;
  bool UpKeyFlag = false;
};

// What a command handler works on: the state, the main window's controls and the modal services.
// All three outlive every handler.
struct App {
  AppState& state;
  MainWindow& window;
  ModalServices& services;
};

// Releases what the state holds, in this order: the cursor, the connection, the texts, the record
// set, the name lists. Reports nothing. Safe to call more than once.
void ReleaseState(AppState& state);

}  // namespace torvane
