#include "app/transactions.h"

#include "app/operation_log.h"
#include "base/text.h"
#include "ui/modal_services.h"

namespace torvane {
namespace {

void Report(App& app, bool ok, const std::string& success, const std::string& failure) {
  if (ok) {
    app.services.MessageBox(success, kMbOk);
  } else {
    ReportError(app, failure);
  }
}

}  // namespace

void BeginTransactionCommand(App& app) {
  Report(app, app.state.Connection.BeginTransaction(), "已成功启动事务。", "启动事务失败！");
}

void CommitTransactionCommand(App& app) {
  Report(app, app.state.Connection.CommitTransaction(), "已成功提交事务。", "提交事务失败！");
}

void RollbackTransactionCommand(App& app) {
  Report(app, app.state.Connection.RollbackTransaction(), "已成功回滚事务。", "回滚事务失败！");
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
