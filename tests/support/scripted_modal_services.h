#pragma once

// The modal services as a test double: the message boxes, input boxes and file dialogs the program
// would show answer from queues the test fills, and every call is recorded. Texts, paths and
// answers are internal text (GB18030 bytes), as on the interface.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/modal_services.h"

namespace torvane::testing {

// Without a queued answer a message box returns Cancel when it has a Cancel button and its first
// button's answer otherwise (as if the box were closed); an input box and a file dialog are
// cancelled. The clipboard is one of its own, starting empty.
class ScriptedModalServices : public ModalServices {
 public:
  struct MessageBoxCall {
    std::string text;
    int flags = 0;
    std::string caption;
  };
  struct InputBoxCall {
    std::string prompt;
    std::string caption;
    std::string initial;
  };
  // The dialog's settings as they were when it was shown.
  using FileDialogCall = FileDialog;

  ScriptedModalServices();
  ~ScriptedModalServices() override;

  // Queue the answer of the next box or dialog not yet answered.
  void QueueMessageBoxAnswer(int code);
  void QueueInputBoxAnswer(std::optional<std::string> text);
  // A path confirms the dialog with that full path; nullopt cancels it.
  void QueueFileDialogAnswer(std::optional<std::string> path);

  // The next progress window is cancelled by the user when its work asks for the `check`th time
  // whether it was (1 for the first time).
  void QueueProgressCancel(int check);
  // The next progress window (captioned `title`, unless that is "") runs `action` when its work
  // asks for the `check`th time whether it was cancelled; it is not cancelled. A test lets a worker
  // it holds back go on this way, from inside the wait for it.
  void QueueProgressAction(int check, std::function<void()> action, std::string title = "");
  // A progress window the program opened: its caption, whether it could be cancelled, the texts it
  // showed in order, and whether it was cancelled.
  struct ProgressCall {
    std::string title;
    bool cancellable = false;
    std::vector<std::string> texts;
    bool cancelled = false;
  };
  const std::vector<ProgressCall>& progress_windows() const { return progress_windows_; }

  // Answers still queued.
  int PendingAnswers() const;
  // Forgets the answers still queued, those of boxes and progress windows a command did not get
  // as far as showing.
  void DropAnswers();

  // Everything shown or done so far, in order.
  const std::vector<MessageBoxCall>& message_boxes() const { return message_boxes_; }
  const std::vector<InputBoxCall>& input_boxes() const { return input_boxes_; }
  const std::vector<FileDialogCall>& file_dialogs() const { return file_dialogs_; }
  const std::vector<std::string>& shell_edits() const { return shell_edits_; }
  const std::vector<std::string>& web_addresses() const { return web_addresses_; }
  // Forgets the recorded calls (queued answers stay).
  void ClearRecords();

  using ModalServices::InputBox;
  using ModalServices::MessageBox;
  int MessageBox(const std::string& text, int flags, const std::string& caption) override;
  std::optional<std::string> InputBox(const std::string& prompt, const std::string& caption,
                                      const std::string& initial) override;
  bool ShowFileDialog(FileDialog& dialog) override;
  void ShellEdit(const std::string& path) override;
  void OpenWebAddress(const std::string& url) override;
  std::string ClipboardText() override;
  void SetClipboardText(const std::string& text) override;
  std::unique_ptr<ProgressWindow> OpenProgress(const std::string& title, bool cancellable) override;

 private:
  // What the next progress windows do: cancel at a question, or run an action at one.
  struct ProgressScript {
    int cancel_at = 0;
    int action_at = 0;
    std::function<void()> action;
    std::string title;  // "" for any window
  };
  std::deque<ProgressScript> progress_scripts_;
  std::vector<ProgressCall> progress_windows_;
  std::deque<int> message_box_answers_;
  std::deque<std::optional<std::string>> input_box_answers_;
  std::deque<std::optional<std::string>> file_dialog_answers_;
  std::vector<MessageBoxCall> message_boxes_;
  std::vector<InputBoxCall> input_boxes_;
  std::vector<FileDialogCall> file_dialogs_;
  std::vector<std::string> shell_edits_;
  std::vector<std::string> web_addresses_;
  std::string clipboard_;
};

}  // namespace torvane::testing
