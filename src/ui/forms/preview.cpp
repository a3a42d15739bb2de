// ui_preview: shows one of the program's windows, filled with example content, for screenshots and
// for looking at the layout. The dialogs are shown without blocking, so the process runs until it
// is ended.
//
// Usage: ui_preview main|sql|designer|insert [--page N] [--templates] [--start]
//   --page N     makes tab page N of the window's tab control current
//   --templates  shows the SQL dialog's template list as the program places it
//   --start      the main window exactly as created, without example content
// Prints the window's X window id on the first line of standard output once it is shown.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include "base/codec.h"
#include "ui/controls.h"
#include "ui/designer_dialog.h"
#include "ui/insert_dialog.h"
#include "ui/main_window.h"
#include "ui/sql_dialog.h"

namespace torvane {
namespace {

// Internal text from a UTF-8 literal.
std::string T(const char* utf8) { return FromUtf8(utf8); }

struct Options {
  std::string window = "main";
  int page = 0;
  bool templates = false;
  bool start = false;
};

void FillSchemaTree(TreeView& tree) {
  const int tables = tree.AddItem(-1, T("表 (3)"), 18, 1);
  for (const char* name : {"客户", "订单", "商品"}) tree.AddItem(tables, T(name), 0, 100);
  tree.Expand(tables);
  const int views = tree.AddItem(-1, T("视图 (1)"), 88, 2);
  tree.AddItem(views, T("订单汇总"), 0, 200);
  tree.Expand(views);
}

void FillMainWindow(MainWindow& main, int page) {
  main.window().SetTitle(T("Torvane v1.0 - /home/user/示例.sdb"));
  FillSchemaTree(main.tree());
  main.tree().SetSelectedIndex(1);
  main.definition_box().SetContent(
      T("CREATE TABLE 客户 (编号 INTEGER PRIMARY KEY, 姓名 TEXT, 城市 TEXT, 余额 NUMERIC)"));

  Grid& grid = main.grid();
  const std::vector<const char*> rows[] = {
      {"序号", "编号", "姓名", "城市", "余额"}, {"1", "1", "张三", "北京", "120.5"},
      {"2", "2", "李四", "上海", "88"},         {"3", "3", "王五", "广州", "0"},
      {"4", "4", "赵六", "深圳", "310.25"},
  };
  std::vector<std::string> cells;
  for (const auto& row : rows) {
    for (const char* cell : row) cells.push_back(T(cell));
  }
  grid.SetCells(0, 0, 5, cells);
  // The texts the program writes after opening /home/user/示例.sdb and showing 客户.
  main.info_box().SetContent(T("共4条记录，已全部显示，耗时1毫秒。可直接修改文本字段。"));
  main.log_box().Append(
      T("\r\n已将数据库文件备份到：/opt/torvane/数据库备份/示例.sdb__2024年3月3日9时5分"));
  main.log_box().Append(T("\r\n打开数据库：/home/user/示例.sdb"));
  main.log_box().Append(T("\r\n打开表：客户"));

  main.field_panel().SetVisible(true);
  for (const char* n : {"1", "2", "3", "4"}) main.record_number_box().AddItem(T(n));
  main.record_number_box().SetSelectedIndex(0);
  for (const char* n : {"编号", "姓名", "城市", "余额"}) main.field_name_box().AddItem(T(n));
  main.field_name_box().SetSelectedIndex(1);
  main.text_value_box().SetContent(T("张三"));
  main.integer_value_box().SetContent("1");
  main.decimal_value_box().SetContent("120.5");
  main.field_tabs().SetCurrentPage(page);
}

// The logic gives the SQL dialog's tree a copy of the main tree's images and items.
void FillSqlDialog(SqlDialog& sql, bool templates) {
  MainWindow main;
  FillSchemaTree(main.tree());
  sql.tree().SetImageList(main.tree().GetImageList());
  sql.tree().SetItems(main.tree().Items());
  for (int i = 0; i < sql.tree().ItemCount(); ++i) {
    if (sql.tree().ItemData(i) < 100) sql.tree().Expand(i);
  }
  sql.sql_box().SetContent(T("select * from 客户 where 城市 = '北京'"));
  if (!templates) return;
  Grid& list = sql.template_grid();
  list.Place(0, 0, sql.sql_box().Left(), sql.window().ClientHeight());
  list.BringToTop();
  list.SetColumnWidth(0, 32);
  list.SetColumnWidth(1, list.Width() - 50);
  list.SetRowCount(4);
  list.SetCellText(0, 0, T("序号"));
  list.SetCellText(0, 1, T("SQL模板"));
  const char* lines[] = {"select * from 客户", "delete from 订单 where 编号 = 1",
                         "create table 新表 (编号 integer)"};
  for (int i = 0; i < 3; ++i) {
    list.SetCellText(i + 1, 0, std::to_string(i + 1));
    list.SetCellText(i + 1, 1, T(lines[i]));
  }
  list.SetVisible(true);
}

void FillDesigner(DesignerDialog& designer) {
  Grid& grid = designer.grid();
  grid.SetRowCount(4);
  const int widths[] = {32, 130, 100, 100};
  for (int c = 0; c < 4; ++c) grid.SetColumnWidth(c, widths[c]);
  const char* cells[4][4] = {{"序号", "字段名称", "字段类型", "最大文本长度"},
                             {"1", "编号", "主键（自增字段）", ""},
                             {"2", "姓名", "文本型", "20"},
                             {"3", "余额", "小数型", ""}};
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) grid.SetCellText(r, c, T(cells[r][c]));
  }
  grid.SetCurrentCell(2, 1);
}

void FillInsertDialog(InsertDialog& insert, int page) {
  Grid& fields = insert.field_grid();
  const char* names[] = {"编号", "姓名", "城市", "余额", "照片"};
  for (int r = 0; r < 5; ++r) fields.SetCellText(r, 0, T(names[r]));
  fields.SetCurrentCell(1, 0);
  insert.text_length_label().SetCaption(T("文本长度(字符数)：2"));
  insert.text_value_box().SetContent(T("张三"));
  insert.value_tabs().SetCurrentPage(page);
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--page") && i + 1 < argc) {
      options.page = std::atoi(argv[++i]);
    } else if (!std::strcmp(argv[i], "--templates")) {
      options.templates = true;
    } else if (!std::strcmp(argv[i], "--start")) {
      options.start = true;
    } else {
      options.window = argv[i];
    }
  }
  return options;
}

// Prints the X window id once the window is on screen.
void AnnounceWindow(Window& window) {
  QTimer::singleShot(0, [widget = window.widget()] {
    std::printf("%llu\n", static_cast<unsigned long long>(widget->winId()));
    std::fflush(stdout);
  });
}

}  // namespace
}  // namespace torvane

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  using namespace torvane;
  const Options options = ParseOptions(argc, argv);
  if (options.window == "main") {
    MainWindow main;
    main.on_created = [&] {
      if (!options.start) FillMainWindow(main, options.page);
    };
    main.Show();
    AnnounceWindow(main.window());
    return app.exec();
  }
  if (options.window == "sql") {
    SqlDialog sql;
    FillSqlDialog(sql, options.templates);
    sql.window().Show();
    AnnounceWindow(sql.window());
    return app.exec();
  }
  if (options.window == "designer") {
    DesignerDialog designer;
    FillDesigner(designer);
    designer.window().Show();
    AnnounceWindow(designer.window());
    return app.exec();
  }
  if (options.window == "insert") {
    InsertDialog insert;
    FillInsertDialog(insert, options.page);
    insert.window().Show();
    AnnounceWindow(insert.window());
    return app.exec();
  }
  std::fprintf(stderr,
               "usage: ui_preview main|sql|designer|insert [--page N] [--templates] [--start]\n");
  return 2;
}
