#pragma once

// The outcome of an operation inside the layers: success, or a failure with its code and its
// reason. The logic turns a failure into the user's message; the layers below never show one.

#include <string>
#include <utility>

namespace torvane {

class Status {
 public:
  // A failure the program itself finds (not the engine's): code 1, as the engine's generic error.
  static constexpr int kProgramFailure = 1;

  // Success.
  Status() = default;
  // A failure: `message` (internal text) says why, for example the engine's or the system's
  // reason; `code` is the engine's result code of the failure, kProgramFailure otherwise (0, which
  // would read as success, becomes kProgramFailure too).
  static Status Failure(std::string message, int code = kProgramFailure) {
    Status status;
    status.code_ = code == 0 ? kProgramFailure : code;
    status.message_ = std::move(message);
    return status;
  }

  bool ok() const { return code_ == 0; }
  int code() const { return code_; }
  // "" on success.
  const std::string& message() const { return message_; }

 private:
  int code_ = 0;
  std::string message_;
};

}  // namespace torvane
