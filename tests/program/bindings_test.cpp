// Every command a window offers is bound to the logic: each menu item, each button, each toolbar
// position and each link. The windows are walked through their layout tables, so a control or
// item added to a table without its binding fails here, not in a user's hands.

#include <string>

#include <gtest/gtest.h>

#include "base/codec.h"
#include "console/sql_console.h"
#include "designer/table_designer.h"
#include "editing/insert_record.h"
#include "support/app_fixture.h"
#include "ui/designer_dialog.h"
#include "ui/forms/form_layout.h"
#include "ui/insert_dialog.h"
#include "ui/sql_dialog.h"

namespace torvane {
namespace {

using forms::FormSpec;
using forms::Kind;

// Buttons shown as designed that do nothing, each with its reason. The names are internal text,
// like every literal of this test; the layout tables' are UTF-8.
struct Unbound {
  const FormSpec* form;
  const char* name;
};
const Unbound kDeliberatelyUnbound[] = {
    // The designer's move-up and move-down buttons: moving a field would have to keep the pairing
    // of kept fields with the table's existing columns, which the rebuild relies on.
    {&forms::DesignerForm(), "按钮4"},
    {&forms::DesignerForm(), "按钮5"},
};

bool DeliberatelyUnbound(const FormSpec& form, const char* name) {
  for (const Unbound& entry : kDeliberatelyUnbound) {
    if (entry.form == &form && FromUtf8(name) == entry.name) return true;
  }
  return false;
}

// Fails the running test for each button or link label of `form` that nothing is bound to.
// `find` gives the control by its name (internal text).
template <class FindControl>
void ExpectControlsBound(const FormSpec& form, FindControl find) {
  for (const forms::ControlSpec& layout : form.controls) {
    if (DeliberatelyUnbound(form, layout.name)) continue;
    const std::string name = FromUtf8(layout.name);
    if (layout.kind == Kind::kButton || layout.kind == Kind::kFlatButton) {
      auto* button = dynamic_cast<Button*>(find(name));
      ASSERT_NE(button, nullptr) << layout.name;
      EXPECT_TRUE(button->on_clicked) << form.name << ": button " << layout.name;
    } else if (layout.kind == Kind::kLinkLabel) {
      auto* label = dynamic_cast<Label*>(find(name));
      ASSERT_NE(label, nullptr) << layout.name;
      EXPECT_TRUE(label->on_left_pressed) << form.name << ": link " << layout.name;
    }
  }
}

// Fails the running test for each item of `menu` that nothing is bound to.
void ExpectMenuBound(Menu& menu, const char* form) {
  ASSERT_GT(menu.ItemCount(), 0) << form;
  for (int i = 0; i < menu.ItemCount(); ++i) {
    MenuItem* item = menu.Item(i);
    if (item == nullptr) continue;  // a separator
    EXPECT_TRUE(item->on_chosen) << form << ": menu item " << ToUtf8(item->Caption());
  }
}

class BindingsTest : public testing::AppTest {};

TEST_F(BindingsTest, EveryCommandOfTheMainWindowIsBound) {
  Start();
  for (MainMenu menu : {MainMenu::kDatabase, MainMenu::kTable, MainMenu::kView, MainMenu::kOther,
                        MainMenu::kHelp}) {
    ExpectMenuBound(window_.menu(menu), "main window");
  }
  ExpectControlsBound(forms::MainForm(),
                      [&](const std::string& name) { return window_.Find(name); });
  // Each toolbar position is a separator or stands for a menu item, which does its work.
  const FormSpec& form = forms::MainForm();
  ASSERT_EQ(window_.toolbar().ButtonCount(), static_cast<int>(form.toolbar.size()));
  for (int i = 0; i < window_.toolbar().ButtonCount(); ++i) {
    const bool separator = form.toolbar[i].caption == nullptr;
    EXPECT_EQ(window_.toolbar_command(i).has_value(), !separator) << "toolbar position " << i;
  }
  EXPECT_TRUE(window_.toolbar().on_button_clicked);
}

TEST_F(BindingsTest, EveryCommandOfTheDialogsIsBound) {
  Start();
  {
    SqlDialog dialog;
    ConnectSqlDialog(app_, dialog);
    ExpectMenuBound(dialog.template_menu(), "SQL dialog");
    ExpectControlsBound(forms::SqlForm(),
                        [&](const std::string& name) { return dialog.Find(name); });
  }
  {
    DesignerState state;
    DesignerDialog dialog;
    ConnectDesignerDialog(app_, state, dialog);
    ExpectControlsBound(forms::DesignerForm(),
                        [&](const std::string& name) { return dialog.Find(name); });
  }
  {
    InsertState state;
    InsertDialog dialog;
    ConnectInsertDialog(app_, state, dialog);
    ExpectControlsBound(forms::InsertForm(),
                        [&](const std::string& name) { return dialog.Find(name); });
  }
}

}  // namespace
}  // namespace torvane
