#pragma once

// The field value panel: one field of one record of the shown table, read by type into the
// panel's text, integer, decimal or picture control.

#include "app/app_state.h"
#include "db/field_info.h"

namespace torvane {

// The value kind of a page of the panel's tab control: 0 text, 1 integer, 2 decimal, 3 bytes.
FieldTypeCode PanelKindOfPage(int page);

// Blanks the four value controls, then reads the field selected in 组合框_字段名称 of the record
// selected in 组合框_记录序号 into the control of `kind`. Stops silently when nothing is selected or
// the cursor is closed; shows "读字段值失败！" when the record or field cannot be read. With
// `save_to_file` a bytes value read is then written to a file the user chooses.
void ReadIntoPanel(App& app, FieldTypeCode kind, bool save_to_file);

}  // namespace torvane
