#pragma once

// The program's message conventions for a failure: the box, its log line, and what a failure that
// ended the user's transaction adds to both.

#include <string>

#include "app/app_state.h"
#include "ui/modal_services.h"

namespace torvane {

// Shows message + "错误信息如下：\r\n\r\n" + the connection's error text, with `flags` and
// `caption` (stop icon and "错误：" by default), and logs "[×]" + message + "（error text）".
// When the failure ended the user's transaction (TakeTransactionLoss), the box says so too, the
// log has a line for it and the shown table is read again, since its changes are gone.
void ReportError(App& app, const std::string& message, int flags, const std::string& caption);
void ReportError(App& app, const std::string& message);
// ReportError with `error_text` in place of the connection's text: for a failure the program had
// to roll back first, which leaves the engine with no error to report.
void ReportErrorText(App& app, const std::string& message, const std::string& error_text,
                     int flags = kMbOkStop, const std::string& caption = "错误：");
// A failure a command words in its own way: logs `log_line`, then shows `text` with `flags` and
// `caption`. A failure that ended the user's transaction is told as ReportError tells it.
void ReportFailure(App& app, const std::string& text, const std::string& log_line, int flags,
                   const std::string& caption);

}  // namespace torvane
