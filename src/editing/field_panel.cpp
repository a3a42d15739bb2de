#include "editing/field_panel.h"

#include "base/files.h"
#include "ui/main_window.h"
#include "ui/modal_services.h"

namespace torvane {
namespace {

// Asks for a file and writes `bytes` there, reporting the outcome.
void SaveBytesToFile(App& app, const Bytes& bytes) {
  FileDialog& dialog = app.window.bytes_file_dialog();
  dialog.kind = FileDialogKind::kSave;
  if (!app.services.ShowFileDialog(dialog)) return;
  if (!WriteFile(dialog.file_name, bytes)) {
    app.services.MessageBox("写文件失败！", kMbOk);
    return;
  }
  app.services.MessageBox("已成功写入文件 " + dialog.file_name, kMbOk);
}

}  // namespace

FieldTypeCode PanelKindOfPage(int page) {
  switch (page) {
    case 1:
      return FieldTypeCode::kInteger;
    case 2:
      return FieldTypeCode::kDecimal;
    case 3:
      return FieldTypeCode::kBytes;
    default:
      return FieldTypeCode::kText;
  }
}

void ReadIntoPanel(App& app, FieldTypeCode kind, bool save_to_file) {
  MainWindow& w = app.window;
  w.text_value_box().SetContent("");
  w.integer_value_box().SetContent("");
  w.decimal_value_box().SetContent("");
  w.picture_box().SetPicture(Bytes());
  const int record = w.record_number_box().SelectedIndex() + 1;
  const int field = w.field_name_box().SelectedIndex() + 1;
  SqliteTable& cursor = app.state.Cursor;
  if (record == 0 || field == 0 || !cursor.IsOpen()) return;

  bool ok = cursor.GoTo(record);
  if (ok && kind == FieldTypeCode::kBytes) {
    Bytes bytes;
    ok = cursor.ReadField(field, bytes);
    if (ok) {
      w.picture_box().SetPicture(bytes);
      if (save_to_file) SaveBytesToFile(app, bytes);
    }
  } else if (ok) {
    std::string text;
    ok = cursor.ReadField(field, text);
    if (ok) {
      EditBox& box = kind == FieldTypeCode::kInteger   ? w.integer_value_box()
                     : kind == FieldTypeCode::kDecimal ? w.decimal_value_box()
                                                       : w.text_value_box();
      box.SetContent(text);
    }
  }
  if (!ok) app.services.MessageBox("读字段值失败！", kMbOk);
}

}  // namespace torvane
