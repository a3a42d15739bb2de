#pragma once

// The record commands of the 表 menu: append a record of nulls to the shown table, and delete the
// record chosen in the field panel.

#include "app/app_state.h"

namespace torvane {

// "插入空记录": appends a record whose every field is null to the shown table and shows the table
// again. Does nothing unless a table is shown; a table that refuses such a record is named in a
// message.
void InsertEmptyRecord(App& app);

// "删除当前记录": after the user confirmed, deletes the record chosen in 组合框_记录序号 (the one
// its grid row shows, found by its row id) and shows the table again. Deletes nothing when no
// record is chosen or the chosen one no longer exists.
void DeleteCurrentRecord(App& app);

}  // namespace torvane
