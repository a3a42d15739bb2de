#include "app/app_state.h"

#include "ui/main_window.h"

namespace torvane {

void StopRowCount(AppState& state) {
  state.PendingCount.reset();
  state.CountMailbox.reset();
  state.RestartCount = nullptr;
  ++state.CountStops;
}

void StopPanelRead(App& app) {
  if (!app.state.PendingPanelRead) return;
  app.state.PendingPanelRead.reset();
  app.state.PanelReadMailbox.reset();
  app.window.picture_box().ShowNote("");
}

void ReleaseState(AppState& state) {
  state.OpenBackup.reset();
  state.BackupMailbox.reset();
  StopRowCount(state);
  state.PendingPanelRead.reset();
  state.PanelReadMailbox.reset();
  state.QueryRows.reset();
  state.QueryRowsEnd = nullptr;
  state.Cursor.Close();
  state.Connection.Close();
  state.DatabasePath.clear();
  state.TitleText.clear();
  state.EditStartText.clear();
  state.RecordSet.Close();
  state.TableNames.clear();
  state.ViewNames.clear();
  state.TempTableNames.clear();
  state.TempViewNames.clear();
}

}  // namespace torvane
