#include "program/command_line.h"

namespace torvane {

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  bool options = true;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (options && argument == "--") {
      options = false;
    } else if (options && argument == "--help") {
      line.help = true;
    } else if (options && argument == "--version") {
      line.version = true;
    } else if (options && (argument == "-t" || argument == "--table")) {
      if (i + 1 == arguments.size()) {
        line.error = "选项 " + argument + " 需要一个表名或视图名";
        return line;
      }
      line.table = arguments[++i];
    } else if (options && argument.rfind("--table=", 0) == 0) {
      line.table = argument.substr(8);
    } else if (line.database.empty()) {
      line.database = argument;
    }
  }
  return line;
}

std::string HelpText() {
  return "用法：torvane [选项] [数据库文件]\n"
         "打开一个 SQLite 3 数据库文件（.sdb），在窗口中浏览和编辑它的表、视图和记录。\n"
         "每次打开前都先留下该文件的一个带日期时间的备份。\n"
         "\n"
         "  -t, --table=名称   打开数据库后立即显示该表或视图\n"
         "      --help         显示此帮助并退出\n"
         "      --version      显示版本信息并退出\n"
         "  --                 其后的参数都是文件名（如名为 --help 的文件）\n"
         "\n"
         "其它以 - 开头的参数也当作文件名。数据库文件之后的参数不起作用。\n"
         "快捷键：Ctrl+N 新建数据库，Ctrl+O 打开数据库，Ctrl+W 关闭数据库，\n"
         "Ctrl+E 执行SQL语句，F5 刷新。\n";
}

std::string VersionText() { return std::string("Torvane ") + TORVANE_VERSION + "\n"; }

}  // namespace torvane
