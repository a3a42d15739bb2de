#include "editing/record_commands.h"

#include <string>

#include "app/operation_log.h"
#include "app/record_grid.h"
#include "app/schema_tree.h"
#include "db/sql_name.h"
#include "ui/main_window.h"
#include "ui/modal_services.h"

namespace torvane {

void InsertEmptyRecord(App& app) {
  SqliteTable& cursor = app.state.Cursor;
  if (!IsTableSelected(app) || !cursor.IsOpen()) return;
  if (const std::string read_only = cursor.GetReadOnlyReason(); !read_only.empty()) {
    app.services.MessageBox("插入空记录失败！" + read_only, kMbOkStop);
    return;
  }
  std::string values;
  for (int i = 0; i < cursor.GetFieldCount(); ++i) values += "null,";
  if (!values.empty()) values.pop_back();
  // The name comes from the catalog: quoted when it is not a plain name, so that it can only ever
  // name this table.
  const std::string name = cursor.GetName();
  if (app.state.Connection.Execute("insert into " + QuoteSqlName(name) + " values(" + values +
                                   ")")) {
    RefreshGrid(app);
    app.services.MessageBox("已成功插入空记录。", kMbOk);
  } else {
    app.services.MessageBox("插入空记录失败！表 " + name +
                                " 不允许插入空记录，可能因为：存在主键；某字段不允许为null。",
                            kMbOk);
  }
}

void DeleteCurrentRecord(App& app) {
  SqliteTable& cursor = app.state.Cursor;
  if (!IsTableSelected(app)) {
    app.services.MessageBox("只有表才可以被删除记录！", kMbOk);
    return;
  }
  if (!cursor.IsOpen()) {
    app.services.MessageBox("表尚未打开。", kMbOkStop);
    return;
  }
  if (app.services.MessageBox("您确认要删除当前记录吗？", kMbYesNoCancelAsk) != kIdYes) return;
  // Without a record to go to, the cursor has none current and the delete refuses: it never
  // deletes a record the user did not choose.
  GoToShownRecord(app, app.window.record_number_box().SelectedIndex() + 1);
  if (!cursor.Delete()) {
    ReportError(app, "删除当前记录失败！");
    return;
  }
  RefreshGrid(app);
  app.services.MessageBox("已成功删除当前记录。", kMbOk);
}

}  // namespace torvane
