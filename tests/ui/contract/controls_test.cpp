// Windows, labels, buttons, drop-down lists, tab controls, toolbars and menus.
#include <gtest/gtest.h>
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QCursor>
#include <QDialog>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include "base/codec.h"
#include "ui/controls.h"
#include "ui/runtime.h"

namespace torvane {
namespace {

std::string In(const char* utf8) { return FromUtf8(utf8); }

TEST(Control, ExplicitHideIsInvisibleButAHiddenContainerIsNot) {
  QWidget window;
  auto* group = new QGroupBox(&window);
  auto* inside = new QLabel(group);
  Control group_control(group);
  Control inside_control(inside);
  EXPECT_TRUE(inside_control.IsVisible()) << "before the window is shown";
  group_control.SetVisible(false);
  EXPECT_FALSE(group_control.IsVisible());
  EXPECT_TRUE(inside_control.IsVisible()) << "keeps its own state inside a hidden group";
  inside_control.SetVisible(false);
  EXPECT_FALSE(inside_control.IsVisible());
  inside_control.SetVisible(true);
  group_control.SetVisible(true);
  window.show();
  EXPECT_TRUE(inside->isVisible());
}

TEST(Control, ControlsOnAPageThatIsNotCurrentKeepTheirStateAndContent) {
  QWidget window;
  auto* tabs = new QTabWidget(&window);
  auto* page0 = new QWidget;
  auto* page1 = new QWidget;
  tabs->addTab(page0, QStringLiteral("文本型"));
  tabs->addTab(page1, QStringLiteral("整数型"));
  auto* label = new QLabel(page0);
  window.show();
  TabControl tab_control(tabs);
  Label text(label);
  text.SetCaption(In("内容"));
  tab_control.SetCurrentPage(1);
  EXPECT_FALSE(label->isVisible());
  EXPECT_TRUE(text.IsVisible());
  EXPECT_EQ(text.Caption(), In("内容"));
}

TEST(Control, PlacesAndRaises) {
  QWidget window;
  auto* a = new QLabel(&window);
  auto* b = new QLabel(&window);
  Control first(a);
  first.Place(10, 20, 30, 40);
  EXPECT_EQ(first.Left(), 10);
  EXPECT_EQ(first.Top(), 20);
  EXPECT_EQ(first.Width(), 30);
  EXPECT_EQ(first.Height(), 40);
  EXPECT_EQ(window.children().last(), b);
  first.BringToTop();
  EXPECT_EQ(window.children().last(), a);
  first.SetEnabled(false);
  EXPECT_FALSE(first.IsEnabled());
}

TEST(Window, TitleRoundTripsAndCloseWaitsForTheHandlerToReturn) {
  QDialog dialog;
  Window window(&dialog);
  window.SetTitle(In("执行SQL语句"));
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("执行SQL语句"));
  EXPECT_EQ(window.Title(), In("执行SQL语句"));
  window.Show();
  ASSERT_TRUE(window.IsOpen());
  window.Close();
  EXPECT_TRUE(window.IsOpen()) << "closes only after the current handler";
  Runtime::ProcessEvents();
  EXPECT_FALSE(window.IsOpen());
}

// A close the user asks for (here, the widget's own close, as its close box does) asks the handler,
// which may keep the window open; the program's Close does not ask.
TEST(Window, TheUsersCloseAsksTheHandlerFirst) {
  QWidget widget;
  Window window(&widget);
  int asked = 0;
  bool allow = false;
  window.on_close_requested = [&] {
    ++asked;
    return allow;
  };
  window.Show();
  widget.close();
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(window.IsOpen());
  allow = true;
  widget.close();
  EXPECT_EQ(asked, 2);
  EXPECT_FALSE(window.IsOpen());
  window.Show();
  allow = false;
  window.Close();
  Runtime::ProcessEvents();
  EXPECT_EQ(asked, 2);
  EXPECT_FALSE(window.IsOpen());
}

TEST(Window, ShowModalReturnsWhenTheWindowCloses) {
  for (bool is_dialog : {true, false}) {
    std::unique_ptr<QWidget> widget =
        is_dialog ? std::unique_ptr<QWidget>(new QDialog) : std::make_unique<QWidget>();
    Window window(widget.get());
    bool was_open = false;
    QTimer::singleShot(0, [&] {
      was_open = window.IsOpen();
      window.Close();
    });
    window.ShowModal();
    EXPECT_TRUE(was_open) << is_dialog;
    EXPECT_FALSE(window.IsOpen()) << is_dialog;
    EXPECT_EQ(widget->windowModality(), Qt::ApplicationModal);
  }
}

TEST(Window, ClientHeightExcludesTheMenuBar) {
  QMainWindow main;
  main.menuBar()->addMenu(QStringLiteral("数据库"));
  main.setCentralWidget(new QWidget);
  main.resize(400, 300);
  main.show();
  Window window(&main);
  EXPECT_EQ(window.ClientHeight(), main.centralWidget()->height());
  EXPECT_LT(window.ClientHeight(), 300);

  QDialog dialog;
  dialog.resize(200, 150);
  Window plain(&dialog);
  EXPECT_EQ(plain.ClientHeight(), 150);
}

TEST(Label, ReportsALeftPressOnly) {
  QLabel widget(QStringLiteral("链接"));
  widget.resize(100, 20);
  Label label(&widget);
  int presses = 0;
  label.on_left_pressed = [&] { ++presses; };
  QTest::mouseClick(&widget, Qt::RightButton);
  EXPECT_EQ(presses, 0);
  QTest::mouseClick(&widget, Qt::LeftButton);
  EXPECT_EQ(presses, 1);
}

TEST(Button, ClickedByTheUserOrByClickWhileEnabled) {
  QWidget window;
  auto* widget = new QPushButton(QStringLiteral("确定"), &window);
  window.show();
  Button button(widget);
  int clicks = 0;
  button.on_clicked = [&] { ++clicks; };
  EXPECT_EQ(button.Caption(), In("确定"));
  QTest::mouseClick(widget, Qt::LeftButton);
  button.Click();
  EXPECT_EQ(clicks, 2);
  button.SetEnabled(false);
  button.Click();
  QTest::mouseClick(widget, Qt::LeftButton);
  EXPECT_EQ(clicks, 2);
}

TEST(RadioButton, CheckingOneUnchecksTheOther) {
  QGroupBox group;
  auto* a = new QRadioButton(&group);
  auto* b = new QRadioButton(&group);
  RadioButton query(a);
  RadioButton execute(b);
  query.SetChecked(true);
  EXPECT_TRUE(query.IsChecked());
  execute.SetChecked(true);
  EXPECT_FALSE(query.IsChecked());
  EXPECT_TRUE(execute.IsChecked());
}

TEST(ComboBox, OnlyTheUsersPickRaisesSelectionChanged) {
  QComboBox widget;
  ComboBox combo(&widget);
  int events = 0;
  combo.on_selection_changed = [&] { ++events; };
  for (const char* item : {"显示所有表和视图", "显示表", "显示视图"}) combo.AddItem(In(item));
  EXPECT_EQ(combo.ItemCount(), 3);
  EXPECT_EQ(combo.ItemText(1), In("显示表"));

  struct {
    int set;
    int selected;
    const char* current;
  } cases[] = {{2, 2, "显示视图"}, {-1, -1, ""}, {0, 0, "显示所有表和视图"}, {7, -1, ""}};
  for (const auto& c : cases) {
    combo.SetSelectedIndex(c.set);
    EXPECT_EQ(combo.SelectedIndex(), c.selected) << c.set;
    EXPECT_EQ(combo.CurrentText(), In(c.current)) << c.set;
  }
  EXPECT_EQ(events, 0);

  emit widget.activated(1);  // what a pick in the drop-down list sends
  EXPECT_EQ(events, 1);
  widget.setCurrentIndex(1);
  emit widget.activated(1);  // the same item picked again still counts
  EXPECT_EQ(events, 2);

  combo.Clear();
  EXPECT_EQ(combo.ItemCount(), 0);
  EXPECT_EQ(combo.SelectedIndex(), -1);
  EXPECT_EQ(combo.CurrentText(), "");
  EXPECT_EQ(combo.ItemText(0), "");
  EXPECT_EQ(events, 2);
}

TEST(TabControl, OnlyTheUsersSwitchRaisesPageChanged) {
  QTabWidget widget;
  for (const char* page : {"文本型", "整数型", "小数型", "字节集型"})
    widget.addTab(new QWidget, QString::fromUtf8(page));
  widget.resize(300, 200);
  widget.show();
  TabControl tabs(&widget);
  int events = 0;
  tabs.on_page_changed = [&] { ++events; };
  EXPECT_EQ(tabs.PageCount(), 4);
  EXPECT_EQ(tabs.PageCaption(3), In("字节集型"));
  tabs.SetCurrentPage(2);
  EXPECT_EQ(tabs.CurrentPage(), 2);
  tabs.SetCurrentPage(9);
  EXPECT_EQ(tabs.CurrentPage(), 2);
  EXPECT_EQ(events, 0);
  QTabBar* bar = widget.tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
  EXPECT_EQ(tabs.CurrentPage(), 1);
  EXPECT_EQ(events, 1);
}

// A toolbar laid out like the main window's: buttons and separators.
struct ToolbarFixture {
  ToolbarFixture() {
    for (const char* caption : std::initializer_list<const char*>{
             "新建数据库", "打开数据库", "关闭数据库", nullptr, "新建表", "修改表", "删除表",
             nullptr, "新建视图", "修改视图", "删除视图", nullptr, "执行SQL语句"}) {
      if (caption) {
        widget.addAction(QString::fromUtf8(caption));
      } else {
        widget.addSeparator();
      }
    }
  }
  QToolBar widget;
};

TEST(Toolbar, IndexesCountSeparators) {
  ToolbarFixture fixture;
  Toolbar toolbar(&fixture.widget);
  std::vector<int> clicked;
  toolbar.on_button_clicked = [&](int index) { clicked.push_back(index); };
  EXPECT_EQ(toolbar.ButtonCount(), 13);
  EXPECT_EQ(toolbar.ButtonCaption(12), In("执行SQL语句"));
  EXPECT_EQ(toolbar.ButtonCaption(3), "");
  toolbar.ClickButton(12);
  toolbar.ClickButton(3);   // a separator
  toolbar.ClickButton(13);  // no such button
  fixture.widget.actions().at(4)->trigger();
  EXPECT_EQ(clicked, (std::vector<int>{12, 4}));
}

TEST(Toolbar, ButtonsDrawImagesOfTheImageList) {
  ToolbarFixture fixture;
  Toolbar toolbar(&fixture.widget);
  std::vector<Bytes> files;
  for (Qt::GlobalColor colour : {Qt::red, Qt::green}) {
    QImage image(16, 15, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    files.emplace_back(data.begin(), data.end());
  }
  files.push_back({'n', 'o'});  // not an image: a blank keeps the indexes
  const ImageList images = ImageList::FromImageFiles(files, 16, 15);
  EXPECT_EQ(images.Count(), 3);
  toolbar.SetImageList(images);
  toolbar.SetButtonImage(0, 0);
  toolbar.SetButtonImage(1, 1);
  toolbar.SetButtonImage(2, 7);
  auto colour_of = [&](int index) {
    return fixture.widget.actions().at(index)->icon().pixmap(16, 15).toImage().pixelColor(3, 3);
  };
  EXPECT_EQ(colour_of(0), QColor(Qt::red));
  EXPECT_EQ(colour_of(1), QColor(Qt::green));
  EXPECT_TRUE(fixture.widget.actions().at(2)->icon().isNull());
}

TEST(Toolbar, DisabledButtonsCannotBeClicked) {
  ToolbarFixture fixture;
  fixture.widget.show();
  Toolbar toolbar(&fixture.widget);
  std::vector<int> clicked;
  toolbar.on_button_clicked = [&](int index) { clicked.push_back(index); };
  for (int i = 2; i <= 12; ++i) toolbar.SetButtonEnabled(i, false);
  EXPECT_TRUE(toolbar.IsButtonEnabled(0));
  EXPECT_FALSE(toolbar.IsButtonEnabled(2));
  EXPECT_FALSE(toolbar.IsButtonEnabled(99));
  toolbar.ClickButton(2);
  QWidget* button = fixture.widget.widgetForAction(fixture.widget.actions().at(12));
  ASSERT_NE(button, nullptr);
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_TRUE(clicked.empty());
  toolbar.SetButtonEnabled(12, true);
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(clicked, (std::vector<int>{12}));
}

// A main window with the "表" menu in its menu bar and a pop-up menu of its own.
struct MenuFixture {
  MenuFixture() {
    table_menu = window.menuBar()->addMenu(QStringLiteral("表"));
    table_menu->setObjectName(QStringLiteral("表"));
    for (const char* caption :
         std::initializer_list<const char*>{"新建表...", "修改表...", nullptr, "删除当前记录"}) {
      if (!caption) {
        table_menu->addSeparator();
        continue;
      }
      QAction* action = table_menu->addAction(QString::fromUtf8(caption));
      action->setObjectName(QString::fromUtf8(caption));
    }
    window.setCentralWidget(new QWidget);
    window.resize(500, 400);
    window.show();
  }
  ~MenuFixture() { table_menu->close(); }
  QMainWindow window;
  QMenu* table_menu;
};

TEST(Menu, ItemsByIndexCountSeparatorsAndByCaption) {
  MenuFixture fixture;
  Menu menu(fixture.table_menu);
  EXPECT_EQ(menu.Caption(), In("表"));
  EXPECT_EQ(menu.ItemCount(), 4);
  EXPECT_EQ(menu.Item(2), nullptr);
  ASSERT_NE(menu.Item(3), nullptr);
  EXPECT_EQ(menu.Item(3)->Caption(), In("删除当前记录"));
  EXPECT_EQ(menu.Item(In("修改表...")), menu.Item(1));
  EXPECT_EQ(menu.Item(In("没有")), nullptr);
  EXPECT_EQ(menu.Item(-1), nullptr);
}

TEST(Menu, PopsUpThreePixelsRightAndDownOfTheMouse) {
  MenuFixture fixture;
  Menu menu(fixture.table_menu);
  const QPoint mouse = fixture.window.mapToGlobal(QPoint(100, 120));
  QCursor::setPos(mouse);
  ASSERT_EQ(QCursor::pos(), mouse) << "the platform must let the test place the pointer";
  EXPECT_TRUE(menu.PopUp());
  EXPECT_TRUE(menu.IsOpen());
  EXPECT_EQ(fixture.table_menu->pos(), mouse + QPoint(3, 3));
}

TEST(Menu, ChoosingAnItemRaisesItsEvent) {
  MenuFixture fixture;
  Menu menu(fixture.table_menu);
  std::vector<std::string> chosen;
  for (int i = 0; i < menu.ItemCount(); ++i) {
    if (MenuItem* item = menu.Item(i))
      item->on_chosen = [&chosen, item] { chosen.push_back(item->Caption()); };
  }
  EXPECT_TRUE(menu.Item(0)->Choose());
  ASSERT_TRUE(menu.PopUp());
  QTest::keyClick(fixture.table_menu, Qt::Key_Down);
  QTest::keyClick(fixture.table_menu, Qt::Key_Return);
  ASSERT_EQ(chosen.size(), 2u);
  EXPECT_EQ(chosen[0], In("新建表..."));
}

TEST(Menu, ADisabledItemOrMenuCannotBeChosenByAnyRoute) {
  MenuFixture fixture;
  Menu menu(fixture.table_menu);
  MenuItem* item = menu.Item(In("新建表..."));
  int chosen = 0;
  item->on_chosen = [&] { ++chosen; };

  item->SetEnabled(false);
  EXPECT_FALSE(item->IsEnabled());
  EXPECT_FALSE(item->Choose());
  item->action()->trigger();
  EXPECT_EQ(chosen, 0);
  item->SetEnabled(true);

  menu.SetEnabled(false);
  EXPECT_FALSE(menu.IsEnabled());
  EXPECT_TRUE(item->IsEnabled()) << "the item keeps its own state";
  EXPECT_FALSE(item->IsChoosable());
  EXPECT_FALSE(item->Choose());
  item->action()->trigger();  // even a direct trigger is refused
  EXPECT_EQ(chosen, 0);

  EXPECT_FALSE(menu.PopUp());
  EXPECT_FALSE(menu.IsOpen());
  fixture.table_menu->popup(QPoint(50, 50));  // code going around the contract
  Runtime::ProcessEvents();
  EXPECT_FALSE(menu.IsOpen());

  QMenuBar* bar = fixture.window.menuBar();
  QTest::mouseClick(bar, Qt::LeftButton, {},
                    bar->actionGeometry(fixture.table_menu->menuAction()).center());
  Runtime::ProcessEvents();
  EXPECT_FALSE(menu.IsOpen()) << "the menu bar does not open it either";

  menu.SetEnabled(true);
  EXPECT_TRUE(item->Choose());
  EXPECT_EQ(chosen, 1);
}

}  // namespace
}  // namespace torvane
