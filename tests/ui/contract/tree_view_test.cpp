// Tree views: pre-order indexes, selection events, copies of the whole tree, mouse events.
#include <gtest/gtest.h>
#include <QPixmap>
#include <QTest>
#include <QTreeWidget>

#include "base/codec.h"
#include "ui/controls.h"
#include "ui/image_list_qt.h"

namespace torvane {
namespace {

std::string In(const char* utf8) { return FromUtf8(utf8); }

// The schema tree's shape: two groups with names under them, the first collapsed.
struct TreeFixture {
  TreeFixture() : tree(&widget) {
    widget.setHeaderHidden(true);
    widget.resize(200, 300);
    tree.on_selection_changed = [this] { ++selection_events; };
    tables = tree.AddItem(-1, In("表 (2)"), 18, 1);
    tree.AddItem(tables, "goods", 0, 100);
    tree.AddItem(tables, In("客户"), 0, 100);
    views = tree.AddItem(-1, In("视图 (1)"), 88, 2);
    tree.AddItem(views, "v_goods", 0, 200);
    tree.Expand(views);
  }
  QTreeWidget widget;
  TreeView tree;
  int tables = -1;
  int views = -1;
  int selection_events = 0;
};

TEST(TreeView, IndexesArePreOrderWhetherExpandedOrNot) {
  TreeFixture f;
  const char* texts[] = {"表 (2)", "goods", "客户", "视图 (1)", "v_goods"};
  const int data[] = {1, 100, 100, 2, 200};
  ASSERT_EQ(f.tree.ItemCount(), 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(f.tree.ItemText(i), In(texts[i])) << i;
    EXPECT_EQ(f.tree.ItemData(i), data[i]) << i;
  }
  EXPECT_FALSE(f.tree.IsExpanded(0));
  EXPECT_TRUE(f.tree.IsExpanded(3));
  EXPECT_EQ(f.tree.ParentIndex(2), 0);
  EXPECT_EQ(f.tree.ParentIndex(3), -1);
  for (int index : {-1, 5, 100}) {
    EXPECT_EQ(f.tree.ItemText(index), "") << index;
    EXPECT_EQ(f.tree.ItemData(index), 0) << index;
  }
}

TEST(TreeView, AddingAChildShiftsTheIndexesAfterIt) {
  TreeFixture f;
  const int added = f.tree.AddItem(0, "third", 0, 100);
  EXPECT_EQ(added, 3);
  EXPECT_EQ(f.tree.ItemText(3), "third");
  EXPECT_EQ(f.tree.ItemText(4), In("视图 (1)"));
  const int nested = f.tree.AddItem(1, "column", -1, 7);
  EXPECT_EQ(nested, 2);
  EXPECT_EQ(f.tree.ItemText(3), In("客户"));
  EXPECT_EQ(f.tree.AddItem(42, "orphan"), -1);
  EXPECT_EQ(f.tree.ItemCount(), 7);
  EXPECT_EQ(f.tree.AddItem(-1, "last"), 7);
}

TEST(TreeView, SelectionEventsOnlyOnARealChange) {
  TreeFixture f;
  struct {
    int set;
    int selected;
    int events;
    const char* what;
  } cases[] = {
      {1, 1, 1, "selecting an item"},
      {1, 1, 0, "selecting it again"},
      {4, 4, 1, "another item"},
      {5, -1, 0, "an index that names no item clears the selection"},
      {-1, -1, 0, "none while none is selected"},
  };
  for (const auto& c : cases) {
    f.selection_events = 0;
    f.tree.SetSelectedIndex(c.set);
    EXPECT_EQ(f.tree.SelectedIndex(), c.selected) << c.what;
    EXPECT_EQ(f.selection_events, c.events) << c.what;
  }
  // After a cleared selection, selecting the item that was selected before is a change again.
  f.selection_events = 0;
  f.tree.SetSelectedIndex(4);
  EXPECT_EQ(f.selection_events, 1);
}

// A selection handler may build the tree anew (the program reads the catalog again): the item
// being selected is gone then, and the new tree's own selection stands.
TEST(TreeView, ASelectionHandlerMayBuildTheTreeAnew) {
  TreeFixture f;
  f.tree.on_selection_changed = [&] {
    ++f.selection_events;
    f.tree.on_selection_changed = nullptr;
    f.tree.Clear();
    const int tables = f.tree.AddItem(-1, In("表 (1)"), 18, 1);
    f.tree.AddItem(tables, "goods", 0, 100);
    f.tree.SetSelectedIndex(tables);
  };
  f.tree.SetSelectedIndex(2);
  EXPECT_EQ(f.selection_events, 1);
  EXPECT_EQ(f.tree.ItemCount(), 2);
  EXPECT_EQ(f.tree.SelectedIndex(), 0);
}

TEST(TreeView, ClearRemovesEverythingWithoutAnEvent) {
  TreeFixture f;
  f.tree.SetSelectedIndex(2);
  f.selection_events = 0;
  f.tree.Clear();
  EXPECT_EQ(f.tree.ItemCount(), 0);
  EXPECT_EQ(f.tree.SelectedIndex(), -1);
  EXPECT_EQ(f.selection_events, 0);
  // Rebuilding and restoring the remembered position raises the event for the new item.
  f.tree.AddItem(-1, "a");
  f.tree.AddItem(-1, "b");
  f.tree.AddItem(-1, "c");
  f.tree.SetSelectedIndex(2);
  EXPECT_EQ(f.selection_events, 1);
  EXPECT_EQ(f.tree.ItemText(f.tree.SelectedIndex()), "c");
}

TEST(TreeView, CopiesTheWholeTreeAndSetsItElsewhere) {
  TreeFixture f;
  const TreeItems copy = f.tree.Items();
  ASSERT_EQ(copy.size(), 2u);
  EXPECT_EQ(copy[0].text, In("表 (2)"));
  EXPECT_EQ(copy[0].image, 18);
  EXPECT_EQ(copy[0].data, 1);
  ASSERT_EQ(copy[0].children.size(), 2u);
  EXPECT_EQ(copy[0].children[1].text, In("客户"));
  EXPECT_EQ(copy[1].children[0].data, 200);

  QTreeWidget other_widget;
  TreeView other(&other_widget);
  other.SetImageList(f.tree.GetImageList());
  other.AddItem(-1, "old");
  other.SetItems(copy);
  EXPECT_EQ(other.Items(), copy);
  EXPECT_EQ(other.ItemCount(), 5);
  EXPECT_EQ(other.ItemText(4), "v_goods");

  other.SetItems({});
  EXPECT_EQ(other.ItemCount(), 0);
  EXPECT_TRUE(other.Items().empty());
}

TEST(TreeView, RightPressSelectsTheItemUnderTheMouseFirst) {
  TreeFixture f;
  f.widget.show();
  f.widget.expandAll();
  std::vector<std::string> log;
  f.tree.on_selection_changed = [&] {
    log.push_back("selection " + f.tree.ItemText(f.tree.SelectedIndex()));
  };
  f.tree.on_right_pressed = [&] {
    log.push_back("right " + f.tree.ItemText(f.tree.SelectedIndex()));
  };
  QTreeWidgetItem* goods = f.widget.topLevelItem(0)->child(0);
  const QPoint on_goods = f.widget.visualItemRect(goods).center();
  QTest::mousePress(f.widget.viewport(), Qt::RightButton, {}, on_goods);
  QTest::mouseRelease(f.widget.viewport(), Qt::RightButton, {}, on_goods);
  EXPECT_EQ(log, (std::vector<std::string>{"selection goods", "right goods"}));

  log.clear();
  QTest::mousePress(f.widget.viewport(), Qt::RightButton, {}, QPoint(100, 290));  // empty space
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(f.tree.ItemText(f.tree.SelectedIndex()), "goods");
}

TEST(TreeView, UserClickAndDoubleClickRaiseTheirEvents) {
  TreeFixture f;
  f.widget.show();
  f.widget.expandAll();
  int double_clicks = 0;
  f.tree.on_item_double_clicked = [&] { ++double_clicks; };
  const QPoint on_view = f.widget.visualItemRect(f.widget.topLevelItem(1)->child(0)).center();
  QTest::mouseClick(f.widget.viewport(), Qt::LeftButton, {}, on_view);
  EXPECT_EQ(f.selection_events, 1);
  EXPECT_EQ(f.tree.SelectedIndex(), 4);
  QTest::mouseDClick(f.widget.viewport(), Qt::LeftButton, {}, on_view);
  EXPECT_EQ(double_clicks, 1);
  EXPECT_EQ(f.selection_events, 1);
}

TEST(TreeView, ItemsDrawTheirImageAndImageZeroWhenNoneWasGiven) {
  QList<QPixmap> pixmaps;
  for (Qt::GlobalColor colour : {Qt::red, Qt::green, Qt::blue}) {
    QPixmap pixmap(16, 15);
    pixmap.fill(colour);
    pixmaps.append(pixmap);
  }
  const ImageList images = MakeImageList(pixmaps);
  EXPECT_EQ(images.Count(), 3);
  EXPECT_EQ(images.Width(), 16);
  EXPECT_EQ(images.Height(), 15);

  QTreeWidget widget;
  TreeView tree(&widget);
  tree.AddItem(-1, "default");
  tree.AddItem(-1, "blue", 2);
  tree.AddItem(-1, "beyond the list", 9);
  tree.SetImageList(images);
  auto colour_of = [&](int row) {
    return widget.topLevelItem(row)->icon(0).pixmap(16, 15).toImage().pixelColor(5, 5);
  };
  EXPECT_EQ(colour_of(0), QColor(Qt::red));
  EXPECT_EQ(colour_of(1), QColor(Qt::blue));
  EXPECT_TRUE(widget.topLevelItem(2)->icon(0).isNull());
  EXPECT_EQ(tree.Items()[0].image, -1) << "the copy keeps the image index as given";
  EXPECT_EQ(tree.GetImageList().Count(), 3);
}

TEST(TreeView, TheUserCannotClearTheSelection) {
  TreeFixture f;
  f.widget.show();
  f.widget.expandAll();
  f.tree.SetSelectedIndex(1);
  f.selection_events = 0;
  const QPoint on_goods = f.widget.visualItemRect(f.widget.topLevelItem(0)->child(0)).center();
  QTest::mouseClick(f.widget.viewport(), Qt::LeftButton, {}, QPoint(100, 290));  // empty space
  QTest::mouseClick(f.widget.viewport(), Qt::LeftButton, Qt::ControlModifier, on_goods);
  EXPECT_EQ(f.tree.SelectedIndex(), 1);
  EXPECT_EQ(f.selection_events, 0);
}

}  // namespace
}  // namespace torvane
