#include "app/operation_log.h"

#include <algorithm>

#include "app/record_grid.h"
#include "app/transactions.h"
#include "base/files.h"
#include "base/text.h"
#include "ui/main_window.h"
#include "ui/modal_services.h"

namespace torvane {

void AppendLog(App& app, const std::string& line) { app.window.log_box().Append("\r\n" + line); }

std::string LogExcerpt(std::string_view text) {
  std::size_t end = 0;
  while (end < text.size()) {
    // A character of internal text is one byte below 0x80, four when its second byte is a digit
    // (GB18030's four-byte form), two otherwise.
    std::size_t unit = 1;
    if (static_cast<unsigned char>(text[end]) >= 0x81 && end + 1 < text.size()) {
      const unsigned char second = static_cast<unsigned char>(text[end + 1]);
      unit = second >= 0x30 && second <= 0x39 ? 4 : 2;
    }
    if (end + unit > kLogTextLimit) break;
    end = std::min(end + unit, text.size());
  }
  std::string excerpt(text.substr(0, end));
  for (char& c : excerpt) {
    if (c == '\r' || c == '\n' || c == '\t') c = ' ';
  }
  if (end < text.size()) {
    excerpt += "…（共" + IntToText(static_cast<std::int64_t>(text.size())) + "字节）";
  }
  return excerpt;
}

bool ReadChosenFile(App& app, const FileDialog& dialog, const std::string& failure, Bytes& bytes) {
  if (ReadWholeFile(dialog.file_name, bytes)) return true;
  app.services.MessageBox(failure + "无法读取文件：" + dialog.file_name, kMbOk);
  return false;
}

namespace {

void ShowError(App& app, const std::string& message, const std::string& error_text, int flags,
               const std::string& caption) {
  AppendLog(app, FailureLogLine(message, error_text));
  const std::string loss = TakeTransactionLoss(app);
  std::string text = message + "错误信息如下：\r\n\r\n" + error_text;
  if (!loss.empty()) text += "\r\n\r\n" + loss;
  // The grid already shows the file when the user reads that it does.
  if (!loss.empty()) ReloadShownTable(app);
  app.services.MessageBox(text, flags, caption);
}

}  // namespace

void ReportError(App& app, const std::string& message, int flags, const std::string& caption) {
  ShowError(app, message, app.state.Connection.GetErrorText(), flags, caption);
}

void ReportError(App& app, const std::string& message) {
  ReportError(app, message, kMbOkStop, "错误：");
}

void ReportErrorText(App& app, const std::string& message, const std::string& error_text, int flags,
                     const std::string& caption) {
  ShowError(app, message, error_text, flags, caption);
}

std::string FailureLogLine(const std::string& message, const std::string& reason) {
  return "[×]" + message + (reason.empty() ? "" : "（" + reason + "）");
}

void ClearLogCommand(App& app) { app.window.log_box().SetContent(""); }

void SaveLogCommand(App& app) {
  FileDialog& dialog = app.window.text_file_dialog();
  dialog.kind = FileDialogKind::kSave;
  if (!app.services.ShowFileDialog(dialog)) return;
  const std::string& path = dialog.file_name;
  if (!WriteFile(path, TextToBytes(app.window.log_box().Content()))) {
    app.services.MessageBox("写文件失败！", kMbOk);
    return;
  }
  app.services.MessageBox("已成功写入文件 " + path, kMbOk);
  app.services.ShellEdit(path);
}

}  // namespace torvane
