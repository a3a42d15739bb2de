#pragma once

// The names of the windows' controls and the captions of their menu items, each written once: the
// layout tables create the controls under these names and the window facades find them by them.
// UTF-8, like the layout tables; only the user-interface layer includes this header. The logic
// reaches the controls through the facades' accessors and commands, never by a name, so a name
// crosses into internal text nowhere. Not inline: each translation unit keeps its own copy, so
// no other encoding of the same literal can be merged with them by the linker.

namespace torvane::forms {

// The main window.
namespace main_names {
constexpr char kToolbar[] = "工具条1";
constexpr char kDisplayFilter[] = "组合框_显示内容";
constexpr char kTree[] = "树型框1";
constexpr char kDefinitionBox[] = "编辑框_表或视图定义";
constexpr char kGrid[] = "高级表格1";
constexpr char kInfoBox[] = "编辑框_表基本信息";
constexpr char kSaveLogButton[] = "超级按钮_写日志到文件";
constexpr char kClearLogButton[] = "超级按钮_清除日志";
constexpr char kLogBox[] = "编辑框_操作日志";
constexpr char kFieldPanel[] = "分组框_字段读写";
constexpr char kRecordNumberBox[] = "组合框_记录序号";
constexpr char kFieldNameBox[] = "组合框_字段名称";
constexpr char kFieldTabs[] = "高级选择夹1";
constexpr char kTextValueBox[] = "编辑框_文本字段值";
constexpr char kReadTextFromFileButton[] = "按钮_从文件读入文本";
constexpr char kWriteTextToFileButton[] = "按钮_写文本到文件";
constexpr char kReadTextButton[] = "按钮_读文本字段值";
constexpr char kWriteTextButton[] = "按钮_写文本字段值";
constexpr char kIntegerValueBox[] = "编辑框_整数字段值";
constexpr char kReadIntegerButton[] = "按钮_读整数字段值";
constexpr char kWriteIntegerButton[] = "按钮_写整数字段值";
constexpr char kDecimalValueBox[] = "编辑框_小数字段值";
constexpr char kReadDecimalButton[] = "按钮_读小数字段值";
constexpr char kWriteDecimalButton[] = "按钮_写小数字段值";
constexpr char kWriteBytesToFileButton[] = "按钮_写字节集字段值到文件";
constexpr char kClearBytesButton[] = "按钮_清除字节集字段";
constexpr char kReadBytesFromFileButton[] = "按钮_从文件写到字节集字段";
constexpr char kPictureBox[] = "图片框_字节集预览";
constexpr char kBytesFileDialog[] = "对话框_字节集读写";
constexpr char kTextFileDialog[] = "对话框_打开或保存文本";
constexpr char kDatabaseFileDialog[] = "对话框_打开或新建数据库";
constexpr char kManualLink[] = "标签7";
constexpr char kHomePageLink[] = "标签8";
// Menu items.
constexpr char kNewDatabaseItem[] = "新建数据库...";
constexpr char kOpenDatabaseItem[] = "打开数据库...";
constexpr char kCloseDatabaseItem[] = "关闭数据库";
constexpr char kBackupDatabaseItem[] = "备份数据库";
constexpr char kExitItem[] = "退出";
constexpr char kNewTableItem[] = "新建表...";
constexpr char kAlterTableItem[] = "修改表...";
constexpr char kRenameTableItem[] = "修改表名称";
constexpr char kDropTableItem[] = "删除表";
constexpr char kInsertEmptyRecordItem[] = "插入空记录";
constexpr char kInsertRecordItem[] = "插入记录...";
constexpr char kDeleteRecordItem[] = "删除当前记录";
constexpr char kNewViewItem[] = "新建视图";
constexpr char kAlterViewItem[] = "修改视图";
constexpr char kRenameViewItem[] = "修改视图名称";
constexpr char kDropViewItem[] = "删除视图";
constexpr char kSqlConsoleItem[] = "执行SQL语句";
constexpr char kBeginTransactionItem[] = "开始事务";
constexpr char kCommitTransactionItem[] = "提交事务";
constexpr char kRollbackTransactionItem[] = "回滚事务";
constexpr char kErrorTextItem[] = "取错误文本";
constexpr char kErrorCodeItem[] = "取错误码";
constexpr char kLastInsertIdItem[] = "取最新插入ID";
constexpr char kTextModeItem[] = "文本编码...";
constexpr char kAboutItem[] = "关于";
}  // namespace main_names

// The SQL dialog.
namespace sql_names {
constexpr char kTree[] = "树型框1";
constexpr char kSqlBox[] = "编辑框_SQL语句";
constexpr char kImportFileButton[] = "按钮_从文件导入";
constexpr char kImportTemplateButton[] = "按钮_从模板导入";
constexpr char kTemplateGrid[] = "高级表格1";
constexpr char kKindGroup[] = "分组框1";
constexpr char kQueryRadio[] = "单选框_查询类SQL";
constexpr char kExecuteRadio[] = "单选框_执行类SQL";
constexpr char kOkButton[] = "按钮_确定";
constexpr char kCloseButton[] = "按钮_关闭";
constexpr char kFileDialog[] = "通用对话框1";
// Items of the template list's pop-up menu.
constexpr char kApplyTemplateItem[] = "应用选中行";
constexpr char kHideTemplatesItem[] = "关闭SQL模板";
}  // namespace sql_names

// The table designer.
namespace designer_names {
constexpr char kGrid[] = "高级表格1";
constexpr char kInsertBeforeButton[] = "按钮_向前插入字段";
constexpr char kInsertAfterButton[] = "按钮_向后插入字段";
constexpr char kDeleteButton[] = "按钮_删除字段";
constexpr char kMoveUpButton[] = "按钮4";
constexpr char kMoveDownButton[] = "按钮5";
constexpr char kOkButton[] = "按钮_确定";
constexpr char kCancelButton[] = "按钮_取消";
}  // namespace designer_names

// The insert dialog.
namespace insert_names {
constexpr char kFieldGrid[] = "高级表格1";
constexpr char kValueTabs[] = "高级选择夹1";
constexpr char kTextLengthLabel[] = "标签_文本长度";
constexpr char kTextValueBox[] = "编辑框_文本字段值";
constexpr char kWriteTextButton[] = "按钮_写文本字段值";
constexpr char kIntegerValueBox[] = "编辑框_整数字段值";
constexpr char kWriteIntegerButton[] = "按钮_写整数字段值";
constexpr char kDecimalValueBox[] = "编辑框_小数字段值";
constexpr char kWriteDecimalButton[] = "按钮_写小数字段值";
constexpr char kBytesLengthLabel[] = "标签_字节集长度";
constexpr char kClearBytesButton[] = "按钮_清除字节集字段";
constexpr char kReadBytesFromFileButton[] = "按钮_从文件写到字节集字段";
constexpr char kPictureBox[] = "图片框_字节集预览";
constexpr char kFileDialog[] = "对话框_打开文件";
constexpr char kOkButton[] = "按钮_确定";
constexpr char kCancelButton[] = "按钮_取消";
}  // namespace insert_names

}  // namespace torvane::forms
