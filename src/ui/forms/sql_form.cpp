// Layout of the SQL dialog "执行SQL语句".
#include "ui/forms/control_names.h"
#include "ui/forms/form_layout.h"

namespace torvane::forms {
namespace {

namespace names = sql_names;

constexpr GridDesign kTemplateList = {.rows = 2,
                                      .columns = 2,
                                      .fixed_rows = 0,
                                      .fixed_columns = 1,
                                      .row_height = 50,
                                      .column_width = 60};

const ControlSpec kControls[] = {
    {"标签1", Kind::kLabel, "数据库中的表和视图：", 8, 12, 152, 16, nullptr, nullptr},
    {names::kTree, Kind::kTree, "", 8, 32, 160, 304, nullptr, nullptr},
    {"标签2", Kind::kLabel, "SQL语句：", 180, 12, 152, 16, nullptr, nullptr},
    {names::kSqlBox, Kind::kMultiLineEdit, "", 176, 32, 360, 200, nullptr, nullptr,
     kVerticalScrollBar},
    {names::kImportFileButton, Kind::kButton, "从文件导入...", 360, 0, 89, 32, nullptr, nullptr},
    {names::kImportTemplateButton, Kind::kButton, "从模板导入...", 448, 0, 88, 32, nullptr,
     nullptr},
    {names::kTemplateGrid, Kind::kGrid, "", 208, 56, 288, 120, nullptr, nullptr, kHidden,
     kTemplateList},
    {names::kKindGroup, Kind::kGroupBox, "SQL语句类型", 176, 240, 360, 96, nullptr, nullptr},
    {names::kQueryRadio, Kind::kRadioButton, "查询类SQL语句（如select等，返回记录集）", 8, 28, 336,
     16, names::kKindGroup, nullptr, kChecked},
    {names::kExecuteRadio, Kind::kRadioButton, "执行类SQL（如update/delete/insert/create等）", 8,
     56, 336, 16, names::kKindGroup, nullptr},
    {"标签3", Kind::kLabel, "双击表或视图，可将其名称插入右侧编辑框中光标所在处。", 8, 344, 328, 16,
     nullptr, nullptr},
    {names::kOkButton, Kind::kButton, "确定", 360, 344, 80, 32, nullptr, nullptr},
    {names::kCloseButton, Kind::kButton, "关闭", 456, 344, 80, 32, nullptr, nullptr},
};

const FileDialogSpec kFileDialogs[] = {
    {names::kFileDialog, FileDialogKind::kOpen,
     "SQL文件(*.sql)|*.sql|文本文件(*.txt)|*.txt|所有文件(*.*)|*.*", ""},
};

const char* const kTemplateMenuItems[] = {names::kApplyTemplateItem, nullptr,
                                          names::kHideTemplatesItem};

const MenuSpec kMenus[] = {{"SQL模板_右键菜单", kTemplateMenuItems, "SQL模板菜单"}};

const AccessSpec kAccess[] = {
    {names::kTree, nullptr, "双击表或视图，将其名称插入SQL语句", "标签1"},
    {names::kSqlBox, nullptr, "要执行的SQL语句", "标签2"},
    {names::kTemplateGrid, "SQL模板列表", "双击或按右键应用选中的模板"},
};

// As the dialog grows, the tree takes a quarter of the width gained and the SQL text the rest
// and all the height gained; the kind of run and the buttons below keep to the bottom edge, the
// import buttons to the right edge. The template list, which the program lays over the tree
// column when it shows it, follows that column.
constexpr int kTreeShare = 25;

const AnchorSpec kAnchors[] = {
    {names::kTree, 0, 0, kTreeShare, kFollows},
    {"标签2", kTreeShare, 0, kTreeShare, 0},
    {names::kSqlBox, kTreeShare, 0, kFollows, kFollows},
    {names::kImportFileButton, kFollows, 0, kFollows, 0},
    {names::kImportTemplateButton, kFollows, 0, kFollows, 0},
    {names::kTemplateGrid, 0, 0, kTreeShare, kFollows},
    {names::kKindGroup, kTreeShare, kFollows, kFollows, kFollows},
    {"标签3", 0, kFollows, 0, kFollows},
    {names::kOkButton, kFollows, kFollows, kFollows, kFollows},
    {names::kCloseButton, kFollows, kFollows, kFollows, kFollows},
};

// The tree on the left, then the right column from top to bottom, the closing buttons last.
const char* const kTabOrder[] = {
    names::kTree,         names::kImportFileButton, names::kImportTemplateButton,
    names::kSqlBox,       names::kTemplateGrid,     names::kQueryRadio,
    names::kExecuteRadio, names::kOkButton,         names::kCloseButton,
};

const FormSpec kForm = {
    .name = "执行SQL语句",
    .title = "执行SQL语句",
    .outer_width = 551,
    .outer_height = 408,
    .has_menu_bar = false,
    .controls = kControls,
    .file_dialogs = kFileDialogs,
    .menus = kMenus,
    .access = kAccess,
    .tab_order = kTabOrder,
    .anchors = kAnchors,
};

}  // namespace

const FormSpec& SqlForm() { return kForm; }

}  // namespace torvane::forms
