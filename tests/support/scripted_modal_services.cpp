#include "support/scripted_modal_services.h"

#include <utility>

namespace torvane::testing {

ScriptedModalServices::ScriptedModalServices() = default;
ScriptedModalServices::~ScriptedModalServices() = default;

void ScriptedModalServices::QueueMessageBoxAnswer(int code) {
  message_box_answers_.push_back(code);
}

void ScriptedModalServices::QueueInputBoxAnswer(std::optional<std::string> text) {
  input_box_answers_.push_back(std::move(text));
}

void ScriptedModalServices::QueueFileDialogAnswer(std::optional<std::string> path) {
  file_dialog_answers_.push_back(std::move(path));
}

int ScriptedModalServices::PendingAnswers() const {
  return static_cast<int>(message_box_answers_.size() + input_box_answers_.size() +
                          file_dialog_answers_.size() + progress_scripts_.size());
}

void ScriptedModalServices::DropAnswers() {
  message_box_answers_.clear();
  input_box_answers_.clear();
  file_dialog_answers_.clear();
  progress_scripts_.clear();
}

void ScriptedModalServices::ClearRecords() {
  message_boxes_.clear();
  input_boxes_.clear();
  file_dialogs_.clear();
  shell_edits_.clear();
  web_addresses_.clear();
  progress_windows_.clear();
}

int ScriptedModalServices::MessageBox(const std::string& text, int flags,
                                      const std::string& caption) {
  message_boxes_.push_back({text, flags, caption});
  if (!message_box_answers_.empty()) {
    const int code = message_box_answers_.front();
    message_box_answers_.pop_front();
    return code;
  }
  // Unscripted: as if the box were closed. Styles with a Cancel button (1 OK/Cancel, 3
  // Yes/No/Cancel, 5 Retry/Cancel) give Cancel, the others their first button's answer.
  switch (flags & 0x0F) {
    case 1:
    case 3:
    case 5:
      return kIdCancel;
    case 2:
      return kIdAbort;
    case 4:
      return kIdNo;
    default:
      return kIdOk;
  }
}

std::optional<std::string> ScriptedModalServices::InputBox(const std::string& prompt,
                                                           const std::string& caption,
                                                           const std::string& initial) {
  input_boxes_.push_back({prompt, caption, initial});
  if (input_box_answers_.empty()) return std::nullopt;
  std::optional<std::string> answer = std::move(input_box_answers_.front());
  input_box_answers_.pop_front();
  return answer;
}

bool ScriptedModalServices::ShowFileDialog(FileDialog& dialog) {
  file_dialogs_.push_back(dialog);
  if (file_dialog_answers_.empty()) return false;
  std::optional<std::string> answer = std::move(file_dialog_answers_.front());
  file_dialog_answers_.pop_front();
  if (!answer) return false;
  dialog.file_name = *answer;
  return true;
}

void ScriptedModalServices::ShellEdit(const std::string& path) { shell_edits_.push_back(path); }

void ScriptedModalServices::OpenWebAddress(const std::string& url) {
  web_addresses_.push_back(url);
}

std::string ScriptedModalServices::ClipboardText() { return clipboard_; }

void ScriptedModalServices::SetClipboardText(const std::string& text) { clipboard_ = text; }

void ScriptedModalServices::QueueProgressCancel(int check) {
  progress_scripts_.push_back({check, 0, nullptr, ""});
}

void ScriptedModalServices::QueueProgressAction(int check, std::function<void()> action,
                                                std::string title) {
  progress_scripts_.push_back({0, check, std::move(action), std::move(title)});
}

namespace {

// A progress window that records what it shows and is cancelled when the test said so.
class ScriptedProgress : public ProgressWindow {
 public:
  ScriptedProgress(std::vector<ScriptedModalServices::ProgressCall>& calls, int cancel_at,
                   int action_at, std::function<void()> action)
      : calls_(calls),
        index_(calls.size() - 1),
        cancel_at_(cancel_at),
        action_at_(action_at),
        action_(std::move(action)) {}
  void Show(const std::string& text, std::int64_t, std::int64_t) override {
    if (index_ >= calls_.size()) return;  // the records were cleared
    std::vector<std::string>& texts = calls_[index_].texts;
    if (texts.empty() || texts.back() != text) texts.push_back(text);
  }
  bool Cancelled() override {
    ++checks_;
    if (action_ && checks_ >= action_at_) std::exchange(action_, nullptr)();
    if (index_ >= calls_.size()) return false;
    if (cancel_at_ > 0 && checks_ >= cancel_at_ && calls_[index_].cancellable) {
      calls_[index_].cancelled = true;
    }
    return calls_[index_].cancelled;
  }

 private:
  std::vector<ScriptedModalServices::ProgressCall>& calls_;
  std::size_t index_;
  int cancel_at_;
  int action_at_;
  std::function<void()> action_;
  int checks_ = 0;
};

}  // namespace

std::unique_ptr<ProgressWindow> ScriptedModalServices::OpenProgress(const std::string& title,
                                                                    bool cancellable) {
  progress_windows_.push_back({title, cancellable, {}, false});
  ProgressScript script;
  for (auto it = progress_scripts_.begin(); it != progress_scripts_.end(); ++it) {
    if (it->title.empty() || it->title == title) {
      script = std::move(*it);
      progress_scripts_.erase(it);
      break;
    }
  }
  return std::make_unique<ScriptedProgress>(progress_windows_, script.cancel_at, script.action_at,
                                            std::move(script.action));
}

}  // namespace torvane::testing
