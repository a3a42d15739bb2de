#include "app/transactions.h"

#include <tuple>

#include "app/messages.h"
#include "app/operation_log.h"
#include "app/record_grid.h"
#include "app/schema_tree.h"
#include "base/text.h"
#include "ui/main_window.h"
#include "ui/modal_services.h"

namespace torvane {

void NoteTransactionState(App& app) {
  app.state.TransactionSeenOpen = app.state.Connection.IsInTransaction();
}

bool TransactionEndedByEngine(const App& app) {
  return app.state.TransactionSeenOpen && !app.state.Connection.IsInTransaction();
}

std::string TakeTransactionLoss(App& app) {
  if (!TransactionEndedByEngine(app)) return "";
  app.state.TransactionSeenOpen = false;
  AppendLog(app, "[×]数据库引擎已回滚当前事务，其中尚未提交的修改都已丢失。");
  return "数据库引擎因此回滚了当前事务：事务中尚未提交的修改都已丢失，表中显示的是数据库文件现在的"
         "内容。";
}

bool StopForEndedTransaction(App& app, const std::string& message) {
  if (!TransactionEndedByEngine(app)) return false;
  ReportError(app, message);
  return true;
}

bool ReportTransactionEndedByRead(App& app) {
  const std::string loss = TakeTransactionLoss(app);
  if (loss.empty()) return false;
  ReloadShownTable(app);
  app.services.MessageBox("读取数据库文件时出错，" + loss, kMbOkStop, "错误：");
  return true;
}

void ShowFileAfterLoss(App& app) {
  const AppState& s = app.state;
  const auto before = std::make_tuple(s.TableNames, s.ViewNames, s.TempTableNames, s.TempViewNames);
  RefreshNameLists(app);
  if (std::tie(s.TableNames, s.ViewNames, s.TempTableNames, s.TempViewNames) == before) {
    ReloadShownTable(app);
    return;
  }
  // Rebuilding the tree shows the table or view shown before again, while it still exists.
  TreeView& tree = app.window.tree();
  const int item = tree.SelectedIndex();
  const bool object = tree.ItemData(item) >= static_cast<int>(ItemKind::kTable);
  RefreshSchemaTree(app, object ? tree.ItemText(item) : std::string());
}

void BeginTransactionCommand(App& app) {
  if (!app.state.Connection.BeginTransaction()) {
    ReportError(app, "启动事务失败！");
    NoteTransactionState(app);
    return;
  }
  NoteTransactionState(app);
  AppendLog(app, "已启动事务。");
  app.services.MessageBox("已成功启动事务。", kMbOk);
}

void CommitTransactionCommand(App& app) {
  if (CommitUserTransaction(app)) app.services.MessageBox("已成功提交事务。", kMbOk);
}

bool CommitUserTransaction(App& app) {
  ZuveviRE& db = app.state.Connection;
  if (db.CommitTransaction()) {
    NoteTransactionState(app);
    AppendLog(app, "已提交事务。");
    ReloadShownTable(app);
    return true;
  }
  if (db.IsInTransaction()) {
    // The engine kept the transaction (another program still reads the file): nothing is lost
    // and the same COMMIT can succeed later.
    const std::string reason = db.GetErrorText();
    AppendLog(app, FailureLogLine("提交事务失败，事务仍未结束。", reason));
    app.services.MessageBox("提交事务失败！错误信息如下：\r\n\r\n" + reason +
                                "\r\n\r\n事务仍未结束，其中的修改都还在，可以稍后再次提交。",
                            kMbOkStop, "错误：");
    NoteTransactionState(app);
    return false;
  }
  ReportError(app, "提交事务失败！");
  NoteTransactionState(app);
  return false;
}

void RollbackTransactionCommand(App& app) {
  if (RollbackUserTransaction(app)) app.services.MessageBox("已成功回滚事务。", kMbOk);
}

bool RollbackUserTransaction(App& app) {
  if (!app.state.Connection.RollbackTransaction()) {
    ReportError(app, "回滚事务失败！");
    NoteTransactionState(app);
    return false;
  }
  NoteTransactionState(app);
  AppendLog(app, "已回滚事务。");
  ReloadShownTable(app);
  return true;
}

void ShowErrorTextCommand(App& app) {
  app.services.MessageBox("最近一次操作的错误信息：" + app.state.Connection.GetErrorText(), kMbOk,
                          "取错误文本()：");
}

void ShowErrorCodeCommand(App& app) {
  app.services.MessageBox("最近一次操作的错误码：" + IntToText(app.state.Connection.GetErrorCode()),
                          kMbOk, "取错误码()：");
}

void ShowLastInsertIdCommand(App& app) {
  app.services.MessageBox(
      "最近一次插入记录时自动生成的记录ID：" + IntToText(app.state.Connection.GetLastInsertRowId()),
      kMbOk, "取最新插入ID()：");
}

}  // namespace torvane
