#include "db/field_info.h"

#include "base/text.h"

namespace torvane {

std::string DeclaredType(std::int32_t type, std::int32_t max_length) {
  switch (type) {
    case -1:
      return "INTEGER PRIMARY KEY";
    case 0:
      return "";
    case 1:
    case 2:
    case 3:
    case 4:
    case 7:
      return "INTEGER";
    case 5:
    case 6:
      return "NUMERIC";
    case 8:
    case 10:
    case 12:
      return max_length > 0 ? "TEXT(" + IntToText(max_length) + ")" : "TEXT";
    case 11:
      return "BLOB";
    default:
      return "NONE";
  }
}

std::string ColumnDefinition(const SqliteFieldInfo& field) {
  const std::string type = DeclaredType(field.Type, field.MaxLength);
  return type.empty() ? field.Name : field.Name + " " + type;
}

std::string CreateTableStatement(const std::string& table_name,
                                 const std::vector<SqliteFieldInfo>& fields) {
  std::string columns;
  for (const SqliteFieldInfo& field : fields) {
    if (field.Name.empty()) continue;
    if (!columns.empty()) columns += ", ";
    columns += ColumnDefinition(field);
  }
  return "CREATE TABLE " + table_name + " (" + columns + ")";
}

}  // namespace torvane
