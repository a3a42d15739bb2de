#pragma once

// The insert-record dialog "插入记录...": the fields of the cursor's table, a value assigned to any
// of them by page (text, integer, decimal, bytes), and one INSERT of the assigned fields on "确定".

#include <string>
#include <vector>

#include "app/app_state.h"
#include "base/bytes.h"

namespace torvane {

class InsertDialog;

// What the dialog last assigned to one field.
struct FieldAssignment {
  // 0 while unassigned; otherwise the field type code of the page it was assigned from (10 text,
  // 3 integer, 5 decimal, 11 bytes).
  int Kind = 0;
  // The text last assigned from the text, integer or decimal page.
  std::string Text;
  // The bytes last assigned from the bytes page.
  Bytes Value;
};

// The dialog's working state, made anew by every opening and owned by it: the assignment list, one
// entry per field of the table, in column order.
struct InsertState {
  std::vector<FieldAssignment> InsertAssignments;
};

// "插入记录...": opens a new insert-record dialog modally and returns when it has closed. Whatever
// way it closed, the cursor is back to browsing afterwards.
void InsertRecordCommand(App& app);

// Binds every event of `dialog` to the dialog's logic working on `app` and `state`; its created
// event runs the start-up checks and puts the cursor into add mode. `state` and `dialog` must
// outlive its showing.
void ConnectInsertDialog(App& app, InsertState& state, InsertDialog& dialog);

}  // namespace torvane
