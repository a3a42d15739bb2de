// Layout of the main window: controls, menu bar and toolbar.
#include "ui/forms/form_layout.h"

// The "Torvane 使用说明" link's designed target. The program opens the manual where it finds it
// (installed, or beside the program in a build tree), never an address fixed at build time.
constexpr const char* kManualLink = "README.md";

namespace torvane::forms {
namespace {

constexpr const char* kPanel = "分组框_字段读写";
constexpr const char* kTabs = "高级选择夹1";
constexpr const char* kText = "文本型";
constexpr const char* kInteger = "整数型";
constexpr const char* kDecimal = "小数型";
constexpr const char* kBytes = "字节集型";

constexpr GridDesign kNoGrid = {};
constexpr GridDesign kRecordGrid = {.rows = 5,
                                    .columns = 5,
                                    .fixed_rows = 1,
                                    .fixed_columns = 1,
                                    .row_height = 20,
                                    .column_width = 60};

const ControlSpec kControls[] = {
    {"工具条1", Kind::kToolbar, "", 0, 0, 793, 38, nullptr, nullptr},
    {"标签6", Kind::kDivider, "", 8, 40, 776, 2, nullptr, nullptr},
    {"标签1", Kind::kLabel, "数据库结构：", 9, 60, 76, 12, nullptr, nullptr},
    {"组合框_显示内容", Kind::kComboBox, "显示所有表和视图|显示表|显示视图|显示临时表|显示临时视图",
     80, 56, 136, 20, nullptr, nullptr, kSelectFirst},
    {"树型框1", Kind::kTree, "", 8, 80, 208, 368, nullptr, nullptr, kImageList},
    {"分隔条1", Kind::kSplitter, "", 221, 56, 4, 412, nullptr, nullptr},
    {"分组框1", Kind::kGroupBox, "表或视图定义", 232, 56, 384, 56, nullptr, nullptr},
    {"编辑框_表或视图定义", Kind::kMultiLineEdit, "", 8, 16, 368, 32, "分组框1", nullptr,
     kVerticalScrollBar | kReadOnly},
    {"高级表格1", Kind::kGrid, "", 232, 120, 384, 328, nullptr, nullptr, kNone, kRecordGrid},
    {"编辑框_表基本信息", Kind::kLineEdit, "", 232, 451, 384, 16, nullptr, nullptr, kReadOnly},
    {"标签2", Kind::kLabel, "操作日志：", 8, 452, 64, 16, nullptr, nullptr},
    {"超级按钮_写日志到文件", Kind::kFlatButton, "存到文件...", 88, 448, 72, 24, nullptr, nullptr},
    {"超级按钮_清除日志", Kind::kFlatButton, "全部清除", 160, 448, 56, 24, nullptr, nullptr},
    {"编辑框_操作日志", Kind::kMultiLineEdit, "", 8, 472, 608, 64, nullptr, nullptr,
     kVerticalScrollBar | kReadOnly},
    {"标签7", Kind::kLinkLabel, "Torvane 使用说明", 624, 472, 160, 16, nullptr, nullptr, kNone,
     kNoGrid, kManualLink},
    {"标签8", Kind::kLinkLabel, "SQLite 主页", 624, 504, 160, 16, nullptr, nullptr, kNone, kNoGrid,
     "https://www.sqlite.org/"},
    {kPanel, Kind::kGroupBox, "字段读写", 624, 56, 160, 392, nullptr, nullptr, kHidden},
    {"标签4", Kind::kLabel, "记录序号：", 10, 26, 56, 16, kPanel, nullptr},
    {"组合框_记录序号", Kind::kComboBox, "", 72, 24, 80, 20, kPanel, nullptr},
    {"标签3", Kind::kLabel, "字段名称：", 10, 51, 96, 16, kPanel, nullptr},
    {"组合框_字段名称", Kind::kComboBox, "", 8, 68, 144, 20, kPanel, nullptr},
    {kTabs, Kind::kTabControl, "文本型|整数型|小数型|字节集型", 8, 96, 144, 256, kPanel, nullptr,
     kDialogFont},
    {"编辑框_文本字段值", Kind::kMultiLineEdit, "", 8, 46, 128, 146, kTabs, kText,
     kVerticalScrollBar},
    {"按钮_从文件读入文本", Kind::kButton, "从文件读", 9, 200, 64, 24, kTabs, kText},
    {"按钮_写文本到文件", Kind::kButton, "写到文件", 72, 200, 64, 24, kTabs, kText},
    {"按钮_读文本字段值", Kind::kButton, "读取", 9, 223, 64, 24, kTabs, kText},
    {"按钮_写文本字段值", Kind::kButton, "写入", 72, 223, 64, 24, kTabs, kText},
    {"编辑框_整数字段值", Kind::kLineEdit, "", 8, 48, 128, 20, kTabs, kInteger, kIntegerInput},
    {"按钮_读整数字段值", Kind::kButton, "读取", 8, 96, 64, 24, kTabs, kInteger},
    {"按钮_写整数字段值", Kind::kButton, "写入", 71, 96, 64, 24, kTabs, kInteger},
    {"编辑框_小数字段值", Kind::kLineEdit, "", 8, 48, 128, 20, kTabs, kDecimal, kDecimalInput},
    {"按钮_读小数字段值", Kind::kButton, "读取", 8, 96, 64, 24, kTabs, kDecimal},
    {"按钮_写小数字段值", Kind::kButton, "写入", 71, 96, 64, 24, kTabs, kDecimal},
    {"按钮_写字节集字段值到文件", Kind::kButton, "写出到文件...", 8, 48, 128, 24, kTabs, kBytes},
    {"按钮_清除字节集字段", Kind::kButton, "清除", 8, 71, 40, 24, kTabs, kBytes},
    {"按钮_从文件写到字节集字段", Kind::kButton, "从文件写入...", 47, 71, 89, 24, kTabs, kBytes},
    {"标签5", Kind::kLabel, "图片预览：", 10, 105, 126, 11, kTabs, kBytes},
    {"图片框_字节集预览", Kind::kPictureBox, "", 8, 120, 128, 128, kTabs, kBytes},
};

const FileDialogSpec kFileDialogs[] = {
    {"对话框_字节集读写", FileDialogKind::kOpen, "所有文件(*.*)|*.*", ""},
    {"对话框_打开或保存文本", FileDialogKind::kSave, "文本文件(*.txt)|*.txt|所有文件(*.*)|*.*",
     "txt"},
    {"对话框_打开或新建数据库", FileDialogKind::kOpen,
     "Sqlite数据库文件(*.sdb)|*.sdb|所有文件(*.*)|*.*", "sdb"},
};

const char* const kDatabaseItems[] = {"新建数据库...", "打开数据库...", "关闭数据库", nullptr,
                                      "备份数据库",    nullptr,         "退出"};
const char* const kTableItems[] = {"新建表...", "修改表...",  "修改表名称",  "删除表",
                                   nullptr,     "插入空记录", "插入记录...", "删除当前记录"};
const char* const kViewItems[] = {"新建视图", "修改视图", "修改视图名称", "删除视图"};
const char* const kOtherItems[] = {"执行SQL语句",  nullptr, "开始事务",   "提交事务",
                                   "回滚事务",     nullptr, "取错误文本", "取错误码",
                                   "取最新插入ID", nullptr, "文本编码..."};
const char* const kHelpItems[] = {"关于"};

const MenuSpec kMenus[] = {
    {"数据库", kDatabaseItems}, {"表", kTableItems},  {"视图", kViewItems},
    {"其它操作", kOtherItems},  {"帮助", kHelpItems},
};

const ToolbarButtonSpec kToolbar[] = {
    {"新建数据库", 0, "新建数据库..."}, {"打开数据库", 1, "打开数据库..."},
    {"关闭数据库", -1, "关闭数据库"},   {nullptr, -1},
    {"新建表", -1, "新建表..."},        {"修改表", -1, "修改表..."},
    {"删除表", -1, "删除表"},           {nullptr, -1},
    {"新建视图", -1, "新建视图"},       {"修改视图", -1, "修改视图"},
    {"删除视图", -1, "删除视图"},       {nullptr, -1},
    {"执行SQL语句", -1, "执行SQL语句"},
};

const AccessSpec kAccess[] = {
    {"工具条1", "工具栏"},
    {"标签6", "分隔线"},
    {"组合框_显示内容", "显示内容", "选择数据库结构树中显示哪些表和视图", "标签1"},
    {"树型框1", "数据库结构", "数据库中的表和视图"},
    {"分隔条1", "分隔条"},
    {"编辑框_表或视图定义", "表或视图定义", "所选表或视图的定义语句"},
    {"高级表格1", "记录表格", "所选表或视图的记录"},
    {"编辑框_表基本信息", "表基本信息"},
    {"超级按钮_写日志到文件", nullptr, "把操作日志存到文本文件"},
    {"超级按钮_清除日志", nullptr, "清除操作日志的全部内容"},
    {"编辑框_操作日志", nullptr, nullptr, "标签2"},
    {"组合框_记录序号", nullptr, "要读写的记录在表格中的序号", "标签4"},
    {"组合框_字段名称", nullptr, "要读写的字段", "标签3"},
    {kTabs, "字段值类型", "按哪种类型读写字段值"},
    {"编辑框_文本字段值", "文本字段值"},
    {"按钮_从文件读入文本", nullptr, "从文本文件读入文本字段值"},
    {"按钮_写文本到文件", nullptr, "把文本字段值写到文本文件"},
    {"按钮_读文本字段值", nullptr, "读取字段的文本值"},
    {"按钮_写文本字段值", nullptr, "把文本值写入字段"},
    {"编辑框_整数字段值", "整数字段值"},
    {"按钮_读整数字段值", nullptr, "读取字段的整数值"},
    {"按钮_写整数字段值", nullptr, "把整数值写入字段"},
    {"编辑框_小数字段值", "小数字段值"},
    {"按钮_读小数字段值", nullptr, "读取字段的小数值"},
    {"按钮_写小数字段值", nullptr, "把小数值写入字段"},
    {"按钮_写字节集字段值到文件", nullptr, "把字段的字节集值写出到文件"},
    {"按钮_清除字节集字段", nullptr, "清除字段的字节集值"},
    {"按钮_从文件写到字节集字段", nullptr, "把文件的内容写入字段"},
    {"图片框_字节集预览", nullptr, "字节集字段值的图片", "标签5"},
};

// As the window grows, the schema column takes a quarter of the width gained and the object column
// the rest; the field panel keeps its width at the right edge. Three quarters of the height gained
// go to the tree, the grid and the field panel (a little of it to the definition box above the
// grid), the rest to the log. In the field panel, the text box and the picture take its height.
constexpr int kSchemaShare = 25;      // of the width gained: the schema column's right edge
constexpr int kDefinitionShare = 15;  // of the height gained: the definition box's bottom edge
constexpr int kTableShare = 75;       // of the height gained: the grid's bottom edge

const AnchorSpec kAnchors[] = {
    {"工具条1", 0, 0, kFollows, 0},
    {"标签6", 0, 0, kFollows, 0},
    {"组合框_显示内容", 0, 0, kSchemaShare, 0},
    {"树型框1", 0, 0, kSchemaShare, kTableShare},
    {"分隔条1", kSchemaShare, 0, kSchemaShare, kTableShare},
    {"分组框1", kSchemaShare, 0, kFollows, kDefinitionShare},
    {"编辑框_表或视图定义", 0, 0, kFollows, kFollows},
    {"高级表格1", kSchemaShare, kDefinitionShare, kFollows, kTableShare},
    {"编辑框_表基本信息", kSchemaShare, kTableShare, kFollows, kTableShare},
    {"标签2", 0, kTableShare, 0, kTableShare},
    {"超级按钮_写日志到文件", 0, kTableShare, 0, kTableShare},
    {"超级按钮_清除日志", 0, kTableShare, 0, kTableShare},
    {"编辑框_操作日志", 0, kTableShare, kFollows, kFollows},
    {"标签7", kFollows, kTableShare, kFollows, kTableShare},
    {"标签8", kFollows, kTableShare, kFollows, kTableShare},
    {kPanel, kFollows, 0, kFollows, kTableShare},
    {kTabs, 0, 0, 0, kFollows},
    {"编辑框_文本字段值", 0, 0, 0, kFollows},
    {"按钮_从文件读入文本", 0, kFollows, 0, kFollows},
    {"按钮_写文本到文件", 0, kFollows, 0, kFollows},
    {"按钮_读文本字段值", 0, kFollows, 0, kFollows},
    {"按钮_写文本字段值", 0, kFollows, 0, kFollows},
    {"图片框_字节集预览", 0, 0, 0, kFollows},
};

// Reading order: the schema column, the object column, the field panel, the log, the links.
const char* const kTabOrder[] = {
    "组合框_显示内容",
    "树型框1",
    "编辑框_表或视图定义",
    "高级表格1",
    "编辑框_表基本信息",
    "组合框_记录序号",
    "组合框_字段名称",
    kTabs,
    "编辑框_文本字段值",
    "按钮_从文件读入文本",
    "按钮_写文本到文件",
    "按钮_读文本字段值",
    "按钮_写文本字段值",
    "编辑框_整数字段值",
    "按钮_读整数字段值",
    "按钮_写整数字段值",
    "编辑框_小数字段值",
    "按钮_读小数字段值",
    "按钮_写小数字段值",
    "按钮_写字节集字段值到文件",
    "按钮_清除字节集字段",
    "按钮_从文件写到字节集字段",
    "超级按钮_写日志到文件",
    "超级按钮_清除日志",
    "编辑框_操作日志",
    "标签7",
    "标签8",
};

const ShortcutSpec kShortcuts[] = {
    {"Ctrl+N", "新建数据库..."},
    {"Ctrl+O", "打开数据库..."},
    {"Ctrl+W", "关闭数据库"},
    {"Ctrl+E", "执行SQL语句"},
};

const FormSpec kForm = {
    .name = "主窗口",
    .title = "Torvane",
    .left = 50,
    .top = 50,
    .outer_width = 799,
    .outer_height = 589,
    .has_menu_bar = true,
    .controls = kControls,
    .file_dialogs = kFileDialogs,
    .menus = kMenus,
    .toolbar = kToolbar,
    .access = kAccess,
    .tab_order = kTabOrder,
    .shortcuts = kShortcuts,
    .anchors = kAnchors,
};

}  // namespace

const FormSpec& MainForm() { return kForm; }

}  // namespace torvane::forms
