#include "app/messages.h"

#include "app/operation_log.h"
#include "app/transactions.h"

namespace torvane {

void ReportFailure(App& app, const std::string& text, const std::string& log_line, int flags,
                   const std::string& caption) {
  AppendLog(app, log_line);
  const std::string loss = TakeTransactionLoss(app);
  // The window already shows the file when the user reads that it does.
  if (!loss.empty()) ShowFileAfterLoss(app);
  app.services.MessageBox(loss.empty() ? text : text + "\r\n\r\n" + loss, flags, caption);
}

namespace {

void ShowError(App& app, const std::string& message, const std::string& error_text, int flags,
               const std::string& caption) {
  ReportFailure(app, message + "错误信息如下：\r\n\r\n" + error_text,
                FailureLogLine(message, error_text), flags, caption);
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
