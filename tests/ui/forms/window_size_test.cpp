// Windows that fit their screen: the designed size is each window's smallest and the look it has
// there; made larger, the controls follow the anchors of the layout tables.
#include <ostream>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>
#include <QApplication>
#include <QMainWindow>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include "base/codec.h"
#include "support/layout_tables.h"
#include "ui/controls.h"
#include "ui/designer_dialog.h"
#include "ui/forms/form_controls.h"
#include "ui/forms/form_layout.h"
#include "ui/main_window.h"
#include "ui/sql_dialog.h"

QT_BEGIN_NAMESPACE
// Readable geometry in failure messages.
void PrintTo(const QRect& rect, std::ostream* out) {
  *out << "(" << rect.x() << ", " << rect.y() << ", " << rect.width() << " x " << rect.height()
       << ")";
}
QT_END_NAMESPACE

namespace torvane {
namespace {

using forms::AnchorSpec;
using forms::ControlSpec;
using forms::FormSpec;

std::string T(const char* utf8) { return FromUtf8(utf8); }

using testing::AllForms;
using testing::LayoutOf;

const AnchorSpec* Anchors(const FormSpec& form, std::string_view name) {
  for (const AnchorSpec& anchors : form.anchors) {
    if (name == anchors.control) return &anchors;
  }
  return nullptr;
}

// Where the tables put control `layout` when the client area is `growth` larger than designed: each
// edge moved by its share of its container's growth (a tab page's controls: the tab control's).
QRect Expected(const FormSpec& form, const ControlSpec& layout, QSize growth) {
  if (layout.container) {
    const ControlSpec& outer = LayoutOf(form, layout.container);
    growth = Expected(form, outer, growth).size() - QSize(outer.width, outer.height);
  }
  const QRect designed(layout.left, layout.top, layout.width, layout.height);
  const AnchorSpec* anchors = Anchors(form, layout.name);
  if (!anchors) return designed;
  auto shift = [](int percent, int pixels) { return percent * pixels / 100; };
  const int dx = growth.width();
  const int dy = growth.height();
  return QRect(
      QPoint(designed.left() + shift(anchors->left, dx), designed.top() + shift(anchors->top, dy)),
      QPoint(designed.right() + shift(anchors->right, dx),
             designed.bottom() + shift(anchors->bottom, dy)));
}

QSize DesignedClient(const FormSpec& form) {
  return QSize(forms::ClientWidth(form), forms::ClientHeight(form));
}

QWidget* ClientOf(const FormSpec& form, QWidget* window) {
  return form.has_menu_bar ? qobject_cast<QMainWindow*>(window)->centralWidget() : window;
}

// Resizes `window` so that its client area is `growth` larger than designed.
void Grow(const FormSpec& form, QWidget* window, QSize growth) {
  const QSize frame = window->size() - ClientOf(form, window)->size();
  window->resize(DesignedClient(form) + growth + frame);
  QApplication::processEvents();
}

// Every control's geometry relative to its container (a tab page's controls: to the tab control).
void ExpectTheTablesGeometry(const FormSpec& form, forms::FormControls& controls, QSize growth) {
  QWidget* client = ClientOf(form, controls.widget());
  for (const ControlSpec& layout : form.controls) {
    SCOPED_TRACE(layout.name);
    QWidget* widget = controls.Find(layout.name)->widget();
    QWidget* container = layout.container ? controls.Find(layout.container)->widget() : client;
    EXPECT_EQ(QRect(widget->mapTo(container, QPoint(0, 0)), widget->size()),
              Expected(form, layout, growth));
  }
}

// The anchor tables name controls of their own form, and no edge overtakes the one opposite it.
TEST(WindowAnchors, NameControlsAndNeverShrinkThem) {
  for (const FormSpec* form : AllForms()) {
    SCOPED_TRACE(form->name);
    for (const AnchorSpec& anchors : form->anchors) {
      SCOPED_TRACE(anchors.control);
      EXPECT_STREQ(LayoutOf(*form, anchors.control).name, anchors.control);
      for (int share : {anchors.left, anchors.top, anchors.right, anchors.bottom}) {
        EXPECT_GE(share, 0);
        EXPECT_LE(share, forms::kFollows);
      }
      EXPECT_LE(anchors.left, anchors.right);
      EXPECT_LE(anchors.top, anchors.bottom);
    }
  }
}

// At the designed size every control is where the control table puts it; at any larger size,
// where the anchors move it; and back at the designed size exactly where it started, however the
// window went on the way.
TEST(WindowLayout, WidgetsAreWhereTheTablesPutThemAtEverySize) {
  const QSize growths[] = {{0, 0}, {1, 1}, {3, 7}, {400, 300}, {807, 353}, {0, 120}, {250, 0}};
  for (const FormSpec* form : AllForms()) {
    SCOPED_TRACE(form->name);
    forms::FormControls controls(*form);
    QWidget* window = controls.widget();
    window->show();
    QApplication::processEvents();
    QWidget* client = ClientOf(*form, window);
    EXPECT_EQ(client->size(), DesignedClient(*form));
    for (const ControlSpec& layout : form->controls) {
      QWidget* widget = controls.Find(layout.name)->widget();
      EXPECT_EQ(widget->isHidden(), (layout.flags & forms::kHidden) != 0) << layout.name;
      // A hidden field panel lays out its tab pages when the program shows it.
      if (layout.kind == forms::Kind::kGroupBox) widget->show();
    }
    for (QSize growth : growths) {
      SCOPED_TRACE(::testing::Message() << "grown by " << growth.width() << "x" << growth.height());
      Grow(*form, window, growth);
      ASSERT_EQ(client->size(), DesignedClient(*form) + growth);
      ExpectTheTablesGeometry(*form, controls, growth);
    }
    Grow(*form, window, QSize(0, 0));
    ExpectTheTablesGeometry(*form, controls, QSize(0, 0));
    window->hide();
  }
}

// The designed size is the smallest: a window cannot be made smaller than it, only larger, and a
// dialog, too, offers maximizing.
TEST(WindowSize, TheDesignedSizeIsTheSmallest) {
  for (const FormSpec* form : AllForms()) {
    SCOPED_TRACE(form->name);
    forms::FormControls controls(*form);
    QWidget* window = controls.widget();
    window->show();
    QApplication::processEvents();
    QWidget* client = ClientOf(*form, window);
    const QSize designed_window = window->size();
    EXPECT_EQ(window->minimumSize(), designed_window);
    EXPECT_LT(window->minimumSize().width(), window->maximumSize().width());
    EXPECT_LT(window->minimumSize().height(), window->maximumSize().height());
    window->resize(200, 150);
    QApplication::processEvents();
    EXPECT_EQ(client->size(), DesignedClient(*form));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    window->hide();
  }
}

// Made larger, the main window gives the room to the tree, the definition box, the grid and the
// log; the field panel keeps its width at the right edge and grows down with the grid, and its
// text box takes that height.
TEST(WindowSize, MainWindowGivesTheRoomToTreeGridDefinitionAndLog) {
  MainWindow main;
  main.field_panel().SetVisible(true);
  main.Show();
  QApplication::processEvents();
  QWidget* window = main.window().widget();
  struct Box {
    const char* name;
    QRect at;
  };
  auto geometry = [&](const char* name) { return main.Find(T(name))->widget()->geometry(); };
  const char* const names[] = {"树型框1",          "编辑框_表或视图定义", "高级表格1",
                               "编辑框_操作日志",  "分组框_字段读写",     "编辑框_文本字段值",
                               "按钮_写文本字段值"};
  std::vector<Box> designed;
  for (const char* name : names) designed.push_back({name, geometry(name)});
  const QSize client = qobject_cast<QMainWindow*>(window)->centralWidget()->size();

  window->resize(window->size() + QSize(800, 360));
  QApplication::processEvents();
  const QSize grown = qobject_cast<QMainWindow*>(window)->centralWidget()->size();
  ASSERT_EQ(grown, client + QSize(800, 360));
  auto before = [&](const char* name) {
    for (const Box& box : designed) {
      if (std::string_view(box.name) == name) return box.at;
    }
    return QRect();
  };
  for (const char* name : {"树型框1", "编辑框_表或视图定义", "高级表格1", "编辑框_操作日志"}) {
    SCOPED_TRACE(name);
    EXPECT_GT(geometry(name).width(), before(name).width());
    EXPECT_GT(geometry(name).height(), before(name).height());
  }
  // The grid gets most of the room: three quarters of the width, and more height than the log.
  EXPECT_EQ(geometry("高级表格1").width(), before("高级表格1").width() + 600);
  EXPECT_EQ(geometry("树型框1").width(), before("树型框1").width() + 200);
  EXPECT_GT(geometry("高级表格1").height() - before("高级表格1").height(),
            geometry("编辑框_操作日志").height() - before("编辑框_操作日志").height());
  // The field panel: same width, same distance to the right edge, as tall as the grid reaches.
  const QRect panel = geometry("分组框_字段读写");
  EXPECT_EQ(panel.width(), before("分组框_字段读写").width());
  EXPECT_EQ(grown.width() - panel.right(), client.width() - before("分组框_字段读写").right());
  EXPECT_EQ(panel.bottom(), geometry("高级表格1").bottom());
  EXPECT_EQ(geometry("编辑框_文本字段值").width(), before("编辑框_文本字段值").width());
  EXPECT_EQ(geometry("编辑框_文本字段值").height() - before("编辑框_文本字段值").height(),
            panel.height() - before("分组框_字段读写").height());
  // The buttons below the text box moved down with it, and still show.
  EXPECT_EQ(geometry("按钮_写文本字段值").top() - before("按钮_写文本字段值").top(),
            panel.height() - before("分组框_字段读写").height());
  EXPECT_TRUE(main.write_text_button().widget()->isVisible());
  // The log still ends as far above the window's bottom edge as designed.
  EXPECT_EQ(grown.height() - geometry("编辑框_操作日志").bottom(),
            client.height() - before("编辑框_操作日志").bottom());
  window->hide();
}

// A maximized window fills the screen's free area with its controls following.
TEST(WindowSize, MaximizedMainWindowFillsTheScreen) {
  MainWindow main;
  main.Show();
  QApplication::processEvents();
  QWidget* window = main.window().widget();
  const int grid_width = main.grid().Width();
  const int grid_height = main.grid().Height();
  const int tree_height = main.tree().Height();
  window->showMaximized();
  QApplication::processEvents();
  const QRect screen = window->screen()->availableGeometry();
  EXPECT_TRUE(window->isMaximized());
  EXPECT_EQ(window->frameGeometry().size(), screen.size());
  EXPECT_GE(main.grid().Width(), grid_width);
  EXPECT_GT(main.grid().Height(), grid_height);
  EXPECT_GT(main.tree().Height(), tree_height);
  window->showNormal();
  QApplication::processEvents();
  EXPECT_EQ(main.grid().Width(), grid_width);
  EXPECT_EQ(main.grid().Height(), grid_height);
  window->hide();
}

// A maximized dialog, too, gives the room to its SQL text; its buttons keep to its corner.
TEST(WindowSize, MaximizedSqlDialogGivesTheRoomToItsText) {
  SqlDialog sql;
  QWidget* window = sql.window().widget();
  window->show();
  QApplication::processEvents();
  const QSize text = sql.sql_box().widget()->size();
  QWidget* ok = sql.ok_button().widget();
  const QPoint from_corner = QPoint(window->width(), window->height()) - ok->pos();
  window->showMaximized();
  QApplication::processEvents();
  EXPECT_TRUE(window->isMaximized());
  EXPECT_EQ(window->frameGeometry().size(), window->screen()->availableGeometry().size());
  EXPECT_GE(sql.sql_box().widget()->width(), text.width());
  EXPECT_GT(sql.sql_box().widget()->height(), text.height());
  EXPECT_EQ(QPoint(window->width(), window->height()) - ok->pos(), from_corner);
  window->hide();
}

// The designer gives its field grid all the room; the buttons keep to the right edge, OK and
// Cancel to the lower right corner.
TEST(WindowSize, DesignerGivesTheRoomToItsGrid) {
  DesignerDialog designer;
  QWidget* window = designer.window().widget();
  window->show();
  QApplication::processEvents();
  auto geometry = [&](const char* name) { return designer.Find(T(name))->widget()->geometry(); };
  const QRect grid = geometry("高级表格1");
  const QRect insert = geometry("按钮_向前插入字段");
  const QRect ok = geometry("按钮_确定");
  const QSize size = window->size();
  window->resize(size + QSize(300, 200));
  QApplication::processEvents();
  EXPECT_EQ(geometry("高级表格1"), grid.adjusted(0, 0, 300, 200));
  EXPECT_EQ(geometry("按钮_向前插入字段"), insert.translated(300, 0));
  EXPECT_EQ(geometry("按钮_确定"), ok.translated(300, 200));
  window->hide();
}

// The SQL dialog's template list, which the program lays over the tree column, keeps covering
// that column as the dialog grows.
TEST(WindowSize, SqlTemplateListFollowsTheTreeColumn) {
  SqlDialog sql;
  QWidget* window = sql.window().widget();
  window->show();
  QApplication::processEvents();
  Grid& list = sql.template_grid();
  list.Place(0, 0, sql.sql_box().Left(), sql.window().ClientHeight());
  list.SetVisible(true);
  window->resize(window->size() + QSize(400, 100));
  QApplication::processEvents();
  EXPECT_EQ(list.Left(), 0);
  EXPECT_EQ(list.Width(), sql.sql_box().Left());
  EXPECT_EQ(list.Height(), sql.window().ClientHeight());
  EXPECT_EQ(sql.sql_box().Left(), sql.tree().Left() + sql.tree().Width() + 8);
  window->hide();
}

}  // namespace
}  // namespace torvane
