#pragma once

// Private plumbing of the database access layer: the shared engine connection and the holder that
// owns one prepared statement.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace torvane {

// How the texts of a database are kept: as GBK bytes, which go to and come from the engine as they
// are, or as UTF-8 (or UTF-16, which the engine hands out as UTF-8), converted to and from internal
// text at the engine's edge. Bytes (BLOB values) are never converted.
enum class TextMode { kGbk, kUtf8 };

// One engine connection, shared by the connection object and the cursors and record sets that
// borrow it. The engine connection is closed when the last holder lets go; should a statement
// still be alive then, the engine finishes the close once that statement is finalized, so the
// connection is never leaked and never used after it was closed.
class Engine {
 public:
  // Takes ownership of a connection the engine opened; its texts are taken as GBK.
  explicit Engine(sqlite3* db) : db_(db) {}
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // The connection, for a new engine call: an error kept from an earlier call is dropped.
  sqlite3* Use() {
    kept_.reset();
    return db_;
  }
  // The connection, for asking it something without making a new call.
  sqlite3* get() const { return db_; }

  struct Error {
    int code = 0;
    std::string message;
  };

  // The result code and message of the last call, the message as internal text; a kept error wins
  // until the next Use.
  Error LastError() const;
  // Makes `error` the last error until the next Use, so it outlives the statements the layer must
  // still run before it returns (a cursor's reload after a failed delete).
  void KeepError(Error error) { kept_ = std::move(error); }

  // How long an engine call waits for a lock held elsewhere before it fails with SQLITE_BUSY (0:
  // not at all), and what runs once when such a wait begins: the program lets go of locks of its
  // own that stand in the way (a count on another connection). The wait starts with short sleeps
  // and ends at the timeout.
  void SetBusyWait(int timeout_ms);
  void SetOnBusy(std::function<void()> on_busy) { on_busy_ = std::move(on_busy); }
  // What a statement asks before it may change the file: "" lets it go on; any other text refuses
  // it, and the statement fails with that text as the error's message. Asked before the first
  // step of every statement the engine does not call read-only (a deferred BEGIN and COMMIT are
  // read only: the writes inside a transaction ask), and when a statement begins to wait for a
  // lock, which a connection of the program's own may hold (after the on-busy hook). A refused
  // statement has not run: it fails with SQLITE_ABORT, or with SQLITE_BUSY when it was waiting
  // for a lock. Null lets everything go on.
  void SetWriteGate(std::function<std::string()> gate) { write_gate_ = std::move(gate); }
  // Asks the write gate (see SetWriteGate); "" when there is none. On a refusal the text is kept
  // as the last error, with `code`.
  std::string AskWriteGate(int code);
  // What the engine asks every few thousand steps of a statement while it runs: false stops the
  // statement (it fails with SQLITE_INTERRUPT and undoes its changes). Null asks nothing.
  void SetKeepGoing(std::function<bool()> keep_going);
  // What runs before any statement is prepared on the connection: the program finishes reading a
  // result whose rows are still arriving, so that no statement runs while that one is half read.
  // Not run again for a statement prepared while it runs.
  void SetBeforePrepare(std::function<void()> before_prepare) {
    before_prepare_ = std::move(before_prepare);
  }
  void BeforePrepare();
  // What runs before a statement that may write runs on the connection (one that is not read
  // only, and every text run whole by ExecuteSql): the program stops reading on other connections
  // what the write may change, so that no value read before it arrives after it.
  void SetBeforeWrite(std::function<void()> before_write) {
    before_write_ = std::move(before_write);
  }
  void BeforeWrite() {
    if (before_write_) before_write_();
  }
  // Whether the keep-going hook, if any, says to go on: for work that puts a progress handler of
  // its own on the connection for a while, and then gives the hook its place back with
  // RestoreKeepGoing.
  bool KeepsGoing() const { return !keep_going_ || keep_going_(); }
  void RestoreKeepGoing();

  TextMode text_mode() const { return mode_; }
  void set_text_mode(TextMode mode) { mode_ = mode; }
  // Whether texts are converted at the engine's edge.
  bool converts() const { return mode_ == TextMode::kUtf8; }
  // Internal text as the engine is to get it (SQL, a text value), and the engine's text (a value,
  // a name, a message) as internal text. Both are copies; nothing is lost either way.
  std::string ToEngine(std::string_view internal) const;
  std::string FromEngine(std::string_view engine_text) const;
  // The engine's text at `text` (`size` bytes; `text` may be null when size is 0).
  std::string FromEngine(const unsigned char* text, int size) const;

 private:
  static int WaitWhileBusy(void* engine, int attempts);
  static int AskKeepGoing(void* engine);

  sqlite3* db_;
  std::optional<Error> kept_;
  int busy_timeout_ms_ = 0;
  std::function<void()> on_busy_;
  std::function<std::string()> write_gate_;
  std::function<bool()> keep_going_;
  std::function<void()> before_prepare_;
  std::function<void()> before_write_;
  bool preparing_ = false;
  TextMode mode_ = TextMode::kGbk;
};

using EngineHandle = std::shared_ptr<Engine>;

// Owns one prepared statement and finalizes it exactly once. Not copyable.
class Statement {
 public:
  Statement() = default;
  ~Statement();
  Statement(Statement&& other) noexcept;
  Statement& operator=(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Finalizes the statement held so far, then prepares the first statement of `sql` (internal
  // text, converted as the connection's text mode says); the rest of the text is ignored. Returns
  // the engine's result code. A text without any statement (blanks or a comment) prepares
  // successfully but leaves the holder empty.
  int Prepare(Engine& engine, std::string_view sql);
  // The same with `sql` handed to the engine byte for byte, whatever the text mode.
  int PrepareBytes(Engine& engine, std::string_view sql);
  // The same for the first statement of the zero-terminated engine text `sql`; `*tail` is set to
  // the text after it.
  int PrepareTail(Engine& engine, const char* sql, const char** tail);

  // Steps the statement once; the engine's answer (SQLITE_ROW, SQLITE_DONE or an error).
  int Step();
  // Rewinds the statement so the next Step runs it from the start.
  void Reset();
  // Finalizes the statement now; the holder is empty afterwards.
  void Finalize();

  sqlite3_stmt* get() const { return stmt_; }
  explicit operator bool() const { return stmt_ != nullptr; }

 private:
  sqlite3_stmt* stmt_ = nullptr;
  // The connection's engine, whose write gate a statement that changes the file asks first.
  Engine* engine_ = nullptr;
};

// Runs every statement of `sql` (internal text) in turn and discards any rows; true when all of
// them succeeded; stops at the first failure. Each statement asks the write gate as Step does. The
// engine keeps the message of a failure for GetErrorText.
bool ExecuteSql(Engine& engine, const std::string& sql);

// The first column of every row `sql` gives (NULL as ""), as internal text. False, with `values`
// empty, when the statement cannot be prepared or fails while running.
bool QueryFirstColumn(Engine& engine, std::string_view sql, std::vector<std::string>& values);

}  // namespace torvane
