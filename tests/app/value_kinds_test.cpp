#include "app/value_kinds.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/codec.h"
#include "support/layout_tables.h"

namespace torvane {
namespace {

// The tab pages of the field panel and of the insert dialog are drawn from the layout tables and
// read and written by the logic through the value kinds: both must list the same kinds in the
// same order.
TEST(ValueKinds, ThePagesOfBothWindowsAreTheKindsWithAPage) {
  std::vector<std::string> pages(4);
  for (const ValueKind& kind : kValueKinds) {
    if (kind.page < 0) continue;
    ASSERT_LT(kind.page, 4);
    pages[kind.page] = kind.name;
    EXPECT_EQ(KindOfPage(kind.page), kind.code) << kind.page;
    EXPECT_EQ(PageOfKind(kind.code), kind.page) << kind.page;
  }
  for (const forms::FormSpec* form : {&forms::MainForm(), &forms::InsertForm()}) {
    int tab_controls = 0;
    for (const forms::ControlSpec& layout : form->controls) {
      if (layout.kind != forms::Kind::kTabControl) continue;
      ++tab_controls;
      std::vector<std::string> captions;
      for (const std::string& caption : testing::CaptionItems(layout.caption)) {
        captions.push_back(FromUtf8(caption));
      }
      EXPECT_EQ(captions, pages) << form->name;
    }
    EXPECT_EQ(tab_controls, 1) << form->name;
  }
}

TEST(ValueKinds, KindsWithoutAPageAndPagesWithoutAKind) {
  EXPECT_EQ(KindOfPage(-1), FieldTypeCode::kText);
  EXPECT_EQ(KindOfPage(4), FieldTypeCode::kText);
  EXPECT_EQ(PageOfKind(FieldTypeCode::kPrimaryKey), PageOfKind(FieldTypeCode::kText));
  EXPECT_EQ(PageOfKind(FieldTypeCode::kUntyped), PageOfKind(FieldTypeCode::kText));
  EXPECT_STREQ(NameOfKind(FieldTypeCode::kUntyped), "");
  EXPECT_STREQ(NameOfKind(FieldTypeCode::kPrimaryKey), "主键（自增字段）");
}

}  // namespace
}  // namespace torvane
