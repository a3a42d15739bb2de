#pragma once

// The transaction and diagnostic commands of the 其它操作 menu: one call on the connection each,
// its outcome in a message box.

#include <string>

#include "app/app_state.h"
#include "db/command_transaction.h"

namespace torvane {

void BeginTransactionCommand(App& app);
void CommitTransactionCommand(App& app);
void RollbackTransactionCommand(App& app);

void ShowErrorTextCommand(App& app);
void ShowErrorCodeCommand(App& app);
void ShowLastInsertIdCommand(App& app);

}  // namespace torvane
