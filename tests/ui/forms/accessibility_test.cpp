// What a screen reader hears: the accessible names of every control, tab page, toolbar button and
// menu of the four windows, read through Qt's accessibility interface, and the labels that name
// their inputs.
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QAccessible>
#include <QAccessibleInterface>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>

#include "base/codec.h"
#include "support/layout_tables.h"
#include "ui/forms/form_builder.h"
#include "ui/forms/form_controls.h"
#include "ui/forms/form_layout.h"
#include "ui/main_window.h"

namespace torvane {
namespace {

// The name assistive technology reads for `object`; "" when Qt has no interface for it.
QString SpokenName(QObject* object) {
  QAccessibleInterface* access = QAccessible::queryAccessibleInterface(object);
  return access ? access->text(QAccessible::Name) : QString();
}

// The name given to `widget`. Qt on Linux reads a drop-down list by its current item and relates
// it to its label instead (and a tab bar by its current tab), so for those two the name set on the
// widget is what counts; every other widget's spoken name is it.
QString GivenName(QWidget* widget) {
  if (qobject_cast<QComboBox*>(widget) || qobject_cast<QTabBar*>(widget))
    return widget->accessibleName();
  return SpokenName(widget);
}

// True when Qt's accessibility interfaces relate `label` to `widget` as its label: the label
// says it labels the widget, or the widget says it is labelled by the label (item views say
// nothing of their labels themselves).
bool LabelledBy(QWidget* widget, QWidget* label) {
  const struct {
    QWidget* from;
    QWidget* to;
    QAccessible::Relation relation;
  } ways[] = {{label, widget, QAccessible::Labelled}, {widget, label, QAccessible::Label}};
  for (const auto& way : ways) {
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(way.from);
    if (!access) continue;
    for (const auto& [other, relation] : access->relations(way.relation)) {
      if (other->object() == way.to) return true;
    }
  }
  return false;
}

using testing::AllForms;
using testing::LayoutOf;

TEST(AccessibleNames, EveryControlOfEveryWindowHasOne) {
  for (const forms::FormSpec* form : AllForms()) {
    SCOPED_TRACE(form->name);
    forms::FormControls controls(*form);
    for (const forms::ControlSpec& layout : form->controls) {
      SCOPED_TRACE(layout.name);
      QWidget* widget = controls.Find(layout.name)->widget();
      EXPECT_FALSE(SpokenName(widget).isEmpty());
      EXPECT_FALSE(GivenName(widget).isEmpty());
      if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
        EXPECT_EQ(GivenName(tabs->tabBar()), SpokenName(widget));
        for (int i = 0; i < tabs->count(); ++i) {
          EXPECT_EQ(SpokenName(tabs->widget(i)), tabs->tabText(i));
        }
      }
    }
    for (int m = 0; m < controls.MenuCount(); ++m) {
      QMenu* menu = controls.menu(m).menu();
      SCOPED_TRACE(menu->objectName().toStdString());
      EXPECT_FALSE(SpokenName(menu).isEmpty());
      // Each item is heard by the text the menu shows for it.
      QAccessibleInterface* access = QAccessible::queryAccessibleInterface(menu);
      ASSERT_NE(access, nullptr);
      ASSERT_EQ(access->childCount(), menu->actions().size());
      for (int i = 0; i < access->childCount(); ++i) {
        QAction* action = menu->actions().at(i);
        if (action->isSeparator()) continue;
        EXPECT_EQ(access->child(i)->text(QAccessible::Name), action->objectName());
      }
    }
    if (auto* main = qobject_cast<QMainWindow*>(controls.widget())) {
      EXPECT_EQ(SpokenName(main->menuBar()), QStringLiteral("菜单栏"));
    }
  }
}

// Names chosen for controls without a caption of their own, names taken from the label beside a
// control, and captions spoken as they are shown. Written out as a listener hears them rather than
// read from the layout tables: how a name follows from a table's entry, its label or its caption
// is what this checks.
TEST(AccessibleNames, AreTheOnesChosenForEachControl) {
  const struct {
    const forms::FormSpec& form;
    const char* control;
    const char* name;
  } cases[] = {
      {forms::MainForm(), "工具条1", "工具栏"},
      {forms::MainForm(), "组合框_显示内容", "显示内容"},
      {forms::MainForm(), "树型框1", "数据库结构"},
      {forms::MainForm(), "编辑框_表或视图定义", "表或视图定义"},
      {forms::MainForm(), "高级表格1", "记录表格"},
      {forms::MainForm(), "编辑框_表基本信息", "表基本信息"},
      {forms::MainForm(), "编辑框_操作日志", "操作日志"},
      {forms::MainForm(), "超级按钮_写日志到文件", "存到文件..."},
      {forms::MainForm(), "超级按钮_清除日志", "全部清除"},
      {forms::MainForm(), "标签7", "Torvane 使用说明"},
      {forms::MainForm(), "标签8", "SQLite 主页"},
      {forms::MainForm(), "分组框_字段读写", "字段读写"},
      {forms::MainForm(), "组合框_记录序号", "记录序号"},
      {forms::MainForm(), "组合框_字段名称", "字段名称"},
      {forms::MainForm(), "高级选择夹1", "字段值类型"},
      {forms::MainForm(), "编辑框_文本字段值", "文本字段值"},
      {forms::MainForm(), "按钮_读整数字段值", "读取"},
      {forms::MainForm(), "图片框_字节集预览", "图片预览"},
      {forms::SqlForm(), "树型框1", "数据库中的表和视图"},
      {forms::SqlForm(), "编辑框_SQL语句", "SQL语句"},
      {forms::SqlForm(), "高级表格1", "SQL模板列表"},
      {forms::SqlForm(), "单选框_查询类SQL", "查询类SQL语句（如select等，返回记录集）"},
      {forms::SqlForm(), "按钮_从模板导入", "从模板导入..."},
      {forms::DesignerForm(), "高级表格1", "字段定义"},
      {forms::DesignerForm(), "按钮4", "上移"},
      {forms::DesignerForm(), "按钮5", "下移"},
      {forms::DesignerForm(), "按钮_取消", "取消"},
      {forms::InsertForm(), "高级表格1", "字段列表"},
      {forms::InsertForm(), "编辑框_小数字段值", "小数字段值"},
      {forms::InsertForm(), "图片框_字节集预览", "图片预览"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.form.name) + " " + c.control);
    forms::FormControls controls(c.form);
    EXPECT_EQ(GivenName(controls.Find(c.control)->widget()), QString::fromUtf8(c.name));
  }
}

// A label that names an input in the layout tables points at it, so a screen reader relates the
// two; its text stays its caption.
TEST(AccessibleNames, LabelsPointAtTheInputsTheyName) {
  int labels = 0;
  for (const forms::FormSpec* form : AllForms()) {
    forms::FormControls controls(*form);
    for (const forms::AccessSpec& access : form->access) {
      if (!access.label) continue;
      ++labels;
      SCOPED_TRACE(std::string(form->name) + " " + access.label);
      const char* caption = LayoutOf(*form, access.label).caption;
      auto* label = qobject_cast<QLabel*>(controls.Find(access.label)->widget());
      ASSERT_NE(label, nullptr);
      QWidget* input = controls.Find(access.control)->widget();
      EXPECT_EQ(label->buddy(), input);
      EXPECT_TRUE(LabelledBy(input, label));
      EXPECT_EQ(label->text(), QString::fromUtf8(caption));
      EXPECT_EQ(SpokenName(label).toStdString(), caption);
    }
  }
  EXPECT_GT(labels, 0);
}

// The toolbar's buttons carry no name of their own: each is heard as the menu item it stands for
// in the layout table, while the toolbar keeps its captions.
TEST(AccessibleNames, ToolbarButtonsAreNamedForTheirMenuItems) {
  MainWindow main;
  const std::span<const forms::ToolbarButtonSpec> positions = forms::MainForm().toolbar;
  auto* bar = qobject_cast<QToolBar*>(main.toolbar().widget());
  ASSERT_NE(bar, nullptr);
  ASSERT_FALSE(positions.empty());
  ASSERT_EQ(bar->actions().size(), static_cast<qsizetype>(positions.size()));
  for (int i = 0; i < bar->actions().size(); ++i) {
    SCOPED_TRACE(i);
    QAction* action = bar->actions().at(i);
    EXPECT_EQ(action->isSeparator(), positions[i].caption == nullptr);
    if (action->isSeparator()) continue;
    const QString name = SpokenName(bar->widgetForAction(action));
    EXPECT_EQ(name, QString::fromUtf8(positions[i].menu_item));
    EXPECT_NE(main.menu_item(FromUtf8(name.toUtf8().toStdString())), nullptr);
    EXPECT_EQ(main.toolbar().ButtonCaption(i), FromUtf8(positions[i].caption));
  }
}

// A menu is heard by the spoken name its layout table gives it, or else by its caption.
TEST(AccessibleNames, MenusAreNamedForScreenReaders) {
  auto heard_as = [](const forms::MenuSpec& layout) {
    return QString::fromUtf8(layout.spoken_name ? layout.spoken_name : layout.caption);
  };
  int menus = 0;
  for (const forms::FormSpec* form : AllForms()) {
    forms::FormControls controls(*form);
    ASSERT_EQ(controls.MenuCount(), static_cast<int>(form->menus.size()));
    for (int m = 0; m < controls.MenuCount(); ++m) {
      ++menus;
      const forms::MenuSpec& layout = form->menus[m];
      SCOPED_TRACE(layout.caption);
      EXPECT_EQ(SpokenName(controls.menu(m).menu()), heard_as(layout));
    }
  }
  EXPECT_GT(menus, 0);
  // The main window's facade hands out the same menus.
  MainWindow main;
  for (int m = 0; m < static_cast<int>(forms::MainForm().menus.size()); ++m) {
    EXPECT_EQ(SpokenName(main.menu(static_cast<MainMenu>(m)).menu()),
              heard_as(forms::MainForm().menus[m]));
  }
}

TEST(AccessibleNames, LinkLabelsDescribeTheirAddresses) {
  MainWindow main;
  QAccessibleInterface* access =
      QAccessible::queryAccessibleInterface(main.home_page_link().widget());
  ASSERT_NE(access, nullptr);
  EXPECT_EQ(access->text(QAccessible::Description),
            QString::fromUtf8(LayoutOf(forms::MainForm(), "标签8").target));
}

}  // namespace
}  // namespace torvane
