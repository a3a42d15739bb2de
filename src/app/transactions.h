#pragma once

// The transaction and diagnostic commands of the 其它操作 menu, and how the program keeps track of
// a transaction the engine ended by itself.

#include <string>

#include "app/app_state.h"
#include "db/command_transaction.h"

namespace torvane {

// The engine ends a transaction by itself when a statement in it fails in some ways (an I/O error,
// a full disk, a failed COMMIT): everything the transaction held is gone. The program notes whether
// a transaction is open after every command that may begin or end one (the transaction commands, a
// console statement, an open, a close); every failure report then compares.
void NoteTransactionState(App& app);
// When a transaction noted open is no longer open: notes that, writes the loss to the log and
// returns the sentence that tells the user; "" otherwise. The caller puts the sentence into its
// failure message and shows the file again, ShowFileAfterLoss (ReportError and ReportErrorText do
// both).
std::string TakeTransactionLoss(App& app);

// Whether the transaction noted open is no longer open: the engine ended it by itself.
bool TransactionEndedByEngine(const App& app);
// A statement that failed on the file ends the transaction even when it only read, and some reads
// may fail without stopping a command (a name it looks up, a check). Before it writes, such a
// command asks whether the transaction noted open has ended so: its write would otherwise be
// written on its own instead of joining that transaction. When it has, reports `message` as
// ReportError does, the loss included, and returns true; the command then writes nothing.
bool StopForEndedTransaction(App& app, const std::string& message);
// After the reads of a browse, some of which may fail without stopping it: when they ended the
// transaction noted open, tells the user in a box (the log has the loss, see TakeTransactionLoss)
// and reads the shown table again. True when they had. The tree is not rebuilt here, since a browse
// runs inside the tree's own selection event; RefreshSchemaTree rebuilds it once that is over.
bool ReportTransactionEndedByRead(App& app);
// After the engine rolled the user's transaction back: the names and the tree are read again, and
// the table or view shown before is shown again while it still exists, since tables and views the
// transaction made, renamed or dropped are back as they were.
void ShowFileAfterLoss(App& app);

// Begin, commit and roll back the user's transaction. Each says how it went, logs it, and after a
// commit or rollback the shown table is read again. A failed commit says whether the transaction
// is still open (another program reads: it can be committed again) or the engine rolled it back.
void BeginTransactionCommand(App& app);
void CommitTransactionCommand(App& app);
void RollbackTransactionCommand(App& app);
// The commit and the rollback of those commands without their success message: true when done;
// a failure is reported as the commands report it.
bool CommitUserTransaction(App& app);
bool RollbackUserTransaction(App& app);

void ShowErrorTextCommand(App& app);
void ShowErrorCodeCommand(App& app);
void ShowLastInsertIdCommand(App& app);

}  // namespace torvane
