#include "editing/field_panel.h"

#include <atomic>
#include <charconv>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "app/chosen_files.h"
#include "app/messages.h"
#include "app/operation_log.h"
#include "app/record_grid.h"
#include "app/schema_tree.h"
#include "app/value_kinds.h"
#include "base/files.h"
#include "base/text.h"
#include "ui/main_window.h"
#include "ui/modal_services.h"
#include "ui/picture_format.h"
#include "ui/runtime.h"

namespace torvane {
namespace {

// The longest bytes value that is read whole into the preview although it is no picture; the
// picture box then holds it, as it holds every value it is given.
constexpr std::uint64_t kLongestValueNotPreviewed = 64 * 1024;

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

// The selected record and field numbers of the panel's lists (0 when a list has no selection).
int SelectedRecord(App& app) { return app.window.record_number_box().SelectedIndex() + 1; }
int SelectedField(App& app) { return app.window.field_name_box().SelectedIndex() + 1; }

// What a panel write stored, as its log line quotes it.
std::string WrittenValueForLog(App& app, PanelWrite what, const Bytes& bytes) {
  MainWindow& w = app.window;
  switch (what) {
    case PanelWrite::kText:
      return LogExcerpt(w.text_value_box().Content());
    case PanelWrite::kInteger:
      return LogExcerpt(w.integer_value_box().Content());
    case PanelWrite::kDecimal:
      return LogExcerpt(w.decimal_value_box().Content());
    case PanelWrite::kBytesFromFile:
      return "字节集（" + IntToText(static_cast<std::int64_t>(bytes.size())) + "字节，来自文件 " +
             w.bytes_file_dialog().file_name + "）";
    case PanelWrite::kClearBytes:
      return "空字节集";
  }
  return "";
}

void ReadInto(App& app, FieldTypeCode kind, bool save_to_file, bool aside);

// Starts reading field `field` of the current record on a worker thread and decoding it there as a
// picture; the preview says meanwhile that it is being read, and shows the picture once it
// arrives. False, with nothing started, where the value cannot be read so (SqliteTable's
// ReadFieldAside). A read the worker could not finish is done again here, while the user waits,
// as a read that never went aside: it reports what fails.
bool ReadPictureAside(App& app, int field) {
  AppState& s = app.state;
  auto mailbox = std::make_unique<UiMailbox>();
  UiMailbox* post = mailbox.get();
  const PictureDecoder decoder;
  s.PendingPanelRead = s.Cursor.ReadFieldAside(
      field, [post, &app, decoder](std::optional<Bytes> value, const std::atomic<bool>& stopped) {
        // Held by the posted work, which must be copyable: the value is not copied.
        struct Read {
          std::optional<Bytes> value;
          DecodedPicture picture;
        };
        auto read = std::make_shared<Read>();
        if (value) read->picture = decoder.Decode(*value, &stopped);
        read->value = std::move(value);
        post->Post([&app, read] {
          AppState& state = app.state;
          state.PendingPanelRead.reset();
          state.PanelReadMailbox.reset();
          if (read->value) {
            app.window.picture_box().ShowDecoded(std::move(*read->value), read->picture);
          } else {
            ReadInto(app, FieldTypeCode::kBytes, false, false);
          }
        });
      });
  if (!s.PendingPanelRead) return false;
  s.PanelReadMailbox = std::move(mailbox);
  app.window.picture_box().ShowNote("正在读取图片……");
  return true;
}

// Read into panel; `aside` lets a long picture be read and decoded on a worker thread.
void ReadInto(App& app, FieldTypeCode kind, bool save_to_file, bool aside) {
  MainWindow& w = app.window;
  // A picture still being read is of no use: another value, or the same one again, takes its place.
  StopPanelRead(app);
  w.text_value_box().SetContent("");
  w.integer_value_box().SetContent("");
  w.decimal_value_box().SetContent("");
  w.picture_box().SetPicture(Bytes());
  const int record = SelectedRecord(app);
  const int field = SelectedField(app);
  SqliteTable& cursor = app.state.Cursor;
  if (record == 0 || field == 0 || !cursor.IsOpen()) return;

  bool ok = GoToShownRecord(app, record);
  if (ok && kind == FieldTypeCode::kBytes && !save_to_file) {
    // A long value that is no picture has nothing to preview: its first bytes tell so, and the
    // rest is not read (an export reads it whole).
    Bytes start;
    std::uint64_t size = 0;
    if (cursor.ReadFieldStart(field, kPictureMarkBytes, start, size)) {
      const bool picture = DetectPictureFormat(start) != PictureFormat::kNone;
      if (size > kLongestValueNotPreviewed && !picture) return;
      // A long picture takes long to read and decode: the window answers meanwhile.
      if (aside && picture && size >= app.state.PanelReadAsideBytes &&
          ReadPictureAside(app, field)) {
        return;
      }
    }
  }
  if (ok && kind == FieldTypeCode::kBytes) {
    Bytes bytes;
    ok = cursor.ReadField(field, bytes);
    if (ok) {
      if (save_to_file) SaveBytesToFile(app, bytes);
      w.picture_box().SetPicture(std::move(bytes));
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
  // The engine's reason goes with it: a record another program deleted, a lock held too long.
  if (!ok) ReportError(app, "读字段值失败！", kMbOk, "信息：");
}

}  // namespace

FieldTypeCode PanelKindOfPage(int page) { return KindOfPage(page); }

void ReadIntoPanel(App& app, FieldTypeCode kind, bool save_to_file) {
  ReadInto(app, kind, save_to_file, true);
}

void RefreshFieldPanel(App& app) {
  if (!IsTableSelected(app) || !app.state.Cursor.IsOpen()) return;
  ReadIntoPanel(app, PanelKindOfPage(app.window.field_tabs().CurrentPage()), false);
}

PanelNumber IntegerBoxValue(const std::string& text) {
  PanelNumber value;
  value.number = ToNumber(text);
  // A fraction or an exponent makes it a decimal number, which the double already is.
  const NumberSpan span = LeadingNumber(text);
  if (!span.integral) return value;
  std::string digits(text.substr(span.begin, span.end - span.begin));
  if (digits[0] == '+') digits.erase(0, 1);
  std::int64_t integer = 0;
  const auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), integer);
  if (error != std::errc() || stop != digits.data() + digits.size()) return value;
  // 2^63 itself is the first double beyond the 64-bit range; below it the cast back is defined.
  const double as_double = static_cast<double>(integer);
  const bool exact =
      as_double < 9223372036854775808.0 && static_cast<std::int64_t>(as_double) == integer;
  if (!exact) {
    value.exact_integer = true;
    value.integer = integer;
  }
  return value;
}

void WriteFromPanel(App& app, PanelWrite what) {
  MainWindow& w = app.window;
  SqliteTable& cursor = app.state.Cursor;
  const int record = SelectedRecord(app);
  const int field = SelectedField(app);
  if (record == 0 || field == 0 || !cursor.IsOpen()) return;
  // The picture being read may be the value about to change.
  StopPanelRead(app);
  if (what == PanelWrite::kClearBytes &&
      app.services.MessageBox("本操作将清除字段 [" + w.field_name_box().CurrentText() +
                                  "] 中的现有数据，确认要继续吗？",
                              kMbYesNoCancelAsk) != kIdYes) {
    return;
  }
  if (!GoToShownRecord(app, record)) {
    // A record another program deleted meanwhile says so; a row with no record behind it gets
    // the plain refusal.
    if (ShownRecordHasKey(app, record)) {
      ReportError(app, "写字段值失败！");
    } else {
      app.services.MessageBox("写字段值失败！", kMbOkStop);
    }
    return;
  }
  cursor.Edit();

  bool staged = false;
  Bytes bytes;  // what a bytes write stores, shown in the preview once it is stored
  switch (what) {
    case PanelWrite::kText:
      staged = cursor.SetField(field, w.text_value_box().Content());
      break;
    case PanelWrite::kInteger: {
      const PanelNumber value = IntegerBoxValue(w.integer_value_box().Content());
      staged = value.exact_integer ? cursor.SetField(field, value.integer)
                                   : cursor.SetField(field, value.number);
      break;
    }
    case PanelWrite::kDecimal:
      staged = cursor.SetField(field, ToNumber(w.decimal_value_box().Content()));
      break;
    case PanelWrite::kBytesFromFile: {
      FileDialog& dialog = w.bytes_file_dialog();
      dialog.kind = FileDialogKind::kOpen;
      if (!app.services.ShowFileDialog(dialog)) break;
      // Storing empty bytes in place of a file that could not be read would lose the value.
      if (!ReadChosenFile(app, dialog, "写字段值失败！", bytes)) return;
      staged = cursor.SetField(field, bytes);
      break;
    }
    case PanelWrite::kClearBytes:
      staged = cursor.SetField(field, Bytes());
      break;
  }
  if (!staged) {
    app.services.MessageBox("写字段值失败！", kMbOk);
    return;
  }
  const std::string field_name = w.field_name_box().CurrentText();
  if (cursor.Update()) {
    // An edit of the key moves the record to a new key; the grid row follows it.
    app.state.ShownRecordKeys[record - 1] = cursor.GetWrittenKey();
    AppendLog(app, "已写入第" + IntToText(record) + "条记录的 " + field_name + " 字段值：" +
                       WrittenValueForLog(app, what, bytes));
    // The grid shows what is now stored; the panel stays at its record and field.
    ReloadShownTable(app, AfterReload::kSameCellKeepPanel);
    if (what == PanelWrite::kBytesFromFile || what == PanelWrite::kClearBytes) {
      w.picture_box().SetPicture(std::move(bytes));
    }
    app.services.MessageBox("已成功写入字段值！", kMbOk);
  } else {
    // The engine's reason, or why the table cannot be written here, goes with the message; the
    // grid shows the file again first.
    const std::string reason = app.state.Connection.GetErrorText();
    ReloadShownTable(app, AfterReload::kSameCellKeepPanel);
    ReportErrorText(app, "写字段值失败！", reason, kMbOkStop, "信息：");
  }
}

void LoadTextFromFile(App& app) {
  FileDialog& dialog = app.window.text_file_dialog();
  dialog.kind = FileDialogKind::kOpen;
  if (!app.services.ShowFileDialog(dialog)) return;
  Bytes bytes;
  if (!ReadChosenFile(app, dialog, "读文件失败！", bytes)) return;
  app.window.text_value_box().SetContent(BytesToText(bytes));
}

void SaveTextToFile(App& app) {
  FileDialog& dialog = app.window.text_file_dialog();
  dialog.kind = FileDialogKind::kSave;
  if (!app.services.ShowFileDialog(dialog)) return;
  const std::string& path = dialog.file_name;
  if (!WriteFile(path, TextToBytes(app.window.text_value_box().Content()))) {
    app.services.MessageBox("写文件失败！", kMbOk);
    return;
  }
  app.services.MessageBox("已成功写入文件 " + path, kMbOk);
  app.services.ShellEdit(path);
}

}  // namespace torvane
