#pragma once

// The operation log of the main window and the program's message conventions.

#include <cstddef>
#include <string>
#include <string_view>

#include "app/app_state.h"
#include "base/bytes.h"
#include "ui/modal_services.h"

namespace torvane {

struct FileDialog;

// Appends CR LF and `line` at the end of the log box and scrolls to it.
void AppendLog(App& app, const std::string& line);

// Longest text a log line quotes from a value or a statement, in bytes.
constexpr std::size_t kLogTextLimit = 200;
// `text` as a log line quotes it: on one line (a line break or a tab becomes one blank) and, when
// longer than kLogTextLimit bytes, its beginning cut between two characters (TextPrefix), "…" and
// "（共N字节）".
std::string LogExcerpt(std::string_view text);

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
// The log line of a failure: "[×]" + message, and "（reason）" when there is one.
std::string FailureLogLine(const std::string& message, const std::string& reason);

// Reads the whole file chosen in `dialog` into `bytes`. When it cannot be read, says so in a box
// (`failure` + "无法读取文件：" + its name) and returns false: nothing may then be stored or
// replaced in place of what the file holds. An empty file that can be read gives empty bytes.
bool ReadChosenFile(App& app, const FileDialog& dialog, const std::string& failure, Bytes& bytes);

// Empties the log.
void ClearLogCommand(App& app);

// Asks for a file and writes the log's bytes there (GB18030, CR LF, no terminating zero); on
// success reports the file name and opens the file with the desktop's editor.
void SaveLogCommand(App& app);

}  // namespace torvane
