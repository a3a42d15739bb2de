// Layout of the insert-record dialog "插入记录...".
#include "ui/forms/control_names.h"
#include "ui/forms/form_layout.h"

namespace torvane::forms {
namespace {

namespace names = insert_names;

constexpr const char* kTabs = names::kValueTabs;
constexpr const char* kText = "文本型";
constexpr const char* kInteger = "整数型";
constexpr const char* kDecimal = "小数型";
constexpr const char* kBytes = "字节集型";

constexpr GridDesign kFieldList = {.rows = 5,
                                   .columns = 1,
                                   .fixed_rows = 0,
                                   .fixed_columns = 0,
                                   .row_height = 20,
                                   .column_width = 130};

const ControlSpec kControls[] = {
    {"标签1", Kind::kLabel, "请在左侧的字段列表中选择一个字段，然后通过右侧面板对该字段赋值。", 8,
     5, 416, 16, nullptr, nullptr},
    {"标签3", Kind::kLabel, "字段列表：", 9, 29, 96, 16, nullptr, nullptr, kBold | kDialogFont},
    {names::kFieldGrid, Kind::kGrid, "", 8, 48, 152, 240, nullptr, nullptr,
     kNotEditable | kWholeRowSelect, kFieldList},
    {kTabs, Kind::kTabControl, "文本型|整数型|小数型|字节集型", 168, 32, 216, 256, nullptr, nullptr,
     kDialogFont},
    {names::kTextLengthLabel, Kind::kLabel, "文本长度(字符数)：", 8, 24, 192, 16, kTabs, kText},
    {names::kTextValueBox, Kind::kMultiLineEdit, "", 8, 48, 200, 168, kTabs, kText,
     kVerticalScrollBar},
    {names::kWriteTextButton, Kind::kButton, "写入", 144, 223, 64, 24, kTabs, kText},
    {names::kIntegerValueBox, Kind::kLineEdit, "", 8, 48, 128, 20, kTabs, kInteger, kIntegerInput},
    {names::kWriteIntegerButton, Kind::kButton, "写入", 71, 96, 64, 24, kTabs, kInteger},
    {names::kDecimalValueBox, Kind::kLineEdit, "", 8, 48, 128, 20, kTabs, kDecimal, kDecimalInput},
    {names::kWriteDecimalButton, Kind::kButton, "写入", 71, 96, 64, 24, kTabs, kDecimal},
    // Wide enough for the caption and a length of nine digits: at the designed 128 pixels the
    // number itself was cut off.
    {names::kBytesLengthLabel, Kind::kLabel, "字节集长度(字节)：", 8, 24, 200, 16, kTabs, kBytes},
    {names::kClearBytesButton, Kind::kButton, "清除", 8, 47, 64, 24, kTabs, kBytes},
    {names::kReadBytesFromFileButton, Kind::kButton, "从文件写入...", 112, 47, 96, 24, kTabs,
     kBytes},
    {"标签5", Kind::kLabel, "图片预览：", 10, 81, 126, 11, kTabs, kBytes},
    {names::kPictureBox, Kind::kPictureBox, "", 8, 96, 200, 152, kTabs, kBytes},
    {"标签2", Kind::kDivider, "", 8, 304, 370, 2, nullptr, nullptr},
    {names::kOkButton, Kind::kButton, "确定", 216, 312, 80, 32, nullptr, nullptr},
    {names::kCancelButton, Kind::kButton, "取消", 304, 312, 80, 32, nullptr, nullptr},
};

const FileDialogSpec kFileDialogs[] = {
    {names::kFileDialog, FileDialogKind::kOpen, "所有文件(*.*)|*.*", ""},
};

const AccessSpec kAccess[] = {
    {names::kFieldGrid, nullptr, "选择要赋值的字段", "标签3"},
    {kTabs, "字段值类型", "按哪种类型给字段赋值"},
    {names::kTextValueBox, "文本字段值"},
    {names::kWriteTextButton, nullptr, "把文本值赋给字段"},
    {names::kIntegerValueBox, "整数字段值"},
    {names::kWriteIntegerButton, nullptr, "把整数值赋给字段"},
    {names::kDecimalValueBox, "小数字段值"},
    {names::kWriteDecimalButton, nullptr, "把小数值赋给字段"},
    {names::kClearBytesButton, nullptr, "清除字段的字节集值"},
    {names::kReadBytesFromFileButton, nullptr, "把文件的内容赋给字段"},
    {names::kPictureBox, nullptr, "字节集字段值的图片", "标签5"},
    {"标签2", "分隔线"},
};

// The field list takes the height the window gains, the tab control the width and the height;
// on its pages the text box and the picture grow, and the buttons keep to the lower right.
const AnchorSpec kAnchors[] = {
    {names::kFieldGrid, 0, 0, 0, kFollows},
    {kTabs, 0, 0, kFollows, kFollows},
    {names::kTextLengthLabel, 0, 0, kFollows, 0},
    {names::kTextValueBox, 0, 0, kFollows, kFollows},
    {names::kWriteTextButton, kFollows, kFollows, kFollows, kFollows},
    {names::kBytesLengthLabel, 0, 0, kFollows, 0},
    {names::kReadBytesFromFileButton, kFollows, 0, kFollows, 0},
    {names::kPictureBox, 0, 0, kFollows, kFollows},
    {"标签2", 0, kFollows, kFollows, kFollows},
    {names::kOkButton, kFollows, kFollows, kFollows, kFollows},
    {names::kCancelButton, kFollows, kFollows, kFollows, kFollows},
};

const char* const kTabOrder[] = {
    names::kFieldGrid,        kTabs,
    names::kTextValueBox,     names::kWriteTextButton,
    names::kIntegerValueBox,  names::kWriteIntegerButton,
    names::kDecimalValueBox,  names::kWriteDecimalButton,
    names::kClearBytesButton, names::kReadBytesFromFileButton,
    names::kOkButton,         names::kCancelButton,
};

const FormSpec kForm = {
    .name = "插入记录...",
    .title = "插入记录...",
    .outer_width = 399,
    .outer_height = 374,
    .has_menu_bar = false,
    .controls = kControls,
    .file_dialogs = kFileDialogs,
    .access = kAccess,
    .tab_order = kTabOrder,
    .anchors = kAnchors,
};

}  // namespace

const FormSpec& InsertForm() { return kForm; }

}  // namespace torvane::forms
