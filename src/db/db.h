#pragma once

// Everything of the database access layer: the connection, the table cursor, the record set, the
// field descriptors and the helper that puts names into SQL.

#include "db/connection.h"    // IWYU pragma: export
#include "db/field_info.h"    // IWYU pragma: export
#include "db/record_set.h"    // IWYU pragma: export
#include "db/sql_name.h"      // IWYU pragma: export
#include "db/table_cursor.h"  // IWYU pragma: export
#include "db/text_mode.h"     // IWYU pragma: export
