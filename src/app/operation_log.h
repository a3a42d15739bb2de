#pragma once

// The operation log of the main window: its lines, how a line quotes a value or a failure, and the
// log's own commands.

#include <cstddef>
#include <string>
#include <string_view>

#include "app/app_state.h"

namespace torvane {

// Appends CR LF and `line` at the end of the log box and scrolls to it.
void AppendLog(App& app, const std::string& line);

// Longest text a log line quotes from a value or a statement, in bytes.
constexpr std::size_t kLogTextLimit = 200;
// `text` as a log line quotes it: on one line (a line break or a tab becomes one blank) and, when
// longer than kLogTextLimit bytes, its beginning cut between two characters (TextPrefix), "…" and
// "（共N字节）".
std::string LogExcerpt(std::string_view text);

// The log line of a failure: "[×]" + message, and "（reason）" when there is one.
std::string FailureLogLine(const std::string& message, const std::string& reason);

// Empties the log.
void ClearLogCommand(App& app);

// Asks for a file and writes the log's bytes there (GB18030, CR LF, no terminating zero); on
// success reports the file name and opens the file with the desktop's editor.
void SaveLogCommand(App& app);

}  // namespace torvane
