#include "app/app_state.h"

namespace torvane {

void ReleaseState(AppState& state) {
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
