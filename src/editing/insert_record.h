#pragma once

// The insert-record dialog "插入记录...": the fields of the cursor's table, a value assigned to any
// of them by page (text, integer, decimal, bytes), and one INSERT of the assigned fields on "确定".

#include "app/app_state.h"

namespace torvane {

class InsertDialog;

// "插入记录...": opens a new insert-record dialog modally and returns when it has closed. Whatever
// way it closed, the cursor is back to browsing afterwards.
void InsertRecordCommand(App& app);

// Binds every event of `dialog` to the dialog's logic working on `app`; its created event runs the
// start-up checks and puts the cursor into add mode. `dialog` must outlive its showing.
void ConnectInsertDialog(App& app, InsertDialog& dialog);

}  // namespace torvane
