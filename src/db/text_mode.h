#pragma once

// Telling, at open, whether a database keeps its texts as GBK or as UTF-8.

#include "db/engine.h"

namespace torvane {

class ZuveviRE;

// The text mode a database's own texts show. Reads the catalog (names and the stored SQL of every
// table, view, index and trigger) and a bounded sample of the text values of its first few hundred
// tables: the first rows of each, a few thousand values in all, so a database of any size is
// judged in a few milliseconds. kUtf8 when the database keeps its texts in UTF-16 (the engine hands
// them out as UTF-8), or when every non-ASCII text seen is valid UTF-8 and at least one holds a
// character of more than one byte; kGbk otherwise: for GBK text, for a mix of both, and for a
// database whose texts are all ASCII or which has none. Reads only, whatever the connection's text
// mode; kGbk when not open.
TextMode DetectTextMode(ZuveviRE& database);

// True when the open database keeps its texts in UTF-16 (GetFileEncoding "UTF-16le" or
// "UTF-16be"): the engine converts every text to and from UTF-8, so only kUtf8 reads and writes
// them faithfully.
bool KeepsTextInUtf16(ZuveviRE& database);

}  // namespace torvane
