// Layout of the main window: controls, menu bar and toolbar.
#include "ui/forms/control_names.h"
#include "ui/forms/form_layout.h"

// The "Torvane 使用说明" link's designed target. The program opens the manual where it finds it
// (installed, or beside the program in a build tree), never an address fixed at build time.
constexpr const char* kManualLink = "README.md";

namespace torvane::forms {
namespace {

namespace names = main_names;

constexpr const char* kPanel = names::kFieldPanel;
constexpr const char* kTabs = names::kFieldTabs;
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
    {names::kToolbar, Kind::kToolbar, "", 0, 0, 793, 38, nullptr, nullptr},
    {"标签6", Kind::kDivider, "", 8, 40, 776, 2, nullptr, nullptr},
    {"标签1", Kind::kLabel, "数据库结构：", 9, 60, 76, 12, nullptr, nullptr},
    {names::kDisplayFilter, Kind::kComboBox,
     "显示所有表和视图|显示表|显示视图|显示临时表|显示临时视图", 80, 56, 136, 20, nullptr, nullptr,
     kSelectFirst},
    {names::kTree, Kind::kTree, "", 8, 80, 208, 368, nullptr, nullptr, kImageList},
    {"分隔条1", Kind::kSplitter, "", 221, 56, 4, 412, nullptr, nullptr},
    {"分组框1", Kind::kGroupBox, "表或视图定义", 232, 56, 384, 56, nullptr, nullptr},
    {names::kDefinitionBox, Kind::kMultiLineEdit, "", 8, 16, 368, 32, "分组框1", nullptr,
     kVerticalScrollBar | kReadOnly},
    {names::kGrid, Kind::kGrid, "", 232, 120, 384, 328, nullptr, nullptr, kNone, kRecordGrid},
    {names::kInfoBox, Kind::kLineEdit, "", 232, 451, 384, 16, nullptr, nullptr, kReadOnly},
    {"标签2", Kind::kLabel, "操作日志：", 8, 452, 64, 16, nullptr, nullptr},
    {names::kSaveLogButton, Kind::kFlatButton, "存到文件...", 88, 448, 72, 24, nullptr, nullptr},
    {names::kClearLogButton, Kind::kFlatButton, "全部清除", 160, 448, 56, 24, nullptr, nullptr},
    {names::kLogBox, Kind::kMultiLineEdit, "", 8, 472, 608, 64, nullptr, nullptr,
     kVerticalScrollBar | kReadOnly},
    {names::kManualLink, Kind::kLinkLabel, "Torvane 使用说明", 624, 472, 160, 16, nullptr, nullptr,
     kNone, kNoGrid, kManualLink},
    {names::kHomePageLink, Kind::kLinkLabel, "SQLite 主页", 624, 504, 160, 16, nullptr, nullptr,
     kNone, kNoGrid, "https://www.sqlite.org/"},
    {kPanel, Kind::kGroupBox, "字段读写", 624, 56, 160, 392, nullptr, nullptr, kHidden},
    {"标签4", Kind::kLabel, "记录序号：", 10, 26, 56, 16, kPanel, nullptr},
    {names::kRecordNumberBox, Kind::kComboBox, "", 72, 24, 80, 20, kPanel, nullptr},
    {"标签3", Kind::kLabel, "字段名称：", 10, 51, 96, 16, kPanel, nullptr},
    {names::kFieldNameBox, Kind::kComboBox, "", 8, 68, 144, 20, kPanel, nullptr},
    {kTabs, Kind::kTabControl, "文本型|整数型|小数型|字节集型", 8, 96, 144, 256, kPanel, nullptr,
     kDialogFont},
    {names::kTextValueBox, Kind::kMultiLineEdit, "", 8, 46, 128, 146, kTabs, kText,
     kVerticalScrollBar},
    {names::kReadTextFromFileButton, Kind::kButton, "从文件读", 9, 200, 64, 24, kTabs, kText},
    {names::kWriteTextToFileButton, Kind::kButton, "写到文件", 72, 200, 64, 24, kTabs, kText},
    {names::kReadTextButton, Kind::kButton, "读取", 9, 223, 64, 24, kTabs, kText},
    {names::kWriteTextButton, Kind::kButton, "写入", 72, 223, 64, 24, kTabs, kText},
    {names::kIntegerValueBox, Kind::kLineEdit, "", 8, 48, 128, 20, kTabs, kInteger, kIntegerInput},
    {names::kReadIntegerButton, Kind::kButton, "读取", 8, 96, 64, 24, kTabs, kInteger},
    {names::kWriteIntegerButton, Kind::kButton, "写入", 71, 96, 64, 24, kTabs, kInteger},
    {names::kDecimalValueBox, Kind::kLineEdit, "", 8, 48, 128, 20, kTabs, kDecimal, kDecimalInput},
    {names::kReadDecimalButton, Kind::kButton, "读取", 8, 96, 64, 24, kTabs, kDecimal},
    {names::kWriteDecimalButton, Kind::kButton, "写入", 71, 96, 64, 24, kTabs, kDecimal},
    {names::kWriteBytesToFileButton, Kind::kButton, "写出到文件...", 8, 48, 128, 24, kTabs, kBytes},
    {names::kClearBytesButton, Kind::kButton, "清除", 8, 71, 40, 24, kTabs, kBytes},
    {names::kReadBytesFromFileButton, Kind::kButton, "从文件写入...", 47, 71, 89, 24, kTabs,
     kBytes},
    {"标签5", Kind::kLabel, "图片预览：", 10, 105, 126, 11, kTabs, kBytes},
    {names::kPictureBox, Kind::kPictureBox, "", 8, 120, 128, 128, kTabs, kBytes},
};

const FileDialogSpec kFileDialogs[] = {
    {names::kBytesFileDialog, FileDialogKind::kOpen, "所有文件(*.*)|*.*", ""},
    {names::kTextFileDialog, FileDialogKind::kSave, "文本文件(*.txt)|*.txt|所有文件(*.*)|*.*",
     "txt"},
    {names::kDatabaseFileDialog, FileDialogKind::kOpen,
     "Sqlite数据库文件(*.sdb)|*.sdb|所有文件(*.*)|*.*", "sdb"},
};

const char* const kDatabaseItems[] = {names::kNewDatabaseItem,
                                      names::kOpenDatabaseItem,
                                      names::kCloseDatabaseItem,
                                      nullptr,
                                      names::kBackupDatabaseItem,
                                      nullptr,
                                      names::kExitItem};
const char* const kTableItems[] = {names::kNewTableItem,
                                   names::kAlterTableItem,
                                   names::kRenameTableItem,
                                   names::kDropTableItem,
                                   nullptr,
                                   names::kInsertEmptyRecordItem,
                                   names::kInsertRecordItem,
                                   names::kDeleteRecordItem};
const char* const kViewItems[] = {names::kNewViewItem, names::kAlterViewItem,
                                  names::kRenameViewItem, names::kDropViewItem};
const char* const kOtherItems[] = {names::kSqlConsoleItem,
                                   nullptr,
                                   names::kBeginTransactionItem,
                                   names::kCommitTransactionItem,
                                   names::kRollbackTransactionItem,
                                   nullptr,
                                   names::kErrorTextItem,
                                   names::kErrorCodeItem,
                                   names::kLastInsertIdItem,
                                   nullptr,
                                   names::kTextModeItem};
const char* const kHelpItems[] = {names::kAboutItem};

const MenuSpec kMenus[] = {
    {"数据库", kDatabaseItems}, {"表", kTableItems},  {"视图", kViewItems},
    {"其它操作", kOtherItems},  {"帮助", kHelpItems},
};

const ToolbarButtonSpec kToolbar[] = {
    {"新建数据库", 0, names::kNewDatabaseItem},
    {"打开数据库", 1, names::kOpenDatabaseItem},
    {names::kCloseDatabaseItem, -1, names::kCloseDatabaseItem},
    {nullptr, -1},
    {"新建表", -1, names::kNewTableItem},
    {"修改表", -1, names::kAlterTableItem},
    {names::kDropTableItem, -1, names::kDropTableItem},
    {nullptr, -1},
    {names::kNewViewItem, -1, names::kNewViewItem},
    {names::kAlterViewItem, -1, names::kAlterViewItem},
    {names::kDropViewItem, -1, names::kDropViewItem},
    {nullptr, -1},
    {names::kSqlConsoleItem, -1, names::kSqlConsoleItem},
};

const AccessSpec kAccess[] = {
    {names::kToolbar, "工具栏"},
    {"标签6", "分隔线"},
    {names::kDisplayFilter, "显示内容", "选择数据库结构树中显示哪些表和视图", "标签1"},
    {names::kTree, "数据库结构", "数据库中的表和视图"},
    {"分隔条1", "分隔条"},
    {names::kDefinitionBox, "表或视图定义", "所选表或视图的定义语句"},
    {names::kGrid, "记录表格", "所选表或视图的记录"},
    {names::kInfoBox, "表基本信息"},
    {names::kSaveLogButton, nullptr, "把操作日志存到文本文件"},
    {names::kClearLogButton, nullptr, "清除操作日志的全部内容"},
    {names::kLogBox, nullptr, nullptr, "标签2"},
    {names::kRecordNumberBox, nullptr, "要读写的记录在表格中的序号", "标签4"},
    {names::kFieldNameBox, nullptr, "要读写的字段", "标签3"},
    {kTabs, "字段值类型", "按哪种类型读写字段值"},
    {names::kTextValueBox, "文本字段值"},
    {names::kReadTextFromFileButton, nullptr, "从文本文件读入文本字段值"},
    {names::kWriteTextToFileButton, nullptr, "把文本字段值写到文本文件"},
    {names::kReadTextButton, nullptr, "读取字段的文本值"},
    {names::kWriteTextButton, nullptr, "把文本值写入字段"},
    {names::kIntegerValueBox, "整数字段值"},
    {names::kReadIntegerButton, nullptr, "读取字段的整数值"},
    {names::kWriteIntegerButton, nullptr, "把整数值写入字段"},
    {names::kDecimalValueBox, "小数字段值"},
    {names::kReadDecimalButton, nullptr, "读取字段的小数值"},
    {names::kWriteDecimalButton, nullptr, "把小数值写入字段"},
    {names::kWriteBytesToFileButton, nullptr, "把字段的字节集值写出到文件"},
    {names::kClearBytesButton, nullptr, "清除字段的字节集值"},
    {names::kReadBytesFromFileButton, nullptr, "把文件的内容写入字段"},
    {names::kPictureBox, nullptr, "字节集字段值的图片", "标签5"},
};

// As the window grows, the schema column takes a quarter of the width gained and the object column
// the rest; the field panel keeps its width at the right edge. Three quarters of the height gained
// go to the tree, the grid and the field panel (a little of it to the definition box above the
// grid), the rest to the log. In the field panel, the text box and the picture take its height.
constexpr int kSchemaShare = 25;      // of the width gained: the schema column's right edge
constexpr int kDefinitionShare = 15;  // of the height gained: the definition box's bottom edge
constexpr int kTableShare = 75;       // of the height gained: the grid's bottom edge

const AnchorSpec kAnchors[] = {
    {names::kToolbar, 0, 0, kFollows, 0},
    {"标签6", 0, 0, kFollows, 0},
    {names::kDisplayFilter, 0, 0, kSchemaShare, 0},
    {names::kTree, 0, 0, kSchemaShare, kTableShare},
    {"分隔条1", kSchemaShare, 0, kSchemaShare, kTableShare},
    {"分组框1", kSchemaShare, 0, kFollows, kDefinitionShare},
    {names::kDefinitionBox, 0, 0, kFollows, kFollows},
    {names::kGrid, kSchemaShare, kDefinitionShare, kFollows, kTableShare},
    {names::kInfoBox, kSchemaShare, kTableShare, kFollows, kTableShare},
    {"标签2", 0, kTableShare, 0, kTableShare},
    {names::kSaveLogButton, 0, kTableShare, 0, kTableShare},
    {names::kClearLogButton, 0, kTableShare, 0, kTableShare},
    {names::kLogBox, 0, kTableShare, kFollows, kFollows},
    {names::kManualLink, kFollows, kTableShare, kFollows, kTableShare},
    {names::kHomePageLink, kFollows, kTableShare, kFollows, kTableShare},
    {kPanel, kFollows, 0, kFollows, kTableShare},
    {kTabs, 0, 0, 0, kFollows},
    {names::kTextValueBox, 0, 0, 0, kFollows},
    {names::kReadTextFromFileButton, 0, kFollows, 0, kFollows},
    {names::kWriteTextToFileButton, 0, kFollows, 0, kFollows},
    {names::kReadTextButton, 0, kFollows, 0, kFollows},
    {names::kWriteTextButton, 0, kFollows, 0, kFollows},
    {names::kPictureBox, 0, 0, 0, kFollows},
};

// Reading order: the schema column, the object column, the field panel, the log, the links.
const char* const kTabOrder[] = {
    names::kDisplayFilter,
    names::kTree,
    names::kDefinitionBox,
    names::kGrid,
    names::kInfoBox,
    names::kRecordNumberBox,
    names::kFieldNameBox,
    kTabs,
    names::kTextValueBox,
    names::kReadTextFromFileButton,
    names::kWriteTextToFileButton,
    names::kReadTextButton,
    names::kWriteTextButton,
    names::kIntegerValueBox,
    names::kReadIntegerButton,
    names::kWriteIntegerButton,
    names::kDecimalValueBox,
    names::kReadDecimalButton,
    names::kWriteDecimalButton,
    names::kWriteBytesToFileButton,
    names::kClearBytesButton,
    names::kReadBytesFromFileButton,
    names::kSaveLogButton,
    names::kClearLogButton,
    names::kLogBox,
    names::kManualLink,
    names::kHomePageLink,
};

const ShortcutSpec kShortcuts[] = {
    {"Ctrl+N", names::kNewDatabaseItem},
    {"Ctrl+O", names::kOpenDatabaseItem},
    {"Ctrl+W", names::kCloseDatabaseItem},
    {"Ctrl+E", names::kSqlConsoleItem},
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
