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
                          file_dialog_answers_.size());
}

void ScriptedModalServices::DropAnswers() {
  message_box_answers_.clear();
  input_box_answers_.clear();
  file_dialog_answers_.clear();
}

void ScriptedModalServices::ClearRecords() {
  message_boxes_.clear();
  input_boxes_.clear();
  file_dialogs_.clear();
  shell_edits_.clear();
  web_addresses_.clear();
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

}  // namespace torvane::testing
