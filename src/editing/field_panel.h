#pragma once

// The field value panel: one field of one record of the shown table, read by type into the
// panel's text, integer, decimal or picture control and written back from them; bytes imported
// from and exported to files, text loaded from and saved to text files.

#include <cstdint>
#include <string>

#include "app/app_state.h"
#include "db/field_info.h"

namespace torvane {

// What a write from the panel stores.
enum class PanelWrite {
  kText,           // the text box, as text
  kInteger,        // the integer box, as a number
  kDecimal,        // the decimal box, as a double-precision number
  kBytesFromFile,  // the bytes of a file the user chooses
  kClearBytes,     // empty bytes, after the user confirmed
};

// The value kind of a page of the panel's tab control: 0 text, 1 integer, 2 decimal, 3 bytes.
FieldTypeCode PanelKindOfPage(int page);

// Blanks the four value controls, then reads the field selected in 组合框_字段名称 of the record
// selected in 组合框_记录序号 into the control of `kind`. Stops silently when nothing is selected
// or the cursor is closed; shows "读字段值失败！" when the record or field cannot be read. With
// `save_to_file` a bytes value read is then written to a file the user chooses.
void ReadIntoPanel(App& app, FieldTypeCode kind, bool save_to_file);

// Reads the selected field of the selected record into the current page, when a table is shown
// and the cursor is open; otherwise does nothing.
void RefreshFieldPanel(App& app);

// Writes the selected field of the selected record from the panel, as `what` says, and reports
// the outcome. Stops silently when nothing is selected or the cursor is closed. The grid is not
// refreshed: it shows the new value when the table is shown again.
void WriteFromPanel(App& app, PanelWrite what);

// The value the integer box stores: the leading number of `text` as a double, or, when that number
// is an integer a double cannot hold exactly (beyond 2^53), that exact 64-bit integer.
struct PanelNumber {
  bool exact_integer = false;
  std::int64_t integer = 0;
  double number = 0;
};
PanelNumber IntegerBoxValue(const std::string& text);

// Asks for a text file and puts its text (up to the first zero byte) into the text box; nothing is
// written to the database. A file that cannot be read is reported and leaves the box as it was.
void LoadTextFromFile(App& app);

// Asks for a file and writes the text box's bytes there; on success reports it and opens the file
// with the desktop's editor.
void SaveTextToFile(App& app);

}  // namespace torvane
