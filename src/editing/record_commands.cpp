#include "editing/record_commands.h"

#include <string>

#include "app/messages.h"
#include "app/operation_log.h"
#include "app/record_grid.h"
#include "app/schema_tree.h"
#include "base/text.h"
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
    AppendLog(app, "已在表 " + name + " 中插入空记录");
    ReloadShownTable(app, AfterReload::kNoCell);
    app.services.MessageBox("已成功插入空记录。", kMbOk);
  } else {
    ReportError(app,
                "插入空记录失败！表 " + name +
                    " 不允许插入空记录，可能因为：存在主键；某字段不允许为null。",
                kMbOk, "信息：");
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
  // Asking about a record that is not there would promise a delete that cannot happen.
  const int record = app.window.record_number_box().SelectedIndex() + 1;
  if (record < 1) {
    app.services.MessageBox("尚未选择记录：请先在表格中点选要删除的记录。", kMbOk);
    return;
  }
  if (app.services.MessageBox("您确认要删除当前记录吗？", kMbYesNoCancelAsk) != kIdYes) return;
  // Without a record to go to, the cursor has none current and the delete refuses: it never
  // deletes a record the user did not choose.
  GoToShownRecord(app, record);
  if (!cursor.Delete()) {
    ReportError(app, "删除当前记录失败！");
    ReloadShownTable(app, AfterReload::kNoCell);
    return;
  }
  AppendLog(app, "已删除表 " + cursor.GetName() + " 中的第" + IntToText(record) + "条记录");
  ReloadShownTable(app, AfterReload::kNoCell);
  app.services.MessageBox("已成功删除当前记录。", kMbOk);
}

}  // namespace torvane
