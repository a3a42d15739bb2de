#pragma once

// Reading the window layout tables (ui/forms/form_layout.h) in the tests that check the windows
// against them, so that no test keeps a second copy of a table. Header-only, for the widget tests:
// the tables' texts are UTF-8, like those tests' literals.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "ui/forms/form_layout.h"

namespace torvane::testing {

// The layout tables of the four windows.
inline std::array<const forms::FormSpec*, 4> AllForms() {
  return {&forms::MainForm(), &forms::SqlForm(), &forms::DesignerForm(), &forms::InsertForm()};
}

// The table's entry for control `name` (UTF-8) of `form`. When the table has none, fails the
// running test and gives the form's first control.
inline const forms::ControlSpec& LayoutOf(const forms::FormSpec& form, std::string_view name) {
  for (const forms::ControlSpec& layout : form.controls) {
    if (name == layout.name) return layout;
  }
  ADD_FAILURE() << "no control " << name << " in " << form.name;
  return form.controls.front();
}

// The parts of a caption that lists a combo box's items or a tab control's pages, in order.
inline std::vector<std::string> CaptionItems(std::string_view caption) {
  std::vector<std::string> items;
  if (caption.empty()) return items;
  for (std::size_t from = 0;;) {
    const std::size_t bar = caption.find('|', from);
    items.emplace_back(caption.substr(from, bar - from));
    if (bar == std::string_view::npos) return items;
    from = bar + 1;
  }
}

}  // namespace torvane::testing
