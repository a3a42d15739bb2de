#pragma once

// Telling, at open, whether a database keeps its texts as GBK or as UTF-8.

#include <cstdint>

#include "db/engine.h"

namespace torvane {

class ZuveviRE;

// Milliseconds DetectTextMode reads a database for, unless told otherwise: telling the mode adds
// about this much at most to an open, whatever the size of the file.
inline constexpr std::uint64_t kTextModeBudgetMs = 40;

// The text mode a database's own texts show.
//
// kUtf8 at once when the database keeps its texts in UTF-16 (the engine hands them out as UTF-8).
// Otherwise reads, for at most `budget_ms` milliseconds of the clock, the catalog (the names and
// stored SQL of every table, view, index and trigger), then the text values of every table in the
// catalog's order. Each table gets an equal share of the time left, what a table leaves unused
// goes to the tables after it, and the tables (up to 64) that their share did not finish are then
// read on from where they stopped, in equal shares of what time is left: so one huge table neither
// overruns the budget nor keeps the others unread, and the time small tables leave goes to the
// large ones. The engine itself passes over rows whose texts are all ASCII, so a table is read to
// its last row unless the time runs out first. Virtual tables are left out (the built-in modules
// keep their rows in ordinary tables, which are read).
//
// Each text value holding a byte of 0x80 or more (its first 4096 bytes) is read both as UTF-8 and
// as GBK (GB18030). It counts for the reading that is valid when only one is; when both are, for
// the one whose characters are the more ordinary text: common Chinese characters, punctuation, and
// letters with accents inside words weigh more than rare Chinese characters, a lone letter of
// another alphabet, control or private-use characters. A value valid in neither reading, equally
// ordinary in both, or whose only character beyond ASCII is cut off at its end counts for neither.
// kUtf8 when more than 16 times as many values count for UTF-8 as for GBK, so that a few stray
// values do not decide; kGbk otherwise: for GBK text, for a real mix of both, and for a database
// whose texts are all ASCII or which has none. The rest of a table is left unread once 256 of its
// values count for the reading that rule already chooses for the table; the next table is read
// all the same, since a database may keep one table in each encoding.
//
// Only reads: the file is not changed, and the connection is left as it was found (while this runs
// it has a function of detection's own and a progress handler, which the connection does not
// otherwise use). Whatever the connection's text mode. kGbk when not open.
TextMode DetectTextMode(ZuveviRE& database, std::uint64_t budget_ms = kTextModeBudgetMs);

// True when the open database keeps its texts in UTF-16 (GetFileEncoding "UTF-16le" or
// "UTF-16be"): the engine converts every text to and from UTF-8, so only kUtf8 reads and writes
// them faithfully.
bool KeepsTextInUtf16(ZuveviRE& database);

}  // namespace torvane
