#include "ui/main_window.h"

#include <QEvent>
#include <QKeySequence>
#include <QMetaObject>
#include <QShortcut>
#include <QWidget>

#include "base/codec.h"
#include "ui/forms/control_names.h"
#include "ui/forms/form_controls.h"
#include "ui/qt_support.h"

namespace torvane {

namespace {

namespace names = forms::main_names;

// Each command with the caption of its menu item.
struct CommandCaption {
  MainCommand command;
  const char* caption;
};
constexpr CommandCaption kCommandCaptions[] = {
    {MainCommand::kNewDatabase, names::kNewDatabaseItem},
    {MainCommand::kOpenDatabase, names::kOpenDatabaseItem},
    {MainCommand::kCloseDatabase, names::kCloseDatabaseItem},
    {MainCommand::kBackupDatabase, names::kBackupDatabaseItem},
    {MainCommand::kExit, names::kExitItem},
    {MainCommand::kNewTable, names::kNewTableItem},
    {MainCommand::kAlterTable, names::kAlterTableItem},
    {MainCommand::kRenameTable, names::kRenameTableItem},
    {MainCommand::kDropTable, names::kDropTableItem},
    {MainCommand::kInsertEmptyRecord, names::kInsertEmptyRecordItem},
    {MainCommand::kInsertRecord, names::kInsertRecordItem},
    {MainCommand::kDeleteRecord, names::kDeleteRecordItem},
    {MainCommand::kNewView, names::kNewViewItem},
    {MainCommand::kAlterView, names::kAlterViewItem},
    {MainCommand::kRenameView, names::kRenameViewItem},
    {MainCommand::kDropView, names::kDropViewItem},
    {MainCommand::kSqlConsole, names::kSqlConsoleItem},
    {MainCommand::kBeginTransaction, names::kBeginTransactionItem},
    {MainCommand::kCommitTransaction, names::kCommitTransactionItem},
    {MainCommand::kRollbackTransaction, names::kRollbackTransactionItem},
    {MainCommand::kShowErrorText, names::kErrorTextItem},
    {MainCommand::kShowErrorCode, names::kErrorCodeItem},
    {MainCommand::kShowLastInsertId, names::kLastInsertIdItem},
    {MainCommand::kSwitchTextMode, names::kTextModeItem},
    {MainCommand::kAbout, names::kAboutItem},
};

const char* CaptionOf(MainCommand command) {
  for (const CommandCaption& entry : kCommandCaptions) {
    if (entry.command == command) return entry.caption;
  }
  return nullptr;
}

}  // namespace

struct MainWindow::Impl {
  forms::FormControls form{forms::MainForm()};
  bool created = false;
  bool painted = false;
  bool first_shown = false;
};

MainWindow::MainWindow() : impl_(std::make_unique<Impl>()) {
  // Refreshing has no menu item: the key lives on the window alone.
  QWidget* window = impl_->form.widget();
  auto* refresh = new QShortcut(QKeySequence(Qt::Key_F5), window);
  refresh->setContext(Qt::WindowShortcut);
  QObject::connect(refresh, &QShortcut::activated, refresh, [this] {
    if (on_refresh_requested) on_refresh_requested();
  });
  // The first paint of the window, seen by a filter on it; the event itself goes on as usual.
  auto* first_paint = new EventHook(
      [this](QObject*, QEvent* event) {
        if (event->type() != QEvent::Paint || impl_->painted) return false;
        impl_->painted = true;
        QMetaObject::invokeMethod(
            impl_->form.widget(),
            [this] {
              impl_->first_shown = true;
              if (on_first_shown) on_first_shown();
            },
            Qt::QueuedConnection);
        return false;
      },
      window);
  window->installEventFilter(first_paint);
}

bool MainWindow::WasFirstShown() const { return impl_->first_shown; }
MainWindow::~MainWindow() = default;

void MainWindow::Show() {
  if (!impl_->created) {
    impl_->created = true;
    if (on_created) on_created();
  }
  impl_->form.window().Show();
}

Window& MainWindow::window() { return impl_->form.window(); }
Toolbar& MainWindow::toolbar() { return impl_->form.Get<Toolbar>(names::kToolbar); }
ComboBox& MainWindow::display_filter() { return impl_->form.Get<ComboBox>(names::kDisplayFilter); }
TreeView& MainWindow::tree() { return impl_->form.Get<TreeView>(names::kTree); }
EditBox& MainWindow::definition_box() { return impl_->form.Get<EditBox>(names::kDefinitionBox); }
Grid& MainWindow::grid() { return impl_->form.Get<Grid>(names::kGrid); }
EditBox& MainWindow::info_box() { return impl_->form.Get<EditBox>(names::kInfoBox); }
Button& MainWindow::save_log_button() { return impl_->form.Get<Button>(names::kSaveLogButton); }
Button& MainWindow::clear_log_button() { return impl_->form.Get<Button>(names::kClearLogButton); }
EditBox& MainWindow::log_box() { return impl_->form.Get<EditBox>(names::kLogBox); }

GroupBox& MainWindow::field_panel() { return impl_->form.Get<GroupBox>(names::kFieldPanel); }
ComboBox& MainWindow::record_number_box() {
  return impl_->form.Get<ComboBox>(names::kRecordNumberBox);
}
ComboBox& MainWindow::field_name_box() { return impl_->form.Get<ComboBox>(names::kFieldNameBox); }
TabControl& MainWindow::field_tabs() { return impl_->form.Get<TabControl>(names::kFieldTabs); }
EditBox& MainWindow::text_value_box() { return impl_->form.Get<EditBox>(names::kTextValueBox); }
Button& MainWindow::read_text_from_file_button() {
  return impl_->form.Get<Button>(names::kReadTextFromFileButton);
}
Button& MainWindow::write_text_to_file_button() {
  return impl_->form.Get<Button>(names::kWriteTextToFileButton);
}
Button& MainWindow::read_text_button() { return impl_->form.Get<Button>(names::kReadTextButton); }
Button& MainWindow::write_text_button() { return impl_->form.Get<Button>(names::kWriteTextButton); }
EditBox& MainWindow::integer_value_box() {
  return impl_->form.Get<EditBox>(names::kIntegerValueBox);
}
Button& MainWindow::read_integer_button() {
  return impl_->form.Get<Button>(names::kReadIntegerButton);
}
Button& MainWindow::write_integer_button() {
  return impl_->form.Get<Button>(names::kWriteIntegerButton);
}
EditBox& MainWindow::decimal_value_box() {
  return impl_->form.Get<EditBox>(names::kDecimalValueBox);
}
Button& MainWindow::read_decimal_button() {
  return impl_->form.Get<Button>(names::kReadDecimalButton);
}
Button& MainWindow::write_decimal_button() {
  return impl_->form.Get<Button>(names::kWriteDecimalButton);
}
Button& MainWindow::write_bytes_to_file_button() {
  return impl_->form.Get<Button>(names::kWriteBytesToFileButton);
}
Button& MainWindow::clear_bytes_button() {
  return impl_->form.Get<Button>(names::kClearBytesButton);
}
Button& MainWindow::read_bytes_from_file_button() {
  return impl_->form.Get<Button>(names::kReadBytesFromFileButton);
}
PictureBox& MainWindow::picture_box() { return impl_->form.Get<PictureBox>(names::kPictureBox); }

FileDialog& MainWindow::bytes_file_dialog() {
  return impl_->form.file_dialog(names::kBytesFileDialog);
}
FileDialog& MainWindow::text_file_dialog() {
  return impl_->form.file_dialog(names::kTextFileDialog);
}
FileDialog& MainWindow::database_file_dialog() {
  return impl_->form.file_dialog(names::kDatabaseFileDialog);
}

Label& MainWindow::manual_link() { return impl_->form.Get<Label>(names::kManualLink); }
Label& MainWindow::home_page_link() { return impl_->form.Get<Label>(names::kHomePageLink); }
std::string MainWindow::manual_address() const {
  return impl_->form.LinkTarget(impl_->form.Get<Label>(names::kManualLink));
}
std::string MainWindow::home_page_address() const {
  return impl_->form.LinkTarget(impl_->form.Get<Label>(names::kHomePageLink));
}

Menu& MainWindow::menu(MainMenu which) { return impl_->form.menu(static_cast<int>(which)); }
MenuItem& MainWindow::command_item(MainCommand command) {
  return impl_->form.menu_item(CaptionOf(command));
}
std::optional<MainCommand> MainWindow::toolbar_command(int index) const {
  const char* caption = impl_->form.ToolbarMenuItem(index);
  if (caption == nullptr) return std::nullopt;
  for (const CommandCaption& entry : kCommandCaptions) {
    if (std::string_view(entry.caption) == caption) return entry.command;
  }
  return std::nullopt;
}
MenuItem* MainWindow::menu_item(const std::string& caption) {
  return impl_->form.FindMenuItem(ToUtf8(caption));
}

const ImageList& MainWindow::image_list() const { return impl_->form.images(); }

Control* MainWindow::Find(const std::string& name) { return impl_->form.Find(ToUtf8(name)); }
FileDialog* MainWindow::FindFileDialog(const std::string& name) {
  return impl_->form.FindFileDialog(ToUtf8(name));
}

}  // namespace torvane
