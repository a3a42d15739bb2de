#include "console/sql_templates.h"

#include "app/chosen_files.h"
#include "app/operation_log.h"
#include "base/files.h"
#include "base/text.h"
#include "console/sql_console.h"
#include "platform/program_places.h"
#include "ui/modal_services.h"
#include "ui/sql_dialog.h"

namespace torvane {

std::string TemplateFilePath() { return Places().template_file; }

std::vector<std::string> TemplateLines(const Bytes& file) { return SplitLines(BytesToText(file)); }

void LoadTemplates(SqlDialog& d, const std::string& path) {
  Grid& list = d.template_grid();
  list.SetVisible(false);
  list.Place(0, 0, d.sql_box().Left(), d.window().ClientHeight());
  list.BringToTop();
  list.SetColumnWidth(0, 32);
  list.SetColumnWidth(1, list.Width() - 50);

  const std::vector<std::string> lines = TemplateLines(ReadFile(path));
  list.SetRowCount(static_cast<int>(lines.size()) + 1);
  std::vector<std::string> cells;
  cells.reserve(2 * (lines.size() + 1));
  cells.push_back("序号");
  cells.push_back("SQL模板");
  for (std::size_t i = 0; i < lines.size(); ++i) {
    cells.push_back(IntToText(static_cast<std::int64_t>(i + 1)));
    cells.push_back(lines[i]);
  }
  list.SetCells(0, 0, 2, cells);
}

void ApplyTemplate(SqlDialog& d) {
  Grid& list = d.template_grid();
  const int row = list.CurrentRow();
  if (row == -1) return;
  d.sql_box().SetContent(list.CellText(row, 1));
  GuessStatementKind(d);
  list.SetVisible(false);
}

void ImportSqlFile(App& app, SqlDialog& d) {
  FileDialog& dialog = d.file_dialog();
  dialog.kind = FileDialogKind::kOpen;
  if (!app.services.ShowFileDialog(dialog)) return;
  Bytes bytes;
  // Emptying the SQL text for a file that could not be read would lose what the user wrote.
  if (!ReadChosenFile(app, dialog, "读文件失败！", bytes)) return;
  d.sql_box().SetContent(BytesToText(bytes));
}

}  // namespace torvane
