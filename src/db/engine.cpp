#include "db/engine.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include <sqlite3.h>

#include "base/codec.h"

namespace torvane {

// sqlite3_close_v2 rather than sqlite3_close: a statement that outlives the last holder turns the
// connection into one the engine closes as soon as that statement is finalized.
Engine::~Engine() { sqlite3_close_v2(db_); }

void Engine::SetBusyWait(int timeout_ms) {
  busy_timeout_ms_ = timeout_ms;
  sqlite3_busy_handler(db_, timeout_ms > 0 ? &Engine::WaitWhileBusy : nullptr, this);
}

int Engine::WaitWhileBusy(void* engine, int attempts) {
  auto& self = *static_cast<Engine*>(engine);
  if (attempts == 0) {
    if (self.on_busy_) self.on_busy_();
    // The lock may be held by the program's own work on another connection, which the gate waits
    // for; a refusal gives up the wait at once.
    if (!self.AskWriteGate(SQLITE_BUSY).empty()) return 0;
  }
  // Short sleeps first, for a lock that is let go at once; then a tenth of a second at a time.
  static constexpr int kSleepsMs[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};
  constexpr int kSteps = static_cast<int>(std::size(kSleepsMs));
  int waited = 0;
  for (int i = 0; i < attempts && i < kSteps; ++i) waited += kSleepsMs[i];
  if (attempts > kSteps) waited += (attempts - kSteps) * kSleepsMs[kSteps - 1];
  int sleep = kSleepsMs[std::min(attempts, kSteps - 1)];
  if (waited + sleep > self.busy_timeout_ms_) sleep = self.busy_timeout_ms_ - waited;
  if (sleep <= 0) return 0;
  sqlite3_sleep(sleep);
  return 1;
}

std::string Engine::AskWriteGate(int code) {
  if (!write_gate_) return "";
  std::string refusal = write_gate_();
  if (!refusal.empty()) {
    kept_.reset();
    KeepError(Error{code, refusal});
  }
  return refusal;
}

void Engine::SetKeepGoing(std::function<bool()> keep_going) {
  keep_going_ = std::move(keep_going);
  RestoreKeepGoing();
}

void Engine::RestoreKeepGoing() {
  // Steps of the engine's virtual machine between two questions: a few microseconds of work.
  constexpr int kStepsBetween = 4096;
  sqlite3_progress_handler(db_, keep_going_ ? kStepsBetween : 0,
                           keep_going_ ? &Engine::AskKeepGoing : nullptr, this);
}

int Engine::AskKeepGoing(void* engine) {
  const auto& self = *static_cast<Engine*>(engine);
  return self.keep_going_ && !self.keep_going_() ? 1 : 0;
}

void Engine::BeforePrepare() {
  if (!before_prepare_ || preparing_) return;
  preparing_ = true;
  before_prepare_();
  preparing_ = false;
}

Engine::Error Engine::LastError() const {
  if (kept_) return *kept_;
  const char* message = sqlite3_errmsg(db_);
  // The message quotes names and SQL in the database's own encoding.
  return Error{sqlite3_errcode(db_), message == nullptr ? "" : FromEngine(message)};
}

std::string Engine::ToEngine(std::string_view internal) const {
  return converts() ? ToUtf8(internal) : std::string(internal);
}

std::string Engine::FromEngine(std::string_view engine_text) const {
  return converts() ? FromUtf8(engine_text) : std::string(engine_text);
}

std::string Engine::FromEngine(const unsigned char* text, int size) const {
  if (text == nullptr || size <= 0) return "";
  return FromEngine(
      std::string_view(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size)));
}

Statement::~Statement() { Finalize(); }

Statement::Statement(Statement&& other) noexcept
    : stmt_(std::exchange(other.stmt_, nullptr)), engine_(std::exchange(other.engine_, nullptr)) {}

Statement& Statement::operator=(Statement&& other) noexcept {
  if (this != &other) {
    Finalize();
    stmt_ = std::exchange(other.stmt_, nullptr);
    engine_ = std::exchange(other.engine_, nullptr);
  }
  return *this;
}

int Statement::Prepare(Engine& engine, std::string_view sql) {
  if (engine.converts()) return PrepareBytes(engine, ToUtf8(sql));
  return PrepareBytes(engine, sql);
}

int Statement::PrepareBytes(Engine& engine, std::string_view sql) {
  Finalize();
  engine.BeforePrepare();
  engine_ = &engine;
  // The byte length is passed, so the text needs no terminating zero and may hold any bytes.
  const int rc =
      sqlite3_prepare_v2(engine.Use(), sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr);
  if (stmt_ != nullptr && sqlite3_stmt_readonly(stmt_) == 0) engine.BeforeWrite();
  return rc;
}

int Statement::PrepareTail(Engine& engine, const char* sql, const char** tail) {
  Finalize();
  engine.BeforePrepare();
  engine_ = &engine;
  const int rc = sqlite3_prepare_v2(engine.Use(), sql, -1, &stmt_, tail);
  if (stmt_ != nullptr && sqlite3_stmt_readonly(stmt_) == 0) engine.BeforeWrite();
  return rc;
}

int Statement::Step() {
  if (stmt_ == nullptr) return SQLITE_MISUSE;
  // Once, before a statement that changes the file begins (a statement that ran to its end begins
  // again at its next step).
  if (engine_ != nullptr && sqlite3_stmt_busy(stmt_) == 0 && sqlite3_stmt_readonly(stmt_) == 0 &&
      !engine_->AskWriteGate(SQLITE_ABORT).empty()) {
    return SQLITE_ABORT;
  }
  return sqlite3_step(stmt_);
}

void Statement::Reset() {
  if (stmt_ != nullptr) sqlite3_reset(stmt_);
}

void Statement::Finalize() {
  if (stmt_ != nullptr) sqlite3_finalize(std::exchange(stmt_, nullptr));
}

bool ExecuteSql(Engine& engine, const std::string& sql) {
  // The statements one by one, as the engine's own sqlite3_exec runs them, so that each one that
  // changes the file asks the write gate first.
  const std::string engine_sql = engine.ToEngine(sql);
  const char* rest = engine_sql.c_str();
  while (*rest != '\0') {
    Statement statement;
    const char* tail = nullptr;
    if (statement.PrepareTail(engine, rest, &tail) != SQLITE_OK) return false;
    rest = tail;
    if (!statement) continue;  // blanks or a comment
    int rc;
    while ((rc = statement.Step()) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) return false;
  }
  return true;
}

bool QueryFirstColumn(Engine& engine, std::string_view sql, std::vector<std::string>& values) {
  values.clear();
  Statement statement;
  if (statement.Prepare(engine, sql) != SQLITE_OK || !statement) return false;
  int rc;
  while ((rc = statement.Step()) == SQLITE_ROW) {
    const auto* text = sqlite3_column_text(statement.get(), 0);
    values.push_back(engine.FromEngine(text, sqlite3_column_bytes(statement.get(), 0)));
  }
  if (rc != SQLITE_DONE) {
    values.clear();
    return false;
  }
  return true;
}

}  // namespace torvane
