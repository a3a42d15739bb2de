// Every control of the layout tables exists in its window, with the kind, container and designed
// properties the table gives it, and is reachable through the window facades under the name the
// logic uses.
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
#include "ui/forms/form_layout.h"
#include "ui/insert_dialog.h"
#include "ui/main_window.h"
#include "ui/sql_dialog.h"

namespace torvane {
namespace {

// True when the widget is of the Qt class and the wrapper of the contract class that a control of
// layout kind `kind` is built as.
bool HasKind(QWidget* w, Control* c, forms::Kind kind) {
  using forms::Kind;
  switch (kind) {
    case Kind::kLabel:
    case Kind::kDivider:
    case Kind::kLinkLabel:
      return qobject_cast<QLabel*>(w) && dynamic_cast<Label*>(c);
    case Kind::kButton:
      return qobject_cast<QPushButton*>(w) && !qobject_cast<QPushButton*>(w)->isFlat() &&
             dynamic_cast<Button*>(c);
    case Kind::kFlatButton:
      return qobject_cast<QPushButton*>(w) && qobject_cast<QPushButton*>(w)->isFlat() &&
             dynamic_cast<Button*>(c);
    case Kind::kRadioButton:
      return qobject_cast<QRadioButton*>(w) && dynamic_cast<RadioButton*>(c);
    case Kind::kGroupBox:
      return qobject_cast<QGroupBox*>(w) && dynamic_cast<GroupBox*>(c);
    case Kind::kMultiLineEdit:
      return qobject_cast<QPlainTextEdit*>(w) && dynamic_cast<EditBox*>(c);
    case Kind::kLineEdit:
      return qobject_cast<QLineEdit*>(w) && dynamic_cast<EditBox*>(c);
    case Kind::kComboBox:
      return qobject_cast<QComboBox*>(w) && !qobject_cast<QComboBox*>(w)->isEditable() &&
             dynamic_cast<ComboBox*>(c);
    case Kind::kTabControl:
      return qobject_cast<QTabWidget*>(w) && dynamic_cast<TabControl*>(c);
    case Kind::kPictureBox:
      return qobject_cast<QLabel*>(w) && dynamic_cast<PictureBox*>(c);
    case Kind::kToolbar:
      return qobject_cast<QToolBar*>(w) && dynamic_cast<Toolbar*>(c);
    case Kind::kTree:
      return qobject_cast<QTreeWidget*>(w) && dynamic_cast<TreeView*>(c);
    case Kind::kGrid:
      return qobject_cast<QTableView*>(w) && dynamic_cast<Grid*>(c);
    case Kind::kSplitter:
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

// Every control of `form`'s layout table, found through the window facade by its name, is built
// as the table says: its kind, the group box or tab page it sits in, and its designed state.
template <class Facade>
void CheckControls(Facade& window, const forms::FormSpec& form) {
  ASSERT_FALSE(form.controls.empty());
  for (const forms::ControlSpec& layout : form.controls) {
    SCOPED_TRACE(std::string(form.name) + " / " + layout.name);
    Control* control = window.Find(FromUtf8(layout.name));
    ASSERT_NE(control, nullptr);
    QWidget* widget = control->widget();
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(control->Name(), FromUtf8(layout.name));
    EXPECT_TRUE(HasKind(widget, control, layout.kind));
    // A control on a tab page sits in the page, which is named by its caption.
    const char* container = layout.page ? layout.page : layout.container;
    EXPECT_EQ(ContainerOf(widget, window.window().widget()), container ? container : "");

    auto* edit = dynamic_cast<EditBox*>(control);
    if (edit) {
      EXPECT_EQ(edit->IsReadOnly(), (layout.flags & forms::kReadOnly) != 0);
      InputKind expected = (layout.flags & forms::kIntegerInput)   ? InputKind::kInteger
                           : (layout.flags & forms::kDecimalInput) ? InputKind::kDecimal
                                                                   : InputKind::kPlain;
      EXPECT_EQ(edit->GetInputKind(), expected);
      EXPECT_EQ(edit->Content(), "");
    }
    if (auto* radio = dynamic_cast<RadioButton*>(control)) {
      EXPECT_EQ(radio->IsChecked(), (layout.flags & forms::kChecked) != 0);
    }
    EXPECT_EQ(control->IsVisible(), (layout.flags & forms::kHidden) == 0);
  }
}

TEST(WindowControls, EveryNamedControlHasItsKindContainerAndDesignedState) {
  MainWindow main;
  CheckControls(main, forms::MainForm());
  SqlDialog sql;
  CheckControls(sql, forms::SqlForm());
  DesignerDialog designer;
  CheckControls(designer, forms::DesignerForm());
  InsertDialog insert;
  CheckControls(insert, forms::InsertForm());
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

// The English accessors hand out the wrapper of the control with the matching name. Which accessor
// stands for which name is the facades' own choice, not the layout tables', so the pairs are
// written out here.
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

// The settings every file dialog of the layout tables is created with.
void ExpectDesignedSettings(const FileDialog& dialog, const forms::FileDialogSpec& layout) {
  SCOPED_TRACE(layout.name);
  EXPECT_EQ(dialog.kind, layout.kind);
  EXPECT_EQ(dialog.filter, FromUtf8(layout.filter));
  EXPECT_EQ(dialog.default_extension, layout.default_extension);
  EXPECT_EQ(dialog.file_name, "");
  EXPECT_EQ(dialog.title, "");
}

TEST(WindowControls, FileDialogsKeepTheirDesignedSettings) {
  MainWindow main;
  const forms::FormSpec& main_form = forms::MainForm();
  ASSERT_FALSE(main_form.file_dialogs.empty());
  for (const forms::FileDialogSpec& layout : main_form.file_dialogs) {
    const FileDialog* dialog = main.FindFileDialog(FromUtf8(layout.name));
    ASSERT_NE(dialog, nullptr) << layout.name;
    ExpectDesignedSettings(*dialog, layout);
  }
  // The accessors hand out the dialogs of the names the logic knows them by.
  EXPECT_EQ(&main.bytes_file_dialog(), main.FindFileDialog(FromUtf8("对话框_字节集读写")));
  EXPECT_EQ(&main.text_file_dialog(), main.FindFileDialog(FromUtf8("对话框_打开或保存文本")));
  EXPECT_EQ(&main.database_file_dialog(), main.FindFileDialog(FromUtf8("对话框_打开或新建数据库")));
  // The dialogs have one file dialog each.
  SqlDialog sql;
  ASSERT_EQ(forms::SqlForm().file_dialogs.size(), 1u);
  ExpectDesignedSettings(sql.file_dialog(), forms::SqlForm().file_dialogs[0]);
  InsertDialog insert;
  ASSERT_EQ(forms::InsertForm().file_dialogs.size(), 1u);
  ExpectDesignedSettings(insert.file_dialog(), forms::InsertForm().file_dialogs[0]);

  // The window keeps what the logic leaves in a dialog for its next show.
  main.database_file_dialog().file_name = FromUtf8("/tmp/数据.sdb");
  EXPECT_EQ(main.database_file_dialog().file_name, FromUtf8("/tmp/数据.sdb"));
}

}  // namespace
}  // namespace torvane
