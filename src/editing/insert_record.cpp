#include "editing/insert_record.h"

#include <string>
#include <utility>
#include <vector>

#include "app/chosen_files.h"
#include "app/messages.h"
#include "app/operation_log.h"
#include "app/record_grid.h"
#include "app/value_kinds.h"
#include "base/files.h"
#include "base/text.h"
#include "db/field_info.h"
#include "ui/insert_dialog.h"
#include "ui/modal_services.h"

namespace torvane {
namespace {

// The field number of the field list's current row: 1-based, 0 when there is no current row.
int CurrentField(InsertDialog& d) { return d.field_grid().CurrentRow() + 1; }

// The entry of `field` in the assignment list; nullptr when there is none.
FieldAssignment* EntryOf(InsertState& is, int field) {
  std::vector<FieldAssignment>& list = is.InsertAssignments;
  if (field < 1 || field > static_cast<int>(list.size())) return nullptr;
  return &list[static_cast<std::size_t>(field - 1)];
}

void Start(App& app, InsertState& is, InsertDialog& d) {
  SqliteTable& cursor = app.state.Cursor;
  is.InsertAssignments.clear();
  if (!cursor.IsOpen()) {
    app.services.MessageBox("没有要操作的表！", kMbOk);
    d.window().Close();
    return;
  }
  d.window().SetTitle("向表 " + cursor.GetName() + " 中插入新记录...");
  const std::vector<std::string> names = cursor.GetFieldNames();
  if (names.empty()) {
    app.services.MessageBox("表中没有字段，无法插入记录！", kMbOk);
    d.window().Close();
    return;
  }
  Grid& list = d.field_grid();
  list.SetRowCount(static_cast<int>(names.size()));
  for (std::size_t i = 0; i < names.size(); ++i) {
    list.SetCellText(static_cast<int>(i), 0, names[i]);
  }
  is.InsertAssignments.assign(names.size(), FieldAssignment());
  list.SetCurrentCell(0, 0);
  if (!cursor.AddNew()) {
    app.services.MessageBox("插入失败！", kMbOk);
    d.window().Close();
  }
}

void ShowField(App& app, InsertState& is, InsertDialog& d) {
  d.text_value_box().SetContent("");
  d.integer_value_box().SetContent("");
  d.decimal_value_box().SetContent("");
  d.picture_box().SetPicture(Bytes());
  const int field = CurrentField(d);
  if (field < 1) {
    app.services.MessageBox("请选择要赋值的字段！", kMbOk);
    return;
  }
  const FieldAssignment* entry = EntryOf(is, field);
  if (entry == nullptr || entry->Kind == 0) return;
  d.value_tabs().SetCurrentPage(PageOfKind(static_cast<FieldTypeCode>(entry->Kind)));
  d.text_value_box().SetContent(entry->Text);
  d.integer_value_box().SetContent(entry->Text);
  d.decimal_value_box().SetContent(entry->Text);
  d.picture_box().SetPicture(entry->Value);
  d.bytes_length_label().SetCaption("长度(字节)：" +
                                    IntToText(static_cast<std::int64_t>(entry->Value.size())));
}

void Assign(App& app, InsertState& is, InsertDialog& d) {
  const int field = CurrentField(d);
  FieldAssignment* entry = EntryOf(is, field);
  if (field == 0 || entry == nullptr) {
    app.services.MessageBox("请选择要赋值的字段！", kMbOk);
    return;
  }
  SqliteTable& cursor = app.state.Cursor;
  bool ok = false;
  const FieldTypeCode kind = KindOfPage(d.value_tabs().CurrentPage());
  entry->Kind = static_cast<int>(kind);
  switch (kind) {
    case FieldTypeCode::kInteger:
      entry->Text = d.integer_value_box().Content();
      ok = cursor.SetField(field, entry->Text);
      break;
    case FieldTypeCode::kDecimal:
      entry->Text = d.decimal_value_box().Content();
      ok = cursor.SetField(field, entry->Text);
      break;
    case FieldTypeCode::kBytes:
      entry->Value = d.picture_box().Picture();
      ok = cursor.SetField(field, entry->Value);
      break;
    default:
      entry->Text = d.text_value_box().Content();
      ok = cursor.SetField(field, entry->Text);
      break;
  }
  if (ok) {
    app.services.MessageBox("已成功写入字段值。", kMbOk);
  } else {
    ReportError(app, "为字段赋值失败！");
  }
}

void ImportBytes(App& app, InsertState& is, InsertDialog& d) {
  FileDialog& dialog = d.file_dialog();
  dialog.kind = FileDialogKind::kOpen;
  if (!app.services.ShowFileDialog(dialog)) return;
  Bytes bytes;
  // Assigning empty bytes in place of a file that could not be read would store nothing of it.
  if (!ReadChosenFile(app, dialog, "为字段赋值失败！", bytes)) return;
  d.picture_box().SetPicture(std::move(bytes));
  d.bytes_length_label().SetCaption("字节集长度(字节)：" + IntToText(static_cast<std::int64_t>(
                                                               d.picture_box().Picture().size())));
  Assign(app, is, d);
}

void ClearBytes(App& app, InsertState& is, InsertDialog& d) {
  d.picture_box().SetPicture(Bytes());
  d.bytes_length_label().SetCaption("字节集长度(字节)：0");
  Assign(app, is, d);
}

void Insert(App& app, InsertDialog& d) {
  if (!app.state.Cursor.Update()) {
    // The dialog stays open with its assignments and the cursor keeps its staged values, so the
    // user can put them right and try again.
    ReportError(app, "插入记录失败！");
    return;
  }
  AppendLog(app, "已在表 " + app.state.Cursor.GetName() + " 中插入记录");
  app.services.MessageBox("已成功插入记录！", kMbOk);
  ReloadShownTable(app, AfterReload::kNoCell);
  d.window().Close();
}

void Abandon(App& app, InsertDialog& d) {
  app.state.Cursor.Cancel();
  d.window().Close();
}

}  // namespace

void ConnectInsertDialog(App& app, InsertState& is, InsertDialog& d) {
  d.on_created = [&app, &is, &d] { Start(app, is, d); };
  d.field_grid().on_current_cell_changed = [&app, &is, &d] { ShowField(app, is, d); };
  d.text_value_box().on_content_changed = [&d] {
    d.text_length_label().SetCaption("文本长度(字符数)：" +
                                     IntToText(TextLength(d.text_value_box().Content())));
  };
  for (Button* button :
       {&d.write_text_button(), &d.write_integer_button(), &d.write_decimal_button()}) {
    button->on_clicked = [&app, &is, &d] { Assign(app, is, d); };
  }
  d.read_bytes_from_file_button().on_clicked = [&app, &is, &d] { ImportBytes(app, is, d); };
  d.clear_bytes_button().on_clicked = [&app, &is, &d] { ClearBytes(app, is, d); };
  d.ok_button().on_clicked = [&app, &d] { Insert(app, d); };
  d.cancel_button().on_clicked = [&app, &d] { Abandon(app, d); };
}

void InsertRecordCommand(App& app) {
  InsertState state;
  InsertDialog dialog;
  ConnectInsertDialog(app, state, dialog);
  dialog.ShowModal();
  // Closed by its close box, the dialog left the cursor adding; staged values must not linger into
  // a later write.
  app.state.Cursor.Cancel();
}

}  // namespace torvane
