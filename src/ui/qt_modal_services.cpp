// QtModalServices: the modal services on Qt's standard dialogs.
#include <algorithm>

#include <QAbstractButton>
#include <QAbstractFileIconProvider>
#include <QClipboard>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include "ui/modal_services.h"
#include "ui/qt_support.h"

namespace torvane {
namespace {

struct ButtonSpec {
  QMessageBox::StandardButton button;
  int code;
  const char* text;  // UTF-8
};

constexpr ButtonSpec kOk = {QMessageBox::Ok, kIdOk, "确定"};
constexpr ButtonSpec kCancel = {QMessageBox::Cancel, kIdCancel, "取消"};
constexpr ButtonSpec kAbort = {QMessageBox::Abort, kIdAbort, "中止(&A)"};
constexpr ButtonSpec kRetry = {QMessageBox::Retry, kIdRetry, "重试(&R)"};
constexpr ButtonSpec kIgnore = {QMessageBox::Ignore, kIdIgnore, "忽略(&I)"};
constexpr ButtonSpec kYes = {QMessageBox::Yes, kIdYes, "是(&Y)"};
constexpr ButtonSpec kNo = {QMessageBox::No, kIdNo, "否(&N)"};

// The buttons of a style, in their order on the box; the first is the default button.
std::vector<ButtonSpec> ButtonsOf(int flags) {
  switch (flags & 0x0F) {
    case 1:
      return {kOk, kCancel};
    case 2:
      return {kAbort, kRetry, kIgnore};
    case 3:
      return {kYes, kNo, kCancel};
    case 4:
      return {kYes, kNo};
    case 5:
      return {kRetry, kCancel};
    default:
      return {kOk};
  }
}

QMessageBox::Icon IconOf(int flags) {
  switch (flags & 0xF0) {
    case 0x10:
      return QMessageBox::Critical;
    case 0x20:
      return QMessageBox::Question;
    case 0x30:
      return QMessageBox::Warning;
    case 0x40:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

// "desc|pattern|desc|pattern" -> Qt's name filters "desc (pattern)". A pattern list separated by
// ";" becomes blank-separated, and "*.*" (every file) becomes "*", which also matches names
// without a dot.
QStringList NameFilters(const std::string& filter) {
  const QStringList parts = ToQt(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns;
    for (QString pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      pattern = pattern.trimmed();
      if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
      if (!pattern.isEmpty()) patterns.append(pattern);
    }
    if (patterns.isEmpty()) patterns.append(QStringLiteral("*"));
    filters.append(parts[i].trimmed() + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                   QLatin1Char(')'));
  }
  return filters;
}

void StartDetached(const std::string& target) {
  // The result is not examined: a desktop without xdg-open simply does nothing.
  QProcess::startDetached(QStringLiteral("xdg-open"), {ToQt(target)});
}

// Icons and type names from the kind of entry alone. The toolkit's own provider reads the start of
// a file without a known extension to tell its type, and a special file such as /proc/kmsg never
// answers: the dialog would hang for good.
class PlainIconProvider : public QAbstractFileIconProvider {
 public:
  using QAbstractFileIconProvider::icon;
  QIcon icon(const QFileInfo& info) const override { return icon(info.isDir() ? Folder : File); }
  QString type(const QFileInfo& info) const override {
    return info.isDir() ? QStringLiteral("文件夹") : QStringLiteral("文件");
  }
};

// The program keeps no settings, and the toolkit's file dialog writes its last folder and history
// into a settings file of the user's. Its settings go into a folder of the program's own instead,
// removed when the program ends: a folder is remembered while the program runs, and a dialog never
// starts in a folder some earlier run left behind.
void KeepToolkitSettingsForThisRun() {
  static QTemporaryDir folder;
  static bool done = false;
  if (done || !folder.isValid()) return;
  done = true;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
}

}  // namespace

QtModalServices::QtModalServices() = default;
QtModalServices::~QtModalServices() = default;

int QtModalServices::MessageBox(const std::string& text, int flags, const std::string& caption) {
  QMessageBox box(IconOf(flags), ToQt(caption), ToQt(text), QMessageBox::NoButton, nullptr);
  box.setWindowModality(Qt::ApplicationModal);
  const std::vector<ButtonSpec> buttons = ButtonsOf(flags);
  std::vector<std::pair<QAbstractButton*, int>> codes;
  for (const ButtonSpec& entry : buttons) {
    QPushButton* button = box.addButton(entry.button);
    button->setText(QString::fromUtf8(entry.text));
    codes.emplace_back(button, entry.code);
  }
  box.setDefaultButton(static_cast<QPushButton*>(codes.front().first));
  // Closing the box by its title bar or Escape: Cancel where there is one, else the only button.
  QAbstractButton* escape = nullptr;
  for (const auto& [button, code] : codes) {
    if (code == kIdCancel) escape = button;
  }
  if (!escape && codes.size() == 1) escape = codes.front().first;
  if (escape) box.setEscapeButton(escape);
  box.exec();
  // Without a clicked button (the box was closed some other way) the escape button counts.
  QAbstractButton* clicked = box.clickedButton() ? box.clickedButton() : escape;
  for (const auto& [button, code] : codes) {
    if (button == clicked) return code;
  }
  return kIdCancel;
}

std::optional<std::string> QtModalServices::InputBox(const std::string& prompt,
                                                     const std::string& caption,
                                                     const std::string& initial) {
  QInputDialog dialog(nullptr);
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.setInputMode(QInputDialog::TextInput);
  dialog.setWindowTitle(ToQt(caption));
  dialog.setLabelText(ToQt(prompt));
  dialog.setTextValue(ToQt(initial));
  dialog.setOkButtonText(QStringLiteral("确认输入(&O)"));
  dialog.setCancelButtonText(QStringLiteral("取消(&C)"));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return FromQt(dialog.textValue());
}

bool QtModalServices::ShowFileDialog(FileDialog& settings) {
  KeepToolkitSettingsForThisRun();
  PlainIconProvider icons;
  QFileDialog dialog(nullptr, ToQt(settings.title));
  dialog.setIconProvider(&icons);
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  const bool save = settings.kind == FileDialogKind::kSave;
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  const QStringList filters = NameFilters(settings.filter);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  dialog.setDefaultSuffix(ToQt(settings.default_extension));
  if (!settings.file_name.empty()) dialog.selectFile(ToQt(settings.file_name));
  if (dialog.exec() != QDialog::Accepted) return false;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return false;
  settings.file_name = FromQt(chosen.front());
  return true;
}

void QtModalServices::ShellEdit(const std::string& path) { StartDetached(path); }

void QtModalServices::OpenWebAddress(const std::string& url) { StartDetached(url); }

std::string QtModalServices::ClipboardText() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  return clipboard ? FromQt(clipboard->text()) : "";
}

void QtModalServices::SetClipboardText(const std::string& text) {
  if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(ToQt(text));
}

namespace {

// The toolkit's own progress dialog.
class QtProgressWindow : public ProgressWindow {
 public:
  QtProgressWindow(const std::string& title, bool cancellable) {
    dialog_.setWindowTitle(ToQt(title));
    dialog_.setWindowModality(Qt::ApplicationModal);
    dialog_.setAutoClose(false);
    dialog_.setAutoReset(false);
    dialog_.setMinimumDuration(0);
    dialog_.setMinimumWidth(360);
    if (cancellable) {
      dialog_.setCancelButtonText(QStringLiteral("取消"));
    } else {
      dialog_.setCancelButton(nullptr);
    }
    dialog_.show();
  }

  void Show(const std::string& text, std::int64_t done, std::int64_t total) override {
    dialog_.setLabelText(ToQt(text));
    if (total > 0) {
      constexpr int kSteps = 1000;
      dialog_.setRange(0, kSteps);
      dialog_.setValue(static_cast<int>(std::min(done, total) * kSteps / total));
    } else {
      dialog_.setRange(0, 0);  // a moving bar
    }
  }

  bool Cancelled() override {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return dialog_.wasCanceled();
  }

 private:
  QProgressDialog dialog_;
};

}  // namespace

std::unique_ptr<ProgressWindow> QtModalServices::OpenProgress(const std::string& title,
                                                              bool cancellable) {
  return std::make_unique<QtProgressWindow>(title, cancellable);
}

}  // namespace torvane
