#include "app/schema_tree.h"

#include <gtest/gtest.h>

#include "support/app_fixture.h"
#include "support/fault_vfs.h"

namespace torvane {
namespace {

using testing::AppTest;
using Texts = std::vector<std::string>;

constexpr char kSchema[] =
    "CREATE TABLE b(x); CREATE TABLE a(x); CREATE VIEW v AS SELECT * FROM a;"
    "INSERT INTO a VALUES(1);";

TEST_F(AppTest, TreeGroupsFollowTheDisplayFilter) {
  const std::string path = MakeDb(kSchema);
  Start({path});
  ASSERT_TRUE(
      state_.Connection.Execute("CREATE TEMP TABLE tt(y); CREATE TEMP VIEW tv AS SELECT 1"));
  RefreshSchema(app_);

  static const struct {
    int filter;
    Texts texts;
  } cases[] = {
      {0, {"表 (2)", "a", "b", "视图 (1)", "v", "临时表 (1)", "tt", "临时视图 (1)", "tv"}},
      {1, {"表 (2)", "a", "b"}},
      {2, {"视图 (1)", "v"}},
      {3, {"临时表 (1)", "tt"}},
      {4, {"临时视图 (1)", "tv"}},
  };
  for (const auto& c : cases) {
    window_.display_filter().SetSelectedIndex(c.filter);
    RefreshSchemaTree(app_);
    EXPECT_EQ(TreeTexts(), c.texts) << "filter " << c.filter;
  }
  window_.display_filter().SetSelectedIndex(0);
  RefreshSchemaTree(app_);
  // Kinds: groups below 100, tables (temporary ones too) 100, views 200.
  const int kinds[] = {1, 100, 100, 2, 200, 2, 100, 2, 200};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(window_.tree().ItemData(i), kinds[i]) << i;
  // Every group is expanded, with its image; the names have the table image.
  for (const int group : {0, 3, 5, 7}) EXPECT_TRUE(window_.tree().IsExpanded(group)) << group;
  const TreeItems items = window_.tree().Items();
  ASSERT_EQ(items.size(), 4u);
  const int images[] = {18, 88, 88, 88};
  for (std::size_t g = 0; g < items.size(); ++g) {
    EXPECT_EQ(items[g].image, images[g]) << g;
    for (const TreeItem& name : items[g].children) EXPECT_EQ(name.image, 0) << name.text;
  }
}

TEST_F(AppTest, TemporaryGroupsAreLeftOutWhenEmpty) {
  Start({MakeDb(kSchema)});
  EXPECT_EQ(TreeTexts(), (Texts{"表 (2)", "a", "b", "视图 (1)", "v"}));
  window_.display_filter().SetSelectedIndex(3);
  RefreshSchemaTree(app_);
  EXPECT_TRUE(TreeTexts().empty());
}

TEST_F(AppTest, FilterChangeReselectsTheSameIndex) {
  Start({MakeDb(kSchema)});
  SelectTreeItem("a");  // index 1
  EXPECT_TRUE(IsTableSelected(app_));
  EXPECT_EQ(window_.grid().CellText(0, 1), "x");

  // Filter "views": index 1 is now the view v, which is shown.
  window_.display_filter().SetSelectedIndex(2);
  window_.display_filter().on_selection_changed();
  EXPECT_EQ(window_.tree().SelectedIndex(), 1);
  EXPECT_TRUE(IsViewSelected(app_));
  EXPECT_FALSE(window_.field_panel().IsVisible());

  // Filter "temporary views": empty tree, no selection, the view stays on display.
  window_.display_filter().SetSelectedIndex(4);
  window_.display_filter().on_selection_changed();
  EXPECT_EQ(window_.tree().SelectedIndex(), -1);
  EXPECT_FALSE(IsTableSelected(app_));
  EXPECT_FALSE(IsViewSelected(app_));
  EXPECT_NE(window_.info_box().Content(), "");
}

TEST_F(AppTest, SelectingAGroupResetsThePanels) {
  Start({MakeDb(kSchema)});
  SelectTreeItem("a");
  ASSERT_TRUE(window_.field_panel().IsVisible());
  window_.tree().SetSelectedIndex(0);
  EXPECT_EQ(window_.grid().RowCount(), 1);
  EXPECT_EQ(window_.grid().CellText(0, 0), "无数据");
  EXPECT_EQ(window_.definition_box().Content(), "");
  EXPECT_EQ(window_.info_box().Content(), "");
  EXPECT_FALSE(window_.field_panel().IsVisible());
  EXPECT_EQ(window_.record_number_box().ItemCount(), 0);
  EXPECT_EQ(window_.field_name_box().ItemCount(), 0);
}

// Right-clicks on `item` in the tree (or, with `on_grid`, releases the right button over the grid
// after selecting it) and reports which menus opened.
struct PopUpCase {
  const char* item;
  bool on_grid;
  bool table_menu;
  bool view_menu;
};

class PopUpTest : public AppTest, public ::testing::WithParamInterface<PopUpCase> {};

TEST_P(PopUpTest, OpensTheMenuOfTheSelectedKind) {
  const PopUpCase& c = GetParam();
  Start({MakeDb(kSchema)});
  SelectTreeItem(c.item);
  if (c.on_grid) {
    window_.grid().on_right_released();
  } else {
    window_.tree().on_right_pressed();
  }
  EXPECT_EQ(window_.menu(MainMenu::kTable).IsOpen(), c.table_menu);
  EXPECT_EQ(window_.menu(MainMenu::kView).IsOpen(), c.view_menu);
}

INSTANTIATE_TEST_SUITE_P(
    Tree, PopUpTest,
    ::testing::Values(PopUpCase{"a", false, true, false}, PopUpCase{"v", false, false, true},
                      PopUpCase{"表 (2)", false, false, false}, PopUpCase{"a", true, true, false},
                      PopUpCase{"v", true, false, false}),
    [](const ::testing::TestParamInfo<PopUpCase>& info) {
      return std::string(info.param.on_grid ? "Grid" : "Tree") + std::to_string(info.index);
    });

// Names that cannot be read (a read error on the file) are a failure the user is told of, not a
// database without tables: the tree keeps the names it had, and F5 reads them again.
TEST_F(AppTest, NamesThatCannotBeReadAreToldAndTheTreeKept) {
  testing::ScopedFaultVfs vfs;
  Start({MakeDb(kSchema)});
  const Texts shown = TreeTexts();
  ASSERT_EQ(shown, (Texts{"表 (2)", "a", "b", "视图 (1)", "v"}));
  vfs.Fail(testing::FileCall::kRead, 1, SQLITE_IOERR, false);
  window_.on_refresh_requested();
  EXPECT_EQ(vfs.failures(), 1);
  vfs.Heal();
  EXPECT_EQ(MessageTexts(), Texts{"读取表和视图的名称失败！错误信息如下：\r\n\r\ndisk I/O error"});
  EXPECT_EQ(LastLogLine(), "[×]读取表和视图的名称失败！（disk I/O error）");
  EXPECT_EQ(TreeTexts(), shown);
  EXPECT_EQ(state_.TableNames, (Texts{"a", "b"}));
  window_.on_refresh_requested();
  EXPECT_EQ(TreeTexts(), shown);
  EXPECT_EQ(MessageTexts().size(), 1u);
}

}  // namespace
}  // namespace torvane
