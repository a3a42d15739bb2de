// Layout of the table designer "设计表".
#include "ui/forms/form_layout.h"

namespace torvane::forms {
namespace {

constexpr GridDesign kFieldGrid = {.rows = 2,
                                   .columns = 4,
                                   .fixed_rows = 1,
                                   .fixed_columns = 1,
                                   .row_height = 24,
                                   .column_width = 60};

const ControlSpec kControls[] = {
    {"高级表格1", Kind::kGrid, "", 8, 8, 384, 400, nullptr, nullptr, kNone, kFieldGrid},
    {"按钮_向前插入字段", Kind::kButton, "向前插入字段", 400, 8, 88, 32, nullptr, nullptr},
    {"按钮_向后插入字段", Kind::kButton, "向后插入字段", 400, 39, 88, 32, nullptr, nullptr},
    {"按钮_删除字段", Kind::kButton, "删除字段", 400, 70, 88, 32, nullptr, nullptr},
    {"按钮4", Kind::kButton, "↓上移", 400, 112, 88, 32, nullptr, nullptr},
    {"按钮5", Kind::kButton, "↓下移", 400, 143, 88, 32, nullptr, nullptr},
    {"按钮_确定", Kind::kButton, "确定", 400, 336, 88, 32, nullptr, nullptr},
    {"按钮_取消", Kind::kButton, "取消", 400, 376, 88, 32, nullptr, nullptr},
};

const AccessSpec kAccess[] = {
    {"高级表格1", "字段定义", "每行一个字段：名称、类型和最大文本长度"},
    // The arrows of the captions mean nothing to a listener.
    {"按钮4", "上移", "把当前字段上移一行"},
    {"按钮5", "下移", "把当前字段下移一行"},
};

// The field grid takes all the room the window gains; the buttons keep to its right edge, OK and
// Cancel to its lower right corner.
const AnchorSpec kAnchors[] = {
    {"高级表格1", 0, 0, kFollows, kFollows},
    {"按钮_向前插入字段", kFollows, 0, kFollows, 0},
    {"按钮_向后插入字段", kFollows, 0, kFollows, 0},
    {"按钮_删除字段", kFollows, 0, kFollows, 0},
    {"按钮4", kFollows, 0, kFollows, 0},
    {"按钮5", kFollows, 0, kFollows, 0},
    {"按钮_确定", kFollows, kFollows, kFollows, kFollows},
    {"按钮_取消", kFollows, kFollows, kFollows, kFollows},
};

const char* const kTabOrder[] = {
    "高级表格1", "按钮_向前插入字段", "按钮_向后插入字段", "按钮_删除字段", "按钮4",
    "按钮5",     "按钮_确定",         "按钮_取消",
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
