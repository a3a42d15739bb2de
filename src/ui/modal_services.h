#pragma once

// The modal services: message box, input box, file dialogs, shell actions and the clipboard, behind
// one interface so the logic runs the same against the real dialogs (QtModalServices) and against a
// scripted double in the tests. All texts are internal text (GB18030 bytes). This header is
// Qt-free.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace torvane {

// Message box styles (flags).
inline constexpr int kMbOk = 0;               // OK button, no icon
inline constexpr int kMbOkStop = 16;          // OK button, error (stop) icon
inline constexpr int kMbYesNoCancelAsk = 35;  // Yes, No and Cancel buttons, question icon
inline constexpr int kMbYesNoAsk = 36;        // Yes and No buttons, question icon
inline constexpr int kMbOkExclamation = 48;   // OK button, exclamation (warning) icon
// Message box results: the button pressed.
inline constexpr int kIdOk = 0;
inline constexpr int kIdCancel = 1;
inline constexpr int kIdAbort = 2;
inline constexpr int kIdRetry = 3;
inline constexpr int kIdIgnore = 4;
inline constexpr int kIdYes = 5;
inline constexpr int kIdNo = 6;

// The default captions, as internal text: "信息：" and "请输入：".
const std::string& DefaultMessageCaption();
const std::string& DefaultInputCaption();

enum class FileDialogKind { kOpen, kSave };

// The settings of one file dialog of a window. The window keeps it between shows, so the file name
// chosen last is the initial name of the next show.
struct FileDialog {
  FileDialogKind kind = FileDialogKind::kOpen;
  std::string title;              // "" uses the toolkit's default title
  std::string filter;             // "description|pattern|description|pattern..."
  std::string default_extension;  // without the dot; added to a typed name without extension
  std::string file_name;          // initial name; the chosen full path after a confirmed show
};

// A window that shows how far work the user waits for has got, modal to the whole application, with
// a cancel button "取消" (or none, when the work cannot be stopped). It shows until it is
// destroyed.
class ProgressWindow {
 public:
  virtual ~ProgressWindow() = default;
  // What is running and how far it is: `done` of `total`, or a moving bar when `total` is 0 or
  // less.
  virtual void Show(const std::string& text, std::int64_t done, std::int64_t total) = 0;
  // Handles the events pending, so that the window is drawn and its cancel button heard, and says
  // whether the user has cancelled.
  virtual bool Cancelled() = 0;
};

class ModalServices {
 public:
  virtual ~ModalServices() = default;

  // Shows `text` in a box modal to the whole application, without owner window, with the buttons
  // and icon of `flags` (kMb...), and returns the button pressed (kId...). Closing the box without
  // a button gives Cancel for boxes that have one and OK otherwise.
  virtual int MessageBox(const std::string& text, int flags, const std::string& caption) = 0;
  // The same with caption DefaultMessageCaption().
  int MessageBox(const std::string& text, int flags = kMbOk);

  // Asks for one line of text, showing `prompt`, `initial` in the edit field and the buttons
  // "确认输入(&O)" and "取消(&C)". The entered text, or nullopt when cancelled.
  virtual std::optional<std::string> InputBox(const std::string& prompt, const std::string& caption,
                                              const std::string& initial) = 0;
  // The same with caption DefaultInputCaption() and an empty initial text.
  std::optional<std::string> InputBox(const std::string& prompt);

  // Shows `dialog` (its kind, title, filter, default extension and, as initial name, its file
  // name). True when the user confirmed; the chosen full path is then in dialog.file_name. False
  // leaves `dialog` unchanged. A save dialog asks before choosing an existing file.
  virtual bool ShowFileDialog(FileDialog& dialog) = 0;

  // Opens the file `path` with the desktop's default action for its type; the result is ignored.
  virtual void ShellEdit(const std::string& path) = 0;
  // Opens `url` in the default browser; the result is ignored.
  virtual void OpenWebAddress(const std::string& url) = 0;

  // The clipboard's plain text; "" when it holds none.
  virtual std::string ClipboardText() = 0;
  virtual void SetClipboardText(const std::string& text) = 0;
  // Opens a progress window captioned `title`; with `cancellable` false it has no cancel button.
  virtual std::unique_ptr<ProgressWindow> OpenProgress(const std::string& title,
                                                       bool cancellable) = 0;
};

// The real dialogs, built with Qt. Needs a running application (ui/runtime.h).
class QtModalServices : public ModalServices {
 public:
  QtModalServices();
  ~QtModalServices() override;

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
};

}  // namespace torvane
