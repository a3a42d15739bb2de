// Layout of the table designer "设计表".
#include "ui/forms/control_names.h"
#include "ui/forms/form_layout.h"

namespace torvane::forms {
namespace {

namespace names = designer_names;

constexpr GridDesign kFieldGrid = {.rows = 2,
                                   .columns = 4,
                                   .fixed_rows = 1,
                                   .fixed_columns = 1,
                                   .row_height = 24,
                                   .column_width = 60};

const ControlSpec kControls[] = {
    {names::kGrid, Kind::kGrid, "", 8, 8, 384, 400, nullptr, nullptr, kNone, kFieldGrid},
    {names::kInsertBeforeButton, Kind::kButton, "向前插入字段", 400, 8, 88, 32, nullptr, nullptr},
    {names::kInsertAfterButton, Kind::kButton, "向后插入字段", 400, 39, 88, 32, nullptr, nullptr},
    {names::kDeleteButton, Kind::kButton, "删除字段", 400, 70, 88, 32, nullptr, nullptr},
    {names::kMoveUpButton, Kind::kButton, "↓上移", 400, 112, 88, 32, nullptr, nullptr},
    {names::kMoveDownButton, Kind::kButton, "↓下移", 400, 143, 88, 32, nullptr, nullptr},
    {names::kOkButton, Kind::kButton, "确定", 400, 336, 88, 32, nullptr, nullptr},
    {names::kCancelButton, Kind::kButton, "取消", 400, 376, 88, 32, nullptr, nullptr},
};

const AccessSpec kAccess[] = {
    {names::kGrid, "字段定义", "每行一个字段：名称、类型和最大文本长度"},
    // The arrows of the captions mean nothing to a listener.
    {names::kMoveUpButton, "上移", "把当前字段上移一行"},
    {names::kMoveDownButton, "下移", "把当前字段下移一行"},
};

// The field grid takes all the room the window gains; the buttons keep to its right edge, OK and
// Cancel to its lower right corner.
const AnchorSpec kAnchors[] = {
    {names::kGrid, 0, 0, kFollows, kFollows},
    {names::kInsertBeforeButton, kFollows, 0, kFollows, 0},
    {names::kInsertAfterButton, kFollows, 0, kFollows, 0},
    {names::kDeleteButton, kFollows, 0, kFollows, 0},
    {names::kMoveUpButton, kFollows, 0, kFollows, 0},
    {names::kMoveDownButton, kFollows, 0, kFollows, 0},
    {names::kOkButton, kFollows, kFollows, kFollows, kFollows},
    {names::kCancelButton, kFollows, kFollows, kFollows, kFollows},
};

const char* const kTabOrder[] = {
    names::kGrid,         names::kInsertBeforeButton, names::kInsertAfterButton,
    names::kDeleteButton, names::kMoveUpButton,       names::kMoveDownButton,
    names::kOkButton,     names::kCancelButton,
};

const FormSpec kForm = {
    .name = "设计表",
    .title = "设计表",
    .outer_width = 502,
    .outer_height = 442,
    .has_menu_bar = false,
    .controls = kControls,
    .access = kAccess,
    .tab_order = kTabOrder,
    .anchors = kAnchors,
};

}  // namespace

const FormSpec& DesignerForm() { return kForm; }

}  // namespace torvane::forms
