#include "app/value_kinds.h"

namespace torvane {

FieldTypeCode KindOfPage(int page) {
  for (const ValueKind& kind : kValueKinds) {
    if (kind.page >= 0 && kind.page == page) return kind.code;
  }
  return FieldTypeCode::kText;
}

int PageOfKind(FieldTypeCode code) {
  for (const ValueKind& kind : kValueKinds) {
    if (kind.code == code && kind.page >= 0) return kind.page;
  }
  return PageOfKind(FieldTypeCode::kText);
}

const char* NameOfKind(FieldTypeCode code) {
  for (const ValueKind& kind : kValueKinds) {
    if (kind.code == code) return kind.name;
  }
  return "";
}

}  // namespace torvane
