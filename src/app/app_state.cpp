#include "app/app_state.h"

namespace torvane {

void StopRowCount(AppState& state) {
  state.PendingCount.reset();
  state.CountMailbox.reset();
  state.RestartCount = nullptr;
  ++state.CountStops;
}

void ReleaseState(AppState& state) {
  state.OpenBackup.reset();
  state.BackupMailbox.reset();
  StopRowCount(state);
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
