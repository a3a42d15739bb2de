#include "app/messages.h"

#include "app/operation_log.h"
#include "app/record_grid.h"
#include "app/transactions.h"

namespace torvane {

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

}  // namespace torvane
