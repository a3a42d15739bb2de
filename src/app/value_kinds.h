#pragma once

// The kinds a field's value is read and written as, and the table designer's type names: one table
// for the tab pages of the field panel and of the insert dialog and for the designer's type column.

#include "db/field_info.h"

namespace torvane {

struct ValueKind {
  FieldTypeCode code;
  const char* name;  // the designer's type name; for a kind with a page, also the page's caption
  int page;          // its tab page in the field panel and the insert dialog; -1: none
};

// In the order of the designer's type list, whose first entry is the empty name. Two names stand
// for an untyped field; the first is the one shown for it. The pages' captions in the window
// layouts are the names of the kinds with a page, in page order (a test holds them together).
inline constexpr ValueKind kValueKinds[] = {
    {FieldTypeCode::kUntyped, "", -1},
    {FieldTypeCode::kInteger, "整数型", 1},
    {FieldTypeCode::kDecimal, "小数型", 2},
    {FieldTypeCode::kText, "文本型", 0},
    {FieldTypeCode::kBytes, "字节集型", 3},
    {FieldTypeCode::kUntyped, "（通用型）", -1},
    {FieldTypeCode::kPrimaryKey, "主键（自增字段）", -1},
};

// The kind read and written on tab page `page`; text for any other page.
FieldTypeCode KindOfPage(int page);
// The tab page of kind `code`; text's page for a kind without one.
int PageOfKind(FieldTypeCode code);
// The designer's type name of `code` (the first, for an untyped field).
const char* NameOfKind(FieldTypeCode code);

}  // namespace torvane
