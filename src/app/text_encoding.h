#pragma once

// The text mode of the open database: told at every open from the database's own texts, shown by
// the 其它操作 menu's item "文本编码...", which switches it.

#include <string>

#include "app/app_state.h"

namespace torvane {

// "GBK" or "UTF-8".
std::string TextModeName(TextMode mode);

// Sets the open database's text mode as DetectTextMode tells it and shows it in the menu. For the
// open command, right after the connection is open (its log line then names the mode).
void ApplyDetectedTextMode(App& app);

// Shows the connection's text mode in the menu item's text ("文本编码：UTF-8..."); with no
// database open, the plain caption.
void ShowTextMode(App& app);

// The menu item was chosen: asks whether to read and write the database's texts in the other
// encoding and, when the user agrees, switches the connection's mode and reads the tree and the
// shown table or view again. Nothing in the file changes; a transaction stays open with its
// changes pending, and text being typed into a grid cell is written in the old mode first. A
// database that keeps its texts in UTF-16 is refused GBK with a message: the engine would turn its
// GBK bytes into other characters.
void SwitchTextModeCommand(App& app);

}  // namespace torvane
