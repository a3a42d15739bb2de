#pragma once

// The table designer "设计表": a grid of column definitions and the buttons that edit it. Qt-free;
// texts are internal text (GB18030). Each opening of the designer uses a new DesignerDialog.

#include <functional>
#include <memory>
#include <string>

#include "ui/controls.h"

namespace torvane {

class DesignerDialog {
 public:
  // Creates the dialog with all its controls as designed, hidden.
  DesignerDialog();
  ~DesignerDialog();
  DesignerDialog(const DesignerDialog&) = delete;
  DesignerDialog& operator=(const DesignerDialog&) = delete;

  // Raised by the first ShowModal(), before the dialog appears; every control exists by then.
  std::function<void()> on_created;
  // Raises on_created on the first call, shows the dialog modally to the whole application and
  // returns 0 when it has been closed; -1, doing nothing, while it is already showing.
  int ShowModal();

  Window& window();
  Grid& grid();                    // "高级表格1": 1 fixed row, 1 fixed column
  Button& insert_before_button();  // "按钮_向前插入字段"
  Button& insert_after_button();   // "按钮_向后插入字段"
  Button& delete_button();         // "按钮_删除字段"
  Button& move_up_button();        // "按钮4", no action bound
  Button& move_down_button();      // "按钮5", no action bound
  Button& ok_button();             // "按钮_确定"
  Button& cancel_button();         // "按钮_取消"

  // Any control by its name; nullptr when the dialog has none.
  Control* Find(const std::string& name);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace torvane
