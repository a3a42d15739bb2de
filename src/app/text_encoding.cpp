#include "app/text_encoding.h"

#include "app/operation_log.h"
#include "app/schema_tree.h"
#include "db/text_mode.h"
#include "ui/main_window.h"
#include "ui/modal_services.h"

namespace torvane {

std::string TextModeName(TextMode mode) { return mode == TextMode::kUtf8 ? "UTF-8" : "GBK"; }

void ApplyDetectedTextMode(App& app) {
  ZuveviRE& db = app.state.Connection;
  db.SetTextMode(DetectTextMode(db));
  ShowTextMode(app);
}

void ShowTextMode(App& app) {
  MenuItem& item = app.window.command_item(MainCommand::kSwitchTextMode);
  const ZuveviRE& db = app.state.Connection;
  // The item's caption is its designed text, whatever text it shows now.
  item.SetText(db.IsOpen() ? "文本编码：" + TextModeName(db.GetTextMode()) + "..."
                           : item.Caption());
}

void SwitchTextModeCommand(App& app) {
  ZuveviRE& db = app.state.Connection;
  if (!db.IsOpen()) return;
  const TextMode current = db.GetTextMode();
  const TextMode other = current == TextMode::kUtf8 ? TextMode::kGbk : TextMode::kUtf8;
  if (other == TextMode::kGbk && KeepsTextInUtf16(db)) {
    app.services.MessageBox("此数据库以 " + db.GetFileEncoding() +
                                " 保存文本，只能按 UTF-8 读写。\r\n按 GBK 写入的文本会被数据库"
                                "引擎转换成别的字符。",
                            kMbOkExclamation);
    return;
  }
  const int answer = app.services.MessageBox("当前数据库的文本按 " + TextModeName(current) +
                                                 " 读写。\r\n\r\n改为按 " + TextModeName(other) +
                                                 " 读写吗？\r\n（只改变本程序读写文本的方式，数据库"
                                                 "文件不会被改写；未提交的事务保持原样。）",
                                             kMbYesNoAsk);
  if (answer != kIdYes) return;
  // A cell being edited keeps the mode it was read in.
  app.window.grid().FinishEditing();
  db.SetTextMode(other);
  ShowTextMode(app);
  AppendLog(app, "数据库文本编码改为：" + TextModeName(other));
  // The tree is built anew and its selected table or view browsed again, in the new mode.
  RefreshSchema(app);
}

}  // namespace torvane
