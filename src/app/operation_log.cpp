#include "app/operation_log.h"

#include "base/files.h"
#include "base/text.h"
#include "ui/main_window.h"
#include "ui/modal_services.h"

namespace torvane {

void AppendLog(App& app, const std::string& line) { app.window.log_box().Append("\r\n" + line); }

std::string LogExcerpt(std::string_view text) {
  std::string excerpt = TextPrefix(text, static_cast<int>(kLogTextLimit));
  const bool cut = excerpt.size() < text.size();
  // One line: a CR LF pair becomes one blank, as does any other line break or tab.
  std::string line;
  line.reserve(excerpt.size());
  for (std::size_t i = 0; i < excerpt.size(); ++i) {
    const char c = excerpt[i];
    if (c == '\r' && i + 1 < excerpt.size() && excerpt[i + 1] == '\n') continue;
    line += c == '\r' || c == '\n' || c == '\t' ? ' ' : c;
  }
  if (cut) line += "…（共" + IntToText(static_cast<std::int64_t>(text.size())) + "字节）";
  return line;
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
