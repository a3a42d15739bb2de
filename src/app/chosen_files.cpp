#include "app/chosen_files.h"

#include "base/files.h"
#include "ui/modal_services.h"

namespace torvane {

bool ReadChosenFile(App& app, const FileDialog& dialog, const std::string& failure, Bytes& bytes) {
  if (ReadWholeFile(dialog.file_name, bytes)) return true;
  app.services.MessageBox(failure + "无法读取文件：" + dialog.file_name, kMbOk);
  return false;
}

}  // namespace torvane
