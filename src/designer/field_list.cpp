#include "designer/field_list.h"

#include "app/value_kinds.h"

#include <utility>

#include "base/text.h"

namespace torvane {

bool TypeCodeFromKind(const std::string& type_name, std::int32_t& code) {
  for (const ValueKind& kind : kValueKinds) {
    if (type_name == kind.name) {
      code = static_cast<std::int32_t>(kind.code);
      return true;
    }
  }
  return false;
}

std::int32_t LengthFromText(const std::string& text) {
  // What lies beyond 32 bits saturates rather than wrapping around.
  const double number = ToNumber(TrimBlanks(text));
  if (number >= 2147483647.0) return 2147483647;
  if (number <= -2147483648.0) return -2147483647 - 1;
  return static_cast<std::int32_t>(number);
}

FieldCheck ValidateFields(const std::vector<FieldEntry>& fields) {
  FieldCheck check;
  int row = 0;
  for (const FieldEntry& entry : fields) {
    if (entry.Deleted) continue;
    ++row;
    const std::string name = TrimBlanks(entry.FieldName);
    auto stop = [&](int column, std::string message) {
      check.ok = false;
      check.row = row;
      check.column = column;
      check.message = std::move(message);
      check.fields.clear();
      return check;
    };
    if (name.empty()) return stop(1, "字段名称不能为空！");
    std::int32_t code = 0;
    if (!TypeCodeFromKind(TrimBlanks(entry.TypeName), code)) {
      return stop(2, "字段 " + name + " 的类型设置错误！请从下拉列表中选取。");
    }
    const std::int32_t length = LengthFromText(entry.LengthText);
    if (length < 0) return stop(3, "字段 " + name + " 的最大文本长度不能为负数！");
    check.fields.push_back(SqliteFieldInfo{name, code, length});
  }
  return check;
}

ColumnPairs PairColumns(const std::vector<FieldEntry>& fields,
                        const std::vector<std::string>& existing_columns) {
  ColumnPairs pairs;
  std::size_t k = 0;
  for (const FieldEntry& entry : fields) {
    if (entry.Added) continue;
    if (k >= existing_columns.size()) {
      pairs.surplus = true;
      return pairs;
    }
    const std::string& column = existing_columns[k++];
    if (entry.Deleted) continue;
    pairs.old_columns.push_back(column);
    pairs.new_columns.push_back(entry.FieldName);
  }
  return pairs;
}

std::vector<RebuildField> RebuildFields(const std::vector<FieldEntry>& fields,
                                        const std::vector<SqliteFieldInfo>& checked) {
  std::vector<RebuildField> layout;
  int existing = 0;
  std::size_t shown = 0;
  for (const FieldEntry& entry : fields) {
    const int column = entry.Added ? -1 : existing++;
    if (entry.Deleted || shown >= checked.size()) continue;
    RebuildField field;
    field.existing = column;
    field.field = checked[shown++];
    field.retyped = !entry.Added &&
                    (TrimBlanks(entry.TypeName) != TrimBlanks(entry.LoadedTypeName) ||
                     LengthFromText(entry.LengthText) != LengthFromText(entry.LoadedLengthText));
    layout.push_back(field);
  }
  return layout;
}

}  // namespace torvane
