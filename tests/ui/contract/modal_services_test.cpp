// The modal services: the scripted double as the logic's tests use it, and the real Qt dialogs,
// answered from a timer while they run.
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include "base/codec.h"
#include "modal_answer.h"
#include "support/scripted_modal_services.h"
#include "ui/modal_services.h"

namespace torvane {
namespace {

using testing::ScriptedModalServices;

std::string In(const char* utf8) { return FromUtf8(utf8); }

// A routine written like the program's logic: asks, then acts on the answers.
std::string SaveLogFlow(ModalServices& services, FileDialog& dialog) {
  if (services.MessageBox(In("保存日志吗？"), kMbYesNoCancelAsk) != kIdYes) return "declined";
  const std::optional<std::string> name = services.InputBox(In("文件说明："));
  if (!name) return "no name";
  dialog.kind = FileDialogKind::kSave;
  if (!services.ShowFileDialog(dialog)) return "no file";
  return *name + " -> " + dialog.file_name;
}

TEST(ScriptedModalServices, DrivesAMessageBoxAnInputBoxAndAFileDialog) {
  ScriptedModalServices services;
  FileDialog dialog{FileDialogKind::kOpen, "", In("文本文件(*.txt)|*.txt|所有文件(*.*)|*.*"), "txt",
                    ""};
  services.QueueMessageBoxAnswer(kIdYes);
  services.QueueInputBoxAnswer(In("今天"));
  services.QueueFileDialogAnswer("/tmp/log.txt");
  EXPECT_EQ(SaveLogFlow(services, dialog), In("今天") + " -> /tmp/log.txt");
  EXPECT_EQ(services.PendingAnswers(), 0);

  ASSERT_EQ(services.message_boxes().size(), 1u);
  EXPECT_EQ(services.message_boxes()[0].text, In("保存日志吗？"));
  EXPECT_EQ(services.message_boxes()[0].flags, 35);
  EXPECT_EQ(services.message_boxes()[0].caption, In("信息："));
  ASSERT_EQ(services.input_boxes().size(), 1u);
  EXPECT_EQ(services.input_boxes()[0].caption, In("请输入："));
  EXPECT_EQ(services.input_boxes()[0].initial, "");
  ASSERT_EQ(services.file_dialogs().size(), 1u);
  EXPECT_EQ(services.file_dialogs()[0].kind, FileDialogKind::kSave);
  EXPECT_EQ(services.file_dialogs()[0].filter, In("文本文件(*.txt)|*.txt|所有文件(*.*)|*.*"));
  EXPECT_EQ(services.file_dialogs()[0].default_extension, "txt");

  // The chosen name is the initial name of the next show; a cancel leaves it.
  services.QueueMessageBoxAnswer(kIdYes);
  services.QueueInputBoxAnswer("again");
  services.QueueFileDialogAnswer(std::nullopt);
  EXPECT_EQ(SaveLogFlow(services, dialog), "no file");
  EXPECT_EQ(services.file_dialogs()[1].file_name, "/tmp/log.txt");
  EXPECT_EQ(dialog.file_name, "/tmp/log.txt");
}

TEST(ScriptedModalServices, UnscriptedBoxesAreClosedOrCancelled) {
  ScriptedModalServices services;
  struct {
    int flags;
    int answer;
  } cases[] = {{kMbOk, kIdOk},
               {kMbOkStop, kIdOk},
               {kMbYesNoCancelAsk, kIdCancel},
               {1, kIdCancel},
               {4, kIdNo}};
  for (const auto& c : cases) EXPECT_EQ(services.MessageBox("m", c.flags), c.answer) << c.flags;
  EXPECT_EQ(services.InputBox("p"), std::nullopt);
  FileDialog dialog;
  dialog.file_name = "kept";
  EXPECT_FALSE(services.ShowFileDialog(dialog));
  EXPECT_EQ(dialog.file_name, "kept");
  FileDialog declined;
  services.QueueMessageBoxAnswer(kIdNo);
  EXPECT_EQ(SaveLogFlow(services, declined), "declined");
}

TEST(ScriptedModalServices, RecordsShellActionsAndKeepsItsOwnClipboard) {
  ScriptedModalServices services;
  services.ShellEdit(In("/tmp/日志.txt"));
  services.OpenWebAddress("https://example.org/");
  EXPECT_EQ(services.shell_edits(), std::vector<std::string>{In("/tmp/日志.txt")});
  EXPECT_EQ(services.web_addresses(), std::vector<std::string>{"https://example.org/"});
  EXPECT_EQ(services.ClipboardText(), "");
  services.SetClipboardText(In("表名"));
  EXPECT_EQ(services.ClipboardText(), In("表名"));
  services.ClearRecords();
  EXPECT_TRUE(services.shell_edits().empty());
}

QAbstractButton* ButtonWithText(QMessageBox* box, const char* utf8) {
  for (QAbstractButton* button : box->buttons()) {
    if (button->text() == QString::fromUtf8(utf8)) return button;
  }
  return nullptr;
}

TEST(QtModalServices, MessageBoxStylesGiveTheirButtonsIconsAndCodes) {
  struct {
    int flags;
    QMessageBox::Icon icon;
    std::vector<const char*> buttons;
    const char* press;  // nullptr: close with Escape
    int code;
  } cases[] = {
      {kMbOk, QMessageBox::NoIcon, {"确定"}, "确定", kIdOk},
      {kMbOk, QMessageBox::NoIcon, {"确定"}, nullptr, kIdOk},
      {kMbOkStop, QMessageBox::Critical, {"确定"}, "确定", kIdOk},
      {kMbYesNoCancelAsk, QMessageBox::Question, {"是(&Y)", "否(&N)", "取消"}, "是(&Y)", kIdYes},
      {kMbYesNoCancelAsk, QMessageBox::Question, {"是(&Y)", "否(&N)", "取消"}, "否(&N)", kIdNo},
      {kMbYesNoCancelAsk, QMessageBox::Question, {"是(&Y)", "否(&N)", "取消"}, "取消", kIdCancel},
      {kMbYesNoCancelAsk, QMessageBox::Question, {"是(&Y)", "否(&N)", "取消"}, nullptr, kIdCancel},
  };
  QtModalServices services;
  for (const auto& c : cases) {
    QMessageBox::Icon icon = QMessageBox::Warning;
    QString text, title;
    std::vector<QString> buttons;
    bool no_owner = false;
    Qt::WindowModality modality = Qt::NonModal;
    WhenShown<QMessageBox>([&](QMessageBox* box) {
      icon = box->icon();
      text = box->text();
      title = box->windowTitle();
      no_owner = box->parentWidget() == nullptr;
      modality = box->windowModality();
      for (QAbstractButton* b : box->buttons()) buttons.push_back(b->text());
      if (c.press) {
        ButtonWithText(box, c.press)->click();
      } else {
        QTest::keyClick(box, Qt::Key_Escape);
      }
    });
    const int code = services.MessageBox(In("删除字段吗？"), c.flags, In("信息："));
    EXPECT_EQ(code, c.code) << c.flags << " " << (c.press ? c.press : "escape");
    EXPECT_EQ(icon, c.icon) << c.flags;
    EXPECT_EQ(text, QStringLiteral("删除字段吗？"));
    EXPECT_EQ(title, QStringLiteral("信息："));
    EXPECT_TRUE(no_owner);
    EXPECT_EQ(modality, Qt::ApplicationModal);
    ASSERT_EQ(buttons.size(), c.buttons.size()) << c.flags;
    for (const char* expected : c.buttons) {
      EXPECT_NE(std::find(buttons.begin(), buttons.end(), QString::fromUtf8(expected)),
                buttons.end())
          << expected;
    }
  }
}

// The toolkit's progress dialog: modal to the application, its caption, the text and the share
// done; the cancel button is heard when events are handled, and missing when the work cannot stop.
TEST(QtModalServices, AProgressWindowShowsTheWorkAndHearsItsCancel) {
  QtModalServices services;
  for (const bool cancellable : {true, false}) {
    std::unique_ptr<ProgressWindow> window = services.OpenProgress(FromUtf8("修改表"), cancellable);
    auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("修改表"));
    EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);
    window->Show(FromUtf8("正在复制记录"), 250, 1000);
    EXPECT_EQ(dialog->labelText(), QStringLiteral("正在复制记录"));
    EXPECT_EQ(dialog->value() * 4, dialog->maximum());
    window->Show(FromUtf8("正在重建索引"), 0, 0);
    EXPECT_EQ(dialog->maximum(), 0) << "a moving bar";
    EXPECT_FALSE(window->Cancelled());
    QPushButton* cancel = dialog->findChild<QPushButton*>();
    EXPECT_EQ(cancel != nullptr && cancel->isVisible(), cancellable);
    if (cancellable) {
      ASSERT_NE(cancel, nullptr);
      EXPECT_EQ(cancel->text(), QStringLiteral("取消"));
      cancel->click();
      EXPECT_TRUE(window->Cancelled());
    }
    window.reset();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  }
}

TEST(QtModalServices, DefaultCaptionOfTheMessageBox) {
  QtModalServices services;
  QString title;
  WhenShown<QMessageBox>([&](QMessageBox* box) {
    title = box->windowTitle();
    box->accept();
  });
  services.MessageBox("x");
  EXPECT_EQ(title, QStringLiteral("信息："));
}

TEST(QtModalServices, InputBoxShowsItsButtonsAndReturnsTheTextOrACancel) {
  QtModalServices services;
  for (bool accept : {true, false}) {
    QString ok, cancel, label, title, initial;
    WhenShown<QInputDialog>([&](QInputDialog* dialog) {
      ok = dialog->okButtonText();
      cancel = dialog->cancelButtonText();
      label = dialog->labelText();
      title = dialog->windowTitle();
      initial = dialog->textValue();
      dialog->setTextValue(QStringLiteral("新表名"));
      if (accept) {
        dialog->accept();
      } else {
        dialog->reject();
      }
    });
    const std::optional<std::string> answer =
        services.InputBox(In("请输入新的表名："), In("请输入："), "goods");
    EXPECT_EQ(ok, QStringLiteral("确认输入(&O)"));
    EXPECT_EQ(cancel, QStringLiteral("取消(&C)"));
    EXPECT_EQ(label, QStringLiteral("请输入新的表名："));
    EXPECT_EQ(title, QStringLiteral("请输入："));
    EXPECT_EQ(initial, QStringLiteral("goods"));
    EXPECT_EQ(answer, accept ? std::optional<std::string>(In("新表名")) : std::nullopt);
  }
}

class FileDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        std::filesystem::temp_directory_path() /
        ("torvane_ui_dialog_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "_" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

TEST_F(FileDialogTest, ShowsTheSettingsAndRemembersTheChosenFile) {
  const std::string existing = (dir_ / "a.sdb").string();
  std::ofstream(existing) << "x";
  QtModalServices services;
  FileDialog settings{FileDialogKind::kOpen, In("打开数据库"),
                      In("Sqlite数据库文件(*.sdb)|*.sdb|所有文件(*.*)|*.*"), "sdb", existing};
  QStringList filters;
  QString title, suffix;
  QFileDialog::AcceptMode mode = QFileDialog::AcceptSave;
  QStringList initial;
  WhenShown<QFileDialog>([&](QFileDialog* dialog) {
    filters = dialog->nameFilters();
    title = dialog->windowTitle();
    suffix = dialog->defaultSuffix();
    mode = dialog->acceptMode();
    initial = dialog->selectedFiles();
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog's own accept, reached through QDialog
  });
  ASSERT_TRUE(services.ShowFileDialog(settings));
  EXPECT_EQ(filters, (QStringList{QStringLiteral("Sqlite数据库文件(*.sdb) (*.sdb)"),
                                  QStringLiteral("所有文件(*.*) (*)")}));
  EXPECT_EQ(title, QStringLiteral("打开数据库"));
  EXPECT_EQ(suffix, QStringLiteral("sdb"));
  EXPECT_EQ(mode, QFileDialog::AcceptOpen);
  EXPECT_EQ(initial, QStringList{QString::fromStdString(existing)});
  EXPECT_EQ(settings.file_name, existing);
}

TEST_F(FileDialogTest, SaveDialogAddsTheDefaultExtensionAndCancelKeepsTheName) {
  QtModalServices services;
  const std::string first = (dir_ / In("日志")).string();
  FileDialog settings{FileDialogKind::kSave, "", In("文本文件(*.txt)|*.txt|所有文件(*.*)|*.*"),
                      "txt", ""};
  bool confirms_overwrite = false;
  WhenShown<QFileDialog>([&](QFileDialog* dialog) {
    confirms_overwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    dialog->selectFile(QString::fromUtf8(ToUtf8(first)));
    static_cast<QDialog*>(dialog)->accept();
  });
  ASSERT_TRUE(services.ShowFileDialog(settings));
  EXPECT_TRUE(confirms_overwrite);
  EXPECT_EQ(settings.file_name, first + ".txt");

  WhenShown<QFileDialog>([&](QFileDialog* dialog) { dialog->reject(); });
  EXPECT_FALSE(services.ShowFileDialog(settings));
  EXPECT_EQ(settings.file_name, first + ".txt");
}

// The dialog writes no settings file of the user's and tells files apart without reading them.
TEST_F(FileDialogTest, KeepsNoSettingsAndReadsNoFile) {
  QtModalServices services;
  FileDialog settings{FileDialogKind::kOpen, "", "", "", (dir_ / "a.sdb").string()};
  QString type;
  WhenShown<QFileDialog>([&](QFileDialog* dialog) {
    type = dialog->iconProvider()->type(QFileInfo(QStringLiteral("/proc/kmsg")));
    dialog->reject();
  });
  EXPECT_FALSE(services.ShowFileDialog(settings));
  EXPECT_EQ(type, QStringLiteral("文件"));
  const QString written = QSettings(QSettings::UserScope, QStringLiteral("QtProject")).fileName();
  const QString user_config =
      QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  EXPECT_FALSE(written.startsWith(user_config)) << written.toStdString();
}

TEST(QtModalServices, ClipboardCarriesInternalText) {
  QtModalServices services;
  services.SetClipboardText(In("表名"));
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("表名"));
  EXPECT_EQ(services.ClipboardText(), In("表名"));
}

}  // namespace
}  // namespace torvane
