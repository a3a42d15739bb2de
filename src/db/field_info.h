#pragma once

// Descriptors of the columns of a table to be created, and the column definitions built from them.

#include <cstdint>
#include <string>
#include <vector>

namespace torvane {

// The field type codes the program produces. SqliteFieldInfo::Type holds them as plain integers
// because other codes are accepted too (see ColumnDefinition).
enum class FieldTypeCode : std::int32_t {
  kPrimaryKey = -1,  // INTEGER PRIMARY KEY
  kUntyped = 0,      // no declared type
  kInteger = 3,
  kDecimal = 5,
  kText = 10,
  kBytes = 11,
};

// One column of a table to be created.
struct SqliteFieldInfo {
  std::string Name;            // put into SQL exactly as written
  std::int32_t Type = 0;       // a FieldTypeCode value, or any other code
  std::int32_t MaxLength = 0;  // text length for the text codes; 0 or less means none
};

// The declared type written for a type code: "INTEGER PRIMARY KEY" (-1), "" (0), "INTEGER" (1, 2,
// 3, 4, 7), "NUMERIC" (5, 6), "TEXT(n)" or "TEXT" (8, 10, 12; n = max_length when positive),
// "BLOB" (11) and "NONE" for 9 and every code outside -1..12.
std::string DeclaredType(std::int32_t type, std::int32_t max_length);

// The column definition of `field`: its name, a blank and its declared type, or the name alone for
// an untyped field.
std::string ColumnDefinition(const SqliteFieldInfo& field);

// The statement CreateTable runs for `fields`: "CREATE TABLE name (definitions)", the definitions
// of the fields with a name joined by ", "; names go in exactly as given.
std::string CreateTableStatement(const std::string& table_name,
                                 const std::vector<SqliteFieldInfo>& fields);

}  // namespace torvane
