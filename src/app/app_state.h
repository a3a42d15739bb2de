#pragma once

// The one program-wide state, and the context every command of the main window works in.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "db/connection.h"
#include "db/record_set.h"
#include "db/side_backup.h"
#include "db/side_count.h"
#include "db/side_read.h"
#include "db/table_cursor.h"
#include "ui/runtime.h"

namespace torvane {

class MainWindow;
class ModalServices;

// How a console query's rows stopped arriving: all read, a failure part way, or stopped before the
// end (another result took the grid's place, the database closed, the user cancelled).
enum class QueryRowsOutcome { kComplete, kFailed, kStopped };

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
  // The count of the shown table's rows while a worker thread takes it, and the mailbox its result
  // comes back through; a new one of each for every count, so the result of a count that was
  // stopped never arrives. The count is declared after its mailbox: it ends first.
  std::unique_ptr<UiMailbox> CountMailbox;
  std::unique_ptr<SideCount> PendingCount;
  // Starts the pending count again from the beginning; null when no count is pending. Raised by
  // long work that had to stop the count, when it ends with the grid as it was.
  std::function<void()> RestartCount;
  // Raised by every StopRowCount: work that stopped the count can tell whether the grid was filled
  // again meanwhile.
  std::uint64_t CountStops = 0;
  // How long work the user waits for runs before its progress window shows (LongWork).
  int ProgressDelayMs = 500;
  // The rest of a console query's rows, read in slices while the user already sees the first ones
  // (app/query_rows.h); null when no rows are arriving. `QueryRowsEnd` runs once they stop
  // arriving, for whatever reason.
  std::unique_ptr<UiIdleWork> QueryRows;
  std::function<void(QueryRowsOutcome)> QueryRowsEnd;
  // How many rows a console query shows at first; the rest arrive afterwards.
  int QueryFirstRows = 1000;
  // The field panel's picture while a worker thread reads and decodes it, and the mailbox it comes
  // back through; a new one of each for every read, so the picture of a read that was stopped
  // never arrives. The read is declared after its mailbox: it ends first.
  std::unique_ptr<UiMailbox> PanelReadMailbox;
  std::unique_ptr<SideRead> PendingPanelRead;
  // The size from which the field panel reads and decodes a picture on a worker thread, where
  // another connection sees the value; a smaller one is read while the user waits, which is no
  // wait at all.
  std::uint64_t PanelReadAsideBytes = 1 << 20;
  // How many pieces of work run statements on the connection while the message loop may still
  // handle events (LongWork, the rest of a query read while the user waits): until they end, the
  // query's rows wait, so that no statement is stepped from inside another.
  int ConnectionBusy = 0;
  // The backup copy the last open makes of its file while a worker thread writes it, kept until
  // the program lets go of the file (app/open_backup.h), and the mailbox its end comes back
  // through; a new one of each for every open. The backup is declared after its mailbox: it ends
  // first.
  std::unique_ptr<UiMailbox> BackupMailbox;
  std::unique_ptr<SideBackup> OpenBackup;
  // Whether the end of OpenBackup has been told: logged, and a failure shown.
  bool OpenBackupTold = false;
  // Runs on the open's backup worker once it holds the file at the state the copy will have,
  // before it copies; null in the program. Tests hold the worker back with it.
  std::function<void()> BackupHeld;
};

// Stops the count of rows still being taken, if any, and waits for its worker to end; its result
// is dropped. Safe to call at any time.
void StopRowCount(AppState& state);

// What a command handler works on: the state, the main window's controls and the modal services.
// All three outlive every handler.
struct App {
  AppState& state;
  MainWindow& window;
  ModalServices& services;
};

// Stops the field panel's picture still being read, if any, and waits for its worker to end: its
// picture never arrives, and the preview's note that it is being read goes. Safe to call at any
// time, also from inside an engine call of the program's connection.
void StopPanelRead(App& app);

// Releases what the state holds, in this order: a backup still being written (abandoned: nothing
// of it is left), the cursor, the connection, the texts, the record set, the name lists. Reports
// nothing. Safe to call more than once. The order is not what keeps it safe: the cursor and the
// record set hold the engine connection themselves, so it goes away when the last of the three lets
// go (db/connection.h).
void ReleaseState(AppState& state);

}  // namespace torvane
