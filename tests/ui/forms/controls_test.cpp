// Every control that the program logic names exists in its window, with the kind, container and
// designed properties the logic relies on, and is reachable through the window facades.
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QTreeWidget>

#include "base/codec.h"
#include "ui/controls.h"
#include "ui/designer_dialog.h"
#include "ui/insert_dialog.h"
#include "ui/main_window.h"
#include "ui/sql_dialog.h"

namespace torvane {
namespace {

enum class K {
  kLabel,
  kButton,
  kFlatButton,
  kRadio,
  kGroup,
  kMultiLine,
  kLine,
  kCombo,
  kTabs,
  kPicture,
  kToolbar,
  kTree,
  kGrid,
  kSplitter,
};

// Designed properties beyond the kind.
enum Detail : unsigned {
  kNone = 0,
  kReadOnly = 1,
  kInteger = 2,
  kDecimal = 4,
  kChecked = 8,
  kHidden = 16,
};

struct Case {
  const char* name;
  K kind;
  const char* container;  // group box or tab page the control sits in; nullptr: the window
  unsigned detail = kNone;
};

const Case kMainControls[] = {
    {"工具条1", K::kToolbar, nullptr},
    {"标签6", K::kLabel, nullptr},
    {"标签1", K::kLabel, nullptr},
    {"组合框_显示内容", K::kCombo, nullptr},
    {"树型框1", K::kTree, nullptr},
    {"分隔条1", K::kSplitter, nullptr},
    {"分组框1", K::kGroup, nullptr},
    {"编辑框_表或视图定义", K::kMultiLine, "分组框1", kReadOnly},
    {"高级表格1", K::kGrid, nullptr},
    {"编辑框_表基本信息", K::kLine, nullptr, kReadOnly},
    {"标签2", K::kLabel, nullptr},
    {"超级按钮_写日志到文件", K::kFlatButton, nullptr},
    {"超级按钮_清除日志", K::kFlatButton, nullptr},
    {"编辑框_操作日志", K::kMultiLine, nullptr, kReadOnly},
    {"标签7", K::kLabel, nullptr},
    {"标签8", K::kLabel, nullptr},
    {"分组框_字段读写", K::kGroup, nullptr, kHidden},
    {"标签4", K::kLabel, "分组框_字段读写"},
    {"组合框_记录序号", K::kCombo, "分组框_字段读写"},
    {"标签3", K::kLabel, "分组框_字段读写"},
    {"组合框_字段名称", K::kCombo, "分组框_字段读写"},
    {"高级选择夹1", K::kTabs, "分组框_字段读写"},
    {"编辑框_文本字段值", K::kMultiLine, "文本型"},
    {"按钮_从文件读入文本", K::kButton, "文本型"},
    {"按钮_写文本到文件", K::kButton, "文本型"},
    {"按钮_读文本字段值", K::kButton, "文本型"},
    {"按钮_写文本字段值", K::kButton, "文本型"},
    {"编辑框_整数字段值", K::kLine, "整数型", kInteger},
    {"按钮_读整数字段值", K::kButton, "整数型"},
    {"按钮_写整数字段值", K::kButton, "整数型"},
    {"编辑框_小数字段值", K::kLine, "小数型", kDecimal},
    {"按钮_读小数字段值", K::kButton, "小数型"},
    {"按钮_写小数字段值", K::kButton, "小数型"},
    {"按钮_写字节集字段值到文件", K::kButton, "字节集型"},
    {"按钮_清除字节集字段", K::kButton, "字节集型"},
    {"按钮_从文件写到字节集字段", K::kButton, "字节集型"},
    {"标签5", K::kLabel, "字节集型"},
    {"图片框_字节集预览", K::kPicture, "字节集型"},
};

const Case kSqlControls[] = {
    {"标签1", K::kLabel, nullptr},
    {"树型框1", K::kTree, nullptr},
    {"标签2", K::kLabel, nullptr},
    {"编辑框_SQL语句", K::kMultiLine, nullptr},
    {"按钮_从文件导入", K::kButton, nullptr},
    {"按钮_从模板导入", K::kButton, nullptr},
    {"高级表格1", K::kGrid, nullptr, kHidden},
    {"分组框1", K::kGroup, nullptr},
    {"单选框_查询类SQL", K::kRadio, "分组框1", kChecked},
    {"单选框_执行类SQL", K::kRadio, "分组框1"},
    {"标签3", K::kLabel, nullptr},
    {"按钮_确定", K::kButton, nullptr},
    {"按钮_关闭", K::kButton, nullptr},
};

const Case kDesignerControls[] = {
    {"高级表格1", K::kGrid, nullptr},
    {"按钮_向前插入字段", K::kButton, nullptr},
    {"按钮_向后插入字段", K::kButton, nullptr},
    {"按钮_删除字段", K::kButton, nullptr},
    {"按钮4", K::kButton, nullptr},
    {"按钮5", K::kButton, nullptr},
    {"按钮_确定", K::kButton, nullptr},
    {"按钮_取消", K::kButton, nullptr},
};

const Case kInsertControls[] = {
    {"标签1", K::kLabel, nullptr},
    {"标签3", K::kLabel, nullptr},
    {"高级表格1", K::kGrid, nullptr},
    {"高级选择夹1", K::kTabs, nullptr},
    {"标签_文本长度", K::kLabel, "文本型"},
    {"编辑框_文本字段值", K::kMultiLine, "文本型"},
    {"按钮_写文本字段值", K::kButton, "文本型"},
    {"编辑框_整数字段值", K::kLine, "整数型", kInteger},
    {"按钮_写整数字段值", K::kButton, "整数型"},
    {"编辑框_小数字段值", K::kLine, "小数型", kDecimal},
    {"按钮_写小数字段值", K::kButton, "小数型"},
    {"标签_字节集长度", K::kLabel, "字节集型"},
    {"按钮_清除字节集字段", K::kButton, "字节集型"},
    {"按钮_从文件写到字节集字段", K::kButton, "字节集型"},
    {"标签5", K::kLabel, "字节集型"},
    {"图片框_字节集预览", K::kPicture, "字节集型"},
    {"标签2", K::kLabel, nullptr},
    {"按钮_确定", K::kButton, nullptr},
    {"按钮_取消", K::kButton, nullptr},
};

// True when the widget is of the Qt class and the wrapper of the contract class agreed for `kind`.
bool HasKind(QWidget* w, Control* c, K kind) {
  switch (kind) {
    case K::kLabel:
      return qobject_cast<QLabel*>(w) && dynamic_cast<Label*>(c);
    case K::kButton:
      return qobject_cast<QPushButton*>(w) && !qobject_cast<QPushButton*>(w)->isFlat() &&
             dynamic_cast<Button*>(c);
    case K::kFlatButton:
      return qobject_cast<QPushButton*>(w) && qobject_cast<QPushButton*>(w)->isFlat() &&
             dynamic_cast<Button*>(c);
    case K::kRadio:
      return qobject_cast<QRadioButton*>(w) && dynamic_cast<RadioButton*>(c);
    case K::kGroup:
      return qobject_cast<QGroupBox*>(w) && dynamic_cast<GroupBox*>(c);
    case K::kMultiLine:
      return qobject_cast<QPlainTextEdit*>(w) && dynamic_cast<EditBox*>(c);
    case K::kLine:
      return qobject_cast<QLineEdit*>(w) && dynamic_cast<EditBox*>(c);
    case K::kCombo:
      return qobject_cast<QComboBox*>(w) && !qobject_cast<QComboBox*>(w)->isEditable() &&
             dynamic_cast<ComboBox*>(c);
    case K::kTabs:
      return qobject_cast<QTabWidget*>(w) && dynamic_cast<TabControl*>(c);
    case K::kPicture:
      return qobject_cast<QLabel*>(w) && dynamic_cast<PictureBox*>(c);
    case K::kToolbar:
      return qobject_cast<QToolBar*>(w) && dynamic_cast<Toolbar*>(c);
    case K::kTree:
      return qobject_cast<QTreeWidget*>(w) && dynamic_cast<TreeView*>(c);
    case K::kGrid:
      return qobject_cast<QTableView*>(w) && dynamic_cast<Grid*>(c);
    case K::kSplitter:
      return qobject_cast<QFrame*>(w) != nullptr && c != nullptr;
  }
  return false;
}

// The nearest ancestor that is a group box or a tab page (a page's name is its caption).
std::string ContainerOf(QWidget* w, QWidget* window) {
  for (QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget()) {
    if (qobject_cast<QGroupBox*>(p)) return p->objectName().toStdString();
    if (p->parentWidget() && p->parentWidget()->parentWidget() &&
        qobject_cast<QTabWidget*>(p->parentWidget()->parentWidget())) {
      return p->objectName().toStdString();
    }
  }
  return "";
}

template <class Facade>
void CheckControls(Facade& window, const char* window_name, const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(window_name) + " / " + c.name);
    Control* control = window.Find(FromUtf8(c.name));
    ASSERT_NE(control, nullptr);
    QWidget* widget = control->widget();
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(control->Name(), FromUtf8(c.name));
    EXPECT_TRUE(HasKind(widget, control, c.kind));
    EXPECT_EQ(ContainerOf(widget, window.window().widget()), c.container ? c.container : "");

    auto* edit = dynamic_cast<EditBox*>(control);
    if (edit) {
      EXPECT_EQ(edit->IsReadOnly(), (c.detail & kReadOnly) != 0);
      InputKind expected = (c.detail & kInteger)   ? InputKind::kInteger
                           : (c.detail & kDecimal) ? InputKind::kDecimal
                                                   : InputKind::kPlain;
      EXPECT_EQ(edit->GetInputKind(), expected);
      EXPECT_EQ(edit->Content(), "");
    }
    if (auto* radio = dynamic_cast<RadioButton*>(control)) {
      EXPECT_EQ(radio->IsChecked(), (c.detail & kChecked) != 0);
    }
    EXPECT_EQ(control->IsVisible(), (c.detail & kHidden) == 0);
  }
}

TEST(WindowControls, EveryNamedControlHasItsKindContainerAndDesignedState) {
  MainWindow main;
  CheckControls(main, "main", {std::begin(kMainControls), std::end(kMainControls)});
  SqlDialog sql;
  CheckControls(sql, "sql", {std::begin(kSqlControls), std::end(kSqlControls)});
  DesignerDialog designer;
  CheckControls(designer, "designer", {std::begin(kDesignerControls), std::end(kDesignerControls)});
  InsertDialog insert;
  CheckControls(insert, "insert", {std::begin(kInsertControls), std::end(kInsertControls)});
}

TEST(WindowControls, FindAnswersNullForUnknownNames) {
  MainWindow main;
  SqlDialog sql;
  for (const char* name : {"", "不存在的控件", "高级表格2", "文本型"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(main.Find(FromUtf8(name)), nullptr);
    EXPECT_EQ(sql.Find(FromUtf8(name)), nullptr);
  }
  EXPECT_EQ(main.FindFileDialog(FromUtf8("通用对话框1")), nullptr);
  EXPECT_EQ(main.menu_item(FromUtf8("应用选中行")), nullptr);
  EXPECT_EQ(sql.menu_item(FromUtf8("新建表...")), nullptr);
}

// The English accessors hand out the wrapper of the control with the matching name.
TEST(WindowControls, AccessorsReturnTheNamedControls) {
  MainWindow m;
  SqlDialog s;
  DesignerDialog d;
  InsertDialog i;
  const struct {
    Control* control;
    Control* found;
  } cases[] = {
      {&m.toolbar(), m.Find(FromUtf8("工具条1"))},
      {&m.display_filter(), m.Find(FromUtf8("组合框_显示内容"))},
      {&m.tree(), m.Find(FromUtf8("树型框1"))},
      {&m.definition_box(), m.Find(FromUtf8("编辑框_表或视图定义"))},
      {&m.grid(), m.Find(FromUtf8("高级表格1"))},
      {&m.info_box(), m.Find(FromUtf8("编辑框_表基本信息"))},
      {&m.save_log_button(), m.Find(FromUtf8("超级按钮_写日志到文件"))},
      {&m.clear_log_button(), m.Find(FromUtf8("超级按钮_清除日志"))},
      {&m.log_box(), m.Find(FromUtf8("编辑框_操作日志"))},
      {&m.field_panel(), m.Find(FromUtf8("分组框_字段读写"))},
      {&m.record_number_box(), m.Find(FromUtf8("组合框_记录序号"))},
      {&m.field_name_box(), m.Find(FromUtf8("组合框_字段名称"))},
      {&m.field_tabs(), m.Find(FromUtf8("高级选择夹1"))},
      {&m.text_value_box(), m.Find(FromUtf8("编辑框_文本字段值"))},
      {&m.read_text_from_file_button(), m.Find(FromUtf8("按钮_从文件读入文本"))},
      {&m.write_text_to_file_button(), m.Find(FromUtf8("按钮_写文本到文件"))},
      {&m.read_text_button(), m.Find(FromUtf8("按钮_读文本字段值"))},
      {&m.write_text_button(), m.Find(FromUtf8("按钮_写文本字段值"))},
      {&m.integer_value_box(), m.Find(FromUtf8("编辑框_整数字段值"))},
      {&m.read_integer_button(), m.Find(FromUtf8("按钮_读整数字段值"))},
      {&m.write_integer_button(), m.Find(FromUtf8("按钮_写整数字段值"))},
      {&m.decimal_value_box(), m.Find(FromUtf8("编辑框_小数字段值"))},
      {&m.read_decimal_button(), m.Find(FromUtf8("按钮_读小数字段值"))},
      {&m.write_decimal_button(), m.Find(FromUtf8("按钮_写小数字段值"))},
      {&m.write_bytes_to_file_button(), m.Find(FromUtf8("按钮_写字节集字段值到文件"))},
      {&m.clear_bytes_button(), m.Find(FromUtf8("按钮_清除字节集字段"))},
      {&m.read_bytes_from_file_button(), m.Find(FromUtf8("按钮_从文件写到字节集字段"))},
      {&m.picture_box(), m.Find(FromUtf8("图片框_字节集预览"))},
      {&m.manual_link(), m.Find(FromUtf8("标签7"))},
      {&m.home_page_link(), m.Find(FromUtf8("标签8"))},
      {&s.tree(), s.Find(FromUtf8("树型框1"))},
      {&s.sql_box(), s.Find(FromUtf8("编辑框_SQL语句"))},
      {&s.import_file_button(), s.Find(FromUtf8("按钮_从文件导入"))},
      {&s.import_template_button(), s.Find(FromUtf8("按钮_从模板导入"))},
      {&s.template_grid(), s.Find(FromUtf8("高级表格1"))},
      {&s.kind_group(), s.Find(FromUtf8("分组框1"))},
      {&s.query_radio(), s.Find(FromUtf8("单选框_查询类SQL"))},
      {&s.execute_radio(), s.Find(FromUtf8("单选框_执行类SQL"))},
      {&s.ok_button(), s.Find(FromUtf8("按钮_确定"))},
      {&s.close_button(), s.Find(FromUtf8("按钮_关闭"))},
      {&d.grid(), d.Find(FromUtf8("高级表格1"))},
      {&d.insert_before_button(), d.Find(FromUtf8("按钮_向前插入字段"))},
      {&d.insert_after_button(), d.Find(FromUtf8("按钮_向后插入字段"))},
      {&d.delete_button(), d.Find(FromUtf8("按钮_删除字段"))},
      {&d.move_up_button(), d.Find(FromUtf8("按钮4"))},
      {&d.move_down_button(), d.Find(FromUtf8("按钮5"))},
      {&d.ok_button(), d.Find(FromUtf8("按钮_确定"))},
      {&d.cancel_button(), d.Find(FromUtf8("按钮_取消"))},
      {&i.field_grid(), i.Find(FromUtf8("高级表格1"))},
      {&i.value_tabs(), i.Find(FromUtf8("高级选择夹1"))},
      {&i.text_length_label(), i.Find(FromUtf8("标签_文本长度"))},
      {&i.text_value_box(), i.Find(FromUtf8("编辑框_文本字段值"))},
      {&i.write_text_button(), i.Find(FromUtf8("按钮_写文本字段值"))},
      {&i.integer_value_box(), i.Find(FromUtf8("编辑框_整数字段值"))},
      {&i.write_integer_button(), i.Find(FromUtf8("按钮_写整数字段值"))},
      {&i.decimal_value_box(), i.Find(FromUtf8("编辑框_小数字段值"))},
      {&i.write_decimal_button(), i.Find(FromUtf8("按钮_写小数字段值"))},
      {&i.bytes_length_label(), i.Find(FromUtf8("标签_字节集长度"))},
      {&i.clear_bytes_button(), i.Find(FromUtf8("按钮_清除字节集字段"))},
      {&i.read_bytes_from_file_button(), i.Find(FromUtf8("按钮_从文件写到字节集字段"))},
      {&i.picture_box(), i.Find(FromUtf8("图片框_字节集预览"))},
      {&i.ok_button(), i.Find(FromUtf8("按钮_确定"))},
      {&i.cancel_button(), i.Find(FromUtf8("按钮_取消"))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.control->Name()));
    EXPECT_EQ(c.control, c.found);
  }
}

TEST(WindowControls, FileDialogsKeepTheirDesignedSettings) {
  MainWindow main;
  SqlDialog sql;
  InsertDialog insert;
  const struct {
    FileDialog* dialog;
    FileDialog* found;
    FileDialogKind kind;
    const char* filter;
    const char* extension;
  } cases[] = {
      {&main.bytes_file_dialog(), main.FindFileDialog(FromUtf8("对话框_字节集读写")),
       FileDialogKind::kOpen, "所有文件(*.*)|*.*", ""},
      {&main.text_file_dialog(), main.FindFileDialog(FromUtf8("对话框_打开或保存文本")),
       FileDialogKind::kSave, "文本文件(*.txt)|*.txt|所有文件(*.*)|*.*", "txt"},
      {&main.database_file_dialog(), main.FindFileDialog(FromUtf8("对话框_打开或新建数据库")),
       FileDialogKind::kOpen, "Sqlite数据库文件(*.sdb)|*.sdb|所有文件(*.*)|*.*", "sdb"},
      {&sql.file_dialog(), &sql.file_dialog(), FileDialogKind::kOpen,
       "SQL文件(*.sql)|*.sql|文本文件(*.txt)|*.txt|所有文件(*.*)|*.*", ""},
      {&insert.file_dialog(), &insert.file_dialog(), FileDialogKind::kOpen, "所有文件(*.*)|*.*",
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.filter);
    EXPECT_EQ(c.dialog, c.found);
    EXPECT_EQ(c.dialog->kind, c.kind);
    EXPECT_EQ(c.dialog->filter, FromUtf8(c.filter));
    EXPECT_EQ(c.dialog->default_extension, c.extension);
    EXPECT_EQ(c.dialog->file_name, "");
    EXPECT_EQ(c.dialog->title, "");
  }
  // The window keeps what the logic leaves in a dialog for its next show.
  main.database_file_dialog().file_name = FromUtf8("/tmp/数据.sdb");
  EXPECT_EQ(main.database_file_dialog().file_name, FromUtf8("/tmp/数据.sdb"));
}

}  // namespace
}  // namespace torvane
