#pragma once

// Reading a file the user chose in a file dialog.

#include <string>

#include "app/app_state.h"
#include "base/bytes.h"

namespace torvane {

struct FileDialog;

// Reads the whole file chosen in `dialog` into `bytes`. When it cannot be read, says so in a box
// (`failure` + "无法读取文件：" + its name) and returns false: nothing may then be stored or
// replaced in place of what the file holds. An empty file that can be read gives empty bytes.
bool ReadChosenFile(App& app, const FileDialog& dialog, const std::string& failure, Bytes& bytes);

}  // namespace torvane
