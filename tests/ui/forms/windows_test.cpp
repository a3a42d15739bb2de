// The windows as wholes: the created event, menus, toolbar, image list, designed initial state,
// and the widgets' agreement with the layout tables they are built from.
#include <array>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "base/codec.h"
#include "support/layout_tables.h"
#include "ui/controls.h"
#include "ui/designer_dialog.h"
#include "ui/forms/form_builder.h"
#include "ui/forms/form_controls.h"
#include "ui/forms/form_layout.h"
#include "ui/forms/image_painter.h"
#include "ui/image_list_qt.h"
#include "ui/insert_dialog.h"
#include "ui/main_window.h"
#include "ui/runtime.h"
#include "ui/sql_dialog.h"

namespace torvane {
namespace {

using testing::CaptionItems;
using testing::LayoutOf;

std::string T(const char* utf8) { return FromUtf8(utf8); }
std::string T(const std::string& utf8) { return FromUtf8(utf8); }

// Names of the controls the test checks inside the created handler: one per container kind.
const char* const kMainProbe[] = {"工具条1",         "树型框1",           "高级表格1",
                                  "编辑框_操作日志", "图片框_字节集预览", "标签8"};

TEST(MainWindowCreated, IsRaisedOnceByShowWithEveryControlPresent) {
  MainWindow main;
  int raised = 0;
  bool all_present = true;
  bool visible_during = true;
  main.on_created = [&] {
    ++raised;
    for (const char* name : kMainProbe) all_present = all_present && main.Find(T(name));
    all_present = all_present && main.menu_item(T("关于")) && main.toolbar().ButtonCount() == 13;
    visible_during = main.window().IsOpen();
  };
  EXPECT_EQ(raised, 0);  // constructing does not raise it
  main.Show();
  EXPECT_EQ(raised, 1);
  EXPECT_TRUE(all_present);
  EXPECT_FALSE(visible_during);  // raised before the window appears
  EXPECT_TRUE(main.window().IsOpen());
  main.window().widget()->hide();
  main.Show();
  EXPECT_EQ(raised, 1);
}

TEST(MainWindowCreated, ShowWithoutHandlerStillShows) {
  MainWindow main;
  main.Show();
  EXPECT_TRUE(main.window().IsOpen());
}

// Opens `dialog` modally; its created handler closes it again, so ShowModal returns.
template <class Dialog>
void CheckCreatedOnce(Dialog& dialog, const char* probe) {
  int raised = 0;
  bool present = false;
  dialog.on_created = [&] {
    ++raised;
    present = dialog.Find(T(probe)) != nullptr;
    dialog.window().Close();
  };
  EXPECT_EQ(dialog.ShowModal(), 0);
  EXPECT_EQ(raised, 1);
  EXPECT_TRUE(present);
  EXPECT_FALSE(dialog.window().IsOpen());
  // A second show of the same dialog does not raise the event again.
  QTimer::singleShot(0, [&] { dialog.window().Close(); });
  EXPECT_EQ(dialog.ShowModal(), 0);
  EXPECT_EQ(raised, 1);
}

TEST(DialogCreated, IsRaisedOnceBeforeTheModalLoopWithEveryControlPresent) {
  {
    SqlDialog sql;
    CheckCreatedOnce(sql, "编辑框_SQL语句");
  }
  {
    DesignerDialog designer;
    CheckCreatedOnce(designer, "按钮_向后插入字段");
  }
  {
    InsertDialog insert;
    CheckCreatedOnce(insert, "图片框_字节集预览");
  }
}

TEST(DialogCreated, ShowModalWhileShowingDoesNothing) {
  InsertDialog insert;
  int nested = 0;
  insert.on_created = [&] {
    QTimer::singleShot(0, [&] {
      nested = insert.ShowModal();
      insert.window().Close();
    });
  };
  EXPECT_EQ(insert.ShowModal(), 0);
  EXPECT_EQ(nested, -1);
}

// No push button of a dialog is or becomes its default button, so Enter typed into a one-line
// edit box (a field value) never presses 确定 or any other button behind the user's back.
TEST(DialogKeys, NoButtonIsTheDefault) {
  SqlDialog sql;
  DesignerDialog designer;
  InsertDialog insert;
  for (Window* window : {&sql.window(), &designer.window(), &insert.window()}) {
    const QList<QPushButton*> buttons = window->widget()->findChildren<QPushButton*>();
    EXPECT_FALSE(buttons.isEmpty());
    for (QPushButton* button : buttons) {
      SCOPED_TRACE(button->objectName().toStdString());
      EXPECT_FALSE(button->autoDefault());
      EXPECT_FALSE(button->isDefault());
    }
  }
}

// In the SQL text, Ctrl+Enter (either Enter key) and F5 run it as "确定" does; Enter alone is a
// line break.
TEST(DialogKeys, CtrlEnterAndF5InTheSqlTextPressOk) {
  SqlDialog sql;
  int runs = 0;
  sql.ok_button().on_clicked = [&runs] { ++runs; };
  QWidget* window = sql.window().widget();
  window->show();
  window->activateWindow();
  QWidget* box = sql.sql_box().widget();
  box->setFocus();
  QApplication::processEvents();
  QTest::keyClick(box, Qt::Key_Return, Qt::ControlModifier);
  QTest::keyClick(box, Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
  QTest::keyClick(box, Qt::Key_F5);
  EXPECT_EQ(runs, 3);
  QTest::keyClick(box, Qt::Key_Return);
  EXPECT_EQ(runs, 3);
  EXPECT_EQ(sql.sql_box().Content(), "\r\n");
  window->hide();
}

// The toolbar's positions are those of the layout table, with its captions, separators and
// images. The logic binds the buttons by position, so the count and the separators' places are
// checked as well.
TEST(MainToolbar, HasThirteenPositionsWithSeparatorsAtThreeSevenEleven) {
  MainWindow main;
  Toolbar& toolbar = main.toolbar();
  const std::span<const forms::ToolbarButtonSpec> positions = forms::MainForm().toolbar;
  ASSERT_EQ(positions.size(), 13u);
  ASSERT_EQ(toolbar.ButtonCount(), 13);
  auto* bar = qobject_cast<QToolBar*>(toolbar.widget());
  ASSERT_NE(bar, nullptr);
  for (int i = 0; i < 13; ++i) {
    SCOPED_TRACE(i);
    const forms::ToolbarButtonSpec& position = positions[i];
    EXPECT_EQ(position.caption == nullptr, i == 3 || i == 7 || i == 11);
    EXPECT_EQ(toolbar.ButtonCaption(i), T(position.caption ? position.caption : ""));
    EXPECT_EQ(bar->actions().at(i)->isSeparator(), position.caption == nullptr);
    EXPECT_EQ(!bar->actions().at(i)->icon().isNull(), position.image >= 0);
    if (position.caption) {
      EXPECT_TRUE(toolbar.IsButtonEnabled(i));
    }
  }
}

TEST(MainToolbar, ClickingAButtonReportsItsIndex) {
  MainWindow main;
  std::vector<int> clicked;
  main.toolbar().on_button_clicked = [&](int index) { clicked.push_back(index); };
  main.Show();
  auto* bar = qobject_cast<QToolBar*>(main.toolbar().widget());
  for (int index : {12, 0, 5}) {
    auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(bar->actions().at(index)));
    ASSERT_NE(button, nullptr);
    button->click();
  }
  EXPECT_EQ(clicked, (std::vector<int>{12, 0, 5}));
}

// The menu bar holds the layout table's menus in its order, which MainMenu follows, each with the
// table's items.
TEST(MainMenu, MenusAndItemsInOrderWithoutShortcuts) {
  MainWindow main;
  const std::span<const forms::MenuSpec> menus = forms::MainForm().menus;
  ASSERT_EQ(menus.size(), 5u);  // MainMenu's five
  auto* window = qobject_cast<QMainWindow*>(main.window().widget());
  ASSERT_NE(window, nullptr);
  const QList<QAction*> bar_actions = window->menuBar()->actions();
  ASSERT_EQ(bar_actions.size(), 5);
  for (int m = 0; m < 5; ++m) {
    const forms::MenuSpec& expected = menus[m];
    SCOPED_TRACE(expected.caption);
    Menu& menu = main.menu(static_cast<MainMenu>(m));
    EXPECT_EQ(menu.Caption(), T(expected.caption));
    EXPECT_EQ(bar_actions[m]->menu(), menu.menu());
    EXPECT_TRUE(menu.IsEnabled());
    ASSERT_EQ(menu.ItemCount(), static_cast<int>(expected.items.size()));
    for (int i = 0; i < menu.ItemCount(); ++i) {
      SCOPED_TRACE(i);
      MenuItem* item = menu.Item(i);
      if (!expected.items[i]) {
        EXPECT_EQ(item, nullptr);
        continue;
      }
      ASSERT_NE(item, nullptr);
      EXPECT_EQ(item->Caption(), T(expected.items[i]));
      EXPECT_EQ(main.menu_item(T(expected.items[i])), item);
      EXPECT_TRUE(item->IsChoosable());
      EXPECT_TRUE(item->action()->shortcut().isEmpty());
    }
  }
}

TEST(MainMenu, ChoosingAnItemRaisesItsEvent) {
  MainWindow main;
  int chosen = 0;
  main.menu_item(T("插入记录..."))->on_chosen = [&] { ++chosen; };
  main.menu_item(T("插入记录..."))->action()->trigger();
  EXPECT_EQ(chosen, 1);
  main.menu(MainMenu::kTable).SetEnabled(false);
  EXPECT_FALSE(main.menu_item(T("插入记录..."))->Choose());
  EXPECT_EQ(chosen, 1);
}

TEST(SqlTemplateMenu, IsAPopUpMenuOutsideAnyMenuBar) {
  SqlDialog sql;
  Menu& menu = sql.template_menu();
  ASSERT_EQ(forms::SqlForm().menus.size(), 1u);
  const forms::MenuSpec& expected = forms::SqlForm().menus[0];
  EXPECT_EQ(menu.Caption(), T(expected.caption));
  ASSERT_FALSE(expected.items.empty());
  ASSERT_EQ(menu.ItemCount(), static_cast<int>(expected.items.size()));
  for (int i = 0; i < menu.ItemCount(); ++i) {
    SCOPED_TRACE(i);
    if (!expected.items[i]) {
      EXPECT_EQ(menu.Item(i), nullptr);
      continue;
    }
    ASSERT_NE(menu.Item(i), nullptr);
    EXPECT_EQ(menu.Item(i), sql.menu_item(T(expected.items[i])));
  }
  EXPECT_FALSE(menu.IsOpen());
  EXPECT_EQ(sql.window().widget()->findChildren<QMenuBar*>().size(), 0);
}

TEST(WindowImageList, HoldsTheSharedPicturesOfToolbarAndTree) {
  MainWindow main;
  const ImageList& images = main.image_list();
  EXPECT_EQ(images.Count(), forms::kImageCount);
  EXPECT_EQ(images.Width(), forms::kImageWidth);
  EXPECT_EQ(images.Height(), forms::kImageHeight);
  EXPECT_EQ(main.tree().GetImageList().data(), images.data());
  // The pictures the program uses by number are drawn and differ from each other.
  const QList<QPixmap>& pixmaps = ImageListPixmaps(images);
  std::vector<QImage> used;
  for (int index : {0, 1, 18, 88}) {
    SCOPED_TRACE(index);
    QImage image = pixmaps[index].toImage().convertToFormat(QImage::Format_ARGB32);
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) opaque += qAlpha(image.pixel(x, y)) > 0;
    }
    EXPECT_GT(opaque, 40);
    for (const QImage& other : used) EXPECT_NE(image, other);
    used.push_back(image);
  }
}

TEST(WindowImageList, TheTableImageHasABlueHeaderRow) {
  const QImage table = forms::PaintImages()[forms::kTableImage].toImage();
  const QColor header = table.pixelColor(7, 3);
  EXPECT_GT(header.blue(), header.red() + 80);
  const QColor cell = table.pixelColor(7, 7);
  EXPECT_EQ(cell, QColor(Qt::white));
}

TEST(WindowInitialState, MainWindowAsCreated) {
  MainWindow main;
  ComboBox& filter = main.display_filter();
  const std::vector<std::string> items =
      CaptionItems(LayoutOf(forms::MainForm(), "组合框_显示内容").caption);
  ASSERT_FALSE(items.empty());
  ASSERT_EQ(filter.ItemCount(), static_cast<int>(items.size()));
  for (int i = 0; i < filter.ItemCount(); ++i) EXPECT_EQ(filter.ItemText(i), T(items[i]));
  EXPECT_EQ(filter.SelectedIndex(), 0);
  EXPECT_EQ(main.record_number_box().ItemCount(), 0);
  EXPECT_EQ(main.record_number_box().SelectedIndex(), -1);
  EXPECT_EQ(main.field_name_box().SelectedIndex(), -1);
  EXPECT_EQ(main.tree().ItemCount(), 0);
  EXPECT_FALSE(main.field_panel().IsVisible());
  EXPECT_EQ(main.field_tabs().PageCount(), 4);
  EXPECT_EQ(main.field_tabs().CurrentPage(), 0);
  EXPECT_TRUE(main.picture_box().Picture().empty());
  EXPECT_FALSE(main.picture_box().ShowsImage());
}

TEST(WindowInitialState, TabPagesInOrder) {
  MainWindow main;
  InsertDialog insert;
  const struct {
    TabControl* tabs;
    const forms::FormSpec& form;
  } cases[] = {{&main.field_tabs(), forms::MainForm()},
               {&insert.value_tabs(), forms::InsertForm()}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.form.name);
    const std::vector<std::string> pages = CaptionItems(LayoutOf(c.form, "高级选择夹1").caption);
    ASSERT_FALSE(pages.empty());
    ASSERT_EQ(c.tabs->PageCount(), static_cast<int>(pages.size()));
    for (int i = 0; i < c.tabs->PageCount(); ++i) EXPECT_EQ(c.tabs->PageCaption(i), T(pages[i]));
    EXPECT_EQ(c.tabs->CurrentPage(), 0);
  }
}

// The designed shape of each grid; Clear returns to the designed fixed rows and columns.
TEST(WindowInitialState, GridsHaveTheirDesignedShape) {
  MainWindow main;
  SqlDialog sql;
  DesignerDialog designer;
  InsertDialog insert;
  const struct {
    Grid* grid;
    const forms::FormSpec& form;
  } cases[] = {
      {&main.grid(), forms::MainForm()},
      {&sql.template_grid(), forms::SqlForm()},
      {&designer.grid(), forms::DesignerForm()},
      {&insert.field_grid(), forms::InsertForm()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.form.name);
    const forms::ControlSpec& layout = LayoutOf(c.form, "高级表格1");
    const forms::GridDesign& design = layout.grid;
    ASSERT_GT(design.columns, 0);
    Grid& grid = *c.grid;
    EXPECT_EQ(grid.RowCount(), design.rows);
    EXPECT_EQ(grid.ColumnCount(), design.columns);
    EXPECT_EQ(grid.FixedRows(), design.fixed_rows);
    EXPECT_EQ(grid.FixedColumns(), design.fixed_columns);
    EXPECT_EQ(grid.RowHeight(0), design.row_height);
    EXPECT_EQ(grid.ColumnWidth(design.columns - 1), design.column_width);
    EXPECT_EQ(grid.IsEditable(), (layout.flags & forms::kNotEditable) == 0);
    EXPECT_EQ(grid.CurrentRow(), -1);
    grid.SetFixedRows(0);
    grid.SetFixedColumns(0);
    grid.Clear();
    EXPECT_EQ(grid.FixedRows(), design.fixed_rows);
    EXPECT_EQ(grid.FixedColumns(), design.fixed_columns);
  }
}

TEST(WindowInitialState, LinkLabelsLeadToTheirAddresses) {
  MainWindow main;
  const forms::ControlSpec& manual = LayoutOf(forms::MainForm(), "标签7");
  const forms::ControlSpec& home_page = LayoutOf(forms::MainForm(), "标签8");
  ASSERT_NE(manual.target, nullptr);
  ASSERT_NE(home_page.target, nullptr);
  EXPECT_EQ(main.manual_link().Caption(), T(manual.caption));
  EXPECT_EQ(main.home_page_link().Caption(), T(home_page.caption));
  EXPECT_EQ(main.manual_address(), T(manual.target));
  EXPECT_EQ(main.home_page_address(), T(home_page.target));
  // The build points the manual at the project's README.
  EXPECT_NE(main.manual_address().find("README.md"), std::string::npos);
  int pressed = 0;
  main.home_page_link().on_left_pressed = [&] { ++pressed; };
  main.Show();
  QWidget* label = main.home_page_link().widget();
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), label->mapToGlobal(QPointF(5, 5)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(label, &press);
  EXPECT_EQ(pressed, 1);
}

// Controls on a tab page show only while their page is current and keep their contents.
TEST(WindowTabPages, OnlyTheCurrentPageShowsItsControls) {
  MainWindow main;
  main.field_panel().SetVisible(true);
  main.Show();
  main.text_value_box().SetContent(T("保留的文本"));
  main.field_tabs().SetCurrentPage(1);
  EXPECT_FALSE(main.text_value_box().widget()->isVisible());
  EXPECT_TRUE(main.integer_value_box().widget()->isVisible());
  EXPECT_EQ(main.text_value_box().Content(), T("保留的文本"));
  // Hiding the panel hides its controls, which keep their contents.
  main.field_panel().SetVisible(false);
  EXPECT_FALSE(main.integer_value_box().widget()->isVisible());
  EXPECT_EQ(main.text_value_box().Content(), T("保留的文本"));
}

// The narrow tab control of the main window puts its tabs in two rows, the current tab's row next
// to the page; a click on a tab of the other row switches the page and reports the switch.
TEST(WindowTabPages, WrappedTabsSwitchPagesOnClick) {
  MainWindow main;
  main.field_panel().SetVisible(true);
  main.Show();
  TabControl& tabs = main.field_tabs();
  int changed = 0;
  tabs.on_page_changed = [&] { ++changed; };
  auto* widget = qobject_cast<QTabWidget*>(tabs.widget());
  QTabBar* bar = widget->tabBar();
  const int row = QFontMetrics(bar->font()).height();
  EXPECT_GT(bar->height(), 2 * row);  // two rows of tabs
  EXPECT_LE(bar->width(), widget->width());
  auto click_top_left = [&] {
    const QPoint at(4, 4);
    QMouseEvent press(QEvent::MouseButtonPress, at, bar->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, bar->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &release);
  };
  click_top_left();  // the top row holds 字节集型 alone while 文本型 is current
  EXPECT_EQ(tabs.CurrentPage(), 3);
  EXPECT_EQ(changed, 1);
  click_top_left();  // now 文本型, 整数型 and 小数型 are on top
  EXPECT_EQ(tabs.CurrentPage(), 0);
  EXPECT_EQ(changed, 2);
  tabs.SetCurrentPage(2);  // the program's change raises nothing
  EXPECT_EQ(changed, 2);
}

// Chinese captions need a font with CJK glyphs; the tab controls and the bold label use the
// dialog font, which must have them too.
TEST(WindowLayout, CaptionsHaveGlyphs) {
  for (QFont font : {QApplication::font(), forms::DialogFont()}) {
    SCOPED_TRACE(font.family().toStdString());
    QFontMetrics metrics(font);
    for (char32_t c : {U'数', U'据', U'库', U'字', U'节', U'集'}) {
      EXPECT_TRUE(metrics.inFontUcs4(c)) << static_cast<unsigned>(c);
    }
  }
  EXPECT_EQ(forms::DialogFont().pointSize(), 9);
  MainWindow main;
  EXPECT_EQ(main.window().widget()->font().pointSize(), 9);
  InsertDialog insert;
  QFont bold = insert.Find(T("标签3"))->widget()->font();
  EXPECT_TRUE(bold.bold());
  EXPECT_EQ(bold.pointSize(), 9);
}

}  // namespace
}  // namespace torvane
