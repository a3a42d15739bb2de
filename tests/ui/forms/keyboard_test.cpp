// The four windows with the keyboard alone: the Tab order of each, links and buttons pressed with
// Enter and Space, Tab leaving grids and text boxes, and the main window's shortcut keys.
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>
#include <QApplication>
#include <QKeySequence>
#include <QTabBar>
#include <QTest>
#include <QWidget>

#include "base/codec.h"
#include "support/layout_tables.h"
#include "ui/controls.h"
#include "ui/forms/form_controls.h"
#include "ui/forms/form_layout.h"
#include "ui/main_window.h"
#include "ui/sql_dialog.h"

namespace torvane {
namespace {

std::string T(const char* utf8) { return FromUtf8(utf8); }

// The layout name of the control `widget` is (a tab control's tab bar stands for the tab control);
// "" for any other widget.
std::string LayoutName(const forms::FormSpec& form, QWidget* widget) {
  if (widget == nullptr) return "";
  QWidget* control = qobject_cast<QTabBar*>(widget) ? widget->parentWidget() : widget;
  const std::string name = control->objectName().toStdString();
  for (const forms::ControlSpec& layout : form.controls) {
    if (name == layout.name) return name;
  }
  return "";
}

// The controls Tab visits in `window`, in order, whether shown now or not: the widgets of its focus
// chain that take the focus by Tab themselves (not through a proxy). A part of a control that Qt
// keeps hidden (a tab bar's scroll buttons) is left out; any other widget outside the layout shows
// up as "?" and its class.
std::vector<std::string> TabChain(const forms::FormSpec& form, QWidget* window) {
  std::vector<std::string> chain;
  for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain()) {
    if ((w->focusPolicy() & Qt::TabFocus) != Qt::TabFocus || w->focusProxy()) continue;
    if (w->window() != window) continue;
    std::string name = LayoutName(form, w);
    if (name.empty()) {
      if (w->isHidden()) continue;
      name = std::string("?") + w->metaObject()->className();
    }
    chain.push_back(name);
  }
  return chain;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += name + " ";
  return text;
}

// Each window's focus chain visits every control that takes the focus exactly once, in the reading
// order of its layout table's Tab list, independently of the order the controls were created in.
TEST(TabOrder, EachWindowVisitsEveryFocusableControlOnceInReadingOrder) {
  for (const forms::FormSpec* form : testing::AllForms()) {
    SCOPED_TRACE(form->name);
    const std::vector<std::string> order(form->tab_order.begin(), form->tab_order.end());
    ASSERT_FALSE(order.empty());
    forms::FormControls controls(*form);
    const std::vector<std::string> chain = TabChain(*form, controls.widget());
    EXPECT_EQ(chain, order) << Joined(chain);
    EXPECT_EQ(std::set<std::string>(chain.begin(), chain.end()).size(), chain.size());
    // Every control of the layout that takes the focus is in the chain.
    const std::set<std::string> in_chain(chain.begin(), chain.end());
    for (const forms::ControlSpec& layout : form->controls) {
      QWidget* widget = controls.Find(layout.name)->widget();
      if (QWidget* proxy = widget->focusProxy()) widget = proxy;
      if ((widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus) {
        EXPECT_TRUE(in_chain.count(layout.name)) << layout.name;
      }
    }
  }
}

// Shows `window`, makes it the active window and puts the focus on `first`.
void ShowAndFocus(QWidget* window, QWidget* first) {
  window->show();
  QApplication::setActiveWindow(window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  first->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  ASSERT_EQ(QApplication::focusWidget(), first);
}

// Presses `key` on the focused control `count` times and names the control that has the focus
// after each press.
std::vector<std::string> Walk(const forms::FormSpec& form, Qt::Key key, int count) {
  std::vector<std::string> visited;
  for (int i = 0; i < count; ++i) {
    QTest::keyClick(QApplication::focusWidget(), key);
    visited.push_back(LayoutName(form, QApplication::focusWidget()));
  }
  return visited;
}

// With the keys themselves: Tab goes through the shown controls and comes round to the first,
// Shift+Tab goes back the same way; a grid and a text box let Tab through. The walks are written
// out rather than read from the layout's Tab list: which of its controls the keys reach (only the
// shown page's, only the checked radio button of a group) is what these check.
TEST(TabOrder, TabAndShiftTabWalkTheMainWindow) {
  MainWindow main;
  main.field_panel().SetVisible(true);
  QWidget* window = main.window().widget();
  ShowAndFocus(window, main.display_filter().widget());
  const std::vector<std::string> shown = {
      "树型框1",
      "编辑框_表或视图定义",
      "高级表格1",
      "编辑框_表基本信息",
      "组合框_记录序号",
      "组合框_字段名称",
      "高级选择夹1",
      "编辑框_文本字段值",
      "按钮_从文件读入文本",
      "按钮_写文本到文件",
      "按钮_读文本字段值",
      "按钮_写文本字段值",
      "超级按钮_写日志到文件",
      "超级按钮_清除日志",
      "编辑框_操作日志",
      "标签7",
      "标签8",
      "组合框_显示内容",
  };
  const forms::FormSpec& form = forms::MainForm();
  EXPECT_EQ(Walk(form, Qt::Key_Tab, static_cast<int>(shown.size())), shown);
  std::vector<std::string> back(shown.rbegin() + 1, shown.rend());
  back.push_back("组合框_显示内容");
  EXPECT_EQ(Walk(form, Qt::Key_Backtab, static_cast<int>(back.size())), back);
  EXPECT_EQ(main.text_value_box().Content(), "");
  window->hide();
}

TEST(TabOrder, TabAndShiftTabWalkTheSqlDialog) {
  SqlDialog sql;
  QWidget* window = sql.window().widget();
  ShowAndFocus(window, sql.tree().widget());
  const std::vector<std::string> shown = {
      "按钮_从文件导入", "按钮_从模板导入", "编辑框_SQL语句", "单选框_查询类SQL",
      "按钮_确定",       "按钮_关闭",       "树型框1",
  };
  const forms::FormSpec& form = forms::SqlForm();
  EXPECT_EQ(Walk(form, Qt::Key_Tab, static_cast<int>(shown.size())), shown);
  std::vector<std::string> back(shown.rbegin() + 1, shown.rend());
  back.push_back("树型框1");
  EXPECT_EQ(Walk(form, Qt::Key_Backtab, static_cast<int>(back.size())), back);
  EXPECT_EQ(sql.sql_box().Content(), "");  // Tab typed nothing into the SQL text
  window->hide();
}

// Ctrl+Tab types the tab character that Tab no longer does.
TEST(TextBoxKeys, CtrlTabTypesATab) {
  SqlDialog sql;
  QWidget* window = sql.window().widget();
  ShowAndFocus(window, sql.sql_box().widget());
  QTest::keyClicks(sql.sql_box().widget(), "a");
  QTest::keyClick(sql.sql_box().widget(), Qt::Key_Tab, Qt::ControlModifier);
  QTest::keyClicks(sql.sql_box().widget(), "b");
  EXPECT_EQ(sql.sql_box().Content(), "a\tb");
  EXPECT_EQ(QApplication::focusWidget(), sql.sql_box().widget());
  window->hide();
}

// The links and the flat buttons, reached by Tab, act on Enter, Return and Space as on a click.
TEST(KeyboardActivation, LinksAndButtonsActOnEnterAndSpace) {
  MainWindow main;
  int manual = 0;
  int home = 0;
  int saved = 0;
  int cleared = 0;
  main.manual_link().on_left_pressed = [&] { ++manual; };
  main.home_page_link().on_left_pressed = [&] { ++home; };
  main.save_log_button().on_clicked = [&] { ++saved; };
  main.clear_log_button().on_clicked = [&] { ++cleared; };
  QWidget* window = main.window().widget();
  ShowAndFocus(window, main.manual_link().widget());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(manual, 1);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), main.home_page_link().widget());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(home, 2);
  EXPECT_EQ(manual, 1);

  main.save_log_button().widget()->setFocus(Qt::TabFocusReason);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), main.clear_log_button().widget());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(saved, 1);
  EXPECT_EQ(cleared, 2);
  // A disabled button stays unpressed.
  main.clear_log_button().SetEnabled(false);
  QTest::keyClick(main.clear_log_button().widget(), Qt::Key_Return);
  EXPECT_EQ(cleared, 2);
  window->hide();
}

// A push button of a dialog is pressed by Enter once Tab has reached it; Enter in a one-line edit
// box presses nothing.
TEST(KeyboardActivation, DialogButtonsActOnEnterOnlyWithTheFocus) {
  MainWindow main;
  main.field_panel().SetVisible(true);
  main.field_tabs().SetCurrentPage(1);
  int written = 0;
  main.write_integer_button().on_clicked = [&] { ++written; };
  QWidget* window = main.window().widget();
  ShowAndFocus(window, main.integer_value_box().widget());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(written, 0);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), main.write_integer_button().widget());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(written, 1);
  window->hide();
}

// The main window's keys of its layout table choose their menu items as a click would, and nothing
// while the item or its menu is disabled; the menus still show no key.
TEST(MainShortcuts, ChooseTheirMenuItems) {
  MainWindow main;
  const forms::FormSpec& form = forms::MainForm();
  ASSERT_FALSE(form.shortcuts.empty());
  // The menu of the menu bar that holds the item captioned `item`.
  auto menu_of = [&form](const char* item) {
    for (std::size_t m = 0; m < form.menus.size(); ++m) {
      for (const char* caption : form.menus[m].items) {
        if (caption && std::string_view(caption) == item) return static_cast<MainMenu>(m);
      }
    }
    ADD_FAILURE() << "no menu holds " << item;
    return MainMenu::kHelp;
  };
  std::map<std::string, int> chosen;
  for (const forms::ShortcutSpec& shortcut : form.shortcuts) {
    main.menu_item(T(shortcut.menu_item))->on_chosen = [&chosen, item = shortcut.menu_item] {
      ++chosen[item];
    };
  }
  QWidget* window = main.window().widget();
  ShowAndFocus(window, main.grid().widget());
  for (const forms::ShortcutSpec& shortcut : form.shortcuts) {
    SCOPED_TRACE(shortcut.keys);
    const char* name = shortcut.menu_item;
    const QKeySequence keys = QKeySequence::fromString(QString::fromUtf8(shortcut.keys));
    ASSERT_EQ(keys.count(), 1);
    const Qt::Key key = keys[0].key();
    const Qt::KeyboardModifiers modifiers = keys[0].keyboardModifiers();
    MenuItem* item = main.menu_item(T(name));
    Menu& menu = main.menu(menu_of(name));
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    EXPECT_EQ(chosen[name], 1);
    item->SetEnabled(false);
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    EXPECT_EQ(chosen[name], 1);
    item->SetEnabled(true);
    menu.SetEnabled(false);
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    EXPECT_EQ(chosen[name], 1);
    menu.SetEnabled(true);
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    EXPECT_EQ(chosen[name], 2);
    EXPECT_TRUE(item->action()->shortcut().isEmpty());
    EXPECT_EQ(item->Text(), T(name));
  }
  window->hide();
}

TEST(MainShortcuts, F5AsksForARefresh) {
  MainWindow main;
  int refreshed = 0;
  QWidget* window = main.window().widget();
  ShowAndFocus(window, main.tree().widget());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);  // no handler bound: nothing happens
  main.on_refresh_requested = [&] { ++refreshed; };
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
  main.grid().widget()->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
  EXPECT_EQ(refreshed, 2);
  window->hide();
}

// The SQL dialog's F5 runs its SQL and does not reach the main window's refresh.
TEST(MainShortcuts, F5InTheSqlDialogRunsTheSqlOnly) {
  MainWindow main;
  int refreshed = 0;
  main.on_refresh_requested = [&] { ++refreshed; };
  main.Show();
  SqlDialog sql;
  int runs = 0;
  sql.ok_button().on_clicked = [&] { ++runs; };
  QWidget* window = sql.window().widget();
  ShowAndFocus(window, sql.sql_box().widget());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(refreshed, 0);
  window->hide();
  main.window().widget()->hide();
}

}  // namespace
}  // namespace torvane
