#include "support/statement_log.h"

#include <utility>

namespace torvane::testing {
namespace {
StatementLog* active_log = nullptr;
}

StatementLog::StatementLog() {
  active_log = this;
  sqlite3_auto_extension(reinterpret_cast<void (*)()>(&StatementLog::OnConnectionOpened));
}

StatementLog::~StatementLog() {
  sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&StatementLog::OnConnectionOpened));
  active_log = nullptr;
}

int StatementLog::OnConnectionOpened(sqlite3* db, const char**, const void*) {
  sqlite3_trace_v2(db, SQLITE_TRACE_STMT, &StatementLog::OnTrace, nullptr);
  return SQLITE_OK;
}

int StatementLog::OnTrace(unsigned, void*, void*, void* text) {
  StatementLog* log = active_log;
  if (log != nullptr && text != nullptr) {
    std::lock_guard<std::mutex> lock(log->mutex_);
    log->statements_.emplace_back(static_cast<const char*>(text));
  }
  return 0;
}

std::vector<std::string> StatementLog::Take() {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::exchange(statements_, {});
}

}  // namespace torvane::testing
