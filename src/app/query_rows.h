#pragma once

// The rows of a console query after its first ones: read in slices while the window stays
// responsive, or at once when another statement is about to run on the connection.

#include <functional>

#include "app/app_state.h"

namespace torvane {

// Reads the rest of the rows of the query that the record set (AppState::RecordSet) is reading,
// whose first rows the grid already shows: a slice at a time whenever the message loop has nothing
// else to do. The grid grows as they arrive and the summary line says how many are in; `end` runs
// once when they stop arriving.
void ReadRestOfQueryRows(App& app, std::function<void(QueryRowsOutcome)> end);

// The user scrolled to the last row read: the next rows are read now, for a moment.
void ReadMoreQueryRows(App& app);

// Reads every row still arriving now, while the user waits: after a moment a progress window says
// how many are in, and its cancel stops the reading (as StopQueryRows). The connection runs it
// before it prepares any statement, so a result is never left half read under another statement
// (a table the result reads could not be dropped, a rollback would cut it short). Does nothing when
// no rows are arriving.
void FinishQueryRows(App& app);

// Stops reading a query's rows; those read stay in the grid. Safe at any time.
void StopQueryRows(App& app);

}  // namespace torvane
